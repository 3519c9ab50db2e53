#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class ModelContext;
class NewCollectionPopover;
class QListView;
class QMenu;
class QModelIndex;
class SidebarModel;
class SkillHealth;

// The first column: which skills the list shows. Its selection is
// AppState::sidebarFilter and nothing else; it writes the filter only when
// the user picks a row.
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

private:
    void syncSelection();
    void selectFilterRow(bool moveCurrent);
    void userSelected();
    void rowClicked(const QModelIndex &index);
    QWidget *makeFooter();

    QPointer<AppState> m_state;
    QPointer<ModelContext> m_context;
    SidebarModel *m_model;
    QListView *m_list;
    NewCollectionPopover *m_popover;
    bool m_syncing = false;
    bool m_refreshing = false;
};
