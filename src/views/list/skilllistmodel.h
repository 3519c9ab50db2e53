#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPointer>

class ModelContext;
class Skill;

// Every skill of the store, in ModelContext::nameLess order, kept current
// from the context's saved batches only: a rescan touching thousands of
// records is a handful of row operations, not one per record.
class SkillListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillListModel)

public:
    enum Role {
        SkillRole = Qt::UserRole + 1, // Skill *
        ProjectNameRole, // QString, or invalid for a global skill
        IsFavoriteRole, // bool
    };

    explicit SkillListModel(ModelContext *context, QObject *parent = nullptr);
    ~SkillListModel() override;

    ModelContext *context() const;
    const QList<Skill *> &skills() const { return m_rows; }
    Skill *skillAt(int row) const;
    // -1 when the skill is not listed.
    int rowOf(const Skill *skill) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void insertSkills(QList<Skill *> added);
    void removeSkills(const QList<Skill *> &removed);
    void changeSkills(const QList<Skill *> &changed);
    void moveIntoPlace(const QList<int> &changedRows);
    void sortLayout();
    void resetTo(QList<Skill *> rows);

    QPointer<ModelContext> m_context;
    QList<Skill *> m_rows;
};
