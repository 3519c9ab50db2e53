#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class QLabel;
class QStackedWidget;
class Skill;

// The detail column: the placeholder while nothing is selected, otherwise
// the selected skill.
class DetailPane final : public QWidget
{
    Q_OBJECT

public:
    explicit DetailPane(AppState *state, QWidget *parent = nullptr);

    bool showsPlaceholder() const;

private:
    void follow(Skill *skill);
    void refresh();

    AppState *m_state;
    QPointer<Skill> m_skill;
    QStackedWidget *m_pages;
    QLabel *m_name;
    QLabel *m_path;
};
