#include "buildinfo.h"
#include "commandline.h"
#include "quireapp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QTextStream>

namespace {

void describe()
{
    QCoreApplication::setApplicationName(QStringLiteral("Quire"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quire"));
    QCoreApplication::setApplicationVersion(BuildInfo::shortVersion());
}

} // namespace

int main(int argc, char *argv[])
{
    // With a command, quire runs headless: no display is needed or touched.
    const bool open = argc > 1 && qstrcmp(argv[1], "open") == 0;
    if (argc > 1 && !open) {
        QCoreApplication app(argc, argv);
        describe();
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int code = CommandLine::run(QCoreApplication::arguments().mid(1), out, err);
        out.flush();
        err.flush();
        return code;
    }
    // Bad usage is told before any display is needed.
    QStringList openArguments;
    for (int i = 2; open && i < argc; ++i)
        openArguments.append(QString::fromLocal8Bit(argv[i]));
    QString error;
    const auto start = QuireApp::parseStartState(openArguments, error);
    if (!start) {
        QTextStream(stderr) << "quire open: " << error << '\n';
        return 2;
    }

    QApplication app(argc, argv);
    describe();
    QuireApp::applyColorScheme(qEnvironmentVariable("QUIRE_COLOR_SCHEME"));
    // The views' resources live in a static library: pull them in by name.
    Q_INIT_RESOURCE(quire);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quire.Quire"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quire.svg")));
    return QuireApp::run(*start);
}
