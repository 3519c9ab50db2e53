#pragma once

#include "skillkind.h"
#include "toolsource.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ModelContext;
class SkillCollection;

// One skill file Quire knows, with what was read from it, where it is
// installed and the user's marks. Records live in a ModelContext, which owns
// them and writes what their setters marked dirty.
class Skill final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Skill)
    Q_PROPERTY(
        QString resolvedPath READ resolvedPath WRITE setResolvedPath NOTIFY resolvedPathChanged)
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath NOTIFY filePathChanged)
    Q_PROPERTY(bool isDirectory READ isDirectory WRITE setIsDirectory NOTIFY isDirectoryChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString skillDescription READ skillDescription WRITE setSkillDescription NOTIFY
            skillDescriptionChanged)
    Q_PROPERTY(QString content READ content WRITE setContent NOTIFY contentChanged)
    Q_PROPERTY(bool isFavorite READ isFavorite WRITE setIsFavorite NOTIFY isFavoriteChanged)
    Q_PROPERTY(QDateTime lastOpened READ lastOpened WRITE setLastOpened NOTIFY lastOpenedChanged)
    Q_PROPERTY(QDateTime fileModifiedDate READ fileModifiedDate WRITE setFileModifiedDate NOTIFY
            fileModifiedDateChanged)
    Q_PROPERTY(qint64 fileSize READ fileSize WRITE setFileSize NOTIFY fileSizeChanged)
    Q_PROPERTY(bool isGlobal READ isGlobal WRITE setIsGlobal NOTIFY isGlobalChanged)
    Q_PROPERTY(QString toolSourcesRaw READ toolSourcesRaw WRITE setToolSourcesRaw NOTIFY
            toolSourcesRawChanged)
    Q_PROPERTY(QString kindRaw READ kindRaw NOTIFY kindChanged)

public:
    // What a new record is made from, by the scanner and by new-skill creation.
    struct Seed
    {
        QString filePath;
        QString resolvedPath; // empty: filePath is used
        bool isDirectory = false;
        QString name;
        QString description;
        QString content;
        QMap<QString, QString> frontmatter;
        QDateTime fileModifiedDate;
        qint64 fileSize = 0;
        bool isGlobal = false;
        ToolSource tool = ToolSource::Custom;
        SkillKind kind = SkillKind::Skill;
    };

    explicit Skill(QObject *parent = nullptr);
    ~Skill() override;
    static Skill *make(const Seed &seed, QObject *parent = nullptr);

    // The store's identifier; 0 until the record's first successful save.
    qint64 id() const { return m_id; }
    ModelContext *context() const { return m_context; }

    QString resolvedPath() const { return m_resolvedPath; }
    void setResolvedPath(const QString &path);
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path);
    bool isDirectory() const { return m_isDirectory; }
    void setIsDirectory(bool isDirectory);
    QString name() const { return m_name; }
    void setName(const QString &name);
    QString skillDescription() const { return m_skillDescription; }
    void setSkillDescription(const QString &description);
    // Bodies are loaded from the store on first read, so opening a large store
    // only loads what the list shows.
    QString content() const;
    void setContent(const QString &content);
    std::optional<QByteArray> frontmatterData() const { return m_frontmatterData; }
    void setFrontmatterData(const std::optional<QByteArray> &data);
    bool isFavorite() const { return m_isFavorite; }
    void setIsFavorite(bool isFavorite);
    // Invalid means absent.
    QDateTime lastOpened() const { return m_lastOpened; }
    void setLastOpened(const QDateTime &date);
    QDateTime fileModifiedDate() const { return m_fileModifiedDate; }
    void setFileModifiedDate(const QDateTime &date);
    qint64 fileSize() const { return m_fileSize; }
    void setFileSize(qint64 size);
    bool isGlobal() const { return m_isGlobal; }
    void setIsGlobal(bool isGlobal);
    QString toolSourcesRaw() const { return m_toolSourcesRaw; }
    void setToolSourcesRaw(const QString &raw);
    // What the file is to the harnesses reading it; stored as its raw value,
    // and an unknown stored value reads as a skill.
    SkillKind kind() const { return SkillKinds::fromRaw(m_kindRaw).value_or(SkillKind::Skill); }
    QString kindRaw() const { return m_kindRaw; }
    void setKind(SkillKind kind);
    std::optional<QByteArray> installedPathsData() const { return m_installedPathsData; }
    void setInstalledPathsData(const std::optional<QByteArray> &data);

    // One end of the many-to-many relationship; setting it keeps every
    // collection's skills() in step.
    QList<SkillCollection *> collections() const { return m_collections; }
    void setCollections(const QList<SkillCollection *> &collections);

    // Computed views of the encoded fields.
    QList<ToolSource> toolSources() const;
    void setToolSources(const QList<ToolSource> &tools);
    QStringList installedPaths() const;
    void setInstalledPaths(const QStringList &paths);
    QMap<QString, QString> frontmatter() const;
    void setFrontmatter(const QMap<QString, QString> &frontmatter);
    std::optional<QString> projectName() const;

    // The same file is also installed at path for tool.
    void addInstallation(const QString &path, ToolSource tool);

    // The scanner's fingerprint of the file at its last read; not observable.
    QString scanSignature() const { return m_scanSignature; }
    void setScanSignature(const QString &signature);

    static QString joinToolSources(const QList<ToolSource> &tools);
    static QList<ToolSource> splitToolSources(const QString &raw);

