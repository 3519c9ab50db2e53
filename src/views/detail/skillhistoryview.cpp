#include "skillhistoryview.h"

#include "cardstyle.h"
#include "metadatatexts.h"
#include "modelcontext.h"
#include "skill.h"
#include "skillfile.h"
#include "versiondiff.h"
#include "versionrestore.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QTextCharFormat lineFormat(VersionDiff::Line::Kind kind)
{
    QTextCharFormat format;
    switch (kind) {
    case VersionDiff::Line::Removed:
        format.setBackground(QColor(255, 0, 0, 40));
        break;
    case VersionDiff::Line::Added:
        format.setBackground(QColor(0, 200, 0, 40));
        break;
    case VersionDiff::Line::Hunk:
    case VersionDiff::Line::NoNewline:
        format.setForeground(CardStyle::secondaryText());
        break;
    case VersionDiff::Line::Context:
        break;
    }
    return format;
}

QTextCharFormat wordFormat(VersionDiff::Line::Kind kind)
{
    QTextCharFormat format = lineFormat(kind);
    format.setBackground(
        kind == VersionDiff::Line::Removed ? QColor(255, 0, 0, 110) : QColor(0, 200, 0, 110));
    format.setFontWeight(QFont::Bold);
    return format;
}

} // namespace

SkillHistoryView::SkillHistoryView(Skill *skill, ModelContext *context, QWidget *parent)
    : QWidget(parent),
      m_context(context),
      m_heading(new QLabel(this)),
      m_list(new QListWidget(this)),
      m_diff(new QTextEdit(this)),
      m_restore(new QPushButton(u"Restore this version"_s, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    m_heading->setWordWrap(true);
    m_heading->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_heading);

    auto *split = new QSplitter(Qt::Vertical, this);
    m_list->setAccessibleName(u"Versions"_s);
    split->addWidget(m_list);
    m_diff->setReadOnly(true);
    m_diff->setLineWrapMode(QTextEdit::NoWrap);
    m_diff->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_diff->setAccessibleName(u"Difference to the current text"_s);
    split->addWidget(m_diff);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_restore);
    layout->addLayout(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, &SkillHistoryView::showSelected);
    connect(m_restore, &QPushButton::clicked, this, &SkillHistoryView::restoreSelected);
    if (m_context) {
        // Versions arrive with saves of this window and merges of others'.
        connect(
            m_context, &ModelContext::skillsChanged, this, [this](const QList<Skill *> &skills) {
                if (m_skill && skills.contains(m_skill.data()))
                    reload();
            });
    }
    setSkill(skill);
}

void SkillHistoryView::setSkill(Skill *skill)
{
    m_skill = skill;
    m_path = skill ? skill->resolvedPath() : QString();
    reload();
}

void SkillHistoryView::setRemovedFile(const QString &path)
{
    m_skill = nullptr;
    m_path = path;
    reload();
}

void SkillHistoryView::reload()
{
    const qint64 selected = m_list->currentRow() >= 0 && m_list->currentRow() < m_versions.size()
        ? m_versions.at(m_list->currentRow()).id
        : 0;
    m_versions.clear();
    if (m_context && !m_path.isEmpty()) {
        const auto versions = m_context->history().versions(m_path);
        if (versions)
            m_versions = versions.value();
    }
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    int row = 0;
    for (int i = 0; i < m_versions.size(); ++i) {
        const SkillVersion &version = m_versions.at(i);
        auto *item = new QListWidgetItem(u"%1 · %2"_s.arg(SkillHistory::sourceText(version.source),
                                             MetadataTexts::ageText(version.time, now)),
            m_list);
        item->setToolTip(
            u"Version %1, %2, %3"_s.arg(version.id)
                .arg(QLocale().toString(version.time.toLocalTime(), QLocale::LongFormat),
                    MetadataTexts::sizeText(version.size)));
        if (version.id == selected)
            row = i;
    }
    m_heading->setText(m_versions.isEmpty()
            ? u"No earlier versions: the text has not changed since Quire first read it."_s
            : m_skill ? u"Versions of this skill's file, newest first."_s
                      : u"%1 is gone. Its versions, newest first."_s.arg(m_path));
    if (!m_versions.isEmpty())
        m_list->setCurrentRow(row);
    showSelected();
}

