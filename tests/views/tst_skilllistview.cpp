#include "appstate.h"
#include "filerevealer.h"
#include "memorystore.h"
#include "skillfiltermodel.h"
#include "skilllistmodel.h"
#include "skilllistview.h"
#include "skillrecords.h"

#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

class SkillListViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void emptyStateAndTitle_data();
    void emptyStateAndTitle();
    void menu_data();
    void menu();
    void selectionBinding();

private:
    Skill *add(const QString &name, const QString &path = {});
    QList<Skill *> selectedSkills() const;

    std::unique_ptr<ModelContext> m_context;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SkillListView> m_view;
};

void SkillListViewTest::init()
{
    m_context = openMemoryStore();
    QVERIFY(m_context);
    m_state = std::make_unique<AppState>();
}

void SkillListViewTest::cleanup()
{
    m_view.reset();
    m_state.reset();
    m_context.reset();
}

Skill *SkillListViewTest::add(const QString &name, const QString &path)
{
    Skill::Seed seed = skillSeed(
        path.isEmpty() ? u"/home/u/.claude/skills/%1/SKILL.md"_s.arg(name) : path, name);
    seed.content = u"a body"_s;
    seed.isGlobal = path.isEmpty();
    return addSkill(*m_context, seed);
}

QList<Skill *> SkillListViewTest::selectedSkills() const
{
    QList<Skill *> skills;
    for (const QModelIndex &index : m_view->list()->selectionModel()->selectedRows())
        skills.append(m_view->filterModel()->skillAt(index.row()));
    return skills;
}

void SkillListViewTest::emptyStateAndTitle_data()
{
    QTest::addColumn<bool>("withSkills");
    QTest::addColumn<SidebarFilter>("filter");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("texts"); // heading and text of the placeholder

    const SidebarFilter all = SidebarFilter::all();
    const QStringList noMatch = { u"No Skills"_s, u"No skills match the current filter."_s };
    QTest::newRow("no skills at all")
        << false << all << QString() << true << u"All skills"_s
        << QStringList { u"No skills found"_s, u"Quire found no skill files."_s };
    QTest::newRow("skills") << true << all << QString() << false << u"All skills"_s << noMatch;
    QTest::newRow("collection that is gone, shown as typed")
        << true << SidebarFilter::collection(u"<b>Gone</b>"_s) << QString() << true
        << u"<b>Gone</b>"_s << noMatch;
    QTest::newRow("search without hits")
        << true << all << u"zzz"_s << true << u"All skills"_s << noMatch;
    QTest::newRow("no favourites yet")
        << true << SidebarFilter::favorites() << QString() << true << u"Favorites"_s
        << QStringList { u"No Favorites"_s, u"Click ☆ on a skill to add it here"_s };
    QTest::newRow("favourites searched without hits")
        << true << SidebarFilter::favorites() << u"zzz"_s << true << u"Favorites"_s << noMatch;
}

void SkillListViewTest::emptyStateAndTitle()
{
    QFETCH(bool, withSkills);
    QFETCH(SidebarFilter, filter);
    QFETCH(QString, search);
    QFETCH(bool, empty);
    QFETCH(QString, title);
    QFETCH(QStringList, texts);

    if (withSkills) {
        QVERIFY(add(u"one"_s));
        QVERIFY(m_context->save());
    }
    m_view = std::make_unique<SkillListView>(m_state.get(), m_context.get());
    m_view->show();
    m_state->setSidebarFilter(filter);
    m_state->setSearchText(search);
    QCOMPARE(m_view->emptyState()->isVisible(), empty);
    QCOMPARE(m_view->title()->text(), title);
    QCOMPARE(m_view->title()->textFormat(), Qt::PlainText);
    if (empty) {
        QCOMPARE((QStringList { m_view->findChild<QLabel *>(u"emptyStateHeading"_s)->text(),
                     m_view->findChild<QLabel *>(u"emptyStateText"_s)->text() }),
            texts);
    }

    // A skill the store gains under the current filter hides it at once.
    m_state->setSidebarFilter(SidebarFilter::all());
    m_state->setSearchText({});
    QVERIFY(add(u"two"_s));
    QVERIFY(m_context->save());
    QVERIFY(!m_view->emptyState()->isVisible());
}

