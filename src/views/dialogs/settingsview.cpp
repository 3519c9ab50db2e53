#include "settingsview.h"

#include "appearance.h"
#include "buildinfo.h"
#include "cardstyle.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "symbolicons.h"
#include "updater.h"
#include "updateresultdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int PathRole = Qt::UserRole;

// The label hierarchy of the platform: secondary, tertiary and quaternary text
// are the window text at falling strengths, but never below what reads.
void fade(QWidget *widget, double alpha)
{
    widget->setProperty("fade", alpha);
    QPalette palette = widget->palette();
    const QPalette window = widget->parentWidget() ? widget->parentWidget()->palette() : palette;
    palette.setColor(QPalette::WindowText,
        CardStyle::readable(CardStyle::withAlpha(window.color(QPalette::WindowText), alpha),
            window.color(QPalette::Window), CardStyle::textContrast));
    widget->setPalette(palette);
}

QLabel *sizedLabel(const QString &text, double scale, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QString chooseWithPanel(QWidget *parent)
{
    return QFileDialog::getExistingDirectory(
        parent, u"Add directory"_s, QDir::homePath(), QFileDialog::ShowDirsOnly);
}

} // namespace

SettingsView::SettingsView(SettingsStore *settings, Updater *updater, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_settings(settings),
      m_updater(updater),
      m_tabs(new QTabWidget(this)),
      m_chooseFolder(chooseWithPanel)
{
    setWindowTitle(u"Quire Settings"_s);
    m_tabs->setFixedSize(480, 320);
    m_tabs->addTab(buildGeneral(), SymbolIcons::icon(u"gearshape.fill"_s), u"General"_s);
    m_tabs->addTab(buildDirectories(), SymbolIcons::icon(u"folder.fill"_s), u"Directories"_s);
    m_tabs->addTab(buildAbout(), SymbolIcons::icon(u"info.circle.fill"_s), u"About"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_tabs);

    if (m_updater) {
        connect(m_updater, &Updater::answered, this,
            [this](QObject *asker, const UpdateCheckResult &result) {
                if (asker == this) // not a check another window asked for
                    UpdateResultDialog::show(this, result);
            });
    }
    reload();
}

QWidget *SettingsView::buildGeneral()
{
    auto *page = new QWidget(m_tabs);
    auto *form = new QFormLayout(page);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_defaultTool = new QComboBox(page);
    for (ToolSource tool : ToolSources::all)
        m_defaultTool->addItem(ToolSources::displayName(tool), ToolSources::rawValue(tool));
    form->addRow(u"Default harness for new skills"_s, m_defaultTool);
    auto *hint
        = sizedLabel(u"The New Skill sheet and the quire new command start with this tool; you can "
                     "still pick another each time."_s,
            0.85, false, page);
    hint->setTextFormat(Qt::PlainText);
    hint->setWordWrap(true);
    fade(hint, 0.7);
    form->addRow(hint);
    connect(m_defaultTool, &QComboBox::activated, this, [this] {
        if (m_settings)
            m_settings->setDefaultTool(defaultTool());
    });
    m_historySpace = new QLabel(page);
    m_historySpace->setWordWrap(true);
    m_historySpace->setTextFormat(Qt::PlainText);
    form->addRow(u"Version history"_s, m_historySpace);
    showHistorySpace();

    m_appearance = new QComboBox(page);
    m_appearance->setObjectName(u"appearance"_s);
    m_appearance->addItem(u"Light"_s, Appearance::name(Appearance::Scheme::Light));
    m_appearance->addItem(u"Dark"_s, Appearance::name(Appearance::Scheme::Dark));
    m_appearance->addItem(u"System"_s, Appearance::name(Appearance::Scheme::System));
    form->addRow(u"Appearance"_s, m_appearance);
    connect(m_appearance, &QComboBox::activated, this, [this] {
        const QString name = m_appearance->currentData().toString();
        if (m_settings)
            m_settings->setValue(Appearance::settingsKey(), name);
        Appearance::apply(Appearance::fromName(name).value_or(Appearance::Scheme::System));
    });
    return page;
}

void SettingsView::setStore(ModelContext *store)
{
    m_store = store;
    showHistorySpace();
}

void SettingsView::showHistorySpace()
{
    if (!m_historySpace)
        return;
    const qint64 cap = m_store ? m_store->historyCap() : SkillHistory::defaultCapBytes;
    const auto used = m_store ? m_store->history().spaceUsed() : Result<qint64>(0);
    const QString size = QLocale().formattedDataSize(cap, 0, QLocale::DataSizeTraditionalFormat);
    m_historySpace->setText(
        u"Every version for %1 days, then one a day for a year, up to %2. Uses %3."_s.arg(
            QString::number(SkillHistory::keepEveryDays), size,
            used ? QLocale().formattedDataSize(used.value(), 1, QLocale::DataSizeTraditionalFormat)
                 : used.error().message));
}

QWidget *SettingsView::buildDirectories()
{
    auto *page = new QWidget(m_tabs);
    auto *column = new QVBoxLayout(page);
    column->setSpacing(12);

    auto *headline = sizedLabel(u"Custom scan directories"_s, 1.0, true, page);
    auto *caption = sizedLabel(u"Add a parent directory (e.g. ~/Development) and Quire will scan "
                               "each project inside it for tool-specific skills."_s,
        0.85, false, page);
    caption->setWordWrap(true);
    fade(caption, 0.7);

    m_list = new QTreeWidget(page);
    m_list->setObjectName(u"customPaths"_s);
    m_list->setAccessibleName(u"Custom scan directories"_s);
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setMinimumHeight(120);
    m_list->setIconSize(QSize(11, 11));
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_list->header()->resizeSection(1, 28);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *add = new QPushButton(u"Add directory..."_s, page);
    connect(add, &QPushButton::clicked, this, &SettingsView::addDirectory);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch(1);

    m_message = new QLabel(page);
    m_message->setObjectName(u"settingsMessage"_s);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warning = m_message->palette();
    warning.setColor(QPalette::WindowText, CardStyle::errorText(warning));
    m_message->setPalette(warning);
    m_message->hide();
    if (m_settings) {
        connect(m_settings, &SettingsStore::warning, this, &SettingsView::showMessage);
        // An open window follows a change made in a terminal, as well as its own.
        connect(m_settings, &SettingsStore::customScanPathsChanged, this, [this] {
            if (isVisible())
                reload();
        });
    }

    column->addWidget(headline);
    column->addWidget(caption);
    column->addWidget(m_list, 1);
    column->addWidget(m_message);
    column->addLayout(buttons);
    return page;
}

QWidget *SettingsView::buildAbout()
{
    auto *page = new QWidget(m_tabs);
    auto *column = new QVBoxLayout(page);
    column->setSpacing(14);
    column->addStretch(1);

    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) {
        auto *icon = new QLabel(page);
        icon->setPixmap(appIcon.pixmap(64, 64));
        icon->setFixedSize(64, 64);
        column->addWidget(icon, 0, Qt::AlignHCenter);
    }
    auto *name = sizedLabel(u"Quire"_s, 1.55, true, page);
    auto *tagline = sizedLabel(u"Your AI skillbook"_s, 0.92, false, page);
    fade(tagline, 0.7);
    m_version = sizedLabel(versionLine(), 0.85, false, page);
    m_version->setObjectName(u"version"_s);
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fade(m_version, 0.55);
    for (QLabel *label : { name, tagline, m_version })
        column->addWidget(label, 0, Qt::AlignHCenter);

    auto *check = new QPushButton(u"Check for updates"_s, page);
    auto *website = new QPushButton(u"Website"_s, page);
    for (QPushButton *button : { check, website }) {
        QFont small = button->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        button->setFont(small);
        button->setAutoDefault(false);
    }
    connect(check, &QPushButton::clicked, this, &SettingsView::checkForUpdates);
    connect(website, &QPushButton::clicked, this,
        [] { QDesktopServices::openUrl(QUrl(BuildInfo::websiteUrl())); });
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    buttons->addWidget(check);
    buttons->addWidget(website);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto *credit = sizedLabel(u"Made by "_s + BuildInfo::maker(), 0.77, false, page);
    fade(credit, 0.45);
    column->addWidget(credit, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

void SettingsView::showTab(Tab tab)
{
    m_tabs->setCurrentIndex(int(tab));
}

SettingsView::Tab SettingsView::currentTab() const
{
    return Tab(m_tabs->currentIndex());
}

ToolSource SettingsView::defaultTool() const
{
    return ToolSources::fromRaw(m_defaultTool->currentData().toString())
        .value_or(ToolSource::Claude);
}

QString SettingsView::versionLine() const
{
    return u"v"_s
        + BuildInfo::versionText(QCoreApplication::applicationVersion(), BuildInfo::buildNumber());
}

void SettingsView::showEvent(QShowEvent *event)
{
    reload();
    QWidget::showEvent(event);
}

void SettingsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Another appearance: the faded and red texts are derived again, once
    // every child has the new palette.
    if (event->type() == QEvent::PaletteChange && m_message)
        QMetaObject::invokeMethod(this, &SettingsView::restyle, Qt::QueuedConnection);
}

void SettingsView::restyle()
{
    const QList<QWidget *> faded = findChildren<QWidget *>();
    for (QWidget *widget : faded) {
        if (const QVariant alpha = widget->property("fade"); alpha.isValid()) {
            widget->setPalette(QPalette());
            fade(widget, alpha.toDouble());
        }
    }
    m_message->setPalette(QPalette());
    QPalette warning = m_message->palette();
    warning.setColor(QPalette::WindowText, CardStyle::errorText(warning));
    m_message->setPalette(warning);
    fillList();
}

void SettingsView::keyPressEvent(QKeyEvent *event)
{
    // A settings window closes on Escape like any dialog; Delete removes the selected row.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && m_list->hasFocus()
        && m_list->currentItem()) {
        removeDirectory(m_list->currentItem()->data(0, PathRole).toString());
        return;
    }
    QWidget::keyPressEvent(event);
}

