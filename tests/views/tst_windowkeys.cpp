#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "fakehome.h"
#include "memorystore.h"
#include "newskillsheet.h"
#include "settingsstore.h"
#include "sidebarmodel.h"
#include "sidebarview.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillfiltermodel.h"
#include "skillhealth.h"
#include "skilllistview.h"
#include "skillrecords.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The main window driven from the keyboard, and what its title says.
class WindowKeysTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void searchKeys_data();
    void searchKeys();
    void listAndWindowKeys();
    void titleNamesSkillAndUnsavedEdits();
    void promptKeepsTheEditedSkillSelected_data();
    void promptKeepsTheEditedSkillSelected();
    void sidebarVisibilityIsRemembered();
    void searchShowsItsCount();
    void newSkillOpensInTheEditor();
    void firstRunSaysWhereQuireLooked();
    void tabReachesOnlyWhatIsSeenAndButtonsAreNamed_data();
    void tabReachesOnlyWhatIsSeenAndButtonsAreNamed();

private:
    Skill *add(const QString &name, const QByteArray &body = "body\n");
    void openWindow();
    Skill *selectedRow() const;

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<ContentView> m_window;
};

void WindowKeysTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
    m_state = std::make_unique<AppState>();
}

void WindowKeysTest::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_store.reset();
}

Skill *WindowKeysTest::add(const QString &name, const QByteArray &body)
{
    const QString path = m_home->write(
        u"skills/%1/SKILL.md"_s.arg(name), "---\nname: " + name.toUtf8() + "\n---\n" + body);
    Skill *skill = addSkill(*m_store, skillSeed(path));
    return skill && m_store->save() ? skill : nullptr;
}

void WindowKeysTest::openWindow()
{
    m_window
        = std::make_unique<ContentView>(m_state.get(), m_store.get(), m_settings.get(), nullptr);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

namespace {

// The part of a widget its ancestors leave on screen.
QRect shownArea(const QWidget *widget)
{
    QRect area(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    for (const QWidget *up = widget->parentWidget(); up; up = up->parentWidget())
        area &= QRect(up->mapTo(widget->window(), QPoint(0, 0)), up->size());
    return area;
}

} // namespace

Skill *WindowKeysTest::selectedRow() const
{
    const QModelIndexList rows = m_window->listView()->list()->selectionModel()->selectedRows();
    return rows.size() == 1 ? m_window->listView()->filterModel()->skillAt(rows.first().row())
                            : nullptr;
}

void WindowKeysTest::searchKeys_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("selected"); // row of the three skills, -1 for none
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("searchAfter");
    QTest::addColumn<bool>("listFocused");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("Escape clears the search, focus stays")
        << u"be"_s << -1 << int(Qt::Key_Escape) << QString() << false << -1;
    QTest::newRow("Escape on an empty search goes to the list")
        << QString() << -1 << int(Qt::Key_Escape) << QString() << true << -1;
    QTest::newRow("Down enters the list at the first result")
        << u"a"_s << -1 << int(Qt::Key_Down) << u"a"_s << true << 0;
    QTest::newRow("Down keeps a selection the list shows")
        << QString() << 2 << int(Qt::Key_Down) << QString() << true << 2;
    QTest::newRow("Return opens the first result")
        << u"ga"_s << 0 << int(Qt::Key_Return) << u"ga"_s << true << 2;
    QTest::newRow("Return without results stays in the field")
        << u"zzz"_s << -1 << int(Qt::Key_Return) << u"zzz"_s << false << -1;
}

void WindowKeysTest::searchKeys()
{
    QFETCH(QString, search);
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(QString, searchAfter);
    QFETCH(bool, listFocused);
    QFETCH(int, selectedAfter);
    const QList<Skill *> skills = { add(u"alpha"_s), add(u"beta"_s), add(u"gamma"_s) };
    QVERIFY(!skills.contains(nullptr));
    openWindow();
    m_state->setSelectedSkill(selected >= 0 ? skills.at(selected) : nullptr);
    m_window->searchField()->setFocus();
    QTest::keyClicks(m_window->searchField(), search);

    QTest::keyClick(m_window->searchField(), Qt::Key(key));
    QCOMPARE(m_window->searchField()->text(), searchAfter);
    QCOMPARE(m_state->searchText(), searchAfter);
    QTRY_COMPARE(m_window->listView()->list()->hasFocus(), listFocused);
    QCOMPARE(m_state->selectedSkill(), selectedAfter >= 0 ? skills.at(selectedAfter) : nullptr);
}

void WindowKeysTest::listAndWindowKeys()
{
    Skill *alpha = add(u"alpha"_s);
    QVERIFY(alpha);
    openWindow();
    m_state->setSelectedSkill(alpha);
    QListView *list = m_window->listView()->list();
    list->setFocus();
    QVERIFY(list->hasFocus());

    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Card);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
    SkillEditorView *editor = m_window->detailPane()->detailView()->editor();
    QVERIFY(editor);
    QTRY_VERIFY(editor->textEdit()->hasFocus());

    QTest::keySequence(m_window.get(), QKeySequence(Qt::CTRL | Qt::Key_1));
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Card);
    QTest::keySequence(m_window.get(), QKeySequence(Qt::CTRL | Qt::Key_2));
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
    QVERIFY(!alpha->isFavorite());
    QTest::keySequence(m_window.get(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QVERIFY(alpha->isFavorite());
    QVERIFY(!m_store->hasChanges());

    // The focus walks from the search to the list to the skill.
    m_window->searchField()->setFocus();
    QCOMPARE(m_window->searchField()->nextInFocusChain(), list);
}

void WindowKeysTest::titleNamesSkillAndUnsavedEdits()
{
    Skill *brag = add(u"brag-sheet"_s);
    QVERIFY(brag);
    openWindow();
    QCOMPARE(m_window->windowTitle(), u"Quire"_s);
    m_state->setSelectedSkill(brag);
    QCOMPARE(m_window->windowTitle(), u"brag-sheet — Quire"_s);
    m_state->setDetailViewMode(DetailViewMode::Editor);
    SkillEditorView *editor = m_window->detailPane()->detailView()->editor();
    QVERIFY(editor);
    editor->textEdit()->moveCursor(QTextCursor::End);
    editor->textEdit()->insertPlainText(u"more\n"_s);
    QCOMPARE(m_window->windowTitle(), u"brag-sheet • — Quire"_s);
    QVERIFY(editor->saveContent());
    QCOMPARE(m_window->windowTitle(), u"brag-sheet — Quire"_s);
    m_state->setSelectedSkill(nullptr);
    QCOMPARE(m_window->windowTitle(), u"Quire"_s);
}

void WindowKeysTest::promptKeepsTheEditedSkillSelected_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("moves");
    QTest::newRow("stay") << int(SkillEditorView::Answer::Cancel) << false;
    QTest::newRow("discard") << int(SkillEditorView::Answer::Alternative) << true;
}