void SkillListViewTest::menu_data()
{
    QTest::addColumn<bool>("favorite");
    QTest::addColumn<QString>("first");

    QTest::newRow("not a favourite") << false << u"Favorite"_s;
    QTest::newRow("favourite, shown under Favorites") << true << u"Unfavorite"_s;
}

void SkillListViewTest::menu()
{
    QFETCH(bool, favorite);
    QFETCH(QString, first);

    Skill *skill = add(u"one"_s);
    skill->setIsFavorite(favorite);
    QVERIFY(m_context->save());
    m_state->setSidebarFilter(favorite ? SidebarFilter::favorites() : SidebarFilter::all());
    m_view = std::make_unique<SkillListView>(m_state.get(), m_context.get());
    QCOMPARE(m_view->filterModel()->rowCount(), 1);

    const std::unique_ptr<QMenu> menu(m_view->menuFor(skill));
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->text(), first);
    QVERIFY(actions.at(1)->isSeparator());
#ifdef Q_OS_LINUX
    QCOMPARE(actions.at(2)->text(), u"Show in File Manager"_s);
#endif

    actions.at(0)->trigger();
    QCOMPARE(skill->isFavorite(), !favorite);
    QVERIFY(!m_context->hasChanges());
    // Unmarked under Favorites, the row leaves at once.
    QCOMPARE(m_view->filterModel()->rowCount(), favorite ? 0 : 1);
}

// The list and the app state's selected skill follow each other both ways.
void SkillListViewTest::selectionBinding()
{
    Skill *apple = add(u"apple"_s);
    Skill *banana = add(u"banana"_s, u"/work/proj/.claude/skills/banana/SKILL.md"_s);
    QVERIFY(m_context->save());
    m_state->setSelectedSkill(banana);
    m_view = std::make_unique<SkillListView>(m_state.get(), m_context.get());
    m_view->resize(300, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QCOMPARE(selectedSkills(), QList<Skill *> { banana });

    // The row draws what these roles give: the project folder, none when global.
    QListView *list = m_view->list();
    QCOMPARE(list->model()->index(1, 0).data(SkillListModel::ProjectNameRole), QVariant(u"proj"_s));
    QVERIFY(!list->model()->index(0, 0).data(SkillListModel::ProjectNameRole).isValid());

    const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(m_state->selectedSkill(), apple);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(m_state->selectedSkill(), banana);
    list->selectionModel()->clearSelection();
    QCOMPARE(m_state->selectedSkill(), nullptr);
    m_state->setSelectedSkill(apple);
    QCOMPARE(selectedSkills(), QList<Skill *> { apple });

    // Renamed past another row: the row moves and stays selected.
    apple->setName(u"cherry"_s);
    QVERIFY(m_context->save());
    QCOMPARE(selectedSkills(), QList<Skill *> { apple });

    // Hidden by a search or a filter: no row is selected, the skill still is.
    m_state->setSearchText(u"ban"_s);
    QVERIFY(selectedSkills().isEmpty());
    m_state->setSidebarFilter(SidebarFilter::favorites());
    QCOMPARE(m_state->selectedSkill(), apple);
    apple->setIsFavorite(true);
    QVERIFY(m_context->save());
    m_state->setSearchText({});
    QCOMPARE(selectedSkills(), QList<Skill *> { apple });
    apple->setIsFavorite(false);
    QVERIFY(m_context->save());
    QVERIFY(selectedSkills().isEmpty());
    QCOMPARE(m_state->selectedSkill(), apple);

    // Gone from the store: nothing is left to select.
    m_context->remove(apple);
    QVERIFY(m_context->save());
    QCOMPARE(m_state->selectedSkill(), nullptr);
}

QTEST_MAIN(SkillListViewTest)
#include "tst_skilllistview.moc"
