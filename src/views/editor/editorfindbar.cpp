#include "editorfindbar.h"

#include "symbolicons.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

using namespace Qt::StringLiterals;

EditorFindBar::EditorFindBar(QPlainTextEdit *editor, QWidget *parent)
    : QWidget(parent), m_editor(editor), m_field(new QLineEdit(this)), m_status(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(6);
    m_field->setPlaceholderText(u"Find in file"_s);
    m_field->setClearButtonEnabled(true);
    m_field->setAccessibleName(u"Find in file"_s);
    layout->addWidget(m_field, 1);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_status);
    const auto button = [this, layout](const QString &text, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        // A screen reader would read the arrow glyph; it gets the tip's words.
        b->setAccessibleName(tip.section(u" ("_s, 0, 0));
        b->setAutoRaise(true);
        layout->addWidget(b);
        return b;
    };
    connect(button(u"‹"_s, u"Previous match (Shift+Return)"_s), &QToolButton::clicked, this,
        &EditorFindBar::findPrevious);
    connect(button(u"›"_s, u"Next match (Return)"_s), &QToolButton::clicked, this,
        &EditorFindBar::findNext);
    connect(
        button(u"Done"_s, u"Close (Escape)"_s), &QToolButton::clicked, this, &EditorFindBar::close);
    connect(m_field, &QLineEdit::textEdited, this, [this] { updateStatus(find(false, true)); });
    setFocusProxy(m_field);
    hide();
}

void EditorFindBar::open()
{
    const QString selected = m_editor->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_field->setText(selected);
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void EditorFindBar::close()
{
    hide();
    m_status->clear();
    m_editor->setFocus(Qt::OtherFocusReason);
}

bool EditorFindBar::findNext()
{
    const bool found = find(false, false);
    updateStatus(found);
    return found;
}

bool EditorFindBar::findPrevious()
{
    const bool found = find(true, false);
    updateStatus(found);
    return found;
}

QString EditorFindBar::statusText() const
{
    return m_status->text();
}

bool EditorFindBar::find(bool backward, bool fromSelectionStart)
{
    const QString needle = m_field->text();
    if (needle.isEmpty())
        return false;
    QTextDocument *document = m_editor->document();
    QTextCursor from = m_editor->textCursor();
    // Typing more letters grows the current match rather than jumping past it.
    if (fromSelectionStart)
        from.setPosition(from.selectionStart());
    const QTextDocument::FindFlags flags
        = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor match = document->find(needle, from, flags);
    if (match.isNull()) {
        QTextCursor wrap(document);
        if (backward)
            wrap.movePosition(QTextCursor::End);
        match = document->find(needle, wrap, flags);
    }
    if (match.isNull())
        return false;
    m_editor->setTextCursor(match);
    m_editor->ensureCursorVisible();
    return true;
}

void EditorFindBar::updateStatus(bool found)
{
    m_status->setText(found || m_field->text().isEmpty() ? QString() : u"Not found"_s);
}

void EditorFindBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::ShiftModifier)
            findPrevious();
        else
            findNext();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
