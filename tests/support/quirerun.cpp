#include "quirerun.h"

#include "commandline.h"

#include <QProcess>
#include <QTextStream>

using namespace Qt::StringLiterals;

QString quireBinary()
{
    return QStringLiteral(QUIRE_BINARY);
}

QuireRun runQuire(
    const QStringList &arguments, const QProcessEnvironment &environment, const QByteArray &input)
{
    QuireRun run;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(quireBinary(), arguments);
    if (!process.waitForStarted(30000))
        return run;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QuireRun runQuireInProcess(const QStringList &arguments)
{
    QString out;
    QString err;
    QuireRun run;
    {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        run.code = CommandLine::run(arguments, outStream, errStream);
    }
    run.out = out.toUtf8();
    run.err = err.toUtf8();
    return run;
}
