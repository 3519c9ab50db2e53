// quire-gencorpus --skills N --seed S OUT: writes the benchmark corpus.

#include "corpusgenerator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "quire-gencorpus: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Writes a fake home and two custom scan directories of projects for the benchmarks."_s);
    parser.addHelpOption();
    parser.addOption({ u"skills"_s, u"Number of distinct skill files."_s, u"N"_s, u"10000"_s });
    parser.addOption({ u"seed"_s, u"Seed of every random choice."_s, u"S"_s, u"1"_s });
    parser.addPositionalArgument(u"OUT"_s, u"Folder to create; must not exist or be empty."_s);
    parser.process(app);

    bool skillsOk = false;
    bool seedOk = false;
    const int skills = parser.value(u"skills"_s).toInt(&skillsOk);
    const quint64 seed = parser.value(u"seed"_s).toULongLong(&seedOk);
    if (!skillsOk || skills < 1 || skills > 1'000'000)
        return fail(u"--skills takes a number from 1 to 1000000"_s);
    if (!seedOk)
        return fail(u"--seed takes a non-negative number"_s);
    if (parser.positionalArguments().size() != 1)
        return fail(u"give exactly one output folder"_s);
    const QString out = parser.positionalArguments().constFirst();
    if (QDir(out).exists()
        && !QDir(out).isEmpty(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return fail(u"%1 is not empty; remove it first"_s.arg(out));

    CorpusGenerator generator(skills, seed, out);
    QString error;
    if (!generator.run(&error)) {
        std::fprintf(stderr, "quire-gencorpus: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "quire-gencorpus: %d skills, %d links, %lld files, %.1f MB\n", skills,
        generator.links(), generator.files(), double(generator.bytes()) / 1e6);
    // The custom scan directories a scanner of this corpus is given.
    const QDir root(out);
    for (const QString &name : CorpusGenerator::scanDirectoryNames())
        std::printf("%s\n", qPrintable(QDir::cleanPath(root.absoluteFilePath(name))));
    return 0;
}