QString SettingsView::message() const
{
    return m_message->text();
}

void SettingsView::showMessage(const QString &message)
{
    const QString shown = m_message->text();
    if (shown.split(u'\n').contains(message))
        return;
    m_message->setText(shown.isEmpty() ? message : shown + u'\n' + message);
    m_message->show();
}

void SettingsView::reload()
{
    m_message->clear();
    m_message->hide();
    if (m_settings) {
        // A file that cannot be read shows as an empty list with the reason;
        // adding and removing refuse then, so the list in it is not wiped.
        const auto stored = m_settings->readCustomScanPaths();
        m_customPaths = stored ? stored.value() : QStringList();
        if (!stored)
            showMessage(stored.error().message);
    }
    const ToolSource tool = m_settings ? m_settings->defaultTool() : ToolSource::Claude;
    m_defaultTool->setCurrentIndex(m_defaultTool->findData(ToolSources::rawValue(tool)));
    m_appearance->setCurrentIndex(
        m_appearance->findData(Appearance::name(Appearance::stored(m_settings))));
    fillList();
}

void SettingsView::fillList()
{
    m_list->clear();
    const QIcon folder
        = SymbolIcons::icon(u"folder.fill"_s, palette().color(QPalette::PlaceholderText));
    const QIcon minus
        = SymbolIcons::icon(u"minus.circle.fill"_s, CardStyle::errorText(m_list->palette()));
    for (const QString &path : std::as_const(m_customPaths)) {
        auto *row = new QTreeWidgetItem(m_list);
        row->setText(0, path);
        row->setToolTip(0, path);
        row->setIcon(0, folder);
        row->setData(0, PathRole, path);
        auto *remove = new QToolButton(m_list);
        remove->setAutoRaise(true);
        remove->setIcon(minus);
        remove->setIconSize(QSize(12, 12));
        remove->setToolTip(u"Remove"_s);
        remove->setAccessibleName(u"Remove %1"_s.arg(path));
        remove->setCursor(Qt::PointingHandCursor);
        // Queued: refilling the list deletes this button, which must not happen inside its click.
        connect(
            remove, &QToolButton::clicked, this, [this, path] { removeDirectory(path); },
            Qt::QueuedConnection);
        m_list->setItemWidget(row, 1, remove);
    }
}

void SettingsView::updatePaths(const std::function<bool(QStringList &stored)> &change)
{
    if (!m_settings) {
        change(m_customPaths);
        fillList();
        return;
    }
    // The change applies to the file as it is now, not to this window's copy:
    // a terminal may have changed the list since the window was shown.
    const auto written = m_settings->updateCustomScanPaths(change);
    if (!written) {
        reload();
        showMessage(written.error().message);
        return;
    }
    reload();
}

void SettingsView::addDirectory()
{
    const QString chosen = m_chooseFolder ? m_chooseFolder(this) : QString();
    if (chosen.isEmpty() || m_customPaths.contains(chosen))
        return;
    updatePaths([&chosen](QStringList &stored) {
        if (stored.contains(chosen))
            return false;
        stored.append(chosen);
        return true;
    });
}

void SettingsView::removeDirectory(const QString &path)
{
    // The list is written and announced even when the row was already gone,
    // so every window rescans against what is stored now.
    updatePaths([&path](QStringList &stored) {
        stored.removeAll(path);
        return true;
    });
}

void SettingsView::checkForUpdates()
{
    if (!m_updater)
        return;
    m_updater->requestCheck(this);
}
