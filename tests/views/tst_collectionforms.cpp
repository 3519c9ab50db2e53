#include "appstate.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "newcollectionpopover.h"
#include "popupplacement.h"
#include "sidebarmodel.h"
#include "sidebarview.h"
#include "skillcollection.h"
#include "skillrecords.h"

#include <QLineEdit>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

// Making, refusing and deleting collections, and where their popups open.
class CollectionFormsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
    void takenNameIsRefusedInTheForm();
    void deleteAsksAndLeavesNoDeadFilter_data();
    void deleteAsksAndLeavesNoDeadFilter();
};

void CollectionFormsTest::placement_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QPoint>("expected");
    // A 100 × 50 popup in a window at (0, 0) of 400 × 300.
    QTest::newRow("room below") << QRect(10, 100, 80, 20) << QPoint(10, 124);
    QTest::newRow("no room below: upwards") << QRect(10, 260, 80, 20) << QPoint(10, 206);
    QTest::newRow("kept off the right edge") << QRect(350, 100, 40, 20) << QPoint(300, 124);
    QTest::newRow("room neither way: inside, at the bottom")
        << QRect(10, 20, 80, 270) << QPoint(10, 250);
}

void CollectionFormsTest::placement()
{
    QFETCH(QRect, anchor);
    QFETCH(QPoint, expected);
    const QRect room(0, 0, 400, 300);
    const QPoint at = PopupPlacement::topLeft(QSize(100, 50), anchor, room);
    QCOMPARE(at, expected);
    QVERIFY(room.contains(QRect(at, QSize(100, 50))));
}

void CollectionFormsTest::takenNameIsRefusedInTheForm()
{
    std::unique_ptr<ModelContext> store = openMemoryStore();
    QVERIFY(store);
    QVERIFY(SkillCollection::create(*store, u"Daily"_s, u"star"_s));
    QWidget window;
    window.resize(400, 400);
    window.show();
    NewCollectionPopover form(store.get(), &window);
    form.openAt(QRect(window.mapToGlobal(QPoint(10, 10)), QSize(100, 20)));
    auto *name = form.findChild<QLineEdit *>();
    QVERIFY(name);

    QTest::keyClicks(name, u"Daily"_s);
    QCOMPARE(form.errorText(), u"A collection named Daily already exists"_s);
    form.create();
    QVERIFY(form.isVisible());
    QCOMPARE(form.collectionName(), u"Daily"_s);
    QCOMPARE(store->collectionCount(), 1);

    QTest::keyClicks(name, u" notes"_s);
    QCOMPARE(form.errorText(), QString());
    form.create();
    QVERIFY(!form.isVisible());
    QCOMPARE(store->collectionCount(), 2);
    QVERIFY(store->collectionByName(u"Daily notes"_s));
}

void CollectionFormsTest::deleteAsksAndLeavesNoDeadFilter_data()
{
    QTest::addColumn<bool>("withSkill");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("empty collection goes without asking") << false << false << false << true;
    QTest::newRow("skills in it: asked, confirmed") << true << true << true << true;
    QTest::newRow("skills in it: asked, kept") << true << false << true << false;
}

void CollectionFormsTest::deleteAsksAndLeavesNoDeadFilter()
{
    QFETCH(bool, withSkill);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, deleted);
    std::unique_ptr<ModelContext> store = openMemoryStore();
    QVERIFY(store);
    const Result<SkillCollection *> daily = SkillCollection::create(*store, u"Daily"_s, u"star"_s);
    QVERIFY(daily);
    if (withSkill) {
        Skill *skill = addSkill(*store, skillSeed(u"/s/a.md"_s));
        QVERIFY(skill);
        QVERIFY(SkillCollection::toggleMembership(*store, *skill, *daily.value(), false));
    }
    AppState state;
    state.setSidebarFilter(SidebarFilter::collection(u"Daily"_s));
    SidebarView sidebar(&state, store.get());
    bool wasAsked = false;
    sidebar.setConfirmer([&](const QString &question, const QString &) {
        wasAsked = true;
        return question.contains(u"Daily"_s) && answer;
    });
    std::unique_ptr<QMenu> menu(
        sidebar.menuForRow(sidebar.model()->indexForFilter(state.sidebarFilter())));
    QVERIFY(menu);
    menu->actions().constFirst()->trigger();

    QCOMPARE(wasAsked, asked);
    QCOMPARE(store->collectionByName(u"Daily"_s) == nullptr, deleted);
    QCOMPARE(state.sidebarFilter(),
        deleted ? SidebarFilter::all() : SidebarFilter::collection(u"Daily"_s));
    QVERIFY(!store->hasChanges());
}

QTEST_MAIN(CollectionFormsTest)
#include "tst_collectionforms.moc"
