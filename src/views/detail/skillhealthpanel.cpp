#include "skillhealthpanel.h"

#include "skill.h"
#include "skillhealth.h"
#include "symbolicons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QIcon iconFor(HealthFinding::Severity severity)
{
    switch (severity) {
    case HealthFinding::Severity::Error:
        return SymbolIcons::icon(u"xmark.octagon.fill"_s, QColor(0xE0, 0x3E, 0x3E));
    case HealthFinding::Severity::Warning:
        return SymbolIcons::icon(u"exclamationmark.triangle.fill"_s, QColor(0xF0, 0x8C, 0x00));
    case HealthFinding::Severity::Note:
        break;
    }
    return SymbolIcons::icon(u"info.circle.fill"_s);
}

QWidget *line(const QIcon &icon, const QString &severity, const QString &sentence,
    const QString &fix, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins({});
    auto *mark = new QLabel(row);
    const int edge = row->fontMetrics().height();
    mark->setPixmap(icon.pixmap(QSize(edge, edge), row->devicePixelRatioF()));
    mark->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    mark->setAccessibleName(severity);
    layout->addWidget(mark, 0, Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto *text = new QLabel(sentence, row);
    text->setObjectName(u"healthSentence"_s);
    text->setTextFormat(Qt::PlainText); // names and paths are shown as they are
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    texts->addWidget(text);
    if (!fix.isEmpty()) {
        auto *remedy = new QLabel(fix, row);
        remedy->setObjectName(u"healthFix"_s);
        remedy->setTextFormat(Qt::PlainText);
        remedy->setWordWrap(true);
        remedy->setForegroundRole(QPalette::PlaceholderText);
        QFont font = remedy->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        remedy->setFont(font);
        texts->addWidget(remedy);
    }
    texts->addStretch(1); // spare height below the fix, not between the two
    layout->addLayout(texts, 1);
    return row;
}

} // namespace

SkillHealthPanel::SkillHealthPanel(SkillHealth *health, QWidget *parent)
    : QGroupBox(u"Health"_s, parent), m_health(health), m_lines(new QVBoxLayout(this))
{
    setObjectName(u"skillHealthPanel"_s);
    if (health)
        connect(health, &SkillHealth::changed, this, &SkillHealthPanel::rebuild);
    rebuild();
}

Skill *SkillHealthPanel::skill() const
{
    return m_skill;
}

void SkillHealthPanel::setSkill(Skill *skill)
{
    if (m_skill == skill)
        return;
    m_skill = skill;
    rebuild();
}

int SkillHealthPanel::lineCount() const
{
    return m_lines->count();
}

void SkillHealthPanel::rebuild()
{
    while (QLayoutItem *item = m_lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<HealthFinding> findings
        = m_health && m_skill ? m_health->findings(m_skill) : QList<HealthFinding>();
    if (findings.isEmpty()) {
        m_lines->addWidget(
            line(SymbolIcons::icon(u"checkmark"_s), u"ok"_s, u"No problems found."_s, {}, this));
        return;
    }
    for (const HealthFinding &finding : findings)
        m_lines->addWidget(line(iconFor(finding.severity),
            HealthFinding::severityName(finding.severity), finding.sentence, finding.fix, this));
}
