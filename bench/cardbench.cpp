// The detail column's card for a skill folder with thousands of supporting
// files: building it and laying it out at a usual column width.

#include "appstate.h"
#include "artifactcache.h"
#include "skill.h"
#include "skillcardview.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QApplication>
#include <QLayout>
#include <QScrollArea>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int artifactCount = 2000;
constexpr int columnWidth = 560;
const QString skillFile = u"/bench/skills/big/SKILL.md"_s;

void fillCache()
{
    static const QStringList extensions
        = { u"py"_s, u"sh"_s, u"md"_s, u"json"_s, u"txt"_s, u"ts"_s };
    QList<SkillArtifact> artifacts;
    artifacts.reserve(artifactCount);
    for (int i = 0; i < artifactCount; ++i) {
        SkillArtifact artifact;
        artifact.id = QUuid::createUuid();
        artifact.fileExtension = extensions.at(i % extensions.size());
        artifact.name = u"file-%1.%2"_s.arg(i, 4, 10, QLatin1Char('0')).arg(artifact.fileExtension);
        artifact.relativePath = u"scripts/"_s + artifact.name;
        artifact.path = u"/bench/skills/big/"_s + artifact.relativePath;
        artifact.category
            = SkillArtifact::allCategories.at(size_t(i) % SkillArtifact::allCategories.size());
        artifacts.append(artifact);
    }
    ArtifactCache::shared().setArtifacts(artifacts, skillFile);
}

std::unique_ptr<Skill> bigSkill()
{
    Skill::Seed seed;
    seed.filePath = skillFile;
    seed.isDirectory = true;
    seed.name = u"big"_s;
    seed.description = u"A skill folder with two thousand supporting files"_s;
    seed.content = u"# Big\n\nBody text.\n"_s.repeated(40);
    seed.frontmatter = { { u"name"_s, u"big"_s }, { u"license"_s, u"MIT"_s } };
    seed.isGlobal = true;
    seed.tool = ToolSource::Claude;
    return std::unique_ptr<Skill>(Skill::make(seed));
}

// Builds a card, gives it the column's size and lays out everything in it.
double layOutCard(Skill *skill, AppState *state)
{
    std::unique_ptr<SkillCardView> card;
    const double ms = millisecondsOf([&] {
        card = std::make_unique<SkillCardView>(skill, state);
        card->resize(columnWidth, 800);
        card->widget()->resize(columnWidth, card->widget()->heightForWidth(columnWidth));
        card->widget()->layout()->activate();
    });
    return ms;
}

// The least a widget card can do: make one plain child per file and place it.
double placePlainWidgets()
{
    QWidget host;
    return millisecondsOf([&] {
        for (int i = 0; i < artifactCount; ++i) {
            auto *child = new QWidget(&host);
            child->setGeometry((i % 5) * 100, (i / 5) * 24, 96, 20);
        }
    });
}

void cardLayout(benchmark::State &state)
{
    fillCache();
    AppState appState;
    const std::unique_ptr<Skill> skill = bigSkill();
    layOutCard(skill.get(), &appState); // fonts and style load once per process
    double floorMs = 0;
    double total = 0;
    for (auto _ : state) {
        const double ms = layOutCard(skill.get(), &appState);
        floorMs += placePlainWidgets();
        total += ms;
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setFloor(state, total, floorMs);
    TableReporter::setTimeGoal(state, 20);
    ArtifactCache::shared().setArtifacts({}, skillFile);
}

} // namespace

BENCHMARK(cardLayout)
    ->Name("card/2000-artifacts")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
