#include "appstate.h"
#include "artifactcache.h"
#include "collectionpicker.h"
#include "fakehome.h"
#include "memorystore.h"
#include "skill.h"
#include "skillcardview.h"
#include "skillcollection.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillmetadatabar.h"
#include "skillrecords.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class SkillDetailViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void titleAndStarFollowRecord();
    void pickerSwitchesMode();
    void cardSections_data();
    void cardSections();
    void cardFollowsArtifacts();
    void metadataBarTexts();
    void pickerTogglesMembership();

private:
    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<AppState> m_state;
    Skill *m_skill = nullptr;
};

void SkillDetailViewTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_state = std::make_unique<AppState>();
    Skill::Seed seed = skillSeed(m_home->path(u".claude/skills/pdf/SKILL.md"_s));
    seed.description = u"Reads PDFs"_s;
    seed.content = u"# PDF\n\nUse it."_s;
    seed.frontmatter = { { u"name"_s, u"pdf"_s }, { u"description"_s, u"Reads PDFs"_s } };
    seed.fileSize = 1500;
    seed.fileModifiedDate = QDateTime::currentDateTime().addSecs(-7200);
    seed.isGlobal = true;
    m_skill = addSkill(*m_store, seed);
    QVERIFY(m_skill);
    m_skill->addInstallation(m_home->path(u".cursor/skills/pdf/SKILL.md"_s), ToolSource::Cursor);
    QVERIFY(m_store->save());
}

void SkillDetailViewTest::cleanup()
{
    ArtifactCache::shared().setArtifacts({}, m_skill->filePath());
    m_state.reset();
    m_store.reset();
    m_home.reset();
}

void SkillDetailViewTest::titleAndStarFollowRecord()
{
    SkillDetailView view(m_skill, m_state.get(), m_store.get());
    QCOMPARE(view.title(), u"pdf"_s);
    m_skill->setName(u"pdf tools"_s);
    QCOMPARE(view.title(), u"pdf tools"_s);
    QCOMPARE(view.favoriteButton()->toolTip(), u"Add to favorites"_s);
    view.favoriteButton()->click();
    QVERIFY(m_skill->isFavorite());
    QCOMPARE(view.favoriteButton()->toolTip(), u"Remove from favorites"_s);
    view.favoriteButton()->click();
    QVERIFY(!m_skill->isFavorite());
}

void SkillDetailViewTest::pickerSwitchesMode()
{
    SkillDetailView view(m_skill, m_state.get(), m_store.get());
    QVERIFY(view.cardButton()->isChecked());
    QVERIFY(!view.editor());
    view.editorButton()->click();
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
    QVERIFY(view.editor());
    QVERIFY(view.editorButton()->isChecked());
    view.cardButton()->click();
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Card);
    QVERIFY(!view.editor()); // its state goes with it
    // The card's Edit button reaches the same place.
    qobject_cast<QAbstractButton *>(view.card()->editButton())->click();
    QCOMPARE(m_state->detailViewMode(), DetailViewMode::Editor);
}

void SkillDetailViewTest::cardSections_data()
{
    using Map = QMap<QString, QString>;
    QTest::addColumn<Map>("frontmatter");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("metadataRows");
    QTest::addColumn<QString>("preview");
    QTest::newRow("no extra keys")
        << Map { { u"Name"_s, u"x"_s } } << u"a\n\n b"_s << 0 << u"a\n b"_s;
    QTest::newRow("extra keys") << Map { { u"b"_s, u"1"_s }, { u"a"_s, u"2"_s } } << u"x"_s << 2
                                << u"x"_s;
}

void SkillDetailViewTest::cardSections()
{
    using Map = QMap<QString, QString>;
    QFETCH(Map, frontmatter);
    QFETCH(QString, content);
    QFETCH(int, metadataRows);
    QFETCH(QString, preview);
    SkillCardView card(m_skill, m_state.get());
    m_skill->setFrontmatter(frontmatter);
    m_skill->setContent(content);
    QTRY_COMPARE(card.previewText(), preview);
    QCOMPARE(card.metadataSection() != nullptr, metadataRows > 0);
    if (metadataRows > 0) {
        const QList<QLabel *> labels = card.metadataSection()->findChildren<QLabel *>();
        QCOMPARE(std::count_if(
                     labels.cbegin(), labels.cend(), [](QLabel *l) { return l->text() == u"a"_s; }),
            1);
    }
    QVERIFY(!card.resourcesSection());
    QCOMPARE(card.resourceCountText(), QString());
}

