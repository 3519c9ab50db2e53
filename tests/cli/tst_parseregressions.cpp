#include "quirerun.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Files the fuzzers found, read by `quire parse` as a user would.
class ParseRegressionsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsText_data();
    void keepsText();
};

void ParseRegressionsTest::keepsText_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("printed");

    // A U+FEFF that starts the name is part of it, not a byte-order mark.
    QTest::newRow("U+FEFF starts the name")
        << u"bom-starts-name.md"_s
        << QByteArray("\"name\": \"\xEF\xBB\xBFl-driven-de for any Py CLAUDE.md\"");
}

void ParseRegressionsTest::keepsText()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, printed);

    const QString path = QFINDTESTDATA(u"../../fuzz/regressions/fuzz_parsecommand/"_s + file);
    QVERIFY(!path.isEmpty());
    const QuireRun run = runQuireInProcess({ u"parse"_s, path });
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(printed), run.out.constData());
}

QTEST_GUILESS_MAIN(ParseRegressionsTest)
#include "tst_parseregressions.moc"
