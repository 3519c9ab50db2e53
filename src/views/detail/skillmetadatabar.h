#pragma once

#include "collectionpicker.h"
#include "modelcontext.h"
#include "skill.h"

#include <QFrame>
#include <QPointer>

class ElidedLabel;

class QHBoxLayout;
class QLabel;
class QToolButton;

// The line under a skill: its harnesses, where its file is, how large and
// how old it is, and the button that puts it into collections.
class SkillMetadataBar final : public QFrame
{
    Q_OBJECT

public:
    SkillMetadataBar(Skill *skill, ModelContext *context, QWidget *parent = nullptr);

    void setSkill(Skill *skill);

    // For tests: what the bar shows.
    QString pathText() const;
    QString sizeText() const;
    QString ageText() const;
    QString installedPathsText() const;
    int toolIconCount() const;
    QToolButton *collectionButton() const { return m_collections; }
    CollectionPicker *picker() const { return m_picker; }

    void toggleCollectionPicker();

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();
    void refresh();

    QPointer<Skill> m_skill;
    QPointer<ModelContext> m_context;
    QWidget *m_toolIcons;
    QHBoxLayout *m_toolLayout;
    ElidedLabel *m_path;
    QLabel *m_size;
    QLabel *m_age;
    QToolButton *m_collections;
    QPointer<CollectionPicker> m_picker;
};
