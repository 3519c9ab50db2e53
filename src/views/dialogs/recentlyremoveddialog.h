#pragma once

#include "skillhistory.h"

#include <QDialog>
#include <QList>
#include <QPointer>

class ModelContext;
class SkillHistoryView;
class QListWidget;

// "Recently removed": the skill files that are gone but whose history the
// store keeps, each with its versions to look at and restore.
class RecentlyRemovedDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit RecentlyRemovedDialog(ModelContext *context, QWidget *parent = nullptr);

    QListWidget *fileList() const { return m_files; }
    SkillHistoryView *history() const { return m_history; }
    void reload();

private:
    QPointer<ModelContext> m_context;
    QList<SkillVersion> m_removed; // each file's newest version
    QListWidget *m_files;
    SkillHistoryView *m_history;
};
