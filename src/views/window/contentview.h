#pragma once

#include "detailviewmode.h"

#include <QMainWindow>

class AppState;
class CheckForUpdatesViewModel;
class DetailPane;
class DiscoverySession;
class MessageBar;
class ModelContext;
class QAction;
class QLineEdit;
class QSplitter;
class SaveActionSlot;
class SettingsStore;
class SidebarView;
class SkillListView;
class Updater;

// The main window: sidebar, skill list and detail in three columns, the
// search field, the menus, and the window's own discovery.
class ContentView final : public QMainWindow
{
    Q_OBJECT

public:
    ContentView(AppState *state, ModelContext *context, SettingsStore *settings, Updater *updater,
        QWidget *parent = nullptr);
    ~ContentView() override;

    DiscoverySession *discovery() const { return m_discovery; }
    SaveActionSlot *saveActionSlot() const { return m_saveSlot; }
    QAction *saveAction() const { return m_save; }
    QAction *checkForUpdatesAction() const { return m_checkForUpdates; }
    QAction *newSkillAction() const { return m_newSkill; }
    QAction *sidebarAction() const { return m_toggleSidebar; }
    QAction *favoriteAction() const { return m_favorite; }
    SkillListView *listView() const { return m_list; }
    QLineEdit *searchField() const { return m_search; }
    DetailPane *detailPane() const { return m_detail; }
    MessageBar *messageBar() const { return m_messageBar; }

    // Looks again at what the focused widget offers to save; a source calls
    // this when its offer changes while it keeps the focus.
    void refreshSaveAction();

Q_SIGNALS:
    void newWindowRequested();
    void preferencesRequested();
    void aboutRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus(Updater *updater);
    void buildViewMenu();
    bool searchKey(int key);
    void setSidebarVisible(bool visible);
    void showDetailMode(DetailViewMode mode);
    void updateTitle();
    void updateSearchedPlaces();
    void addProjectsFolder();
    void restoreLayout();
    void saveLayout() const;

    AppState *m_state;
    SettingsStore *m_settings;
    DiscoverySession *m_discovery;
    SaveActionSlot *m_saveSlot;
    CheckForUpdatesViewModel *m_updatesModel = nullptr;
    QSplitter *m_columns;
    QLineEdit *m_search;
    SidebarView *m_sidebar = nullptr;
    SkillListView *m_list = nullptr;
    DetailPane *m_detail;
    MessageBar *m_messageBar = nullptr;
    QAction *m_save = nullptr;
    QAction *m_checkForUpdates = nullptr;
    QAction *m_newSkill = nullptr;
    QAction *m_toggleSidebar = nullptr;
    QAction *m_favorite = nullptr;
    QMetaObject::Connection m_focusWatch;
    bool m_setUpWhenExposed = false;
};
