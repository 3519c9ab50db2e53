#include "detailpane.h"

#include "appstate.h"
#include "skill.h"
#include "skilldetailview.h"
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
    auto *text = new QLabel(u"Choose a skill from the sidebar to view and edit it."_s, page);
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

void DetailPane::setHealth(SkillHealth *health)
{
    m_health = health;
    if (m_detail)
        m_detail->setHealth(health);
}

void DetailPane::follow(Skill *skill)
{
    if (m_following || (skill && skill == m_skill))
        return;
    // A skill that is being removed can no longer be returned to.
    if (m_skill && m_detail && !confirmLeave()) {
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
            m_detail, &SkillDetailView::editorStateChanged, this, &DetailPane::editorStateChanged);
        m_pages->addWidget(m_detail);
    } else {
        m_detail->setSkill(m_skill);
    }
    m_pages->setCurrentWidget(m_detail);
}
