#include "symbolicons.h"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

// Outside any namespace: Q_INIT_RESOURCE declares a global function.
static void loadBundledResources()
{
    // The resources live in a static library; without a reference from code
    // that is always linked, the linker drops them and every fallback is blank.
    Q_INIT_RESOURCE(quire);
}

namespace {

struct Symbol
{
    QStringView name;
    // Empty where no common theme has a fitting icon: the bundled glyph is used.
    QStringView theme;
};

// Plain (not "-symbolic") names: a theme that only ships symbolic variants draws
// them in a fixed dark grey that vanishes on a dark palette, so falling back to
// our glyph, which follows the palette, is the better outcome there.
constexpr std::array symbols = {
    // Collection icons offered by the collection form.
    Symbol { u"folder", u"folder" },
    Symbol { u"star", u"non-starred" },
    Symbol { u"bookmark", u"user-bookmarks" },
    Symbol { u"tag", u"tag" },
    Symbol { u"tray", u"mail-folder-inbox" },
    Symbol { u"archivebox", u"package-x-generic" },
    Symbol { u"doc.text", u"text-x-generic" },
    Symbol { u"gearshape", u"preferences-system" },
    Symbol { u"wrench", u"configure" },
    Symbol { u"hammer", u"run-build" },
    Symbol { u"paintbrush", u"draw-brush" },
    Symbol { u"wand.and.stars", u"tools-wizard" },
    Symbol { u"terminal", u"utilities-terminal" },
    Symbol { u"network", u"network-workgroup" },
    Symbol { u"globe", u"applications-internet" },
    Symbol { u"bolt", u"" },
    Symbol { u"flame", u"" },
    Symbol { u"leaf", u"" },
    // Window, sidebar, list, detail toolbar, card, metadata bar, settings.
    Symbol { u"plus", u"list-add" },
    Symbol { u"plus.circle", u"list-add" },
    Symbol { u"minus.circle.fill", u"list-remove" },
    Symbol { u"tray.full.fill", u"mail-folder-inbox" },
    Symbol { u"tray.fill", u"mail-folder-inbox" },
    Symbol { u"star.fill", u"starred" },
    Symbol { u"folder.fill", u"folder" },
    Symbol { u"rectangle.portrait.fill", u"view-paged" },
    Symbol { u"pencil", u"document-edit" },
    Symbol { u"doc.fill", u"x-office-document" },
    Symbol { u"doc.text.fill", u"text-x-generic" },
    Symbol { u"clock.fill", u"appointment-soon" },
    Symbol { u"paperclip", u"mail-attachment" },
    Symbol { u"tag.fill", u"tag" },
    Symbol { u"chevron.left.forwardslash.chevron.right", u"text-x-script" },
    Symbol { u"terminal.fill", u"utilities-terminal" },
    Symbol { u"gearshape.fill", u"preferences-system" },
    Symbol { u"checklist", u"view-task" },
    Symbol { u"checkmark", u"dialog-ok" },
    Symbol { u"info.circle.fill", u"help-about" },
    Symbol { u"exclamationmark.triangle.fill", u"dialog-warning" },
    Symbol { u"xmark.octagon.fill", u"dialog-error" },
    // Tool symbols.
    Symbol { u"brain.head.profile", u"" },
    Symbol { u"cursorarrow.rays", u"" },
    Symbol { u"wind", u"weather-windy" },
    Symbol { u"book.closed", u"accessories-dictionary" },
    Symbol { u"airplane", u"airplane-mode" },
    Symbol { u"wrench.and.screwdriver", u"configure" },
    Symbol { u"bolt.fill", u"" },
};

const auto unknownResource = u":/icons/unknown.svg"_s;

void ensureResources()
{
    static const bool loaded = (loadBundledResources(), true);
    Q_UNUSED(loaded);
}

const Symbol *findSymbol(QStringView name)
{
    ensureResources(); // callers go on to open the resource this names
    for (const Symbol &symbol : symbols) {
        if (symbol.name == name)
            return &symbol;
    }
    return nullptr;
}

QString bundledPath(QStringView name)
{
    return u":/icons/%1.svg"_s.arg(name);
}

// The SVG's own size, parsed once per file: icons are asked for on every
// repaint of a list row, and the answer never changes.
QSizeF svgSize(const QString &path)
{
    static QHash<QString, QSizeF> sizes;
    auto it = sizes.constFind(path);
    if (it == sizes.cend()) {
        const QSvgRenderer renderer(path);
        it = sizes.insert(path, renderer.isValid() ? renderer.viewBoxF().size() : QSizeF());
    }
    return *it;
}

enum class Tint { None, Palette, Fixed };

// Renders a bundled SVG at exactly the size asked for, fitted and centred. A
// glyph takes its colour at paint time (from the application palette unless a
// colour is fixed), so one file reads on light and dark themes and follows a
// palette change without being reloaded.
class SvgIconEngine final : public QIconEngine
{
public:
    SvgIconEngine(QString path, Tint tint, QColor color = {})
        : m_path(std::move(path)), m_tint(tint), m_color(color)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QSize fitted = actualSize(rect.size(), mode, state);
        QPixmap image = pixmap((QSizeF(fitted) * ratio).toSize(), mode, state);
        if (image.isNull())
            return;
        image.setDevicePixelRatio(ratio);
        const QPointF corner(rect.x() + (rect.width() - fitted.width()) / 2.0,
            rect.y() + (rect.height() - fitted.height()) / 2.0);
        painter->drawPixmap(QRectF(corner, QSizeF(fitted)), image, QRectF(image.rect()));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const QSizeF own = svgSize(m_path);
        if (own.isEmpty() || size.isEmpty())
            return size;
        return own.scaled(QSizeF(size), Qt::KeepAspectRatio).toSize().boundedTo(size);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize pixels = actualSize(size, mode, state);
        if (pixels.isEmpty() || svgSize(m_path).isEmpty())
            return {};
        const QColor color = tintColor(mode);
        const QString key = u"quire-icon|%1|%2x%3|%4|%5"_s.arg(m_path)
                                .arg(pixels.width())
                                .arg(pixels.height())
                                .arg(color.isValid() ? color.name(QColor::HexArgb) : u"none"_s)
                                .arg(int(mode));
        QPixmap cached;
        if (QPixmapCache::find(key, &cached))
            return cached;

        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QSvgRenderer(m_path).render(&painter, QRectF(image.rect()));
        if (color.isValid()) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(image.rect(), color);
        } else if (mode == QIcon::Disabled) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.fillRect(image.rect(), QColor(0, 0, 0, 110));
        }
        painter.end();
        cached = QPixmap::fromImage(image);
        QPixmapCache::insert(key, cached);
        return cached;
    }

    QString key() const override { return u"QuireSvgIconEngine"_s; }
    QIconEngine *clone() const override { return new SvgIconEngine(*this); }
    bool isNull() override { return svgSize(m_path).isEmpty(); }
    QString iconName() override { return {}; }
    // Any size renders sharply; the list only keeps callers that treat an icon
    // without sizes as missing from discarding it.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return { QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(64, 64) };
    }

