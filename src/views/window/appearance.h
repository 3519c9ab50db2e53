#pragma once

#include <QPalette>
#include <QString>

#include <optional>

class SettingsStore;

// Light, Dark or the desktop's own look, chosen in Settings and remembered in
// the settings file. The two fixed palettes are complete (3-D roles included),
// so frames and lines keep to the palette instead of the style's defaults.
class Appearance final
{
public:
    enum class Scheme { System, Light, Dark };

    static QString settingsKey() { return QStringLiteral("appearance"); }
    // "system", "light" or "dark"; anything else is none.
    static std::optional<Scheme> fromName(const QString &name);
    static QString name(Scheme scheme);

    static QPalette lightPalette();
    static QPalette darkPalette();

    // The stored choice; System when nothing (or nothing known) is stored.
    static Scheme stored(const SettingsStore *settings);

    // Notes the desktop's style and palette; call once, before the first apply.
    static void rememberDesktop();
    // The user named a style (-style, QT_STYLE_OVERRIDE): Light and Dark keep
    // it instead of switching to Fusion, which draws every palette role.
    static void keepNamedStyle(bool keep);
    // Applies the scheme to the running application. System follows the
    // desktop: its light or dark setting where Qt can tell, else its palette.
    static void apply(Scheme scheme);
};
