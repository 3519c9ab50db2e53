#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class ModelContext;
class QLabel;
class QListView;
class QMenu;
class Skill;
class SkillFilterModel;
class SkillHealth;
class SkillRowDelegate;
class SkillListModel;

// The middle column: the skills the sidebar filter and the search select,
// one row each. Its selection is AppState::selectedSkill both ways; a
// selected skill that the filter hides stays selected in AppState.
class SkillListView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillListView)

public:
    SkillListView(AppState *state, ModelContext *context, QWidget *parent = nullptr);
    ~SkillListView() override;

    SkillListModel *model() const { return m_model; }
    SkillFilterModel *filterModel() const { return m_filter; }
    QListView *list() const { return m_list; }
    QLabel *title() const { return m_title; }
    // "6 of 97" while a search narrows the list, otherwise empty.
    QLabel *count() const { return m_count; }
    QWidget *emptyState() const { return m_emptyState; }

    // The context menu of a skill's row. The caller owns it.
    QMenu *menuFor(Skill *skill);

    // Marks rows with errors or warnings and answers the "Needs attention" filter.
    void setHealth(SkillHealth *health);
    // Where discovery looks, for the list to say so when it found nothing.
    void setSearchedPlaces(const QStringList &places);
    // While a scan runs the header says so, with how far it has got.
    void setScanProgress(bool scanning, int filesSeen = 0, int expected = 0);
    QLabel *scanNote() const { return m_scanNote; }

Q_SIGNALS:
    // Return on a row: the skill is to be opened in the editor.
    void openRequested();
    // Space on a row: card and editor swap.
    void toggleRequested();
    // The buttons of the empty store's placeholder.
    void newSkillRequested();
    void addFolderRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeEmptyState();
    void updateQuery();
    void updateEmptyState();
    void updateCount();
    void modelChanging();
    void modelChanged();
    void syncSelection();
    void userSelected();
    void showMenu(const QPoint &pos);

    QPointer<AppState> m_state;
    QPointer<ModelContext> m_context;
    SkillListModel *m_model;
    SkillFilterModel *m_filter;
    QLabel *m_title;
    QLabel *m_count;
    QListView *m_list;
    SkillRowDelegate *m_delegate;
    QPointer<SkillHealth> m_health;
    // Set by makeEmptyState() while m_emptyState is initialised, so declared before it.
    QLabel *m_emptyHeading;
    QLabel *m_emptyText;
    QWidget *m_emptyButtons;
    QWidget *m_emptyState;
    QLabel *m_scanNote = nullptr;
    QStringList m_searchedPlaces;
    bool m_scanning = false;
    bool m_syncing = false;
    bool m_modelChanging = false;
};
