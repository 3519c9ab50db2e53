#include "newcollectionpopover.h"

#include "modelcontext.h"
#include "popupplacement.h"
#include "skillcollection.h"
#include "storesaver.h"
#include "symbolicons.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int popoverWidth = 240;
constexpr int cellEdge = 28;
constexpr int columns = 6;

} // namespace

const QStringList &NewCollectionPopover::availableIcons()
{
    // clang-format off
    static const QStringList icons = {
        u"folder"_s,   u"star"_s,      u"bookmark"_s, u"tag"_s,    u"tray"_s,       u"archivebox"_s,
        u"doc.text"_s, u"gearshape"_s, u"wrench"_s,   u"hammer"_s, u"paintbrush"_s, u"wand.and.stars"_s,
        u"terminal"_s, u"network"_s,   u"globe"_s,    u"bolt"_s,   u"flame"_s,      u"leaf"_s,
    };
    // clang-format on
    return icons;
}

NewCollectionPopover::NewCollectionPopover(ModelContext *context, QWidget *parent)
    : QFrame(parent, Qt::Popup),
      m_context(context),
      m_name(new QLineEdit(this)),
      m_error(new QLabel(this)),
      m_grid(new QWidget(this)),
      m_icons(new QButtonGroup(this)),
      m_create(new QPushButton(u"Create"_s, this)),
      m_icon(availableIcons().constFirst())
{
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(popoverWidth);

    m_name->setPlaceholderText(u"Collection name"_s);
    m_name->setClearButtonEnabled(false);
    m_error->setObjectName(u"collectionNameError"_s);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    m_error->hide();
    QPalette errorPalette = m_error->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(0xd7, 0x30, 0x2a));
    m_error->setPalette(errorPalette);

    auto *cells = new QGridLayout(m_grid);
    cells->setContentsMargins(0, 0, 0, 0);
    cells->setVerticalSpacing(8);
    cells->setHorizontalSpacing(4);
    cells->setAlignment(Qt::AlignHCenter);
    m_icons->setExclusive(true);
    const QStringList &icons = availableIcons();
    for (int i = 0; i < icons.size(); ++i) {
        auto *cell = new QToolButton(m_grid);
        cell->setObjectName(icons.at(i));
        cell->setToolTip(icons.at(i));
        cell->setAccessibleName(icons.at(i));
        cell->setIcon(SymbolIcons::icon(icons.at(i)));
        cell->setIconSize(QSize(16, 16));
        cell->setFixedSize(cellEdge, cellEdge);
        cell->setCheckable(true);
        cell->setAutoRaise(true);
        cell->setFocusPolicy(Qt::StrongFocus);
        cell->setChecked(icons.at(i) == m_icon);
        m_icons->addButton(cell, i);
        cells->addWidget(cell, i / columns, i % columns);
    }
    connect(m_icons, &QButtonGroup::idClicked, this,
        [this](int id) { chooseIcon(availableIcons().at(id)); });

    auto *cancel = new QPushButton(u"Cancel"_s, this);
    // Outside a dialog a default button would not fire anyway; say so, so
    // Return in the name field can never create.
    cancel->setAutoDefault(false);
    m_create->setAutoDefault(false);
    m_create->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(m_create);

    auto *stack = new QVBoxLayout(this);
    stack->setSpacing(12);
    stack->addWidget(m_name);
    stack->addWidget(m_error);
    stack->addWidget(m_grid, 0, Qt::AlignHCenter);
    stack->addLayout(buttons);

    // A name of spaces only is a name; only an empty field disables Create.
    connect(m_name, &QLineEdit::textChanged, this, &NewCollectionPopover::checkName);
    connect(cancel, &QPushButton::clicked, this, &NewCollectionPopover::cancel);
    connect(m_create, &QPushButton::clicked, this, &NewCollectionPopover::create);
    updateHighlight();
}

QString NewCollectionPopover::collectionName() const
{
    return m_name->text();
}

QString NewCollectionPopover::errorText() const
{
    return m_error->isHidden() ? QString() : m_error->text();
}

void NewCollectionPopover::checkName()
{
    const QString name = m_name->text();
    // The store keeps one collection per name; creating a second would
    // silently hand back the first, so the form says so instead.
    const bool taken = !name.isEmpty() && m_context && m_context->collectionByName(name);
    m_error->setText(taken ? u"A collection named %1 already exists"_s.arg(name) : QString());
    m_error->setVisible(taken);
    m_create->setEnabled(!name.isEmpty() && !taken);
    if (isVisible())
        adjustSize();
}

void NewCollectionPopover::openAt(const QRect &anchor)
{
    checkName(); // collections may have come and gone since it was last open
    adjustSize();
    move(PopupPlacement::topLeft(size(), anchor, PopupPlacement::roomFor(parentWidget(), anchor)));
    show();
    m_name->setFocus(Qt::PopupFocusReason);
}

void NewCollectionPopover::create()
{
    const QString name = m_name->text();
    checkName();
    if (name.isEmpty() || !m_context || !m_create->isEnabled()) {
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Taken names give back the existing collection with its members.
    const Result<SkillCollection *> made = SkillCollection::create(*m_context, name, m_icon);
    if (!made)
        StoreSaver::of(m_context)->report(made.error());
    m_name->clear();
    close();
    Q_EMIT createRequested();
}

void NewCollectionPopover::cancel()
{
    close();
}

void NewCollectionPopover::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        cancel();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept(); // ends the edit, nothing more
        return;
    }
    QFrame::keyPressEvent(event);
}

void NewCollectionPopover::showEvent(QShowEvent *event)
{
    updateHighlight(); // the accent may have changed with the theme while closed
    QFrame::showEvent(event);
}

void NewCollectionPopover::chooseIcon(const QString &icon)
{
    m_icon = icon;
    if (QAbstractButton *cell = m_icons->button(int(availableIcons().indexOf(icon))))
        cell->setChecked(true);
}

void NewCollectionPopover::updateHighlight()
{
    QColor accent = palette().color(QPalette::Active, QPalette::Highlight);
    accent.setAlphaF(0.2F);
    const QString sheet
        = u"QToolButton { border: none; border-radius: 4px; background: transparent; }"
          "QToolButton:checked { background: %1; }"
          "QToolButton:focus { border: 1px solid %2; }"_s.arg(accent.name(QColor::HexArgb),
              palette().color(QPalette::Active, QPalette::Highlight).name());
    if (m_grid->styleSheet() != sheet)
        m_grid->setStyleSheet(sheet);
}
