#include "appstate.h"
#include "capsulebadge.h"
#include "elidedlabel.h"
#include "fakehome.h"
#include "filerevealer.h"
#include "memorystore.h"
#include "metadatatexts.h"
#include "skill.h"
#include "skillcardview.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillhealthchecker.h"
#include "skillmetadatabar.h"
#include "skillrecords.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolTip>

using namespace Qt::StringLiterals;

// What the detail column tells the user about the skill in front of them:
// unsaved edits, the file after a save, the description as written for people,
// and where the file is when no file manager can show it.
class DetailFeedbackTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void modifiedBesideTitle();
    void barFollowsSave();
    void descriptionWithoutQuotes_data();
    void descriptionWithoutQuotes();
    void fullDescriptionWhereCut();
    void revealWithoutFileManagerGivesPath();
    void findingSizeInTheCardsUnits();

private:
    Skill *addSkill(const QByteArray &text, const QString &description = {});

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<AppState> m_state;
};

void DetailFeedbackTest::initTestCase()
{
    // No session bus: the file manager cannot be asked, as on a bare system.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quire-test-bus");
}

void DetailFeedbackTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_state = std::make_unique<AppState>();
}

void DetailFeedbackTest::cleanup()
{
    m_state.reset();
    m_store.reset();
    m_home.reset();
}

Skill *DetailFeedbackTest::addSkill(const QByteArray &text, const QString &description)
{
    Skill::Seed seed = skillSeed(m_home->write(u".claude/skills/pdf/SKILL.md"_s, text));
    seed.description = description;
    seed.fileSize = 1;
    seed.fileModifiedDate = QDateTime::currentDateTime().addDays(-3);
    Skill *skill = ::addSkill(*m_store, seed);
    return skill && m_store->save() ? skill : nullptr;
}

// The mark sits in the header beside the name, never over the text.
void DetailFeedbackTest::modifiedBesideTitle()
{
    Skill *skill = addSkill("body\n");
    SkillDetailView view(skill, m_state.get(), m_store.get());
    view.resize(600, 400);
    view.show();
    // The name takes the width it needs, no less, with room to spare.
    for (const QString &name :
        { u"gitmoji"_s, u"brag-sheet"_s, u"vercel-composition-patterns"_s }) {
        skill->setName(name);
        QApplication::processEvents();
        QVERIFY2(!view.findChild<ElidedLabel *>(u"title"_s)->isCut(), qPrintable(name));
    }
    m_state->setDetailViewMode(DetailViewMode::Editor);
    QVERIFY(view.editor());
    QVERIFY(!view.modifiedBadgeVisible());
    view.editor()->textEdit()->insertPlainText(u"more "_s);
    QVERIFY(view.modifiedBadgeVisible());
    QApplication::processEvents();
    const QRect badge(view.modifiedBadge()->mapTo(&view, QPoint()), view.modifiedBadge()->size());
    const QPlainTextEdit *text = view.editor()->textEdit();
    const QRect editor(text->mapTo(&view, QPoint()), text->size());
    QVERIFY(!badge.intersects(editor));
    QVERIFY(view.editor()->saveContent());
    QVERIFY(!view.modifiedBadgeVisible());
}

void DetailFeedbackTest::barFollowsSave()
{
    Skill *skill = addSkill("body\n");
    SkillDetailView view(skill, m_state.get(), m_store.get());
    QCOMPARE(view.metadataBar()->ageText(), u"3 days ago"_s);
    m_state->setDetailViewMode(DetailViewMode::Editor);
    view.editor()->textEdit()->insertPlainText(QString(1200, u'x'));
    QVERIFY(view.editor()->saveContent());
    QCOMPARE(view.metadataBar()->sizeText(), u"1.2 kB"_s);
    QCOMPARE(view.metadataBar()->ageText(), u"now"_s);
}

void DetailFeedbackTest::descriptionWithoutQuotes_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("double quotes") << u"\"Reads PDFs\""_s << u"Reads PDFs"_s;
    QTest::newRow("escapes inside double quotes")
        << u"\"Say \\\"hi\\\" to C:\\\\\""_s << u"Say \"hi\" to C:\\"_s;
    QTest::newRow("single quotes, doubled inside") << u"'It''s \"fine\"'"_s << u"It's \"fine\""_s;
    QTest::newRow("quotes inside only") << u"Use \"this\" one"_s << u"Use \"this\" one"_s;
    QTest::newRow("unbalanced") << u"\"Reads PDFs'"_s << u"\"Reads PDFs'"_s;
    QTest::newRow("one quote mark") << u"\""_s << u"\""_s;
}

// The record keeps the text as the file has it; only the card reads it as YAML would.
void DetailFeedbackTest::descriptionWithoutQuotes()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Skill *skill = addSkill("body\n", stored);
    SkillCardView card(skill, m_state.get());
    const auto *description = card.findChild<ElidedLabel *>(u"description"_s);
    QVERIFY(description);
    QCOMPARE(description->text(), shown);
    QCOMPARE(skill->skillDescription(), stored);
}

void DetailFeedbackTest::fullDescriptionWhereCut()
{
    const QString text = u"Reads PDFs and fills their forms; "_s.repeated(12);
    SkillCardView card(addSkill("body\n", text), m_state.get());
    auto *description = card.findChild<ElidedLabel *>(u"description"_s);
    QVERIFY(description);
    // Wide enough first: no tooltip; then cut: the whole text.
    for (const int width : { 4000, 300 }) {
        description->resize(width, description->heightForWidth(width));
        QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), description->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(description, &help);
        const bool cut = width == 300;
        QCOMPARE(description->isCut(), cut);
        QCOMPARE(QToolTip::text(), cut ? text : QString());
    }
}

void DetailFeedbackTest::revealWithoutFileManagerGivesPath()
{
    Skill *skill = addSkill("body\n");
    QWidget window;
    FileRevealer::reveal(skill->filePath(), &window);
    auto *message = window.findChild<QMessageBox *>(u"revealFallback"_s);
    QVERIFY(message);
    QVERIFY2(message->text().contains(skill->filePath()), qPrintable(message->text()));
    QVERIFY(message->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
}

// The card shows "54.8 kB" above the finding; the finding says it the same way.
void DetailFeedbackTest::findingSizeInTheCardsUnits()
{
    const QString path = m_home->write(u".codex/AGENTS.md"_s, QByteArray(54'835, 'a'));
    Skill::Seed seed = skillSeed(path, {}, ToolSource::Codex);
    seed.fileSize = 54'835;
    seed.isGlobal = true;
    Skill *skill = ::addSkill(*m_store, seed);
    QVERIFY(skill);
    const QList<HealthFinding> findings = SkillHealthChecker(m_home->path()).check(*skill);
    const auto size = std::find_if(findings.cbegin(), findings.cend(),
        [](const HealthFinding &finding) { return finding.id == u"size.agents"; });
    QVERIFY(size != findings.cend());
    QVERIFY2(size->sentence.contains(MetadataTexts::sizeText(skill->fileSize())),
        qPrintable(size->sentence));
    QVERIFY2(!(size->sentence + size->fix).contains(u"KiB"_s), qPrintable(size->sentence));
}

QTEST_MAIN(DetailFeedbackTest)
#include "tst_detailfeedback.moc"
