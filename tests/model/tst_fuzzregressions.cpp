#include "skill.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Inputs the fuzzers found, kept so that the faults stay fixed.
class FuzzRegressionsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordFieldsKeepText_data();
    void recordFieldsKeepText();
    void storedBytesRead_data();
    void storedBytesRead();
};

namespace {

const QString bom = QString(QChar(0xFEFF));

} // namespace

// What goes into the record's JSON fields comes back unchanged, whatever the
// text starts with.
void FuzzRegressionsTest::recordFieldsKeepText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("U+FEFF starts a value") << u"name"_s << bom + u"l-driven-de for any Py"_s;
    QTest::newRow("U+FEFF starts a key") << bom + u"name"_s << u"x"_s;
    QTest::newRow("two of them") << bom + bom + u"k"_s << bom + bom;
    QTest::newRow("U+FEFF alone") << u"k"_s << bom;
    QTest::newRow("U+FEFF inside") << u"k"_s << u"a"_s + bom + u"b"_s;
}

void FuzzRegressionsTest::recordFieldsKeepText()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    Skill skill;
    const QMap<QString, QString> frontmatter { { key, value }, { u"description"_s, value } };
    skill.setFrontmatter(frontmatter);
    QCOMPARE(skill.frontmatter(), frontmatter);

    const QStringList paths { value, key + u"/SKILL.md"_s };
    skill.setInstalledPaths(paths);
    QCOMPARE(skill.installedPaths(), paths);
}

// Records written before U+FEFF was escaped hold it as raw UTF-8.
void FuzzRegressionsTest::storedBytesRead_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("raw U+FEFF starts key and value")
        << QByteArray("{\"\xEF\xBB\xBFname\":\"\xEF\xBB\xBFvalue\"}") << bom + u"name"_s
        << bom + u"value"_s;
    QTest::newRow("byte-order mark before the document")
        << QByteArray("\xEF\xBB\xBF{\"name\":\"x\"}") << u"name"_s << u"x"_s;
}

void FuzzRegressionsTest::storedBytesRead()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, key);
    QFETCH(QString, value);

    Skill skill;
    skill.setFrontmatterData(stored);
    const QMap<QString, QString> expected { { key, value } };
    QCOMPARE(skill.frontmatter(), expected);
}

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "tst_fuzzregressions.moc"
