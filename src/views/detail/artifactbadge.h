#pragma once

#include "skillartifact.h"

#include <QAbstractButton>

// A chip for one supporting file of a skill folder: the kind's symbol and the
// file name. Clicking shows the file in the file manager.
class ArtifactBadge final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ArtifactBadge(const SkillArtifact &artifact, QWidget *parent = nullptr);

    const SkillArtifact &artifact() const { return m_artifact; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    SkillArtifact m_artifact;
    QColor m_color;
    mutable QSize m_sizeHint; // a card may hold thousands; measured once per font
};
