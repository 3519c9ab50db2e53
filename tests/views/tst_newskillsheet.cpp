#include "appstate.h"
#include "contentview.h"
#include "fakehome.h"
#include "memorystore.h"
#include "newskillsheet.h"
#include "settingsstore.h"
#include "skillcreator.h"
#include "skilllistmodel.h"
#include "skilllistview.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ToolSource)

class NewSkillSheetTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void createFollowsTheName();
    void failureStaysOpenThenSuccessCloses();
    void windowCreatesAndSelects_data();
    void windowCreatesAndSelects();
    void startsWithTheDefaultHarness_data();
    void startsWithTheDefaultHarness();

private:
    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<AppState> m_state;
};

void NewSkillSheetTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
    m_state = std::make_unique<AppState>();
}

void NewSkillSheetTest::createFollowsTheName()
{
    ContentView window(m_state.get(), m_store.get(), m_settings.get(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.newSkillAction()->trigger();
    NewSkillSheet *sheet = NewSkillSheet::openOver(&window);
    QVERIFY(sheet);
    QVERIFY(m_state->showingNewSkillSheet());
    QCOMPARE(sheet->width(), 400);
    QVERIFY(sheet->nameField()->text().isEmpty());
    QVERIFY(!sheet->createButton()->isEnabled());
    QVERIFY(sheet->errorMessage().isEmpty());
    QCOMPARE(sheet->toolPicker()->currentText(), u"Claude Code"_s);
    QCOMPARE(sheet->toolPicker()->count(), 13); // every harness with a place for skills
    QCOMPARE(sheet->toolPicker()->findText(u"Custom"_s), -1);

    // Return with no name does nothing; one space is a name.
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QCOMPARE(NewSkillSheet::openOver(&window), sheet);
    QTest::keyClick(sheet->nameField(), Qt::Key_Space);
    QVERIFY(sheet->createButton()->isEnabled());
    QTest::keyClick(sheet->nameField(), Qt::Key_Backspace);
    QVERIFY(!sheet->createButton()->isEnabled());

    // Escape closes without making anything and lowers the flag.
    QTest::keyClicks(sheet->nameField(), u"Pdf"_s);
    QTest::keyClick(sheet->nameField(), Qt::Key_Escape);
    QTRY_VERIFY(!NewSkillSheet::openOver(&window));
    QVERIFY(!m_state->showingNewSkillSheet());
    QCOMPARE(m_store->skillCount(), 0);
    QVERIFY(!QFile::exists(m_home->path(u".claude"_s)));

    // The next presentation starts empty.
    window.newSkillAction()->trigger();
    QVERIFY(NewSkillSheet::openOver(&window)->nameField()->text().isEmpty());
}

void NewSkillSheetTest::failureStaysOpenThenSuccessCloses()
{
    ContentView window(m_state.get(), m_store.get(), m_settings.get(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.newSkillAction()->trigger();
    NewSkillSheet *sheet = NewSkillSheet::openOver(&window);
    QVERIFY(sheet);
    sheet->toolPicker()->setCurrentIndex(3); // Codex
    QTest::keyClicks(sheet->nameField(), u"!!!"_s);
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QCOMPARE(sheet->errorMessage(), SkillCreator::invalidNameMessage());
    QCOMPARE(NewSkillSheet::openOver(&window), sheet);
    QCOMPARE(sheet->nameField()->text(), u"!!!"_s); // kept to correct
    QCOMPARE(sheet->selectedTool(), ToolSource::Codex);

    sheet->nameField()->setText(u"Agents"_s);
    QTest::mouseClick(sheet->createButton(), Qt::LeftButton);
    QTRY_VERIFY(!NewSkillSheet::openOver(&window));
    QVERIFY(m_state->selectedSkill());
    QCOMPARE(m_state->selectedSkill()->filePath(), m_home->path(u".codex/AGENTS.md"_s));
    QVERIFY(!m_state->showingNewSkillSheet());
}

void NewSkillSheetTest::windowCreatesAndSelects_data()
{
    QTest::addColumn<int>("toolIndex");
    QTest::addColumn<QString>("file");
    QTest::newRow("claude") << 0 << u".claude/skills/café-menu/SKILL.md"_s;
    QTest::newRow("windsurf") << 2 << u".codeium/windsurf/memories/SKILL.md"_s;
    QTest::newRow("aider") << 5 << u".claude/skills/café-menu/SKILL.md"_s;
    QTest::newRow("amp") << 6 << u".config/amp/AGENTS.md"_s;
}

void NewSkillSheetTest::windowCreatesAndSelects()
{
    QFETCH(int, toolIndex);
    QFETCH(QString, file);
    ContentView window(m_state.get(), m_store.get(), m_settings.get(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(&window, QKeySequence::New);
    NewSkillSheet *sheet = NewSkillSheet::openOver(&window);
    QVERIFY(sheet);
    sheet->toolPicker()->setCurrentIndex(toolIndex);
    sheet->nameField()->insert(u"Café Menu"_s); // typed keys are ASCII only in QTest
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QTRY_VERIFY(!NewSkillSheet::openOver(&window));

    Skill *skill = m_state->selectedSkill();
    QVERIFY(skill);
    QCOMPARE(skill->filePath(), m_home->path(file));
    QCOMPARE(skill->name(), u"Café Menu"_s);
    // The list shows it, selected.
    const QListView *list = window.findChild<SkillListView *>()->list();
    QCOMPARE(list->currentIndex().data(SkillListModel::SkillRole).value<Skill *>(), skill);
}

void NewSkillSheetTest::startsWithTheDefaultHarness_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<ToolSource>("initial");
    QTest::newRow("amp") << u"amp"_s << ToolSource::Amp;
    QTest::newRow("custom is not offered") << u"custom"_s << ToolSource::Claude;
    QTest::newRow("unknown") << u"Cursor"_s << ToolSource::Claude;
    QTest::newRow("absent") << QString() << ToolSource::Claude;
}

void NewSkillSheetTest::startsWithTheDefaultHarness()
{
    QFETCH(QString, stored);
    QFETCH(ToolSource, initial);
    if (!stored.isNull())
        m_settings->setValue(u"defaultTool"_s, stored);
    ContentView window(m_state.get(), m_store.get(), m_settings.get(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.newSkillAction()->trigger();
    QCOMPARE(NewSkillSheet::openOver(&window)->selectedTool(), initial);
}

QTEST_MAIN(NewSkillSheetTest)
#include "tst_newskillsheet.moc"
