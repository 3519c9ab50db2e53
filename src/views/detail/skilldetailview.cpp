#include "skilldetailview.h"

#include "appstate.h"
#include "capsulebadge.h"
#include "cardstyle.h"
#include "elidedlabel.h"
#include "filerevealer.h"
#include "modelcontext.h"
#include "skill.h"
#include "skillcardview.h"
#include "skilleditorview.h"
#include "skillhistoryview.h"
#include "skillmetadatabar.h"
#include "storesaver.h"
#include "symbolicons.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPropertyAnimation>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QColor starYellow(255, 204, 0);
const QColor modifiedOrange(255, 149, 0);
constexpr int fadeMilliseconds = 120;

// A plain 1-pixel rule in the palette's divider colour; the style's sunken
// lines take the palette's light role, which is white in many dark palettes.
QFrame *rule(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(u"rule"_s);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    return line;
}

QToolButton *headerButton(const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setIconSize(QSize(15, 15));
    return button;
}

} // namespace

SkillDetailView::SkillDetailView(
    Skill *skill, AppState *state, ModelContext *context, QWidget *parent)
    : QWidget(parent),
      m_state(state),
      m_context(context),
      m_title(new ElidedLabel(this)),
      m_modified(new CapsuleBadge(u"Modified"_s, modifiedOrange, modifiedOrange, this)),
      m_cardButton(headerButton(u"Switch between card and editor view"_s, this)),
      m_editorButton(headerButton(u"Switch between card and editor view"_s, this)),
      m_historyButton(headerButton(u"History"_s, this)),
      m_star(headerButton(u"Add to favorites"_s, this)),
      m_reveal(headerButton(FileRevealer::actionText(), this)),
      m_pages(new QStackedWidget(this)),
      m_card(new SkillCardView(skill, state, m_pages)),
      m_bar(new SkillMetadataBar(skill, context, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(16, 6, 10, 6);
    header->setSpacing(6);
    m_title->setObjectName(u"title"_s);
    m_title->setFont(CardStyle::font(13, QFont::DemiBold));
    // As wide as the name needs, so "Modified" sits right beside it.
    m_title->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    header->addWidget(m_title);
    m_modified->setFont(CardStyle::font(11, QFont::Medium));
    m_modified->setPadding(8, 2);
    m_modified->setToolTip(u"The editor holds changes that are not saved"_s);
    m_modified->hide();
    header->addWidget(m_modified);
    header->addStretch(1);

    // A segmented picker (card, editor or history) drawn as one control.
    m_picker = new QFrame(this);
    m_picker->setObjectName(u"viewPicker"_s);
    m_picker->setFixedWidth(120);
    m_picker->setAccessibleName(u"View"_s);
    m_picker->setToolTip(u"Switch between card and editor view"_s);
    auto *pickerLayout = new QHBoxLayout(m_picker);
    pickerLayout->setContentsMargins(2, 2, 2, 2);
    pickerLayout->setSpacing(2);
    auto *segments = new QButtonGroup(this);
    m_cardButton->setAccessibleName(u"Card"_s);
    m_cardButton->setToolTip(u"Card: the skill at a glance"_s);
    m_editorButton->setAccessibleName(u"Editor"_s);
    m_editorButton->setToolTip(u"Editor: the whole file, to change"_s);
    m_historyButton->setAccessibleName(u"History"_s);
    m_historyButton->setToolTip(u"History: every version of the file, to compare and restore"_s);
    for (QToolButton *segment : { m_cardButton, m_editorButton, m_historyButton }) {
        segment->setCheckable(true);
        segment->setAutoRaise(false);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segments->addButton(segment);
        pickerLayout->addWidget(segment);
    }
    connect(m_cardButton, &QToolButton::clicked, this, [this] {
        if (!requestMode(DetailViewMode::Card, false))
            m_editorButton->setChecked(true);
    });
    connect(m_editorButton, &QToolButton::clicked, this,
        [this] { requestMode(DetailViewMode::Editor, false); });
    connect(m_historyButton, &QToolButton::clicked, this, [this] {
        if (!requestMode(DetailViewMode::History, false))
            m_editorButton->setChecked(true);
    });
    header->addWidget(m_picker);

    connect(m_star, &QToolButton::clicked, this, &SkillDetailView::toggleFavorite);
    header->addWidget(m_star);
    connect(m_reveal, &QToolButton::clicked, this, [this] {
        if (m_skill)
            FileRevealer::reveal(m_skill->filePath(), this);
    });
    header->addWidget(m_reveal);
    layout->addLayout(header);

    layout->addWidget(rule(this));
    m_pages->addWidget(m_card);
    layout->addWidget(m_pages, 1);
    layout->addWidget(rule(this));
    layout->addWidget(m_bar);

    connect(m_card, &SkillCardView::editRequested, this,
        [this] { requestMode(DetailViewMode::Editor, true); });
    connect(m_state, &AppState::detailViewModeChanged, this,
        [this] { showMode(std::exchange(m_animateNextSwitch, false)); });
    connect(this, &SkillDetailView::editorStateChanged, this,
        [this] { m_modified->setVisible(m_editor && m_editor->hasUnsavedChanges()); });
    restyle();
    setSkill(skill);
    showMode(false);
}

bool SkillDetailView::modifiedBadgeVisible() const
{
    return !m_modified->isHidden();
}

void SkillDetailView::restyle()
{
    const QPalette colors = palette();
    const QColor secondary = CardStyle::secondaryText(colors);
    const QColor primary = colors.color(QPalette::Text);
    // The chosen segment stands out: filled, and its symbol in the text colour.
    const auto segmentIcon = [&](const QString &symbol) {
        QIcon icon;
        const QSize edge(15, 15);
        icon.addPixmap(
            SymbolIcons::icon(symbol, secondary).pixmap(edge), QIcon::Normal, QIcon::Off);
        icon.addPixmap(SymbolIcons::icon(symbol, primary).pixmap(edge), QIcon::Normal, QIcon::On);
        return icon;
    };
    m_cardButton->setIcon(segmentIcon(u"rectangle.portrait.fill"_s));
    m_historyButton->setIcon(segmentIcon(u"clock.fill"_s));
    m_editorButton->setIcon(segmentIcon(u"pencil"_s));
    const QColor frame = CardStyle::divider(colors);
    const QColor chosen
        = CardStyle::blended(CardStyle::withAlpha(colors.color(QPalette::Highlight), 0.28),
            colors.color(QPalette::Base));
    const QColor hover = CardStyle::tinted(colors, 0.08);
    m_picker->setStyleSheet(
        u"QFrame#viewPicker { border: 1px solid %1; border-radius: 6px; background: %2; }"
        u"QFrame#viewPicker QToolButton { border: none; border-radius: 4px; padding: 2px; }"
        u"QFrame#viewPicker QToolButton:hover:!checked { background: %3; }"
        u"QFrame#viewPicker QToolButton:checked { background: %4; }"_s.arg(
            frame.name(), colors.color(QPalette::Base).name(), hover.name(), chosen.name()));
    m_reveal->setIcon(SymbolIcons::icon(u"folder.fill"_s, secondary));
    m_modified->setTextColor(CardStyle::badgeText(modifiedOrange, 0.2, colors));
    m_modified->setFill(CardStyle::withAlpha(modifiedOrange, 0.2));
    for (QFrame *line : findChildren<QFrame *>(u"rule"_s, Qt::FindDirectChildrenOnly)) {
        QPalette linePalette = line->palette();
        linePalette.setColor(QPalette::WindowText, CardStyle::divider(colors));
        line->setPalette(linePalette);
    }
    refreshHeader();
}

void SkillDetailView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_picker)
        restyle();
}