Q_SIGNALS:
    void resolvedPathChanged();
    void filePathChanged();
    void isDirectoryChanged();
    void nameChanged();
    void skillDescriptionChanged();
    void contentChanged();
    void frontmatterDataChanged();
    void collectionsChanged();
    void isFavoriteChanged();
    void lastOpenedChanged();
    void fileModifiedDateChanged();
    void fileSizeChanged();
    void isGlobalChanged();
    void toolSourcesRawChanged();
    void installedPathsDataChanged();
    void kindChanged();

private:
    friend class ModelContext;
    friend class StoreMerge;
    friend class SkillCollection;

    enum Field : quint32 {
        ResolvedPathField = 1U << 0,
        FilePathField = 1U << 1,
        IsDirectoryField = 1U << 2,
        NameField = 1U << 3,
        DescriptionField = 1U << 4,
        ContentField = 1U << 5,
        FrontmatterField = 1U << 6,
        CollectionsField = 1U << 7,
        IsFavoriteField = 1U << 8,
        LastOpenedField = 1U << 9,
        ModifiedField = 1U << 10,
        SizeField = 1U << 11,
        IsGlobalField = 1U << 12,
        ToolsField = 1U << 13,
        InstalledPathsField = 1U << 14,
        SignatureField = 1U << 15,
        KindField = 1U << 16,
    };

    template <typename T> void assign(T &field, const T &value, Field bit, void (Skill::*changed)())
    {
        if (field == value) // rescans rewrite every field; most writes change nothing
            return;
        field = value;
        markDirty(bit);
        if (changed)
            Q_EMIT(this->*changed)();
    }
    void markDirty(Field bit);
    QStringList decodeInstalledPaths() const;

    qint64 m_id = 0;
    ModelContext *m_context = nullptr;
    quint32 m_dirty = 0;

    QString m_resolvedPath;
    QString m_filePath;
    bool m_isDirectory = false;
    QString m_name;
    QString m_skillDescription;
    mutable QString m_content;
    mutable bool m_contentLoaded = true;
    std::optional<QByteArray> m_frontmatterData;
    QList<SkillCollection *> m_collections;
    bool m_isFavorite = false;
    QDateTime m_lastOpened;
    QDateTime m_fileModifiedDate;
    qint64 m_fileSize = 0;
    bool m_isGlobal = false;
    QString m_toolSourcesRaw;
    QString m_kindRaw = SkillKinds::rawValue(SkillKind::Skill);
    std::optional<QByteArray> m_installedPathsData;
    // Decoded once: every scan route and every prune reads the list.
    mutable std::optional<QStringList> m_installedPaths;
    QString m_scanSignature;
};
