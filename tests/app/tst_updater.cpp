#include "updater.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A check that runs until the test finishes it; asking again meanwhile is
// ignored, as the real updater does.
class FakeUpdater final : public Updater
{
    Q_OBJECT

public:
    FakeUpdater() { setCanCheckForUpdates(true); }
    void checkForUpdates() override
    {
        if (!canCheckForUpdates())
            return;
        ++started;
        setCanCheckForUpdates(false);
    }
    void finish()
    {
        setCanCheckForUpdates(true);
        Q_EMIT checkFinished(
            { UpdateCheckResult::Kind::UpToDate, u"1.0"_s, {}, u"Quire is up to date."_s });
    }
    int started = 0;
};

} // namespace

// The menu of a window and the About tab may both ask while one check runs:
// one check, one answer, shown by whoever asked last.
class UpdaterTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneAnswerPerCheck_data();
    void oneAnswerPerCheck();
};

void UpdaterTest::oneAnswerPerCheck_data()
{
    QTest::addColumn<QStringList>("askers"); // in order, while the check runs
    QTest::addColumn<QString>("answered"); // empty: nobody
    QTest::newRow("the menu alone") << QStringList { u"menu"_s } << u"menu"_s;
    QTest::newRow("About while the menu's check runs")
        << QStringList { u"menu"_s, u"about"_s } << u"about"_s;
    QTest::newRow("the same window twice") << QStringList { u"menu"_s, u"menu"_s } << u"menu"_s;
    QTest::newRow("a check nobody asked for") << QStringList() << QString();
}

void UpdaterTest::oneAnswerPerCheck()
{
    QFETCH(QStringList, askers);
    QFETCH(QString, answered);
    FakeUpdater updater;
    QObject menu;
    menu.setObjectName(u"menu"_s);
    QObject about;
    about.setObjectName(u"about"_s);
    QSignalSpy answers(&updater, &Updater::answered);
    if (askers.isEmpty())
        updater.checkForUpdates(); // a scheduled check
    for (const QString &asker : std::as_const(askers))
        updater.requestCheck(asker == u"menu" ? &menu : &about);
    QCOMPARE(updater.started, 1);
    updater.finish();
    QCOMPARE(answers.size(), 1);
    const auto *to = answers.constFirst().constFirst().value<QObject *>();
    QCOMPARE(to ? to->objectName() : QString(), answered);

    // The next check starts afresh: an earlier asker does not hear it.
    updater.checkForUpdates();
    updater.finish();
    QCOMPARE(answers.size(), 2);
    QCOMPARE(answers.constLast().constFirst().value<QObject *>(), nullptr);
}

QTEST_GUILESS_MAIN(UpdaterTest)
#include "tst_updater.moc"