void SkillDetailView::setSkill(Skill *skill)
{
    if (m_skill && m_skill != skill)
        disconnect(m_skill, nullptr, this, nullptr);
    m_skill = skill;
    if (m_skill) {
        connect(m_skill, &Skill::nameChanged, this, &SkillDetailView::refreshHeader,
            Qt::UniqueConnection);
        connect(m_skill, &Skill::isFavoriteChanged, this, &SkillDetailView::refreshHeader,
            Qt::UniqueConnection);
    }
    m_card->setSkill(skill);
    m_bar->setSkill(skill);
    if (m_editor && m_editor->skill() != skill)
        m_editor->setSkill(skill);
    if (m_history)
        m_history->setSkill(skill);
    refreshHeader();
}

QString SkillDetailView::title() const
{
    return m_title->text();
}

void SkillDetailView::refreshHeader()
{
    if (!m_skill)
        return;
    m_title->setText(m_skill->name());
    const bool favorite = m_skill->isFavorite();
    m_star->setIcon(favorite ? SymbolIcons::icon(u"star.fill"_s, starYellow)
                             : SymbolIcons::icon(u"star"_s, CardStyle::secondaryText(palette())));
    const QString tip = favorite ? u"Remove from favorites"_s : u"Add to favorites"_s;
    m_star->setToolTip(tip);
    m_star->setAccessibleName(tip);
}

