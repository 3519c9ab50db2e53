#include "appstate.h"
#include "memorystore.h"
#include "newcollectionpopover.h"
#include "sidebarmodel.h"
#include "sidebarview.h"
#include "skillcollection.h"
#include "skillrecords.h"

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
    void vanishedRowKeepsFilter();
    void popoverCreates();
    void deleteFromContextMenu();

private:
    QModelIndex rowTitled(const QString &title) const;
    void click(const QModelIndex &index);
    QPushButton *button(const QString &text) const;
    QLineEdit *nameField() const
    {
        return m_view->newCollectionPopover()->findChild<QLineEdit *>();
    }
    QModelIndexList selected() const { return m_view->list()->selectionModel()->selectedIndexes(); }

    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SidebarView> m_view;
    Skill *m_cursorSkill = nullptr;
};

void SidebarViewTest::init()
{
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_cursorSkill
        = addSkill(*m_store, skillSeed(u"/h/.cursor/rules/a.mdc"_s, {}, ToolSource::Cursor));
    QVERIFY(m_cursorSkill);
    QVERIFY(addSkill(*m_store, skillSeed(u"/h/.claude/skills/b/SKILL.md"_s)));
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
    for (QPushButton *button : m_view->newCollectionPopover()->findChildren<QPushButton *>()) {
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
    QCOMPARE(selected(), QModelIndexList { rowTitled(u"All skills"_s) });
    click(rowTitled(title));
    QCOMPARE(m_state->sidebarFilter(), expected);
    QCOMPARE(selected(), QModelIndexList { rowTitled(title) });

    // Headers and the action row are no filters: the filter and its row stay.
    click(rowTitled(u"Harnesses"_s));
    click(rowTitled(u"New collection"_s));
    QVERIFY(m_view->newCollectionPopover()->isVisible());
    m_view->newCollectionPopover()->cancel();
    QCoreApplication::processEvents();
    QCOMPARE(m_state->sidebarFilter(), expected);
    QCOMPARE(selected(), QModelIndexList { rowTitled(title) });
}

// A filter set elsewhere selects its row. The last cursor skill goes: the
// row goes, the filter stays, nothing is selected in its place; when a cursor
// skill comes back so does the selection.
void SidebarViewTest::vanishedRowKeepsFilter()
{
    m_state->setSidebarFilter(SidebarFilter::collection(u"work"_s)); // names are case-sensitive
    QVERIFY(selected().isEmpty());
    m_state->setSidebarFilter(SidebarFilter::tool(ToolSource::Cursor));
    QCOMPARE(selected(), QModelIndexList { rowTitled(u"Cursor"_s) });
    m_store->remove(m_cursorSkill);
    QVERIFY(m_store->save());
    QCoreApplication::processEvents();
    QVERIFY(!rowTitled(u"Cursor"_s).isValid());
    QCOMPARE(m_state->sidebarFilter(), SidebarFilter::tool(ToolSource::Cursor));
    QVERIFY(selected().isEmpty());

    QVERIFY(addSkill(*m_store, skillSeed(u"/p/.cursor/rules/c.mdc"_s, {}, ToolSource::Cursor)));
    QVERIFY(m_store->save());
    QCOMPARE(selected(), QModelIndexList { rowTitled(u"Cursor"_s) });
}

// Any name enables Create, even a space; Return does not create and Cancel
// keeps what was typed and picked; Create keeps the icon but clears the name.
void SidebarViewTest::popoverCreates()
{
    NewCollectionPopover *popover = m_view->newCollectionPopover();
    m_view->openNewCollection();
    QCOMPARE(popover->chosenIcon(), u"folder"_s);
    QVERIFY(!button(u"Create"_s)->isEnabled());
    QTest::keyClicks(nameField(), u" "_s);
    QVERIFY(button(u"Create"_s)->isEnabled());
    QTest::keyClicks(nameField(), u"Notes "_s);
    QTest::keyClick(nameField(), Qt::Key_Return);
    QCOMPARE(m_store->collectionCount(), 1);
    QVERIFY(popover->isVisible());

    QToolButton *flame = popover->findChild<QToolButton *>(u"flame"_s);
    flame->click();
    button(u"Cancel"_s)->click();
    QVERIFY(!popover->isVisible());
    QCOMPARE(m_store->collectionCount(), 1);
    m_view->openNewCollection();
    QCOMPARE(nameField()->text(), u" Notes "_s);
    QCOMPARE(popover->chosenIcon(), u"flame"_s);

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

    // A name already taken makes nothing new and must not empty the old one.
    SkillCollection *work = m_store->collectionByName(u"Work"_s);
    QVERIFY(SkillCollection::toggleMembership(*m_store, *m_cursorSkill, *work, false));
    QTest::keyClicks(nameField(), u"Work"_s);
    button(u"Create"_s)->click();
    QCOMPARE(m_store->collectionCount(), 2);
    QCOMPARE(m_store->collectionByName(u"Work"_s)->skills(), QList<Skill *> { m_cursorSkill });
    QCOMPARE(rowTitled(u"Work"_s).data(SidebarModel::BadgeRole), QVariant(1));
}

// Deleting the selected collection moves the filter to "All skills".
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
    QCOMPARE(m_state->sidebarFilter(), SidebarFilter::all());
    QCOMPARE(selected(), QModelIndexList { rowTitled(u"All skills"_s) });
}

QTEST_MAIN(SidebarViewTest)
#include "tst_sidebarview.moc"
