#pragma once

#include "toolsource.h"

#include <QDialog>
#include <QPointer>

class AppState;
class ModelContext;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SettingsStore;

// The sheet in which the user names a new skill and picks its tool. Create
// makes it (SkillCreator), selects it and closes; a failure stays open with
// the message in red, keeping what was typed.
class NewSkillSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewSkillSheet)

public:
    NewSkillSheet(
        AppState *state, ModelContext *context, ToolSource initialTool, QWidget *parent = nullptr);

    // Wires a window's "New Skill" action and AppState's showingNewSkillSheet
    // to sheets over that window: the window whose action was used shows the
    // sheet, and the flag is true exactly while a sheet is open.
    static void attach(QWidget *window, QAction *newSkill, AppState *state, ModelContext *context,
        SettingsStore *settings);
    // The sheet open over window, if any.
    static NewSkillSheet *openOver(const QWidget *window);

    QLineEdit *nameField() const { return m_name; }
    QComboBox *toolPicker() const { return m_tool; }
    QPushButton *createButton() const { return m_create; }
    QString errorMessage() const;
    ToolSource selectedTool() const;

    void create();

private:
    void showError(const QString &message);

    AppState *m_state;
    QPointer<ModelContext> m_context;
    QLineEdit *m_name;
    QComboBox *m_tool;
    QLabel *m_error;
    QPushButton *m_create;
};