void SkillDetailViewTest::cardFollowsArtifacts()
{
    SkillCardView card(m_skill, m_state.get());
    const auto artifact = [this](const QString &name, SkillArtifact::Category category) {
        SkillArtifact a;
        a.id = QUuid::createUuid();
        a.name = name;
        a.path = m_home->path(u".claude/skills/pdf/"_s + name);
        a.relativePath = name;
        a.category = category;
        return a;
    };
    ArtifactCache::shared().setArtifacts(
        { artifact(u"run.py"_s, SkillArtifact::Category::Script) }, m_skill->filePath());
    card.refreshArtifacts();
    QCOMPARE(card.resourceCountText(), u"1 resource"_s);
    QVERIFY(card.resourcesSection());
    ArtifactCache::shared().setArtifacts(
        { artifact(u"run.py"_s, SkillArtifact::Category::Script),
            artifact(u"notes.md"_s, SkillArtifact::Category::Reference) },
        m_skill->filePath());
    card.refreshArtifacts();
    QCOMPARE(card.resourceCountText(), u"2 resources"_s);
    const QList<QAbstractButton *> chips
        = card.resourcesSection()->findChildren<QAbstractButton *>();
    QCOMPARE(chips.size(), 2);
    QCOMPARE(chips.at(0)->toolTip(), u"run.py"_s); // scripts come before references

    // Another skill without supporting files shows none of these.
    const std::unique_ptr<Skill> other(
        Skill::make(skillSeed(m_home->path(u".claude/skills/other/SKILL.md"_s))));
    card.setSkill(other.get());
    QVERIFY(!card.resourcesSection());
    QCOMPARE(card.resourceCountText(), QString());
    card.setSkill(m_skill);
    QCOMPARE(card.resourceCountText(), u"2 resources"_s);
}

void SkillDetailViewTest::metadataBarTexts()
{
    SkillMetadataBar bar(m_skill, m_store.get());
    QCOMPARE(bar.pathText(), u"~/.claude/skills/pdf/SKILL.md"_s);
    QCOMPARE(bar.installedPathsText(),
        u"~/.claude/skills/pdf/SKILL.md\n~/.cursor/skills/pdf/SKILL.md"_s);
    QCOMPARE(bar.toolIconCount(), 2);
    QCOMPARE(bar.ageText(), u"2 hours ago"_s);
    m_skill->setToolSources({});
    QCOMPARE(bar.toolIconCount(), 0);
    m_skill->setFileSize(2'000'000);
    QVERIFY(bar.sizeText().contains(u"MB"_s));
}

void SkillDetailViewTest::pickerTogglesMembership()
{
    SkillMetadataBar bar(m_skill, m_store.get());
    bar.toggleCollectionPicker();
    QVERIFY(bar.picker());
    QVERIFY(bar.picker()->rows().isEmpty());
    const QList<QLabel *> texts = bar.picker()->findChildren<QLabel *>();
    QVERIFY(std::any_of(texts.cbegin(), texts.cend(),
        [](QLabel *l) { return l->text() == u"No collections yet"_s; }));
    bar.toggleCollectionPicker();
    QTRY_VERIFY(!bar.picker());

    Result<SkillCollection *> work = SkillCollection::create(*m_store, u"Work"_s, u"folder"_s);
    QVERIFY(work);
    bar.toggleCollectionPicker();
    QCOMPARE(bar.picker()->rows().size(), 1);
    qobject_cast<QAbstractButton *>(bar.picker()->rows().constFirst())->click();
    QVERIFY(SkillCollection::isMember(*m_skill, u"Work"_s));
    QTRY_VERIFY(qobject_cast<QAbstractButton *>(bar.picker()->rows().constFirst())->isChecked());
    qobject_cast<QAbstractButton *>(bar.picker()->rows().constFirst())->click();
    QVERIFY(!SkillCollection::isMember(*m_skill, u"Work"_s));
    QVERIFY(work.value()->skills().isEmpty());
}

QTEST_MAIN(SkillDetailViewTest)
#include "tst_skilldetailview.moc"
