#pragma once

#include "skillartifact.h"
#include "toolsource.h"

#include <QColor>
#include <QFont>
#include <QString>

// The card's colours and the symbol and colour of each kind of file. One table
// each, shared by the card, its badges and the metadata bar.
class CardStyle final
{
public:
    static QColor limeAccent();
    static QColor orangeAccent();
    static QColor violetAccent();
    static QColor toolColor(ToolSource tool);

    struct Look
    {
        QString heading; // for a category only
        QString symbol;
        QColor color;
    };
    // By file extension, compared exactly: the scanner stores it lower-cased.
    static Look artifactLook(const QString &fileExtension);
    // The heading of a category's group in "Resources".
    static Look categoryLook(SkillArtifact::Category category);

    // The secondary and tertiary text colours of the current palette.
    static QColor secondaryText();
    static QColor tertiaryText();

    static QColor withAlpha(QColor color, qreal alpha);

    // Sizes in device-independent pixels, so the card keeps its proportions
    // whatever point size the desktop's fonts use.
    static QFont font(qreal size, QFont::Weight weight = QFont::Normal);
    static QFont monoFont(qreal size, QFont::Weight weight = QFont::Normal);
};
