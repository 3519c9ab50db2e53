#include "fakehome.h"
#include "qtoptions.h"
#include "quirerun.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Qt's standard options are the window's, whatever Quire's own parsing makes
// of the rest: `quire -style Fusion` opens the window instead of failing as
// an unknown command.
class QtOptionsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ownArguments_data();
    void ownArguments();
    void optionsReachTheWindow_data();
    void optionsReachTheWindow();
};

void QtOptionsTest::ownArguments_data()
{
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("ours");
    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("style with its value")
        << QStringList { u"-style"_s, u"Fusion"_s } << QStringList();
    QTest::newRow("attached value, double dash") << QStringList { u"--style=Fusion"_s,
        u"-reverse"_s, u"open"_s } << QStringList { u"open"_s };
    QTest::newRow("platform before a command") << QStringList { u"-platform"_s, u"offscreen"_s,
        u"list"_s, u"--json"_s } << QStringList { u"list"_s, u"--json"_s };
    QTest::newRow("a value that looks like a command is still the value")
        << QStringList { u"-style"_s, u"list"_s } << QStringList();
    QTest::newRow("after the command they are the command's") << QStringList { u"list"_s,
        u"--search"_s, u"-reverse"_s } << QStringList { u"list"_s, u"--search"_s, u"-reverse"_s };
    QTest::newRow("our own options are not Qt's")
        << QStringList { u"--version"_s } << QStringList { u"--version"_s };
    QTest::newRow("unknown dash words are not Qt's")
        << QStringList { u"-styles"_s, u"x"_s } << QStringList { u"-styles"_s, u"x"_s };
    QTest::newRow("a value-taking option at the end")
        << QStringList { u"-reverse"_s, u"-platform"_s } << QStringList();
}

void QtOptionsTest::ownArguments()
{
    QFETCH(QStringList, given);
    QFETCH(QStringList, ours);
    QCOMPARE(QtOptions::withoutLeading(given), ours);
}

void QtOptionsTest::optionsReachTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");
    // A platform that does not exist stops QApplication itself: proof that
    // the option reached it rather than Quire's command line.
    QTest::newRow("-platform reaches QApplication") << QStringList { u"-platform"_s,
        u"quire-no-such-platform"_s } << -2 << u"\"quire-no-such-platform\""_s;
    QTest::newRow("-style and -reverse before open") << QStringList {
        u"-style"_s, u"Fusion"_s, u"-reverse"_s, u"open"_s, u"--view"_s, u"sideways"_s
    } << 2 << u"quire open: unknown view 'sideways'"_s;
    QTest::newRow("-style after open")
        << QStringList { u"open"_s, u"-style"_s, u"Fusion"_s, u"--view"_s, u"sideways"_s } << 2
        << u"quire open: unknown view 'sideways'"_s;
    QTest::newRow("before a headless command, ignored")
        << QStringList { u"-style"_s, u"Fusion"_s, u"dirs"_s, u"list"_s } << 0 << QString();
}

void QtOptionsTest::optionsReachTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, error);
    FakeHome home;
    QProcessEnvironment environment = home.environment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const QuireRun run = runQuire(arguments, environment);
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(!err.contains(u"unknown command"_s), qPrintable(err));
    if (code >= 0)
        QCOMPARE(run.code, code);
    QVERIFY2(err.contains(error), qPrintable(err));
}

QTEST_GUILESS_MAIN(QtOptionsTest)
#include "tst_qtoptions.moc"
