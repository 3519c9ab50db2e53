#pragma once

#include "skill.h"
#include "skillartifact.h"

#include <QPointer>
#include <QScrollArea>

class AppState;
class ElidedLabel;
class QLabel;
class SkillHealth;
class LoadedByPanel;
class SkillHealthPanel;
class QHBoxLayout;
class QVBoxLayout;

// The read-only page about one skill: its badges, name and description, the
// extra frontmatter, the supporting files by kind and the start of its body.
class SkillCardView final : public QScrollArea
{
    Q_OBJECT

public:
    SkillCardView(Skill *skill, AppState *state, QWidget *parent = nullptr);

    Skill *skill() const { return m_skill; }
    void setSkill(Skill *skill);
    // The scanner refreshes the artifact lists without touching the record.
    void refreshArtifacts();
    // Shows the skill's findings in a "Health" group under the header.
    void setHealth(SkillHealth *health);
    SkillHealthPanel *healthPanel() const { return m_healthPanel; }
    LoadedByPanel *loadedByPanel() const { return m_loadedByPanel; }

    // For tests: the parts as shown.
    QWidget *metadataSection() const { return m_metadata; }
    QWidget *resourcesSection() const { return m_resources; }
    QString previewText() const;
    QString resourceCountText() const;
    QWidget *editButton() const { return m_edit; }
    // A place under the header for panels that other parts of the window add.
    QVBoxLayout *extraSections() const { return m_extra; }

protected:
    void changeEvent(QEvent *event) override;

Q_SIGNALS:
    // The Edit button; the detail column switches to the editor with a fade.
    void editRequested();

private:
    void restyle();
    void scheduleRefresh();
    void refresh();
    void rebuildHeader();
    void rebuildMetadata();
    void rebuildResources(const QList<SkillArtifact> &artifacts);
    // Rebuilds the resources when the cached list is not the one shown; true when rebuilt.
    bool updateResources();

    QPointer<Skill> m_skill;
    AppState *m_state;
    QWidget *m_page;
    QVBoxLayout *m_layout;
    QWidget *m_header = nullptr;
    QWidget *m_metadata = nullptr;
    QWidget *m_resources = nullptr;
    QVBoxLayout *m_headerSlot = nullptr;
    QVBoxLayout *m_extra = nullptr;
    QVBoxLayout *m_metadataSlot = nullptr;
    QVBoxLayout *m_resourcesSlot = nullptr;
    QHBoxLayout *m_contentTitle = nullptr;
    QLabel *m_preview = nullptr;
    SkillHealthPanel *m_healthPanel = nullptr;
    LoadedByPanel *m_loadedByPanel = nullptr;
    QLabel *m_resourceCount = nullptr;
    QWidget *m_edit = nullptr;
    QList<SkillArtifact> m_artifacts;
    bool m_refreshQueued = false;
    bool m_restyleQueued = false;
};
