#pragma once

#include "toolsource.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QTabWidget;
class QTreeWidget;
class ModelContext;
class SettingsStore;
class Updater;

// The settings window: the default harness for new skills, the custom scan
// directories, and About with the update check. Lists are read from the
// settings each time the window is shown, so a terminal's changes show up.
class SettingsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsView)

public:
    enum class Tab { General, Directories, About };
    // The folder the user chose, or empty when they cancelled.
    using FolderChooser = std::function<QString(QWidget *parent)>;

    SettingsView(SettingsStore *settings, Updater *updater, QWidget *parent = nullptr);

    void showTab(Tab tab);
    Tab currentTab() const;
    QStringList customPaths() const { return m_customPaths; }
    // What went wrong with the settings file, shown under the directory list;
    // empty when all is well.
    QString message() const;
    ToolSource defaultTool() const;
    QString versionLine() const;

    // The platform's folder panel unless replaced (tests replace it).
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void addDirectory();
    void removeDirectory(const QString &path);
    // The version history's cap and the space it uses, on the General tab.
    void setStore(ModelContext *store);
    void showHistorySpace();
    QLabel *historySpace() const { return m_historySpace; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildGeneral();
    QWidget *buildDirectories();
    QWidget *buildAbout();
    void reload();
    void fillList();
    void updatePaths(const std::function<bool(QStringList &stored)> &change);
    void showMessage(const QString &message);
    void checkForUpdates();
    void restyle();

    SettingsStore *m_settings;
    Updater *m_updater;
    QTabWidget *m_tabs;
    QComboBox *m_defaultTool = nullptr;
    QComboBox *m_appearance = nullptr;
    QTreeWidget *m_list = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_historySpace = nullptr;
    QPointer<ModelContext> m_store;
    QLabel *m_version = nullptr;
    QStringList m_customPaths;
    FolderChooser m_chooseFolder;
};