void WindowKeysTest::promptKeepsTheEditedSkillSelected()
{
    QFETCH(int, answer);
    QFETCH(bool, moves);
    Skill *alpha = add(u"alpha"_s);
    Skill *beta = add(u"beta"_s);
    QVERIFY(alpha && beta);
    m_state->setSelectedSkill(alpha);
    m_state->setDetailViewMode(DetailViewMode::Editor);
    openWindow();
    SkillEditorView *editor = m_window->detailPane()->detailView()->editor();
    QVERIFY(editor);
    editor->textEdit()->insertPlainText(u"edit "_s);
    Skill *selectedWhileAsked = nullptr;
    Skill *rowWhileAsked = nullptr;
    editor->setAsker([&](SkillEditorView::Question, const QString &) {
        selectedWhileAsked = m_state->selectedSkill();
        rowWhileAsked = selectedRow();
        return SkillEditorView::Answer(answer);
    });

    m_window->listView()->list()->selectionModel()->setCurrentIndex(
        m_window->listView()->filterModel()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(selectedWhileAsked, alpha);
    QCOMPARE(rowWhileAsked, alpha);
    QCOMPARE(m_state->selectedSkill(), moves ? beta : alpha);
    QCOMPARE(selectedRow(), moves ? beta : alpha);
    QCOMPARE(m_window->detailPane()->shownName(), moves ? u"beta"_s : u"alpha"_s);
}

void WindowKeysTest::sidebarVisibilityIsRemembered()
{
    openWindow();
    QWidget *sidebar = m_window->findChild<QWidget *>(u"sidebar"_s);
    QVERIFY(sidebar);
    QVERIFY(sidebar->isVisible());
    QTest::keySequence(m_window.get(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    QVERIFY(!sidebar->isVisible());
    QCOMPARE(m_window->sidebarAction()->text(), u"Show Sidebar"_s);
    m_window->close();

    openWindow();
    sidebar = m_window->findChild<QWidget *>(u"sidebar"_s);
    QVERIFY(!sidebar->isVisible());
    m_window->sidebarAction()->trigger();
    QVERIFY(sidebar->isVisible());
}

void WindowKeysTest::searchShowsItsCount()
{
    for (const QString &name : { u"alpha"_s, u"beta"_s, u"gamma"_s, u"delta"_s })
        QVERIFY(add(name));
    openWindow();
    QLabel *count = m_window->listView()->count();
    QVERIFY(!count->isVisible());
    m_state->setSearchText(u"ta"_s);
    QCOMPARE(count->text(), u"2 of 4"_s);
    QVERIFY(count->isVisible());
    m_state->setSidebarFilter(SidebarFilter::favorites());
    QCOMPARE(count->text(), u"0 of 0"_s);
    m_state->setSearchText(QString());
    QVERIFY(!count->isVisible());
}

void WindowKeysTest::newSkillOpensInTheEditor()
{
    openWindow();
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Card);
    m_window->newSkillAction()->trigger();
    NewSkillSheet *sheet = NewSkillSheet::openOver(m_window.get());
    QVERIFY(sheet);
    sheet->nameField()->setText(u"brag-sheet"_s);
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QTRY_VERIFY(!NewSkillSheet::openOver(m_window.get()));
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
    QVERIFY(m_window->detailPane()->detailView()->editor());
    QCOMPARE(m_window->windowTitle(), u"brag-sheet — Quire"_s);
}

void WindowKeysTest::firstRunSaysWhereQuireLooked()
{
    QVERIFY(m_settings->setCustomScanPaths({ m_home->path(u"Development"_s) }));
    openWindow();
    QTRY_VERIFY(!m_window->listView()->scanNote()->isVisible()); // the first scan ran
    SkillListView *list = m_window->listView();
    QCOMPARE(list->findChild<QLabel *>(u"emptyStateHeading"_s)->text(), u"No skills found"_s);
    const QString looked = list->findChild<QLabel *>(u"emptyStateText"_s)->text();
    QVERIFY2(looked.contains(u"~/.claude/skills"_s) && looked.contains(u"~/Development"_s),
        qPrintable(looked));
    QPushButton *newSkill = nullptr;
    for (QPushButton *button : list->findChildren<QPushButton *>()) {
        QVERIFY(button->isVisible());
        if (button->text() == u"New Skill…"_s)
            newSkill = button;
    }
    QVERIFY(newSkill);
    newSkill->click();
    QVERIFY(NewSkillSheet::openOver(m_window.get()));
}

void WindowKeysTest::tabReachesOnlyWhatIsSeenAndButtonsAreNamed_data()
{
    QTest::addColumn<DetailViewMode>("mode");
    QTest::newRow("card") << DetailViewMode::Card;
    QTest::newRow("editor") << DetailViewMode::Editor;
}

void WindowKeysTest::tabReachesOnlyWhatIsSeenAndButtonsAreNamed()
{
    QFETCH(DetailViewMode, mode);
    m_home->write(u"skills/pdf/scripts/run.py"_s, "print()\n");
    Skill *pdf = add(u"pdf"_s, "A body\n");
    QVERIFY(pdf);
    m_state->setSelectedSkill(pdf);
    m_state->setDetailViewMode(mode);
    openWindow();
    if (SkillEditorView *editor = m_window->detailPane()->detailView()->editor())
        editor->showFind();

    for (QAbstractButton *button : m_window->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(m_window.get()) && button->text().isEmpty())
            QVERIFY2(!button->accessibleName().isEmpty(), qPrintable(button->objectName()));
    }
    m_window->searchField()->setFocus();
    QWidget *start = QApplication::focusWidget();
    QVERIFY(start);
    for (int step = 0; step < 60; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        QVERIFY(now);
        if (now == start)
            break;
        QVERIFY2(now->isVisible() && !shownArea(now).isEmpty(),
            qPrintable(u"%1 %2"_s.arg(
                QString::fromLatin1(now->metaObject()->className()), now->objectName())));
        if (qobject_cast<QPlainTextEdit *>(now))
            break; // Tab is typed into the text from here on
    }
}

QTEST_MAIN(WindowKeysTest)
#include "tst_windowkeys.moc"
