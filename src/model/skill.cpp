#include "skill.h"

#include "modelcontext.h"
#include "skillcollection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Qt's JSON reader drops a U+FEFF that starts a key or a string, though its
// writer puts it there as raw UTF-8: a frontmatter value or path beginning
// with one would lose it in the store. Written as an escape it survives, and
// raw bytes stored before are read as if escaped. These bytes occur only
// inside strings; a byte-order mark at the very start is left alone.
constexpr QByteArrayView rawByteOrderMark("\xEF\xBB\xBF");
constexpr QByteArrayView escapedByteOrderMark("\\ufeff");

QByteArray escapeByteOrderMarks(QByteArray bytes, qsizetype from)
{
    for (qsizetype at = bytes.indexOf(rawByteOrderMark, from); at >= 0;
         at = bytes.indexOf(rawByteOrderMark, at + escapedByteOrderMark.size()))
        bytes.replace(at, rawByteOrderMark.size(), escapedByteOrderMark);
    return bytes;
}

std::optional<QByteArray> encodeJson(const QJsonDocument &document)
{
    QByteArray bytes = document.toJson(QJsonDocument::Compact);
    if (bytes.isEmpty())
        return std::nullopt;
    return escapeByteOrderMarks(std::move(bytes), 0);
}

QJsonDocument decodeJson(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(escapeByteOrderMarks(bytes, 1));
}

std::optional<QByteArray> encodeFrontmatter(const QMap<QString, QString> &frontmatter)
{
    QJsonObject object;
    for (auto it = frontmatter.cbegin(); it != frontmatter.cend(); ++it)
        object.insert(it.key(), it.value());
    return encodeJson(QJsonDocument(object));
}

} // namespace

Skill::Skill(QObject *parent) : QObject(parent)
{
}

Skill::~Skill()
{
    // A record deleted outside its context must not leave dangling members.
    for (SkillCollection *collection : std::as_const(m_collections))
        collection->m_skills.removeAll(this);
}

Skill *Skill::make(const Seed &seed, QObject *parent)
{
    auto *skill = new Skill(parent);
    skill->m_resolvedPath = seed.resolvedPath.isEmpty() ? seed.filePath : seed.resolvedPath;
    skill->m_filePath = seed.filePath;
    skill->m_toolSourcesRaw = ToolSources::rawValue(seed.tool);
    skill->m_installedPathsData = encodeJson(QJsonDocument(QJsonArray { seed.filePath }));
    skill->m_isDirectory = seed.isDirectory;
    skill->m_name = seed.name;
    skill->m_skillDescription = seed.description;
    skill->m_content = seed.content;
    skill->m_frontmatterData = encodeFrontmatter(seed.frontmatter);
    skill->m_isFavorite = false;
    skill->m_fileModifiedDate = seed.fileModifiedDate;
    skill->m_fileSize = seed.fileSize;
    skill->m_isGlobal = seed.isGlobal;
    skill->m_kindRaw = SkillKinds::rawValue(seed.kind);
    return skill;
}

void Skill::markDirty(Field bit)
{
    m_dirty |= bit;
    if (m_context)
        m_context->markDirty(this);
}

void Skill::setResolvedPath(const QString &path)
{
    if (path == m_resolvedPath)
        return;
    const QString old = m_resolvedPath;
    m_resolvedPath = path;
    markDirty(ResolvedPathField);
    if (m_context)
        m_context->resolvedPathChanged(this, old);
    Q_EMIT resolvedPathChanged();
}

void Skill::setFilePath(const QString &path)
{
    if (path != m_filePath)
        m_installedPaths.reset(); // the fallback list is the file path
    assign(m_filePath, path, FilePathField, &Skill::filePathChanged);
}

void Skill::setIsDirectory(bool isDirectory)
{
    assign(m_isDirectory, isDirectory, IsDirectoryField, &Skill::isDirectoryChanged);
}

void Skill::setName(const QString &name)
{
    assign(m_name, name, NameField, &Skill::nameChanged);
}

void Skill::setSkillDescription(const QString &description)
{
    assign(m_skillDescription, description, DescriptionField, &Skill::skillDescriptionChanged);
}

QString Skill::content() const
{
    if (!m_contentLoaded) {
        m_contentLoaded = true;
        if (m_context)
            m_content = m_context->loadContent(m_id);
    }
    return m_content;
}

void Skill::setContent(const QString &content)
{
    if (m_contentLoaded && content == m_content)
        return;
    // Comparing against an unloaded body would cost a read; an unloaded body
    // is compared after loading it, so equal writes stay silent.
    if (!m_contentLoaded && content == this->content())
        return;
    m_content = content;
    m_contentLoaded = true;
    markDirty(ContentField);
    Q_EMIT contentChanged();
}

void Skill::setFrontmatterData(const std::optional<QByteArray> &data)
{
    assign(m_frontmatterData, data, FrontmatterField, &Skill::frontmatterDataChanged);
}

void Skill::setIsFavorite(bool isFavorite)
{
    assign(m_isFavorite, isFavorite, IsFavoriteField, &Skill::isFavoriteChanged);
}

void Skill::setLastOpened(const QDateTime &date)
{
    if (date.isValid() == m_lastOpened.isValid() && (!date.isValid() || date == m_lastOpened))
        return;
    m_lastOpened = date;
    markDirty(LastOpenedField);
    Q_EMIT lastOpenedChanged();
}

