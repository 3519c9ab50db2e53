#include "codepointorder.h"
#include "metadatatexts.h"
#include "skillcardmodel.h"

#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

using Map = QMap<QString, QString>;

class SkillCardModelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void metadataKeys_data();
    void metadataKeys();
    void contentPreview_data();
    void contentPreview();
    void groupsInCategoryOrder();
    void homeShortened_data();
    void homeShortened();
    void sizeText_data();
    void sizeText();
    void ageText_data();
    void ageText();
};

void SkillCardModelTest::metadataKeys_data()
{
    QTest::addColumn<Map>("frontmatter");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("name and description only")
        << Map { { u"Name"_s, u"x"_s }, { u"DESCRIPTION"_s, u"y"_s } } << QStringList {};
    QTest::newRow("empty value hidden")
        << Map { { u"name"_s, u"x"_s }, { u"tags"_s, {} } } << QStringList {};
    QTest::newRow("one extra") << Map { { u"name"_s, u"x"_s }, { u"license"_s, u"MIT"_s } }
                               << QStringList { u"license"_s };
    QTest::newRow("code-point order") << Map { { u"b"_s, u"1"_s }, { u"A"_s, u"2"_s },
        { u"a"_s, u"3"_s } } << QStringList { u"A"_s, u"a"_s, u"b"_s };
    QTest::newRow("beyond the basic plane") << Map { { u"😀"_s, u"1"_s }, { u"\uff5e"_s, u"2"_s } }
                                            << QStringList { u"\uff5e"_s, u"😀"_s };
    QTest::newRow("chain of prefixes") << Map { { u"abc"_s, u"1"_s }, { u"ab"_s, u"2"_s },
        { u"tag"_s, u"3"_s }, { u"tags"_s, u"4"_s } }
                                       << QStringList { u"ab"_s, u"abc"_s, u"tag"_s, u"tags"_s };
    QTest::newRow("prefix before a supplementary character") << Map {
        { u"k😀x"_s, u"1"_s }, { u"k"_s, u"2"_s }, { u"k\uffee"_s, u"3"_s }, { u"k😀"_s, u"4"_s }
    } << QStringList { u"k"_s, u"k\uffee"_s, u"k😀"_s, u"k😀x"_s };
}

void SkillCardModelTest::metadataKeys()
{
    QFETCH(Map, frontmatter);
    QFETCH(QStringList, keys);
    QCOMPARE(SkillCardModel::metadataKeys(frontmatter), keys);
    QCOMPARE(SkillCardModel::hasExtraMetadata(frontmatter), !keys.isEmpty());
    // The map hands keys over in its own order; every order must sort the same.
    QStringList shuffled = keys;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        std::sort(shuffled.begin(), shuffled.end(), &CodePointOrder::less);
        QCOMPARE(shuffled, keys);
    }
}

void SkillCardModelTest::contentPreview_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("preview");
    QStringList thirty;
    for (int i = 1; i <= 30; ++i)
        thirty << u"line %1"_s.arg(i);
    QTest::newRow("empty") << QString() << u"(No content)"_s;
    QTest::newRow("only blank lines") << u"\n  \n\t\n"_s << QString();
    QTest::newRow("blank lines dropped, kept lines untrimmed")
        << u"  a\n\n \t \nb  \n"_s << u"  a\nb  "_s;
    QTest::newRow("first twenty") << thirty.join(u'\n') << thirty.mid(0, 20).join(u'\n');
    QTest::newRow("carriage return is not blank") << u"a\r\n\r\nb"_s << u"a\r\n\r\nb"_s;
}

void SkillCardModelTest::contentPreview()
{
    QFETCH(QString, content);
    QFETCH(QString, preview);
    QCOMPARE(SkillCardModel::contentPreview(content), preview);
}

void SkillCardModelTest::groupsInCategoryOrder()
{
    using C = SkillArtifact::Category;
    const auto artifact = [](const QString &name, C category) {
        SkillArtifact a;
        a.name = name;
        a.category = category;
        return a;
    };
    const QList<SkillArtifact> list
        = { artifact(u"z.json"_s, C::Config), artifact(u"b.py"_s, C::Script),
              artifact(u"notes"_s, C::Other), artifact(u"a.sh"_s, C::Script) };
    const QList<SkillCardModel::ArtifactGroup> groups = SkillCardModel::groupedArtifacts(list);
    QCOMPARE(groups.size(), 3);
    QCOMPARE(groups.at(0).category, C::Script);
    QCOMPARE(groups.at(0).artifacts.at(0).name, u"b.py"_s); // list order within a group
    QCOMPARE(groups.at(0).artifacts.at(1).name, u"a.sh"_s);
    QCOMPARE(groups.at(1).category, C::Config);
    QCOMPARE(groups.at(2).category, C::Other);
    QVERIFY(SkillCardModel::groupedArtifacts({}).isEmpty());
}

void SkillCardModelTest::homeShortened_data()
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

void SkillCardModelTest::homeShortened()
{
    QFETCH(QString, home);
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(MetadataTexts::homeShortened(path, home), shown);
    // The tooltip of every route goes through the same rule, line by line.
    QCOMPARE(MetadataTexts::installedPathsText({ path, u"/home/ann/y"_s }, home),
        shown + u'\n' + MetadataTexts::homeShortened(u"/home/ann/y"_s, home));
}

void SkillCardModelTest::sizeText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << u"0 bytes"_s;
    QTest::newRow("one") << qint64(1) << u"1 byte"_s;
    QTest::newRow("under a kilobyte") << qint64(999) << u"999 bytes"_s;
    QTest::newRow("decimal kilobytes") << qint64(1500) << u"1.5 kB"_s;
    QTest::newRow("megabytes") << qint64(2'000'000) << u"2.0 MB"_s;
}

void SkillCardModelTest::sizeText()
{
    QLocale::setDefault(QLocale::c());
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(MetadataTexts::sizeText(bytes), text);
}

void SkillCardModelTest::ageText_data()
{
    QTest::addColumn<qint64>("secondsAgo");
    QTest::addColumn<QString>("text");
    QTest::newRow("now") << qint64(10) << u"now"_s;
    QTest::newRow("one minute") << qint64(60) << u"1 minute ago"_s;
    QTest::newRow("hours") << qint64(2 * 3600 + 5) << u"2 hours ago"_s;
    QTest::newRow("yesterday") << qint64(30 * 3600) << u"yesterday"_s;
    QTest::newRow("days") << qint64(3 * 86400) << u"3 days ago"_s;
    QTest::newRow("last week") << qint64(8 * 86400) << u"last week"_s;
    QTest::newRow("months") << qint64(70 * 86400) << u"2 months ago"_s;
    QTest::newRow("years") << qint64(800 * 86400) << u"2 years ago"_s;
    QTest::newRow("future hours") << qint64(-3 * 3600) << u"in 3 hours"_s;
    QTest::newRow("tomorrow") << qint64(-30 * 3600) << u"tomorrow"_s;
}

void SkillCardModelTest::ageText()
{
    QFETCH(qint64, secondsAgo);
    QFETCH(QString, text);
    const QDateTime now(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc());
    QCOMPARE(MetadataTexts::ageText(now.addSecs(-secondsAgo), now), text);
    QCOMPARE(MetadataTexts::ageText(QDateTime(), now), QString());
}

QTEST_GUILESS_MAIN(SkillCardModelTest)
#include "tst_skillcardmodel.moc"
