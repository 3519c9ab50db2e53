#include "appstate.h"
#include "modelcontext.h"
#include "newcollectionpopover.h"
#include "sidebarmodel.h"
#include "sidebarview.h"
#include "skillcollection.h"

#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class SidebarViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void clickWritesFilter_data();
    void clickWritesFilter();
    void filterSetElsewhereSelectsRow();
    void vanishedRowKeepsFilter();
    void keyboardReachesNewCollection();
    void createButtonFollowsName_data();
    void createButtonFollowsName();
    void returnAndCancelDoNotCreate();
    void createKeepsIconClearsName();
    void duplicateNameKeepsMembers();
    void deleteFromContextMenu();

private:
    QModelIndex rowTitled(const QString &title) const;
    void click(const QModelIndex &index);
    QPushButton *button(const QString &text) const;
    QLineEdit *nameField() const
    {
        return m_view->newCollectionPopover()->findChild<QLineEdit *>();
    }

    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SidebarView> m_view;
    Skill *m_cursorSkill = nullptr;
};

void SidebarViewTest::init()
{
    auto opened = ModelContext::open(u":memory:"_s);
    QVERIFY(opened);
    m_store = std::move(opened.value());
    Skill::Seed seed;
    seed.filePath = u"/h/.cursor/rules/a.mdc"_s;
    seed.name = u"a"_s;
    seed.tool = ToolSource::Cursor;
    m_cursorSkill = Skill::make(seed);
    QVERIFY(m_store->insert(m_cursorSkill));
    seed.filePath = u"/h/.claude/skills/b/SKILL.md"_s;
    seed.tool = ToolSource::Claude;
    QVERIFY(m_store->insert(Skill::make(seed)));
    QVERIFY(m_store->save());
    QVERIFY(SkillCollection::create(*m_store, u"Work"_s, u"folder"_s));

    m_state = std::make_unique<AppState>();
    m_view = std::make_unique<SidebarView>(m_state.get(), m_store.get());
    m_view->resize(260, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void SidebarViewTest::cleanup()
{
    m_view.reset();
    m_state.reset();
    m_store.reset();
}

QModelIndex SidebarViewTest::rowTitled(const QString &title) const
{
    const QModelIndexList found = m_view->model()->match(
        m_view->model()->index(0, 0), Qt::DisplayRole, title, 1, Qt::MatchExactly);
    return found.value(0);
}

void SidebarViewTest::click(const QModelIndex &index)
{
    QListView *list = m_view->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

QPushButton *SidebarViewTest::button(const QString &text) const
{
    const auto buttons = m_view->newCollectionPopover()->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

void SidebarViewTest::clickWritesFilter_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<SidebarFilter>("expected");
    QTest::newRow("favorites") << u"Favorites"_s << SidebarFilter::favorites();
    QTest::newRow("harness") << u"Cursor"_s << SidebarFilter::tool(ToolSource::Cursor);
    QTest::newRow("collection") << u"Work"_s << SidebarFilter::collection(u"Work"_s);
}

void SidebarViewTest::clickWritesFilter()
{
    QFETCH(QString, title);
    QFETCH(SidebarFilter, expected);

    // Start-up selects the initial filter's row.
    QCOMPARE(m_view->list()->selectionModel()->selectedIndexes(),
        QModelIndexList { rowTitled(u"All skills"_s) });
    click(rowTitled(title));
    QCOMPARE(m_state->sidebarFilter(), expected);
    QCOMPARE(
        m_view->list()->selectionModel()->selectedIndexes(), QModelIndexList { rowTitled(title) });

    // Headers and the action row are no filters: the filter and its row stay.
    click(rowTitled(u"Harnesses"_s));
    click(rowTitled(u"New collection"_s));
    QVERIFY(m_view->newCollectionPopover()->isVisible());
    m_view->newCollectionPopover()->cancel();
    QCoreApplication::processEvents();
    QCOMPARE(m_state->sidebarFilter(), expected);
    QCOMPARE(
        m_view->list()->selectionModel()->selectedIndexes(), QModelIndexList { rowTitled(title) });
}

void SidebarViewTest::filterSetElsewhereSelectsRow()
{
    m_state->setSidebarFilter(SidebarFilter::tool(ToolSource::Claude));
    QCOMPARE(m_view->list()->selectionModel()->selectedIndexes(),
        QModelIndexList { rowTitled(u"Claude Code"_s) });
    m_state->setSidebarFilter(SidebarFilter::collection(u"work"_s)); // names are case-sensitive
    QVERIFY(m_view->list()->selectionModel()->selectedIndexes().isEmpty());
}

// The last cursor skill goes: the row goes, the filter stays, nothing is
// selected in its place; when a cursor skill comes back so does the selection.
void SidebarViewTest::vanishedRowKeepsFilter()
{
    click(rowTitled(u"Cursor"_s));
    m_store->remove(m_cursorSkill);
    QVERIFY(m_store->save());
    QCoreApplication::processEvents();
    QVERIFY(!rowTitled(u"Cursor"_s).isValid());
    QCOMPARE(m_state->sidebarFilter(), SidebarFilter::tool(ToolSource::Cursor));
    QVERIFY(m_view->list()->selectionModel()->selectedIndexes().isEmpty());

    Skill::Seed seed;
    seed.filePath = u"/p/.cursor/rules/c.mdc"_s;
    seed.tool = ToolSource::Cursor;
    QVERIFY(m_store->insert(Skill::make(seed)));
    QVERIFY(m_store->save());
    QCOMPARE(m_view->list()->selectionModel()->selectedIndexes(),
        QModelIndexList { rowTitled(u"Cursor"_s) });
}

// Stepping onto the action row keeps the filter's row selected, and the
// cursor stays there so Return opens the form.
void SidebarViewTest::keyboardReachesNewCollection()
{
    QListView *list = m_view->list();
    click(rowTitled(u"Work"_s));
    QTest::keyClick(list, Qt::Key_Down);
    QCoreApplication::processEvents();
    QCOMPARE(list->currentIndex(), rowTitled(u"New collection"_s));
    QCOMPARE(list->selectionModel()->selectedIndexes(), QModelIndexList { rowTitled(u"Work"_s) });
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(m_view->newCollectionPopover()->isVisible());
    m_view->newCollectionPopover()->cancel();
    QCOMPARE(m_state->sidebarFilter(), SidebarFilter::collection(u"Work"_s));
}

void SidebarViewTest::createButtonFollowsName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("a single space is a name") << u" "_s << true;
    QTest::newRow("name") << u"Work 2"_s << true;
}

void SidebarViewTest::createButtonFollowsName()
{
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    m_view->openNewCollection();
    QTest::keyClicks(nameField(), typed);
    QCOMPARE(button(u"Create"_s)->isEnabled(), enabled);
}

void SidebarViewTest::returnAndCancelDoNotCreate()
{
    NewCollectionPopover *popover = m_view->newCollectionPopover();
    m_view->openNewCollection();
    QTest::keyClicks(nameField(), u"Draft"_s);
    QTest::keyClick(nameField(), Qt::Key_Return);
    QCOMPARE(m_store->collectionCount(), 1);
    QVERIFY(popover->isVisible());

    popover->findChild<QToolButton *>(u"leaf"_s)->click();
    button(u"Cancel"_s)->click();
    QVERIFY(!popover->isVisible());
    m_view->openNewCollection();
    QCOMPARE(nameField()->text(), u"Draft"_s);
    QCOMPARE(popover->chosenIcon(), u"leaf"_s);

    QTest::keyClick(nameField(), Qt::Key_Escape);
    QVERIFY(!popover->isVisible());
    QCOMPARE(m_store->collectionCount(), 1);
    QCOMPARE(popover->collectionName(), u"Draft"_s);
}

void SidebarViewTest::createKeepsIconClearsName()
{
    NewCollectionPopover *popover = m_view->newCollectionPopover();
    m_view->openNewCollection();
    QCOMPARE(popover->chosenIcon(), u"folder"_s);
    QTest::keyClicks(nameField(), u" Notes "_s);
    QToolButton *flame = popover->findChild<QToolButton *>(u"flame"_s);
    flame->click();
    button(u"Create"_s)->click();
    QVERIFY(!popover->isVisible());

    SkillCollection *made = m_store->collectionByName(u" Notes "_s); // not trimmed
    QVERIFY(made);
    QCOMPARE(made->icon(), u"flame"_s);
    QCOMPARE(made->sortOrder(), qint64(1));
    QVERIFY(rowTitled(u" Notes "_s).isValid());

    m_view->openNewCollection();
    QVERIFY(nameField()->text().isEmpty());
    QVERIFY(flame->isChecked());
    const QList<QToolButton *> cells = popover->findChildren<QToolButton *>();
    QCOMPARE(std::count_if(
                 cells.cbegin(), cells.cend(), [](const QToolButton *b) { return b->isChecked(); }),
        1);
}

void SidebarViewTest::duplicateNameKeepsMembers()
{
    SkillCollection *work = m_store->collectionByName(u"Work"_s);
    QVERIFY(SkillCollection::toggleMembership(*m_store, *m_cursorSkill, *work, false));
    m_view->openNewCollection();
    QTest::keyClicks(nameField(), u"Work"_s);
    m_view->newCollectionPopover()->findChild<QToolButton *>(u"bolt"_s)->click();
    button(u"Create"_s)->click();
    QCOMPARE(m_store->collectionCount(), 1);
    QCOMPARE(m_store->collectionByName(u"Work"_s)->skills(), QList<Skill *> { m_cursorSkill });
    QCOMPARE(rowTitled(u"Work"_s).data(SidebarModel::BadgeRole), QVariant(1));
}

// Deleting the selected collection leaves the filter naming it.
void SidebarViewTest::deleteFromContextMenu()
{
    QVERIFY(!std::unique_ptr<QMenu>(m_view->menuForRow(rowTitled(u"Cursor"_s))));
    click(rowTitled(u"Work"_s));
    std::unique_ptr<QMenu> menu(m_view->menuForRow(rowTitled(u"Work"_s)));
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().constFirst()->text(), u"Delete"_s);
    menu->actions().constFirst()->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(m_store->collectionCount(), 0);
    QVERIFY(!rowTitled(u"Work"_s).isValid());
    QCOMPARE(m_store->skillCount(), 2);
    QCOMPARE(m_state->sidebarFilter(), SidebarFilter::collection(u"Work"_s));
    QVERIFY(m_view->list()->selectionModel()->selectedIndexes().isEmpty());
}

QTEST_MAIN(SidebarViewTest)
#include "tst_sidebarview.moc"
