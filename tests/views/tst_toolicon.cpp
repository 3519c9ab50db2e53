#include "toolicon.h"

#include <QHBoxLayout>
#include <QImage>
#include <QSvgRenderer>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

QImage draw(ToolIcon &icon)
{
    QImage image(icon.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    icon.render(&image, {}, {}, QWidget::DrawChildren); // no window background
    return image;
}

// The smallest rectangle holding every pixel that is not fully transparent.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

void addToolRows()
{
    QTest::addColumn<ToolSource>("tool");
    for (ToolSource tool : ToolSources::all)
        QTest::newRow(qPrintable(ToolSources::rawValue(tool))) << tool;
}

} // namespace

class ToolIconTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exactSquare_data();
    void exactSquare();
    void drawing_data() { addToolRows(); }
    void drawing();
};

void ToolIconTest::initTestCase()
{
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"quire-test-no-theme"_s);
}

void ToolIconTest::exactSquare_data()
{
    QTest::addColumn<ToolSource>("tool");
    QTest::addColumn<qreal>("edge");
    QTest::addColumn<int>("side");
    for (ToolSource tool : ToolSources::all) {
        for (int side : { 16, 32 }) {
            const QString row = u"%1 at %2"_s.arg(ToolSources::rawValue(tool)).arg(side);
            QTest::newRow(qPrintable(row)) << tool << qreal(side) << side;
        }
    }
    QTest::newRow("negative edge") << ToolSource::Amp << -4.0 << 0;
    QTest::newRow("NaN edge") << ToolSource::Amp << std::numeric_limits<qreal>::quiet_NaN() << 0;
    QTest::newRow("infinite edge")
        << ToolSource::Amp << -std::numeric_limits<qreal>::infinity() << 0;
}

void ToolIconTest::exactSquare()
{
    QFETCH(ToolSource, tool);
    QFETCH(qreal, edge);
    QFETCH(int, side);

    // A stretching layout in a much larger row must not resize the square.
    QWidget row;
    auto *layout = new QHBoxLayout(&row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *icon = new ToolIcon(tool, edge, &row);
    layout->addWidget(icon, 1);
    row.resize(300, 120);
    layout->activate();

    QCOMPARE(icon->sizeHint(), QSize(side, side));
    QCOMPARE(icon->size(), QSize(side, side));
}

void ToolIconTest::drawing()
{
    QFETCH(ToolSource, tool);
    ToolIcon small(tool, 16);
    QVERIFY(inkBounds(draw(small).copy(4, 4, 8, 8)).isValid());

    ToolIcon large(tool, 64);
    const QRect ink = inkBounds(draw(large));
    const QString image = ToolIcon::imageResource(tool);
    if (image.isEmpty()) {
        // The symbol keeps its small size, centred, instead of filling the frame.
        QVERIFY(ink.isValid());
        QVERIFY(QRect(24, 24, 16, 16).contains(ink));
        return;
    }
    // The image is fitted with its own aspect ratio and centred.
    const QSizeF own = QSvgRenderer(u":/tools/%1.svg"_s.arg(image)).viewBoxF().size();
    const QSize fitted = own.scaled(64, 64, Qt::KeepAspectRatio).toSize();
    QVERIFY(qAbs(ink.width() - fitted.width()) <= 1);
    QVERIFY(qAbs(ink.height() - fitted.height()) <= 1);
    QVERIFY(qAbs(ink.left() - (63 - ink.right())) <= 1);
    QVERIFY(qAbs(ink.top() - (63 - ink.bottom())) <= 1);
}

QTEST_MAIN(ToolIconTest)
#include "tst_toolicon.moc"