void Skill::setFileModifiedDate(const QDateTime &date)
{
    assign(m_fileModifiedDate, date, ModifiedField, &Skill::fileModifiedDateChanged);
}

void Skill::setFileSize(qint64 size)
{
    assign(m_fileSize, size, SizeField, &Skill::fileSizeChanged);
}

void Skill::setIsGlobal(bool isGlobal)
{
    assign(m_isGlobal, isGlobal, IsGlobalField, &Skill::isGlobalChanged);
}

void Skill::setToolSourcesRaw(const QString &raw)
{
    assign(m_toolSourcesRaw, raw, ToolsField, &Skill::toolSourcesRawChanged);
}

void Skill::setKind(SkillKind kind)
{
    assign(m_kindRaw, SkillKinds::rawValue(kind), KindField, &Skill::kindChanged);
}

void Skill::setInstalledPathsData(const std::optional<QByteArray> &data)
{
    if (data != m_installedPathsData)
        m_installedPaths.reset();
    assign(m_installedPathsData, data, InstalledPathsField, &Skill::installedPathsDataChanged);
}

void Skill::setScanSignature(const QString &signature)
{
    assign(m_scanSignature, signature, SignatureField, nullptr);
}

void Skill::setCollections(const QList<SkillCollection *> &given)
{
    QList<SkillCollection *> collections;
    collections.reserve(given.size());
    for (SkillCollection *collection : given) {
        // A collection holds a skill at most once; nulls are not members.
        if (collection && !collections.contains(collection))
            collections.append(collection);
    }
    if (collections == m_collections)
        return;
    const QList<SkillCollection *> old = m_collections;
    m_collections = collections;
    for (SkillCollection *collection : old) {
        if (!collections.contains(collection))
            collection->detachSkill(this);
    }
    for (SkillCollection *collection : collections) {
        if (!old.contains(collection))
            collection->attachSkill(this);
    }
    markDirty(CollectionsField);
    Q_EMIT collectionsChanged();
}

QList<ToolSource> Skill::splitToolSources(const QString &raw)
{
    QList<ToolSource> tools;
    for (QStringView piece : QStringView(raw).split(u',', Qt::SkipEmptyParts)) {
        if (auto tool = ToolSources::fromRaw(piece.toString()))
            tools.append(*tool);
    }
    return tools;
}

QString Skill::joinToolSources(const QList<ToolSource> &tools)
{
    QStringList raws;
    for (ToolSource tool : tools)
        raws.append(ToolSources::rawValue(tool));
    raws.sort(Qt::CaseSensitive); // raw values are ASCII: code-unit order is code-point order
    raws.removeDuplicates();
    return raws.join(u',');
}

QList<ToolSource> Skill::toolSources() const
{
    return splitToolSources(m_toolSourcesRaw);
}

void Skill::setToolSources(const QList<ToolSource> &tools)
{
    setToolSourcesRaw(joinToolSources(tools));
}

QStringList Skill::installedPaths() const
{
    if (!m_installedPaths)
        m_installedPaths = decodeInstalledPaths();
    return *m_installedPaths;
}

QStringList Skill::decodeInstalledPaths() const
{
    if (m_installedPathsData) {
        const QJsonDocument document = decodeJson(*m_installedPathsData);
        if (document.isArray()) {
            const QJsonArray array = document.array();
            QStringList paths;
            paths.reserve(array.size());
            bool allText = true;
            for (const auto &value : array) {
                if (!value.isString()) {
                    allText = false;
                    break;
                }
                paths.append(value.toString());
            }
            if (allText)
                return paths;
        }
    }
    return { m_filePath };
}

void Skill::setInstalledPaths(const QStringList &paths)
{
    QStringList unique = paths;
    unique.removeDuplicates(); // keeps first-seen order, which the prune relies on for filePath
    setInstalledPathsData(encodeJson(QJsonDocument(QJsonArray::fromStringList(unique))));
}

QMap<QString, QString> Skill::frontmatter() const
{
    if (!m_frontmatterData)
        return {};
    const QJsonDocument document = decodeJson(*m_frontmatterData);
    if (!document.isObject())
        return {};
    QMap<QString, QString> map;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return {};
        map.insert(it.key(), it.value().toString());
    }
    return map;
}

void Skill::setFrontmatter(const QMap<QString, QString> &frontmatter)
{
    setFrontmatterData(encodeFrontmatter(frontmatter));
}

std::optional<QString> Skill::projectName() const
{
    if (m_isGlobal)
        return std::nullopt;
    const QList<QStringView> components = QStringView(m_filePath).split(u'/');
    for (qsizetype i = 1; i < components.size(); ++i) {
        if (components.at(i).startsWith(u'.'))
            return components.at(i - 1).toString();
    }
    return std::nullopt;
}

void Skill::addInstallation(const QString &path, ToolSource tool)
{
    const QStringList paths = installedPaths();
    if (!paths.contains(path))
        setInstalledPaths(paths + QStringList { path });
    QList<ToolSource> tools = toolSources();
    if (tools.contains(tool))
        return;
    tools.append(tool);
    setToolSources(tools);
}
