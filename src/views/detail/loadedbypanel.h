#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;
class Skill;
class SkillHealth;

// The "Loaded by" lines of a skill's card: one per harness that reads the
// file's place, with its icon, and whether and how it loads the file, in
// words. Follows the checks as scans and saves change what is around it.
class LoadedByPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoadedByPanel)

public:
    explicit LoadedByPanel(SkillHealth *health, QWidget *parent = nullptr);

    void setSkill(Skill *skill);
    // The lines as shown, "Harness: words", for tests and screen readers.
    QStringList lines() const;

private:
    void rebuild();

    QPointer<SkillHealth> m_health;
    QPointer<Skill> m_skill;
    QVBoxLayout *m_lines;
};
