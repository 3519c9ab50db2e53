#include "appearance.h"

#include "settingsstore.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleHints>

using namespace Qt::StringLiterals;

namespace {

struct Desktop
{
    QString style;
    QPalette palette;
    bool remembered = false;
    bool styleNamed = false;
    Appearance::Scheme applied = Appearance::Scheme::System;
};

Desktop &desktop()
{
    static Desktop saved;
    return saved;
}

// The fixed palettes are drawn by Fusion, which honours every role; other
// styles may paint their own colours over them.
void useFusion()
{
    if (desktop().styleNamed)
        return;
    if (QApplication::style()->name().compare(u"fusion"_s, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(u"Fusion"_s);
}

void restoreDesktopStyle()
{
    const QString &style = desktop().style;
    if (!style.isEmpty() && QApplication::style()->name().compare(style, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(style));
}

} // namespace

std::optional<Appearance::Scheme> Appearance::fromName(const QString &name)
{
    if (name == u"system")
        return Scheme::System;
    if (name == u"light")
        return Scheme::Light;
    if (name == u"dark")
        return Scheme::Dark;
    return std::nullopt;
}

QString Appearance::name(Scheme scheme)
{
    switch (scheme) {
    case Scheme::Light:
        return u"light"_s;
    case Scheme::Dark:
        return u"dark"_s;
    case Scheme::System:
        break;
    }
    return u"system"_s;
}

QPalette Appearance::lightPalette()
{
    QPalette light(QColor(0xef, 0xef, 0xef)); // button and window, with Qt's 3-D shades
    const QColor text(0x1d, 0x1d, 0x1f);
    light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    light.setColor(QPalette::WindowText, text);
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::AlternateBase, QColor(0xf5, 0xf5, 0xf5));
    light.setColor(QPalette::Text, text);
    light.setColor(QPalette::ButtonText, text);
    light.setColor(QPalette::BrightText, Qt::white);
    light.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    light.setColor(QPalette::ToolTipText, Qt::black);
    // Opaque and dark enough for small captions on the window colour.
    light.setColor(QPalette::PlaceholderText, QColor(0x68, 0x68, 0x6d));
    light.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    light.setColor(QPalette::HighlightedText, Qt::white);
    light.setColor(QPalette::Link, QColor(0x00, 0x5a, 0xc8));
    light.setColor(QPalette::LinkVisited, QColor(0x6a, 0x2e, 0xb8));
    const QColor disabled(0x8e, 0x8e, 0x93);
    for (const QPalette::ColorRole role :
        { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        light.setColor(QPalette::Disabled, role, disabled);
    return light;
}

QPalette Appearance::darkPalette()
{
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor base(0x1f, 0x1f, 0x22);
    const QColor text(0xe8, 0xe8, 0xea);
    QPalette dark;
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x29));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x39));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, Qt::white);
    // Frames, sunken lines and bevels: shades of the window, never the white
    // of a light palette, which glares as 1-pixel lines on dark.
    dark.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4f));
    dark.setColor(QPalette::Midlight, QColor(0x3c, 0x3c, 0x40));
    dark.setColor(QPalette::Mid, QColor(0x24, 0x24, 0x27));
    dark.setColor(QPalette::Dark, QColor(0x1a, 0x1a, 0x1c));
    dark.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x12));
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    dark.setColor(QPalette::Highlight, QColor(0x3a, 0x72, 0xd8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6a, 0xa6, 0xff));
    dark.setColor(QPalette::LinkVisited, QColor(0xb4, 0x8c, 0xff));
    const QColor disabled(0x80, 0x80, 0x86);
    for (const QPalette::ColorRole role :
        { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        dark.setColor(QPalette::Disabled, role, disabled);
    return dark;
}

Appearance::Scheme Appearance::stored(const SettingsStore *settings)
{
    if (!settings)
        return Scheme::System;
    return fromName(settings->value(settingsKey()).toString()).value_or(Scheme::System);
}

void Appearance::keepNamedStyle(bool keep)
{
    desktop().styleNamed = keep;
}

void Appearance::rememberDesktop()
{
    if (std::exchange(desktop().remembered, true))
        return;
    desktop().style = QApplication::style()->name();
    desktop().palette = QApplication::palette();
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // The desktop switched between light and dark while Quire runs.
    QObject::connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, qApp, [] {
        if (desktop().applied == Scheme::System)
            apply(Scheme::System);
    });
#endif
}

void Appearance::apply(Scheme scheme)
{
    rememberDesktop();
    desktop().applied = scheme;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (scheme == Scheme::System) {
        const Qt::ColorScheme desktopScheme = QGuiApplication::styleHints()->colorScheme();
        if (desktopScheme != Qt::ColorScheme::Unknown)
            scheme = desktopScheme == Qt::ColorScheme::Dark ? Scheme::Dark : Scheme::Light;
    }
#endif
    switch (scheme) {
    case Scheme::Light:
        useFusion();
        QApplication::setPalette(lightPalette());
        return;
    case Scheme::Dark:
        useFusion();
        QApplication::setPalette(darkPalette());
        return;
    case Scheme::System:
        break;
    }
    // Qt cannot tell: the desktop's style and its palette, as it gave them.
    restoreDesktopStyle();
    QApplication::setPalette(desktop().palette);
}
