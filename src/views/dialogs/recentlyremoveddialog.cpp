#include "recentlyremoveddialog.h"

#include "metadatatexts.h"
#include "modelcontext.h"
#include "skillhistoryview.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QSplitter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A skill folder's SKILL.md is known by its folder's name.
QString displayName(const QString &path)
{
    const QFileInfo info(path);
    if (info.fileName() == u"SKILL.md"_s || info.fileName() == u"AGENTS.md"_s)
        return info.dir().dirName();
    return info.completeBaseName();
}

} // namespace

RecentlyRemovedDialog::RecentlyRemovedDialog(ModelContext *context, QWidget *parent)
    : QDialog(parent),
      m_context(context),
      m_files(new QListWidget(this)),
      m_history(new SkillHistoryView(nullptr, context, this))
{
    setWindowTitle(u"Recently removed"_s);
    resize(820, 520);
    auto *layout = new QVBoxLayout(this);
    auto *split = new QSplitter(this);
    m_files->setAccessibleName(u"Removed skills"_s);
    split->addWidget(m_files);
    split->addWidget(m_history);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_files, &QListWidget::currentRowChanged, this, [this](int row) {
        m_history->setRemovedFile(
            row >= 0 && row < m_removed.size() ? m_removed.at(row).path : QString());
    });
    // A restored file is no longer removed; its record comes with the next scan.
    connect(m_history, &SkillHistoryView::restored, this, &RecentlyRemovedDialog::reload);
    reload();
}

void RecentlyRemovedDialog::reload()
{
    m_removed.clear();
    if (m_context) {
        const auto removed = m_context->history().removedFiles();
        if (removed)
            m_removed = removed.value();
    }
    // Restored files stay listed until a scan brings their records back.
    QList<SkillVersion> gone;
    for (const SkillVersion &version : std::as_const(m_removed)) {
        if (!QFileInfo::exists(version.path))
            gone.append(version);
    }
    m_removed = gone;
    const QSignalBlocker blocker(m_files);
    m_files->clear();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const SkillVersion &version : std::as_const(m_removed)) {
        auto *item = new QListWidgetItem(
            u"%1\n%2"_s.arg(displayName(version.path), MetadataTexts::ageText(version.time, now)),
            m_files);
        item->setToolTip(version.path);
    }
    m_files->setCurrentRow(m_removed.isEmpty() ? -1 : 0);
    m_history->setRemovedFile(m_removed.isEmpty() ? QString() : m_removed.first().path);
}
