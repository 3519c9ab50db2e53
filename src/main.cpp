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
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIRE_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    // With a command, quire runs headless: no display is needed or touched.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        describe();
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int code = CommandLine::run(QCoreApplication::arguments().mid(1), out, err);
        out.flush();
        err.flush();
        return code;
    }
    QApplication app(argc, argv);
    describe();
    QuireApp::applyColorScheme(qEnvironmentVariable("QUIRE_COLOR_SCHEME"));
    // The views' resources live in a static library: pull them in by name.
    Q_INIT_RESOURCE(quire);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quire.Quire"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quire.svg")));
    return QuireApp::run();
}
