#include "metadatatexts.h"
#include "skillcardmodel.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

// The order of the card's metadata rows and the paths the metadata bar shows.
class CardTextsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prefixKeysInOrder_data();
    void prefixKeysInOrder();
    void homeShortened_data();
    void homeShortened();
};

void CardTextsTest::prefixKeysInOrder_data()
{
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("tag, tags") << QStringList { u"tag"_s, u"tags"_s };
    QTest::newRow("model, model-version")
        << QStringList { u"model"_s, u"model-version"_s, u"modelx"_s };
    QTest::newRow("chain of prefixes")
        << QStringList { u"A"_s, u"a"_s, u"ab"_s, u"abc"_s, u"abcd"_s, u"b"_s };
    QTest::newRow("prefix before a supplementary character")
        << QStringList { u"k"_s, u"k\uffee"_s, u"k😀"_s, u"k😀x"_s };
}

void CardTextsTest::prefixKeysInOrder()
{
    QFETCH(QStringList, sorted);
    QMap<QString, QString> frontmatter { { u"name"_s, u"n"_s } };
    for (const QString &key : sorted)
        frontmatter.insert(key, u"value of "_s + key);
    // The map hands keys over in its own order; every order must give the same rows.
    QCOMPARE(SkillCardModel::metadataKeys(frontmatter), sorted);

    QStringList shuffled = sorted;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        std::sort(shuffled.begin(), shuffled.end(), &SkillCardModel::codePointLess);
        QCOMPARE(shuffled, sorted);
    }
    for (const QString &key : sorted)
        QVERIFY(!SkillCardModel::codePointLess(key, key));
}

void CardTextsTest::homeShortened_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    const QString ann = u"/home/ann"_s;
    QTest::newRow("file in home") << ann << u"/home/ann/dev/x"_s << u"~/dev/x"_s;
    QTest::newRow("home itself") << ann << u"/home/ann"_s << u"~"_s;
    QTest::newRow("home with a trailing slash") << ann << u"/home/ann/"_s << u"~/"_s;
    QTest::newRow("sibling whose name starts like home")
        << ann << u"/home/anna/dev/x"_s << u"/home/anna/dev/x"_s;
    QTest::newRow("home inside another path")
        << ann << u"/data/home/ann/x"_s << u"/data/home/ann/x"_s;
    QTest::newRow("home appearing twice")
        << ann << u"/home/ann/backup/home/ann/x"_s << u"~/backup/home/ann/x"_s;
    QTest::newRow("home given with a trailing slash")
        << u"/home/ann/"_s << u"/home/ann/x"_s << u"~/x"_s;
    QTest::newRow("relative path") << ann << u"home/ann/x"_s << u"home/ann/x"_s;
    QTest::newRow("root as home") << u"/"_s << u"/etc/x"_s << u"/etc/x"_s;
    QTest::newRow("empty home") << QString() << u"/etc/x"_s << u"/etc/x"_s;
}

void CardTextsTest::homeShortened()
{
    QFETCH(QString, home);
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(MetadataTexts::homeShortened(path, home), shown);
    // The tooltip of every route goes through the same rule, line by line.
    QCOMPARE(MetadataTexts::installedPathsText({ path, u"/home/ann/y"_s }, home),
        shown + u'\n' + MetadataTexts::homeShortened(u"/home/ann/y"_s, home));
}

QTEST_GUILESS_MAIN(CardTextsTest)
#include "tst_cardtexts.moc"
