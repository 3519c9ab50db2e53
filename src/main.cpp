#include "appearance.h"
#include "buildinfo.h"
#include "commandline.h"
#include "qtoptions.h"
#include "quireapp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QTextStream>

#include <algorithm>

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
    // Qt's own options in front (`quire -style Fusion`) belong to the window.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    const QStringList ours = QtOptions::withoutLeading(given);
    const bool open = !ours.isEmpty() && ours.constFirst() == u"open";
    if (!ours.isEmpty() && !open) {
        QCoreApplication app(argc, argv);
        describe();
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int code = CommandLine::run(
            QtOptions::withoutLeading(QCoreApplication::arguments().mid(1)), out, err);
        out.flush();
        err.flush();
        return code;
    }
    // Bad usage is told before any display is needed.
    const QStringList openArguments = open ? ours.mid(1) : QStringList();
    QString error;
    const auto start = QuireApp::parseStartState(openArguments, error);
    if (!start) {
        QTextStream(stderr) << "quire open: " << error << '\n';
        return 2;
    }

    QApplication app(argc, argv);
    describe();
    // A style named on the command line or in the environment is the user's choice.
    const bool styleNamed = std::any_of(given.cbegin(), given.cend(), [](const QString &argument) {
        return argument == u"-style" || argument == u"--style" || argument.startsWith(u"-style=")
            || argument.startsWith(u"--style=");
    });
    Appearance::keepNamedStyle(styleNamed || qEnvironmentVariableIsSet("QT_STYLE_OVERRIDE"));
    // The views' resources live in a static library: pull them in by name.
    Q_INIT_RESOURCE(quire);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quire.Quire"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quire.svg")));
    return QuireApp::run(*start);
}