QString SkillHistoryView::currentText() const
{
    const SkillFile::Loaded disk = SkillFile::load(m_path);
    if (disk.text)
        return disk.text.value();
    return {}; // gone: every line of a version is one to bring back
}

void SkillHistoryView::showSelected()
{
    const int row = m_list->currentRow();
    m_restore->setEnabled(row >= 0 && row < m_versions.size());
    m_diff->clear();
    if (!m_context || row < 0 || row >= m_versions.size())
        return;
    const auto text = m_context->history().text(m_versions.at(row).id);
    if (!text) {
        m_diff->setPlainText(text.error().message);
        return;
    }
    const QList<VersionDiff::Line> lines = VersionDiff::lines(text.value(), currentText());
    if (lines.isEmpty()) {
        m_diff->setPlainText(u"This version is the current text."_s);
        m_restore->setEnabled(false);
        return;
    }
    QTextCursor cursor(m_diff->document());
    for (int i = 0; i < lines.size(); ++i) {
        const VersionDiff::Line &line = lines.at(i);
        if (i > 0)
            cursor.insertBlock();
        const QString mark = line.kind == VersionDiff::Line::Removed ? u"-"_s
            : line.kind == VersionDiff::Line::Added                  ? u"+"_s
            : line.kind == VersionDiff::Line::Context                ? u" "_s
                                                                     : QString();
        cursor.insertText(mark + line.text, lineFormat(line.kind));
    }
    // Changed words: a removed line and the added line in the same place.
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i).kind != VersionDiff::Line::Removed)
            continue;
        int removedEnd = i;
        while (removedEnd < lines.size() && lines.at(removedEnd).kind == VersionDiff::Line::Removed)
            ++removedEnd;
        int addedEnd = removedEnd;
        while (addedEnd < lines.size() && lines.at(addedEnd).kind == VersionDiff::Line::Added)
            ++addedEnd;
        for (int k = 0; k < removedEnd - i && removedEnd + k < addedEnd; ++k) {
            const auto [gone, come]
                = VersionDiff::changedWords(lines.at(i + k).text, lines.at(removedEnd + k).text);
            auto paint = [this](int blockNumber, const QList<VersionDiff::Span> &spans,
                             VersionDiff::Line::Kind kind) {
                const QTextBlock block = m_diff->document()->findBlockByNumber(blockNumber);
                for (const VersionDiff::Span &span : spans) {
                    QTextCursor word(block);
                    word.setPosition(block.position() + 1 + int(span.start));
                    word.setPosition(block.position() + 1 + int(span.start + span.length),
                        QTextCursor::KeepAnchor);
                    word.setCharFormat(wordFormat(kind));
                }
            };
            paint(i + k, gone, VersionDiff::Line::Removed);
            paint(removedEnd + k, come, VersionDiff::Line::Added);
        }
        i = addedEnd - 1;
    }
    m_diff->moveCursor(QTextCursor::Start);
}

bool SkillHistoryView::restoreSelected()
{
    const int row = m_list->currentRow();
    if (!m_context || row < 0 || row >= m_versions.size())
        return false;
    const qint64 id = m_versions.at(row).id;
    Status status = VersionRestore::restore(*m_context, m_path, id);
    if (!status && status.error().code == Error::Conflict) {
        const auto answer = QMessageBox::question(this, u"Restore this version"_s,
            u"%1\n\nRestore anyway? The text on disk is kept in the history first."_s.arg(
                status.error().message),
            QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Yes)
            return false;
        status = VersionRestore::restore(
            *m_context, m_path, id, VersionRestore::Mode::KeepChangedAndRestore);
    }
    if (!status) {
        QMessageBox::warning(this, u"Restore this version"_s, status.error().message);
        reload();
        return false;
    }
    reload();
    Q_EMIT restored(m_path);
    return true;
}
