#pragma once

#include "modelcontext.h"
#include "skill.h"

#include <QFrame>
#include <QPointer>

class QVBoxLayout;

// The metadata bar's pop-over: one row per collection with a check mark where
// the skill is a member. A click toggles membership and leaves it open.
class CollectionPicker final : public QFrame
{
    Q_OBJECT

public:
    CollectionPicker(ModelContext *context, Skill *skill, QWidget *parent = nullptr);

    // Opens below anchor (global coordinates), or above it when the window
    // has no room below; always inside the window.
    void openAt(const QRect &anchor);
    // Rebuilt from the store each time, so it shows what is true now.
    void rebuild();
    // The row buttons, in collection order; empty when there are none.
    QList<QWidget *> rows() const { return m_rows; }

private:
    QPointer<ModelContext> m_context;
    QPointer<Skill> m_skill;
    QVBoxLayout *m_layout;
    QList<QWidget *> m_rows;
    QWidget *m_body = nullptr;
};
