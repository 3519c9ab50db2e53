#include "loadedbypanel.h"

#include "skill.h"
#include "skillhealth.h"
#include "toolicon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

LoadedByPanel::LoadedByPanel(SkillHealth *health, QWidget *parent)
    : QWidget(parent), m_health(health), m_lines(new QVBoxLayout(this))
{
    setObjectName(u"loadedByPanel"_s);
    m_lines->setContentsMargins({});
    m_lines->setSpacing(6);
    if (health)
        connect(health, &SkillHealth::changed, this, &LoadedByPanel::rebuild);
    rebuild();
}

void LoadedByPanel::setSkill(Skill *skill)
{
    if (m_skill == skill)
        return;
    m_skill = skill;
    rebuild();
}

QStringList LoadedByPanel::lines() const
{
    QStringList texts;
    for (const QLabel *label : findChildren<QLabel *>(u"loadedByLine"_s))
        texts.append(label->text());
    return texts;
}

void LoadedByPanel::rebuild()
{
    while (QLayoutItem *item = m_lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<HarnessLoad> loads
        = m_health && m_skill ? m_health->loadedBy(m_skill) : QList<HarnessLoad>();
    if (loads.isEmpty()) {
        auto *none = new QLabel(u"No harness reads files in this place."_s, this);
        none->setObjectName(u"loadedByLine"_s);
        none->setForegroundRole(QPalette::PlaceholderText);
        m_lines->addWidget(none);
        return;
    }
    for (const HarnessLoad &load : loads) {
        auto *row = new QWidget(this);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins({});
        const int edge = row->fontMetrics().height();
        layout->addWidget(new ToolIcon(load.tool, edge, row), 0, Qt::AlignTop);
        // A project file and a global one can both reach the same harness.
        const QString scope = load.scope == HarnessScope::Project ? u" (project)"_s : QString();
        auto *text
            = new QLabel(ToolSources::displayName(load.tool) + scope + u": "_s + load.words(), row);
        text->setObjectName(u"loadedByLine"_s);
        text->setTextFormat(Qt::PlainText); // paths and globs are shown as they are
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        if (load.status != LoadStatus::Loaded)
            text->setForegroundRole(QPalette::PlaceholderText);
        layout->addWidget(text, 1);
        m_lines->addWidget(row);
    }
}