void SkillDetailView::setHealth(SkillHealth *health)
{
    m_card->setHealth(health);
}

void SkillDetailView::toggleFavorite()
{
    if (!m_skill)
        return;
    m_skill->setIsFavorite(!m_skill->isFavorite());
    // A failure is shown with Retry; the record keeps the new value meanwhile.
    if (m_context)
        StoreSaver::of(m_context)->save();
}

bool SkillDetailView::requestMode(DetailViewMode mode, bool animated)
{
    if (mode == m_state->detailViewMode())
        return true;
    if (mode != DetailViewMode::Editor && !confirmLeave())
        return false;
    m_leaveAnswered = mode != DetailViewMode::Editor;
    m_animateNextSwitch = animated;
    m_state->setDetailViewMode(mode);
    return true;
}

bool SkillDetailView::confirmLeave()
{
    return !m_editor || m_editor->confirmLeave();
}

void SkillDetailView::refreshArtifacts()
{
    m_card->refreshArtifacts();
}

void SkillDetailView::showMode(bool animated)
{
    const bool editing = m_state->detailViewMode() == DetailViewMode::Editor;
    // Every window shares the mode: another window may have switched it while
    // this editor holds edits. Staying puts the editor back, in every window.
    if (!editing && m_editor && !std::exchange(m_leaveAnswered, false)
        && !m_editor->confirmLeave()) {
        m_state->setDetailViewMode(DetailViewMode::Editor);
        return;
    }
    m_leaveAnswered = false;
    const bool history = m_state->detailViewMode() == DetailViewMode::History;
    m_cardButton->setChecked(!editing && !history);
    m_editorButton->setChecked(editing);
    m_historyButton->setChecked(history);
    QWidget *shown = m_card;
    if (history) {
        if (!m_history) {
            m_history = new SkillHistoryView(m_skill, m_context, m_pages);
            m_pages->addWidget(m_history);
        }
        m_history->reload(); // the file may have changed while another page showed
        shown = m_history;
    }
    if (editing) {
        if (!m_editor) {
            m_editor = new SkillEditorView(m_skill, m_pages);
            connect(m_editor, &SkillEditorView::unsavedChangesChanged, this,
                &SkillDetailView::editorStateChanged);
            connect(m_editor, &SkillEditorView::saveAvailabilityChanged, this,
                &SkillDetailView::editorStateChanged);
            m_pages->addWidget(m_editor);
        }
        shown = m_editor;
    } else if (m_editor) {
        // Leaving the editor discards its state; the caller asked about unsaved edits.
        m_pages->removeWidget(m_editor);
        m_editor->deleteLater();
        m_editor = nullptr;
    }
    m_pages->setCurrentWidget(shown);
    Q_EMIT editorStateChanged();
    if (editing && m_editor && isVisible())
        m_editor->setFocus(Qt::OtherFocusReason);
    if (!animated)
        return;
    auto *effect = new QGraphicsOpacityEffect(shown);
    shown->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", shown);
    fade->setDuration(fadeMilliseconds);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setEasingCurve(QEasingCurve::InOutQuad);
    // The effect goes when the fade ends: it would slow every later repaint.
    connect(
        fade, &QPropertyAnimation::finished, shown, [shown] { shown->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
