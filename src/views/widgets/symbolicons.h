#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// Every symbol name the interface uses ("star.fill", "tray.full.fill",
// "doc.text", ...) mapped in one table to a freedesktop theme icon, with a
// bundled SVG when the theme has none, so the window looks right under any
// desktop theme and on a bare system.
class SymbolIcons final
{
public:
    static QIcon icon(const QString &symbolName);
    // The bundled glyph in one colour, for the few places that colour a symbol
    // (a yellow favourite star, a red remove button): theme icons cannot be
    // recoloured, so this never asks the theme.
    static QIcon icon(const QString &symbolName, const QColor &color);
    // The theme name and bundled resource behind a symbol; empty when unknown
    // (the theme name also where no common theme has a fitting icon).
    static QString themeName(const QString &symbolName);
    static QString resourcePath(const QString &symbolName);
    static QStringList knownSymbols();

private:
    friend class ToolIcon;
    // A bundled SVG drawn in its own colours, fitted and centred at any size.
    static QIcon imageIcon(const QString &resourcePath);
};