private:
    QColor tintColor(QIcon::Mode mode) const
    {
        switch (m_tint) {
        case Tint::None:
            return {};
        case Tint::Fixed: {
            QColor color = m_color;
            if (mode == QIcon::Disabled)
                color.setAlphaF(color.alphaF() * 0.45f);
            return color;
        }
        case Tint::Palette: {
            const QPalette palette = QGuiApplication::palette();
            if (mode == QIcon::Disabled)
                return palette.color(QPalette::Disabled, QPalette::WindowText);
            if (mode == QIcon::Selected)
                return palette.color(QPalette::Active, QPalette::HighlightedText);
            return palette.color(QPalette::Active, QPalette::WindowText);
        }
        }
        return {};
    }

    QString m_path;
    Tint m_tint;
    QColor m_color;
};

} // namespace

QIcon SymbolIcons::icon(const QString &symbolName)
{
    const Symbol *symbol = findSymbol(symbolName);
    if (!symbol) // a collection saved with an icon this build does not know
        return QIcon(new SvgIconEngine(unknownResource, Tint::Palette));
    QIcon bundled(new SvgIconEngine(bundledPath(symbol->name), Tint::Palette));
    if (symbol->theme.isEmpty())
        return bundled;
    return QIcon::fromTheme(symbol->theme.toString(), bundled);
}

QIcon SymbolIcons::icon(const QString &symbolName, const QColor &color)
{
    const Symbol *symbol = findSymbol(symbolName);
    const QString path = symbol ? bundledPath(symbol->name) : unknownResource;
    if (!color.isValid())
        return QIcon(new SvgIconEngine(path, Tint::Palette));
    return QIcon(new SvgIconEngine(path, Tint::Fixed, color));
}

QString SymbolIcons::themeName(const QString &symbolName)
{
    const Symbol *symbol = findSymbol(symbolName);
    return symbol ? symbol->theme.toString() : QString();
}

QString SymbolIcons::resourcePath(const QString &symbolName)
{
    const Symbol *symbol = findSymbol(symbolName);
    return symbol ? bundledPath(symbol->name) : QString();
}

QStringList SymbolIcons::knownSymbols()
{
    QStringList names;
    names.reserve(qsizetype(symbols.size()));
    for (const Symbol &symbol : symbols)
        names.append(symbol.name.toString());
    return names;
}

QIcon SymbolIcons::imageIcon(const QString &resourcePath)
{
    ensureResources();
    return QIcon(new SvgIconEngine(resourcePath, Tint::None));
}
