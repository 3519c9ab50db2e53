#include "flowlayout.h"

#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// A child with a fixed preferred size.
class Chip final : public QWidget
{
public:
    Chip(QSize size, QWidget *parent) : QWidget(parent), m_size(size) { }
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

} // namespace

using Sizes = QList<QSize>;
using Points = QList<QPoint>;

class FlowLayoutTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wraps_data();
    void wraps();
    void placesChildrenInBounds();
};

void FlowLayoutTest::wraps_data()
{
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<int>("width");
    QTest::addColumn<Points>("positions");
    QTest::addColumn<int>("height");
    const Sizes three(3, QSize(50, 20));
    QTest::newRow("two fit, third wraps")
        << three << 120 << Points { { 0, 0 }, { 56, 0 }, { 0, 26 } } << 46;
    QTest::newRow("all in one row")
        << three << 162 << Points { { 0, 0 }, { 56, 0 }, { 112, 0 } } << 20;
    QTest::newRow("one short of a row")
        << three << 161 << Points { { 0, 0 }, { 56, 0 }, { 0, 26 } } << 46;
    QTest::newRow("one per row") << three << 50 << Points { { 0, 0 }, { 0, 26 }, { 0, 52 } } << 72;
    QTest::newRow("too wide stays first")
        << Sizes { QSize(300, 10) } << 100 << Points { { 0, 0 } } << 10;
    QTest::newRow("row height is the tallest")
        << Sizes { QSize(40, 10), QSize(40, 30), QSize(40, 10) } << 90
        << Points { { 0, 0 }, { 46, 0 }, { 0, 36 } } << 46;
    QTest::newRow("no children") << Sizes {} << 100 << Points {} << 0;
}

void FlowLayoutTest::wraps()
{
    QFETCH(Sizes, sizes);
    QFETCH(int, width);
    QFETCH(Points, positions);
    QFETCH(int, height);
    QWidget host;
    auto *flow = new FlowLayout(6, &host);
    for (const QSize size : sizes)
        flow->addWidget(new Chip(size, &host));
    const FlowLayout::Placement placement = flow->place(width);
    Points got;
    for (const QPointF at : placement.positions)
        got.append(at.toPoint());
    QCOMPARE(got, positions);
    QCOMPARE(qRound(placement.height), height);
    QCOMPARE(flow->heightForWidth(width), height);
}

void FlowLayoutTest::placesChildrenInBounds()
{
    QWidget host;
    auto *flow = new FlowLayout(6, &host);
    flow->setContentsMargins(10, 5, 10, 5);
    QList<QWidget *> chips;
    for (int i = 0; i < 3; ++i) {
        chips.append(new Chip(QSize(50, 20), &host));
        flow->addWidget(chips.last());
    }
    host.resize(140, 200); // 120 inside the margins
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(chips.at(0)->geometry(), QRect(10, 5, 50, 20));
    QCOMPARE(chips.at(1)->geometry(), QRect(66, 5, 50, 20));
    QCOMPARE(chips.at(2)->geometry(), QRect(10, 31, 50, 20));
    // The window's layout asks height for width: narrower means taller.
    QVERIFY(flow->heightForWidth(60) > flow->heightForWidth(400));
}

QTEST_MAIN(FlowLayoutTest)
#include "tst_flowlayout.moc"
