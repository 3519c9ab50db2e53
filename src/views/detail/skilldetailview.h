#pragma once

#include "detailviewmode.h"
#include "modelcontext.h"
#include "skill.h"

#include <QPointer>
#include <QWidget>

class AppState;
class CapsuleBadge;
class ElidedLabel;

class QFrame;
class QStackedWidget;
class QToolButton;

class SkillCardView;
class SkillHealth;
class SkillEditorView;
class SkillHistoryView;
class SkillMetadataBar;

// The selected skill in the detail column: its card or its file in the
// editor, the metadata bar under it, and a header with its name, the
// card/editor switch, the favourite star and the reveal button.
class SkillDetailView final : public QWidget
{
    Q_OBJECT

public:
    SkillDetailView(
        Skill *skill, AppState *state, ModelContext *context, QWidget *parent = nullptr);

    Skill *skill() const { return m_skill; }
    // Shows another skill; the editor, when shown, loads its file.
    void setSkill(Skill *skill);

    // Switches presentation, asking first when the editor holds unsaved
    // edits; the picker switches at once, the card's Edit button fades.
    bool requestMode(DetailViewMode mode, bool animated);
    // True when nothing unsaved would be lost by leaving this skill.
    bool confirmLeave();

    QString title() const;
    SkillCardView *card() const { return m_card; }
    SkillEditorView *editor() const { return m_editor; }
    SkillMetadataBar *metadataBar() const { return m_bar; }
    QToolButton *cardButton() const { return m_cardButton; }
    QToolButton *editorButton() const { return m_editorButton; }
    QToolButton *historyButton() const { return m_historyButton; }
    SkillHistoryView *history() const { return m_history; }
    QToolButton *favoriteButton() const { return m_star; }
    QToolButton *revealButton() const { return m_reveal; }
    // "Modified" beside the title while the editor holds unsaved edits.
    bool modifiedBadgeVisible() const;
    CapsuleBadge *modifiedBadge() const { return m_modified; }

    void setHealth(SkillHealth *health);
    void toggleFavorite();
    void refreshArtifacts();

Q_SIGNALS:
    // The editor appeared or went away, or its unsaved state changed.
    void editorStateChanged();

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();
    void showMode(bool animated);
    void refreshHeader();

    QPointer<Skill> m_skill;
    AppState *m_state;
    QPointer<ModelContext> m_context;
    ElidedLabel *m_title;
    CapsuleBadge *m_modified;
    QFrame *m_picker = nullptr;
    QToolButton *m_cardButton;
    QToolButton *m_editorButton;
    QToolButton *m_historyButton;
    QToolButton *m_star;
    QToolButton *m_reveal;
    QStackedWidget *m_pages;
    SkillCardView *m_card;
    SkillEditorView *m_editor = nullptr;
    SkillHistoryView *m_history = nullptr;
    SkillMetadataBar *m_bar;
    bool m_animateNextSwitch = false;
    bool m_leaveAnswered = false; // this view already asked about unsaved edits
};
