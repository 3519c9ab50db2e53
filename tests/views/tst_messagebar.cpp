#include "appstate.h"
#include "contentview.h"
#include "fakehome.h"
#include "memorystore.h"
#include "messagebar.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "storesaver.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// A failed save shows in the window with the store's text and Retry.
class MessageBarTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsFailureAndRetries();
};

void MessageBarTest::showsFailureAndRetries()
{
    FakeHome home(FakeHome::Store::Memory);
    const auto store = openMemoryStore();
    QVERIFY(store);
    SettingsStore settings(home.settingsPath());
    AppState state;
    ContentView window(&state, store.get(), &settings, nullptr);
    window.show();
    MessageBar *bar = window.messageBar();
    QVERIFY(bar);
    QVERIFY(!bar->isVisible());

    Skill::Seed seed;
    seed.filePath = u"/s.md"_s;
    Skill *skill = Skill::make(seed);
    QVERIFY(store->insert(skill));
    auto *stray = SkillCollection::make(u"Stray"_s, u"folder.fill"_s, 0, store.get());
    skill->setCollections({ stray });
    StoreSaver *saver = StoreSaver::of(store.get());
    QVERIFY(!saver->save());
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->text(), saver->failure());

    QTest::mouseClick(bar->retryButton(), Qt::LeftButton); // still failing: still shown
    QVERIFY(bar->isVisible());
    QVERIFY(store->insert(stray));
    QTest::mouseClick(bar->retryButton(), Qt::LeftButton);
    QVERIFY(!bar->isVisible());
    QVERIFY(!store->hasChanges());
}

QTEST_MAIN(MessageBarTest)
#include "tst_messagebar.moc"
