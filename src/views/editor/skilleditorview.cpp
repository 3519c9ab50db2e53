#include "skilleditorview.h"

#include "cardstyle.h"
#include "editorfindbar.h"
#include "markdownhighlighter.h"
#include "skill.h"
#include "symbolicons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QColor modifiedOrange(255, 149, 0);
// About a thousand lines at once, then two thousand per slice.
constexpr qsizetype firstSliceChars = qsizetype(64) * 1024;
constexpr qsizetype sliceChars = qsizetype(128) * 1024;

} // namespace

SkillEditorView::SkillEditorView(Skill *skill, QWidget *parent)
    : QWidget(parent),
      m_document(new SkillDocument(this)),
      m_text(new QPlainTextEdit(this)),
      m_highlighter(new MarkdownHighlighter(m_text->document())),
      m_findBar(new EditorFindBar(m_text, this)),
      m_notice(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setContentsMargins(12, 6, 12, 6);
    m_notice->setAutoFillBackground(true);
    QPalette noticePalette = m_notice->palette();
    noticePalette.setColor(QPalette::Window, CardStyle::withAlpha(modifiedOrange, 0.15));
    m_notice->setPalette(noticePalette);
    m_notice->hide();
    layout->addWidget(m_notice);
    layout->addWidget(m_findBar);
    layout->addWidget(m_text, 1);

    // Sizes read as pixels, like the rest of the detail column.
    const qreal pointScale = 72.0 / std::max(1, m_text->logicalDpiY());
    m_highlighter->setTheme(MarkdownHighlighter::Theme::fromPalette(m_text->palette(), pointScale));
    m_text->setFont(MarkdownHighlighter::Theme::bodyFont(pointScale));
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setTabChangesFocus(false);
    m_text->document()->setDocumentMargin(12);
    m_text->setAccessibleName(u"Skill file text"_s);
    m_text->setTabStopDistance(QFontMetricsF(m_text->font()).horizontalAdvance(u' ') * 4);

    m_document->setAsker(
        [this](Question question, const QString &text) { return ask(question, text); });
    connect(m_document, &SkillDocument::loaded, this, &SkillEditorView::documentLoaded);
    connect(m_document, &SkillDocument::modifiedChanged, this, &SkillEditorView::modifiedChanged);
    connect(m_document, &SkillDocument::noticeChanged, this, &SkillEditorView::showNotice);
    connect(
        m_document, &SkillDocument::targetChanged, this, &SkillEditorView::saveAvailabilityChanged);
    connect(
        m_text->document(), &QTextDocument::contentsChanged, this, &SkillEditorView::textChanged);
    m_loadTimer.setInterval(0);
    connect(&m_loadTimer, &QTimer::timeout, this, &SkillEditorView::appendSlice);
    auto *next = new QShortcut(QKeySequence::FindNext, this, [this] { m_findBar->findNext(); });
    next->setContext(Qt::WidgetWithChildrenShortcut);
    auto *previous
        = new QShortcut(QKeySequence::FindPrevious, this, [this] { m_findBar->findPrevious(); });
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    setFocusProxy(m_text);
    setSkill(skill);
}

SkillEditorView::~SkillEditorView()
{
    // Children go in the order they were made: the file's document before the
    // text edit, which still reports changes on its way out.
    disconnect(m_text->document(), nullptr, this, nullptr);
}

void SkillEditorView::setSkill(Skill *skill)
{
    m_document->setSkill(skill);
}

QString SkillEditorView::documentText() const
{
    // Raw text keeps non-breaking spaces, which toPlainText() would turn into
    // plain ones; blocks are separated by U+2029 there. A file still being
    // shown counts whole.
    return m_text->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n') + m_pending;
}

void SkillEditorView::replaceText(const QString &text)
{
    // The caret stays with its text when the new text is the old one with a
    // stretch changed, as when another program edits the file.
    const QString old = documentText();
    stopLoading();
    const QTextCursor before = m_text->textCursor();
    m_restoreAnchor = SkillDocument::followEdit(old, text, before.anchor());
    m_restorePosition = SkillDocument::followEdit(old, text, before.position());
    m_restoreScroll = m_text->verticalScrollBar()->value();
    // A long file shows its first screens at once; the rest follows in
    // slices between events, so opening never freezes the window for long.
    qsizetype shown = text.size();
    if (text.size() > firstSliceChars) {
        shown = text.indexOf(u'\n', firstSliceChars);
        if (shown < 0)
            shown = text.size();
    }
    m_replacing = true;
    m_text->setPlainText(text.left(shown));
    m_replacing = false;
    m_pending = text.mid(shown);
    if (m_pending.isEmpty()) {
        restoreCaret();
        return;
    }
    m_text->setReadOnly(true);
    m_text->document()->setUndoRedoEnabled(false);
    m_loadTimer.start();
}

void SkillEditorView::appendSlice()
{
    qsizetype end = m_pending.indexOf(u'\n', sliceChars);
    if (end < 0)
        end = m_pending.size();
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    m_replacing = true;
    cursor.insertText(m_pending.left(end));
    m_replacing = false;
    m_pending.remove(0, end);
    if (m_pending.isEmpty()) {
        stopLoading();
        restoreCaret();
    }
}

void SkillEditorView::finishLoading()
{
    while (!m_pending.isEmpty())
        appendSlice();
}

