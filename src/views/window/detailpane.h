#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class ModelContext;
class QStackedWidget;
class Skill;
class SkillDetailView;
class SkillHealth;

// The detail column: the placeholder while nothing is selected, otherwise
// the selected skill. Moving the selection away from unsaved edits asks
// first, and puts the selection back when the user stays. A skill the store
// removes is never shown or selected again; unsaved edits of it stay in the
// editor until they are saved or dropped.
class DetailPane final : public QWidget
{
    Q_OBJECT

public:
    DetailPane(AppState *state, ModelContext *context, QWidget *parent = nullptr);

    bool showsPlaceholder() const;
    SkillDetailView *detailView() const { return m_detail; }
    // True when nothing unsaved would be lost by closing.
    bool confirmLeave();
    // The findings the card shows in its "Health" group.
    void setHealth(SkillHealth *health);
    // The name of the skill shown, empty under the placeholder.
    QString shownName() const;
    bool hasUnsavedEdits() const;

Q_SIGNALS:
    void editorStateChanged();

private:
    void follow(Skill *skill);
    void skillsRemoved(const QList<Skill *> &skills);
    void release();
    void editorStateChange();

    AppState *m_state;
    ModelContext *m_context;
    QPointer<Skill> m_skill;
    QStackedWidget *m_pages;
    SkillDetailView *m_detail = nullptr;
    SkillHealth *m_health = nullptr;
    bool m_following = false;
};
