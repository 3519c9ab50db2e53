#pragma once

#include <QGroupBox>
#include <QPointer>

class QVBoxLayout;
class Skill;
class SkillHealth;

// The "Health" group of a skill's card: one line per finding, an icon for
// its severity, the sentence and the fix in a few words. Follows the
// findings as scans and saves change them.
class SkillHealthPanel final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillHealthPanel)

public:
    explicit SkillHealthPanel(SkillHealth *health, QWidget *parent = nullptr);

    Skill *skill() const;
    void setSkill(Skill *skill);
    // Lines shown, the "No problems found." line included.
    int lineCount() const;

private:
    void rebuild();

    QPointer<SkillHealth> m_health;
    QPointer<Skill> m_skill;
    QVBoxLayout *m_lines;
};
