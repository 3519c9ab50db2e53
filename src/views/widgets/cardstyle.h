#pragma once

#include "skillartifact.h"
#include "toolsource.h"

#include <QColor>
#include <QFont>
#include <QPalette>
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

    // Contrast floors: body text and small labels, and the larger section titles.
    static constexpr double textContrast = 4.5;
    static constexpr double headingContrast = 3.0;

    // The contrast ratio (1 to 21) of `foreground` as drawn over an opaque
    // `background`: a translucent foreground is blended over it first.
    static double contrast(const QColor &foreground, const QColor &background);
    static QColor blended(const QColor &foreground, const QColor &background);
    // `color` blended over `background`, then made darker (on a light
    // background) or lighter (on a dark one) in its own hue until it reaches
    // `minimum`; colours that already read are kept as they are.
    static QColor readable(const QColor &color, const QColor &background, double minimum);
    // What the card is drawn on, and a fill over it at `alpha` of the text colour.
    static QColor pageBackground(const QPalette &palette);
    static QColor tinted(const QPalette &palette, qreal alpha);
    // A 1-pixel line that separates without glaring, on either palette.
    static QColor divider(const QPalette &palette);
    // The card's colours for text, derived for the palette in use: the accent
    // kept where it reads (as in dark), deepened where it does not.
    static QColor accentText(const QPalette &palette);
    static QColor accentHeading(const QPalette &palette);
    static QColor secondaryText(const QPalette &palette);
    static QColor tertiaryText(const QPalette &palette);
    static QColor errorText(const QPalette &palette);
    // A badge's text over its own tinted capsule, and that capsule's fill.
    static QColor badgeText(const QColor &hue, qreal fillAlpha, const QPalette &palette);

    static QColor withAlpha(QColor color, qreal alpha);

    // Sizes in device-independent pixels, so the card keeps its proportions
    // whatever point size the desktop's fonts use.
    static QFont font(qreal size, QFont::Weight weight = QFont::Normal);
    static QFont monoFont(qreal size, QFont::Weight weight = QFont::Normal);
};