void SkillEditorView::stopLoading()
{
    m_loadTimer.stop();
    m_pending.clear();
    if (m_text->isReadOnly()) {
        m_text->setReadOnly(false);
        m_text->document()->setUndoRedoEnabled(true);
    }
}

void SkillEditorView::restoreCaret()
{
    // The caret stays where it was, clamped to a shorter text.
    const int end = m_text->document()->characterCount() - 1;
    QTextCursor after(m_text->document());
    after.setPosition(std::min(m_restoreAnchor, end));
    after.setPosition(std::min(m_restorePosition, end), QTextCursor::KeepAnchor);
    m_text->setTextCursor(after);
    m_text->verticalScrollBar()->setValue(m_restoreScroll);
}

void SkillEditorView::loadContent()
{
    m_document->load();
}

void SkillEditorView::documentLoaded()
{
    // Styling follows the file's bytes, CRs included. Restyling the text
    // still shown is no edit.
    m_replacing = true;
    m_highlighter->setCrLfLineEnds(m_document->lineEndings() == LineEndings::Style::CrLf);
    m_highlighter->setCarriageReturnStandIn(m_document->crStandIn());
    m_replacing = false;
    replaceText(m_document->baseline());
    m_showingSaveError = false;
}

bool SkillEditorView::saveContent()
{
    if (!m_document->hasTarget())
        return false;
    finishLoading();
    const Result<bool> saved = m_document->save(documentText());
    if (!saved) {
        m_saveErrorMessage = saved.error().message;
        m_showingSaveError = true;
        if (m_alert)
            m_alert(u"Save Error"_s, m_saveErrorMessage);
        else
            QMessageBox::warning(this, u"Save Error"_s, m_saveErrorMessage);
        m_showingSaveError = false;
        return false;
    }
    return saved.value();
}

bool SkillEditorView::confirmLeave()
{
    if (!hasUnsavedChanges() || !m_document->hasTarget())
        return true;
    const QString question
        = u"Do you want to save the changes you made to %1?"_s.arg(m_document->name());
    switch (ask(Question::LeaveUnsaved, question)) {
    case Answer::Proceed:
        return saveContent();
    case Answer::Alternative:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

SkillEditorView::Answer SkillEditorView::ask(Question question, const QString &text)
{
    if (m_ask)
        return m_ask(question, text);
    QMessageBox box(this);
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    QAbstractButton *proceed = nullptr;
    QAbstractButton *alternative = nullptr;
    switch (question) {
    case Question::ReplaceUnreadable:
        box.setWindowTitle(u"Replace File?"_s);
        proceed = box.addButton(u"Replace"_s, QMessageBox::DestructiveRole);
        break;
    case Question::ChangedOnDisk:
        box.setWindowTitle(u"File Changed on Disk"_s);
        box.setInformativeText(u"Overwrite it with your text, or reload it and lose your edits?"_s);
        proceed = box.addButton(u"Overwrite"_s, QMessageBox::DestructiveRole);
        alternative = box.addButton(u"Reload"_s, QMessageBox::ResetRole);
        break;
    case Question::FileMoved:
        box.setWindowTitle(u"File Moved"_s);
        proceed = box.addButton(u"Save to New Location"_s, QMessageBox::AcceptRole);
        alternative = box.addButton(u"Save Where It Was"_s, QMessageBox::AcceptRole);
        break;
    case Question::LeaveUnsaved:
        box.setWindowTitle(u"Unsaved Changes"_s);
        box.setInformativeText(u"Your changes will be lost if you don't save them."_s);
        proceed = box.addButton(QMessageBox::Save);
        alternative = box.addButton(QMessageBox::Discard);
        break;
    }
    box.addButton(QMessageBox::Cancel);
    QAbstractButton *preferred
        = question == Question::LeaveUnsaved ? proceed : box.button(QMessageBox::Cancel);
    box.setDefaultButton(qobject_cast<QPushButton *>(preferred));
    box.exec();
    if (box.clickedButton() == proceed)
        return Answer::Proceed;
    if (alternative && box.clickedButton() == alternative)
        return Answer::Alternative;
    return Answer::Cancel;
}

QString SkillEditorView::editorContent() const
{
    return m_document->toFile(documentText());
}

QString SkillEditorView::fullFileContent() const
{
    return m_document->toFile(m_document->baseline());
}

QString SkillEditorView::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

void SkillEditorView::showFind()
{
    m_findBar->open();
}

std::optional<SaveAction> SkillEditorView::saveAction() const
{
    if (!m_document->hasTarget())
        return std::nullopt;
    const QPointer<SkillEditorView> self(const_cast<SkillEditorView *>(this));
    return SaveAction { [self] {
        if (self)
            self->saveContent();
    } };
}

void SkillEditorView::textChanged()
{
    if (m_replacing)
        return;
    // The length settles most keystrokes without copying a long text.
    const qsizetype length = m_text->document()->characterCount() - 1 + m_pending.size();
    const QString baseline = m_document->baseline();
    m_document->setModified(length != baseline.size() || documentText() != baseline);
}

void SkillEditorView::modifiedChanged(bool modified)
{
    Q_EMIT unsavedChangesChanged(modified);
}

void SkillEditorView::showNotice()
{
    m_notice->setText(m_document->notice());
    m_notice->setVisible(!m_document->notice().isEmpty());
}
