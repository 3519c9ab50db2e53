#include "appstate.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class AppStateTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void equalWritesNotifyNobody();
    void sidebarFilterEquality_data();
    void sidebarFilterEquality();
};

// Each field once to a new value, then again to the same one: one signal
// each, and none for the other fields, so a view redraws only what it reads.
void AppStateTest::equalWritesNotifyNobody()
{
    AppState state;
    QSignalSpy selected(&state, &AppState::selectedSkillChanged);
    QSignalSpy search(&state, &AppState::searchTextChanged);
    QSignalSpy sheet(&state, &AppState::showingNewSkillSheetChanged);
    QSignalSpy filter(&state, &AppState::sidebarFilterChanged);
    QSignalSpy mode(&state, &AppState::detailViewModeChanged);
    Skill skill;

    for (int i = 0; i < 2; ++i) {
        state.setSelectedSkill(&skill);
        state.setSearchText(u"pdf"_s);
        state.setShowingNewSkillSheet(true);
        state.setSidebarFilter(SidebarFilter::collection(u"Work"_s));
        state.setDetailViewMode(DetailViewMode::Editor);
    }
    for (const QSignalSpy *spy : { &selected, &search, &sheet, &filter, &mode })
        QCOMPARE(spy->count(), 1);

    state.setSearchText(u"PDF"_s); // exact text equality
    state.setSidebarFilter(SidebarFilter::collection(u"work"_s));
    QCOMPARE(search.count(), 2);
    QCOMPARE(filter.count(), 2);
}

void AppStateTest::sidebarFilterEquality_data()
{
    QTest::addColumn<SidebarFilter>("a");
    QTest::addColumn<SidebarFilter>("b");
    QTest::addColumn<bool>("equal");
    const auto claude = SidebarFilter::tool(ToolSource::Claude);
    QTest::newRow("same tool") << claude << SidebarFilter::tool(ToolSource::Claude) << true;
    QTest::newRow("other tool") << claude << SidebarFilter::tool(ToolSource::Cursor) << false;
    QTest::newRow("collection names differ in case")
        << SidebarFilter::collection(u"Work"_s) << SidebarFilter::collection(u"work"_s) << false;
    QTest::newRow("same collection")
        << SidebarFilter::collection(u"Work"_s) << SidebarFilter::collection(u"Work"_s) << true;
    QTest::newRow("all and favorites")
        << SidebarFilter::all() << SidebarFilter::favorites() << false;
    QTest::newRow("empty collection name is not all")
        << SidebarFilter::all() << SidebarFilter::collection(QString()) << false;
}

void AppStateTest::sidebarFilterEquality()
{
    QFETCH(SidebarFilter, a);
    QFETCH(SidebarFilter, b);
    QFETCH(bool, equal);
    QCOMPARE(a == b, equal);
    if (equal)
        QCOMPARE(qHash(a, 7), qHash(b, 7));
}

QTEST_GUILESS_MAIN(AppStateTest)
#include "tst_appstate.moc"
