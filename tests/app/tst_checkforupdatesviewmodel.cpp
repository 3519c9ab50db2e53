#include "checkforupdatesviewmodel.h"
#include "updater.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

class FakeUpdater final : public Updater
{
    Q_OBJECT

public:
    explicit FakeUpdater(bool canCheck) { setCanCheckForUpdates(canCheck); }
    void checkForUpdates() override { }
    void set(bool canCheck) { setCanCheckForUpdates(canCheck); }
};

// One turn of the main loop: the queued steps already posted, nothing else.
void turnMainLoop()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

} // namespace

class CheckForUpdatesViewModelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsDisabledThenMirrors_data();
    void startsDisabledThenMirrors();
    void followsChanges();
    void readsTheCurrentValueNotTheAnnouncedOne();
    void announcementFromAnotherThreadLandsOnMainThread();
    void eitherSideMayGoFirst();
};

void CheckForUpdatesViewModelTest::startsDisabledThenMirrors_data()
{
    QTest::addColumn<bool>("updaterValue");
    QTest::addColumn<int>("notifications");
    QTest::newRow("ready updater enables after one turn") << true << 1;
    QTest::newRow("busy updater stays disabled, silently") << false << 0;
}

// The menu item is disabled for the first loop turn, whatever the updater says.
void CheckForUpdatesViewModelTest::startsDisabledThenMirrors()
{
    QFETCH(bool, updaterValue);
    QFETCH(int, notifications);
    FakeUpdater updater(updaterValue);
    CheckForUpdatesViewModel viewModel(&updater);
    QSignalSpy changed(&viewModel, &CheckForUpdatesViewModel::canCheckForUpdatesChanged);

    QCOMPARE(viewModel.canCheckForUpdates(), false);
    turnMainLoop();
    QCOMPARE(viewModel.canCheckForUpdates(), updaterValue);
    QCOMPARE(changed.count(), notifications);
}

// A running check disables the item; the end of the check enables it again.
void CheckForUpdatesViewModelTest::followsChanges()
{
    FakeUpdater updater(true);
    CheckForUpdatesViewModel viewModel(&updater);
    turnMainLoop();
    QSignalSpy changed(&viewModel, &CheckForUpdatesViewModel::canCheckForUpdatesChanged);

    updater.set(false);
    QCOMPARE(viewModel.canCheckForUpdates(), true); // written on the main loop only
    turnMainLoop();
    QCOMPARE(viewModel.canCheckForUpdates(), false);
    updater.set(true);
    turnMainLoop();
    QCOMPARE(viewModel.canCheckForUpdates(), true);
    QCOMPARE(changed.count(), 2);
}

// Two announcements before the loop turns: both steps read the value the
// updater has now, so a flicker that is already over redraws nothing.
void CheckForUpdatesViewModelTest::readsTheCurrentValueNotTheAnnouncedOne()
{
    FakeUpdater updater(true);
    CheckForUpdatesViewModel viewModel(&updater);
    turnMainLoop();
    QSignalSpy changed(&viewModel, &CheckForUpdatesViewModel::canCheckForUpdatesChanged);

    updater.set(false);
    updater.set(true);
    turnMainLoop();
    QCOMPARE(viewModel.canCheckForUpdates(), true);
    QCOMPARE(changed.count(), 0);
}

void CheckForUpdatesViewModelTest::announcementFromAnotherThreadLandsOnMainThread()
{
    FakeUpdater updater(false);
    CheckForUpdatesViewModel viewModel(&updater);
    turnMainLoop();
    QThread *notifiedOn = nullptr;
    connect(
        &viewModel, &CheckForUpdatesViewModel::canCheckForUpdatesChanged, &viewModel,
        [&notifiedOn] { notifiedOn = QThread::currentThread(); }, Qt::DirectConnection);

    std::unique_ptr<QThread> worker(QThread::create([&updater] { updater.set(true); }));
    worker->start();
    QVERIFY(worker->wait(5000));
    QCOMPARE(viewModel.canCheckForUpdates(), false);
    QTRY_COMPARE(viewModel.canCheckForUpdates(), true);
    QCOMPARE(notifiedOn, QThread::currentThread());
}

// The view model is dropped with its view, the updater at shutdown; a step
// still queued must find the view model gone, or the updater gone (disabled).
void CheckForUpdatesViewModelTest::eitherSideMayGoFirst()
{
    {
        FakeUpdater updater(true);
        auto *viewModel = new CheckForUpdatesViewModel(&updater);
        updater.set(false);
        delete viewModel;
        turnMainLoop();
        updater.set(true); // no observer left to post anything
        turnMainLoop();
    }
    {
        auto updater = std::make_unique<FakeUpdater>(true);
        CheckForUpdatesViewModel viewModel(updater.get());
        turnMainLoop();
        QCOMPARE(viewModel.canCheckForUpdates(), true);
        updater->set(false);
        updater->set(true);
        updater.reset();
        turnMainLoop();
        QCOMPARE(viewModel.canCheckForUpdates(), false);
    }
}

QTEST_GUILESS_MAIN(CheckForUpdatesViewModelTest)
#include "tst_checkforupdatesviewmodel.moc"
