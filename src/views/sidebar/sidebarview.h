#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class AppState;
class ModelContext;
class NewCollectionPopover;
class QListView;
class QMenu;
class QModelIndex;
class SidebarModel;
class SkillCollection;
class SkillHealth;

// The first column: which skills the list shows. Its selection is
// AppState::sidebarFilter and nothing else; it writes the filter only when
// the user picks a row, or when the collection it names is deleted.
class SidebarView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarView)

public:
    SidebarView(AppState *state, ModelContext *context, QWidget *parent = nullptr);

    SidebarModel *model() const { return m_model; }
    QListView *list() const { return m_list; }
    NewCollectionPopover *newCollectionPopover() const { return m_popover; }

    // The context menu of a row, or nullptr for rows that have none. The
    // caller owns it.
    QMenu *menuForRow(const QModelIndex &index);
    void openNewCollection();
    // The skills whose files are gone, to look at and restore.
    void openRecentlyRemoved();
    // Shows the "Needs attention" row.
    void setHealth(SkillHealth *health);

    // Asks before a collection that holds skills is deleted; true deletes.
    // Dialogs go through it, so tests can answer them.
    using Confirmer = std::function<bool(const QString &question, const QString &detail)>;
    void setConfirmer(Confirmer confirmer) { m_confirm = std::move(confirmer); }

private:
    void syncSelection();
    void selectFilterRow(bool moveCurrent);
    void userSelected();
    void rowClicked(const QModelIndex &index);
    QWidget *makeFooter();
    void deleteCollection(SkillCollection *collection);

    QPointer<AppState> m_state;
    QPointer<ModelContext> m_context;
    SidebarModel *m_model;
    QListView *m_list;
    NewCollectionPopover *m_popover;
    Confirmer m_confirm;
    bool m_syncing = false;
    bool m_refreshing = false;
};
