#include "symbolicons.h"
#include "toolsource.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Ink
{
    int pixels = 0;
    QRgb core = 0; // the most opaque pixel, whose colour anti-aliasing has not blurred
};

Ink inkOf(const QIcon &icon, int size)
{
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ink.pixels += qAlpha(pixel) > 0 ? 1 : 0;
            if (qAlpha(pixel) > qAlpha(ink.core))
                ink.core = pixel;
        }
    }
    return ink;
}

} // namespace

class SymbolIconsTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void symbol_data();
    void symbol();
    void unknownName_data();
    void unknownName();
    void color_data();
    void color();
};

void SymbolIconsTest::initTestCase()
{
    // No theme, so every icon below is our own bundled glyph on any machine.
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"quire-test-no-theme"_s);
}

void SymbolIconsTest::symbol_data()
{
    QTest::addColumn<QString>("name");
    QStringList names = SymbolIcons::knownSymbols();
    for (ToolSource tool : ToolSources::all)
        names.append(ToolSources::symbolName(tool));
    names.removeDuplicates();
    for (const QString &name : std::as_const(names))
        QTest::newRow(qPrintable(name)) << name;
}

void SymbolIconsTest::symbol()
{
    QFETCH(QString, name);
    QVERIFY(SymbolIcons::knownSymbols().contains(name));
    const QString resource = SymbolIcons::resourcePath(name);
    QVERIFY(QFile::exists(resource));
    QVERIFY(QSvgRenderer(resource).isValid());

    const QIcon icon = SymbolIcons::icon(name);
    QVERIFY(!icon.isNull());
    QVERIFY(inkOf(icon, 16).pixels > 10);
}

void SymbolIconsTest::unknownName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("never heard of") << u"no.such.symbol"_s;
    QTest::newRow("case matters") << u"Star.fill"_s;
    QTest::newRow("trailing space") << u"star.fill "_s;
}

void SymbolIconsTest::unknownName()
{
    QFETCH(QString, name);
    QVERIFY(SymbolIcons::themeName(name).isEmpty());
    QVERIFY(SymbolIcons::resourcePath(name).isEmpty());
    // A collection stored with an icon this build does not know still draws something.
    QVERIFY(inkOf(SymbolIcons::icon(name), 16).pixels > 10);
    QVERIFY(inkOf(SymbolIcons::icon(name, Qt::red), 16).pixels > 10);
}

void SymbolIconsTest::color_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("fixed");
    QTest::addColumn<QColor>("drawn");
    const QColor light(236, 236, 236), dark(20, 20, 20), yellow(250, 200, 20);
    QTest::newRow("dark mode: palette's light text") << light << QColor() << light;
    QTest::newRow("light mode: palette's dark text") << dark << QColor() << dark;
    QTest::newRow("fixed colour wins over palette") << light << yellow << yellow;
}

void SymbolIconsTest::color()
{
    QFETCH(QColor, text);
    QFETCH(QColor, fixed);
    QFETCH(QColor, drawn);
    const QPalette original = QGuiApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::WindowText, text);
    QGuiApplication::setPalette(palette);

    const auto name = u"star.fill"_s;
    const QIcon icon = fixed.isValid() ? SymbolIcons::icon(name, fixed) : SymbolIcons::icon(name);
    const QRgb core = inkOf(icon, 24).core;
    QGuiApplication::setPalette(original);
    QCOMPARE(qRgb(qRed(core), qGreen(core), qBlue(core)), drawn.rgb());
}

QTEST_MAIN(SymbolIconsTest)
#include "tst_symbolicons.moc"
