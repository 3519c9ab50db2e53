#include "detailpane.h"

#include "appstate.h"
#include "modelcontext.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilldocument.h"
#include "skilleditorview.h"
#include "symbolicons.h"

#include <QLabel>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget *makePlaceholder(QWidget *parent)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->addStretch();
    auto *icon = new QLabel(page);
    icon->setPixmap(SymbolIcons::icon(u"doc.text"_s).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    icon->setEnabled(false);
    auto *title = new QLabel(u"Select a Skill"_s, page);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(u"Choose a skill from the list"_s, page);
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    text->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(icon);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addStretch();
    return page;
}

} // namespace

DetailPane::DetailPane(AppState *state, ModelContext *context, QWidget *parent)
    : QWidget(parent), m_state(state), m_context(context), m_pages(new QStackedWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    m_pages->addWidget(makePlaceholder(m_pages));

    // Before the list hears of it, so the selection is not moved away from
    // a removed skill as if the user had asked.
    if (m_context)
        connect(m_context, &ModelContext::skillsRemoved, this, &DetailPane::skillsRemoved);
    connect(m_state, &AppState::selectedSkillChanged, this,
        [this] { follow(m_state->selectedSkill()); });
    follow(m_state->selectedSkill());
}

bool DetailPane::showsPlaceholder() const
{
    return m_pages->currentIndex() == 0;
}

bool DetailPane::confirmLeave()
{
    return !m_detail || m_detail->confirmLeave();
}

QString DetailPane::shownName() const
{
    return showsPlaceholder() || !m_detail ? QString() : m_detail->title();
}

bool DetailPane::hasUnsavedEdits() const
{
    return m_detail && m_detail->editor() && m_detail->editor()->hasUnsavedChanges();
}

void DetailPane::setHealth(SkillHealth *health)
{
    m_health = health;
    if (m_detail)
        m_detail->setHealth(health);
}

void DetailPane::skillsRemoved(const QList<Skill *> &skills)
{
    if (m_skill && skills.contains(m_skill))
        release();
}

void DetailPane::release()
{
    Skill *gone = m_skill;
    m_skill = nullptr;
    SkillEditorView *editor = m_detail ? m_detail->editor() : nullptr;
    if (editor)
        editor->document()->releaseSkill();
    if (m_state->selectedSkill() == gone) {
        const QScopedValueRollback guard(m_following, true);
        m_state->setSelectedSkill(nullptr);
    }
    // Unsaved text stays on screen, saying where saving writes it.
    if (editor && editor->document()->isOrphaned())
        return;
    m_pages->setCurrentIndex(0);
    if (m_detail)
        m_detail->setSkill(nullptr);
}

void DetailPane::editorStateChange()
{
    // Text of a removed skill was the only thing shown; once the editor goes,
    // nothing is.
    if (!m_skill && m_detail && !m_detail->editor())
        m_pages->setCurrentIndex(0);
    Q_EMIT editorStateChanged();
}

void DetailPane::follow(Skill *skill)
{
    if (m_following || skill == m_skill)
        return;
    // The store let go of the skill shown; whoever moved the selection may
    // have heard of it first.
    if (m_skill && !SkillDocument::isInStore(m_skill)) {
        release();
        if (!skill)
            return;
    }
    if (hasUnsavedEdits()) {
        // The edited skill stays selected while the person decides, so the
        // list does not claim a choice that has not been made yet.
        const QPointer<Skill> wanted = skill;
        const QScopedValueRollback guard(m_following, true);
        m_state->setSelectedSkill(m_skill);
        if (!confirmLeave())
            return;
        skill = wanted;
        m_state->setSelectedSkill(skill);
    } else if (m_detail && !confirmLeave()) {
        const QScopedValueRollback guard(m_following, true);
        m_state->setSelectedSkill(m_skill);
        return;
    }
    m_skill = skill;
    if (!m_skill) {
        m_pages->setCurrentIndex(0);
        if (m_detail)
            m_detail->setSkill(nullptr);
        return;
    }
    if (!m_detail) {
        m_detail = new SkillDetailView(m_skill, m_state, m_context, m_pages);
        m_detail->setHealth(m_health);
        connect(
            m_detail, &SkillDetailView::editorStateChanged, this, &DetailPane::editorStateChange);
        m_pages->addWidget(m_detail);
    } else {
        m_detail->setSkill(m_skill);
    }
    m_pages->setCurrentWidget(m_detail);
}
