#include "detailpane.h"

#include "appstate.h"
#include "skill.h"
#include "symbolicons.h"

#include <QLabel>
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

DetailPane::DetailPane(AppState *state, QWidget *parent)
    : QWidget(parent), m_state(state), m_pages(new QStackedWidget(this)), m_name(new QLabel(this)),
      m_path(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    m_pages->addWidget(makePlaceholder(m_pages));

    // Until the card and the editor arrive, the selection shows its name and file.
    auto *summary = new QWidget(m_pages);
    auto *summaryLayout = new QVBoxLayout(summary);
    QFont nameFont = m_name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    nameFont.setWeight(QFont::DemiBold);
    m_name->setFont(nameFont);
    m_name->setWordWrap(true);
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setWordWrap(true);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setForegroundRole(QPalette::PlaceholderText);
    m_name->setParent(summary);
    m_path->setParent(summary);
    summaryLayout->addWidget(m_name);
    summaryLayout->addWidget(m_path);
    summaryLayout->addStretch();
    m_pages->addWidget(summary);

    connect(m_state, &AppState::selectedSkillChanged, this, [this] { follow(m_state->selectedSkill()); });
    follow(m_state->selectedSkill());
}

bool DetailPane::showsPlaceholder() const
{
    return m_pages->currentIndex() == 0;
}

void DetailPane::follow(Skill *skill)
{
    if (m_skill)
        disconnect(m_skill, nullptr, this, nullptr);
    m_skill = skill;
    if (m_skill) {
        connect(m_skill, &Skill::nameChanged, this, &DetailPane::refresh);
        connect(m_skill, &Skill::filePathChanged, this, &DetailPane::refresh);
        connect(m_skill, &QObject::destroyed, this, [this] {
            m_skill = nullptr;
            refresh();
        });
    }
    refresh();
}

void DetailPane::refresh()
{
    if (!m_skill) {
        m_pages->setCurrentIndex(0);
        return;
    }
    m_name->setText(m_skill->name());
    m_path->setText(m_skill->filePath());
    m_pages->setCurrentIndex(1);
}
