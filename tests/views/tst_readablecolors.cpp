#include "appearance.h"
#include "appstate.h"
#include "artifactcache.h"
#include "capsulebadge.h"
#include "cardstyle.h"
#include "elidedlabel.h"
#include "fakehome.h"
#include "memorystore.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillrecords.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Every text of the detail column, measured against what it is drawn on, in
// the light and the dark palette: the colours the widgets actually use, so a
// colour that skips the derivation is caught wherever it is.
class ReadableColorsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void detailColumnReads_data();
    void detailColumnReads();
    void switchingAppearanceRestyles();

private:
    struct Measured
    {
        QString what;
        double ratio;
        double minimum;
    };
    static QList<Measured> measure(QWidget *root);
    static QColor groundOf(const QWidget *widget);
    static void addPalettes();

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<AppState> m_state;
    Skill *m_skill = nullptr;
};

void ReadableColorsTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_state = std::make_unique<AppState>();
    // A project skill (violet badge) with every section of the card.
    const QString path = m_home->write(u"work/app/.claude/skills/pdf/SKILL.md"_s, "---\n---\n");
    Skill::Seed seed = skillSeed(path);
    seed.description = u"\"Reads PDFs\""_s;
    seed.content = u"# PDF\n\nUse it."_s;
    seed.frontmatter
        = { { u"license"_s, u"MIT"_s }, { u"model"_s, u"x"_s }, { u"version"_s, u"1"_s } };
    seed.fileSize = 54'835;
    seed.fileModifiedDate = QDateTime::currentDateTime().addSecs(-7200);
    m_skill = addSkill(*m_store, seed);
    QVERIFY(m_skill);
    m_skill->addInstallation(m_home->path(u"work/app/.cursor/rules/pdf.md"_s), ToolSource::Cursor);
    QVERIFY(m_store->save());
    QList<SkillArtifact> artifacts;
    for (const QString &name :
        { u"run.sh"_s, u"a.py"_s, u"b.js"_s, u"c.md"_s, u"d.json"_s, u"e.txt"_s }) {
        SkillArtifact artifact;
        artifact.id = QUuid::createUuid();
        artifact.name = name;
        artifact.relativePath = name;
        artifact.path = m_home->path(u"work/app/.claude/skills/pdf/"_s + name);
        artifact.fileExtension = name.section(u'.', -1);
        artifact.category = SkillArtifact::allCategories.at(artifacts.size() % 5);
        artifacts.append(artifact);
    }
    ArtifactCache::shared().setArtifacts(artifacts, m_skill->filePath());
}

void ReadableColorsTest::cleanup()
{
    ArtifactCache::shared().setArtifacts({}, m_skill->filePath());
    QApplication::setPalette(Appearance::lightPalette());
    m_state.reset();
    m_store.reset();
    m_home.reset();
}

void ReadableColorsTest::addPalettes()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << Appearance::lightPalette();
    QTest::newRow("dark") << Appearance::darkPalette();
}

// The colour under a widget: the nearest filled ancestor, with the
// translucent fills between it and the widget laid over it.
QColor ReadableColorsTest::groundOf(const QWidget *widget)
{
    QList<QColor> fills;
    for (const QWidget *at = widget; at; at = at->parentWidget()) {
        if (!at->autoFillBackground() && at->parentWidget())
            continue;
        const QColor fill = at->palette().color(at->backgroundRole());
        fills.prepend(fill);
        if (fill.alpha() == 255)
            break;
    }
    QColor ground = fills.takeFirst();
    for (const QColor &fill : std::as_const(fills))
        ground = CardStyle::blended(fill, ground);
    return ground;
}

QList<ReadableColorsTest::Measured> ReadableColorsTest::measure(QWidget *root)
{
    QList<Measured> found;
    const auto minimumFor = [](const QFont &font) {
        const bool heading = font.pixelSize() >= 13 && font.weight() >= QFont::DemiBold;
        return heading ? CardStyle::headingContrast : CardStyle::textContrast;
    };
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(root))
            continue;
        found.append({ label->text().left(30),
            CardStyle::contrast(label->palette().color(label->foregroundRole()), groundOf(label)),
            minimumFor(label->font()) });
    }
    for (const ElidedLabel *label : root->findChildren<ElidedLabel *>()) {
        if (label->isVisibleTo(root))
            found.append(
                { label->text().left(30), CardStyle::contrast(label->textColor(), groundOf(label)),
                    minimumFor(label->font()) });
    }
    for (const CapsuleBadge *badge : root->findChildren<CapsuleBadge *>()) {
        if (badge->isVisibleTo(root))
            found.append({ badge->text(),
                CardStyle::contrast(
                    badge->textColor(), CardStyle::blended(badge->fill(), groundOf(badge))),
                CardStyle::textContrast });
    }
    for (const QPushButton *button : root->findChildren<QPushButton *>()) {
        if (button->isFlat() && button->isVisibleTo(root))
            found.append({ button->text(),
                CardStyle::contrast(
                    button->palette().color(QPalette::ButtonText), groundOf(button)),
                CardStyle::textContrast });
    }
    return found;
}

void ReadableColorsTest::detailColumnReads_data()
{
    addPalettes();
}

void ReadableColorsTest::detailColumnReads()
{
    QFETCH(QPalette, palette);
    QApplication::setPalette(palette);
    SkillDetailView view(m_skill, m_state.get(), m_store.get());
    view.resize(700, 1400);
    view.show();
    m_state->setDetailViewMode(DetailViewMode::Editor);
    QVERIFY(view.editor());
    view.editor()->finishLoading();
    view.editor()->textEdit()->insertPlainText(u"x"_s); // "Modified" shows
    QVERIFY(view.modifiedBadgeVisible());
    QList<Measured> measured = measure(&view);
    view.editor()->textEdit()->undo();
    m_state->setDetailViewMode(DetailViewMode::Card);
    measured += measure(&view);
    QVERIFY(measured.size() > 20); // sections, keys, badges, bar, header
    for (const Measured &text : std::as_const(measured))
        QVERIFY2(text.ratio >= text.minimum,
            qPrintable(u"\"%1\" %2:1"_s.arg(text.what).arg(text.ratio, 0, 'f', 2)));

    // Lines separate without glaring: visible, far from white on dark.
    const QList<QFrame *> lines = view.findChildren<QFrame *>(u"rule"_s);
    QCOMPARE(lines.size(), 2);
    for (const QFrame *line : lines) {
        const double ratio
            = CardStyle::contrast(line->palette().color(QPalette::WindowText), groundOf(line));
        QVERIFY2(ratio > 1.15 && ratio < 2.5, qPrintable(QString::number(ratio)));
    }
    QVERIFY(CardStyle::contrast(CardStyle::errorText(palette), palette.color(QPalette::Window))
        >= CardStyle::textContrast);
}

// Settings › Appearance changes the palette while windows are open.
void ReadableColorsTest::switchingAppearanceRestyles()
{
    QApplication::setPalette(Appearance::lightPalette());
    SkillDetailView view(m_skill, m_state.get(), m_store.get());
    view.resize(700, 1400);
    view.show();
    QApplication::setPalette(Appearance::darkPalette());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    for (const Measured &text : measure(&view))
        QVERIFY2(text.ratio >= text.minimum,
            qPrintable(u"\"%1\" %2:1"_s.arg(text.what).arg(text.ratio, 0, 'f', 2)));
}

QTEST_MAIN(ReadableColorsTest)
#include "tst_readablecolors.moc"
