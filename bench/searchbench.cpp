// Search over every skill through the store's index, beside a plain
// case-insensitive pass over the same texts.

#include "benchcorpus.h"
#include "modelcontext.h"
#include "scannedstore.h"
#include "skill.h"
#include "skillquery.h"
#include "skilltextmaker.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Texts
{
    Skill *skill;
    QString name;
    QString description;
    QString content;
};

// One store for every query; building it takes seconds.
struct SearchSetup
{
    std::unique_ptr<ScannedStore> store;
    std::unique_ptr<ModelContext> context;
    QList<Skill *> inNameOrder;
    std::vector<Texts> texts;
    QString error;
};

SearchSetup &setup()
{
    static SearchSetup made = [] {
        SearchSetup s;
        const auto corpus = BenchCorpus::fromEnvironment(&s.error);
        if (!corpus)
            return s;
        s.store = std::make_unique<ScannedStore>(*corpus);
        s.error = s.store->error();
        if (!s.error.isEmpty())
            return s;
        // Reopened, so bodies come from the store lazily as they would in the window.
        s.store->close();
        auto opened = ModelContext::open(s.store->storePath());
        if (!opened) {
            s.error = opened.error().message;
            return s;
        }
        s.context = std::move(opened.value());
        s.inNameOrder = s.context->skillsByName();
        for (Skill *skill : std::as_const(s.inNameOrder))
            s.texts.push_back(
                { skill, skill->name(), skill->skillDescription(), skill->content() });
        return s;
    }();
    return made;
}

void search(benchmark::State &state, const QString &query)
{
    SearchSetup &s = setup();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    double operationMs = 0;
    double floorMs = 0;
    qsizetype matches = 0;
    qsizetype plainMatches = 0;
    for (auto _ : state) {
        floorMs += millisecondsOf([&] {
            QList<Skill *> found;
            for (const Texts &t : s.texts) {
                if (t.name.contains(query, Qt::CaseInsensitive)
                    || t.description.contains(query, Qt::CaseInsensitive)
                    || t.content.contains(query, Qt::CaseInsensitive))
                    found.append(t.skill);
            }
            plainMatches = found.size();
        });
        const double ms = millisecondsOf(
            [&] { matches = SkillQuery(SidebarFilter::all(), query).apply(s.inNameOrder).size(); });
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 2);
    state.counters["matches"] = double(matches);
    state.counters["plain_matches"] = double(plainMatches);
}

// A one-letter query finds nearly every skill, a topic word some, the last none.
const bool registered = [] {
    const std::array<std::pair<const char *, QString>, 4> queries = { {
        { "search/1-letter", u"k"_s },
        { "search/3-letter", u"pdf"_s },
        { "search/6-letter", u"deploy"_s },
        { "search/missing", QString::fromLatin1(SkillTextMaker::missingWord()) },
    } };
    for (const auto &[name, query] : queries) {
        benchmark::RegisterBenchmark(name, search, query)
            ->Iterations(20)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    }
    return true;
}();

} // namespace
