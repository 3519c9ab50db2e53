#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Find inside the editor's text: searches as the user types, Return and
// Shift+Return step through the matches, wrapping at either end; Escape
// closes the bar and gives the focus back to the text.
class EditorFindBar final : public QWidget
{
    Q_OBJECT

public:
    explicit EditorFindBar(QPlainTextEdit *editor, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    // Shows the bar with the selected text, if any, as the search.
    void open();
    void close();
    bool findNext();
    bool findPrevious();
    QString statusText() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool find(bool backward, bool fromSelectionStart);
    void updateStatus(bool found);

    QPlainTextEdit *m_editor;
    QLineEdit *m_field;
    QLabel *m_status;
};
