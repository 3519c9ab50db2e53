#include "commandline.h"
#include "exitcode.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run run(const QStringList &arguments)
{
    Run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = CommandLine::run(QStringList { u"dirs"_s } + arguments, out, err);
    return result;
}

QStringList stored()
{
    return SettingsStore(SettingsStore::defaultPath()).customScanPaths();
}

} // namespace

class DirsCommandTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void badUsage_data();
    void badUsage();
    void addAndRemove();
    void unwritableSettingsFail();
    void childProcess();

private:
    static Run runChild(const QStringList &arguments);
    QString makeFolder(const QString &name) const;

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_savedCurrent;
};

void DirsCommandTest::init()
{
    // A fresh home per test: QSettings caches each file by name in-process, so
    // one shared path would carry a list from test to test.
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(u"config"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->filePath(u"data"_s)));
    qputenv("QUIRE_STORE", ":memory:");
    m_savedCurrent = QDir::currentPath();
}

void DirsCommandTest::cleanup()
{
    QDir::setCurrent(m_savedCurrent);
}

Run DirsCommandTest::runChild(const QStringList &arguments)
{
    QProcess process; // inherits the fake home set up in init()
    process.start(QStringLiteral(QUIRE_BINARY), QStringList { u"dirs"_s } + arguments);
    Run result;
    if (!process.waitForFinished(60000))
        return result;
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString DirsCommandTest::makeFolder(const QString &name) const
{
    QString path = m_home->filePath(name);
    if (!QDir().mkpath(path))
        qFatal("cannot make the test folder");
    return path;
}

void DirsCommandTest::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no action") << QStringList();
    QTest::newRow("unknown action") << QStringList { u"clear"_s };
    // Must not fall back to the current folder.
    QTest::newRow("add with empty folder") << QStringList { u"add"_s, QString() };
}

void DirsCommandTest::badUsage()
{
    QFETCH(QStringList, arguments);
    const Run result = run(arguments);
    QCOMPARE(result.code, int(ExitUsage));
    QVERIFY(result.err.contains(u"quire dirs add DIR"_s));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(SettingsStore::defaultPath()));
}

void DirsCommandTest::addAndRemove()
{
    const QString real = makeFolder(u"with space, comma \"and\" ünï"_s);
    const QString link = m_home->filePath(u"link"_s);
    QVERIFY(QFile::link(real, link));
    QFile file(m_home->filePath(u"notes.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(m_home->path()));

    // Relative and untidy in, absolute and clean stored, links kept as links.
    QCOMPARE(run({ u"add"_s, u"./x/../with space, comma \"and\" ünï/"_s }).code, int(ExitOk));
    QCOMPARE(run({ u"add"_s, u"link"_s }).code, int(ExitOk));
    const Run duplicate = run({ u"add"_s, real + u"/."_s });
    QCOMPARE(duplicate.code, int(ExitOk));
    QVERIFY(duplicate.out.contains(u"already"_s));
    QCOMPARE(run({ u"list"_s }).out, real + u'\n' + link + u'\n');

    // Refusals name the path and leave the list alone.
    for (const QStringList &refused : { QStringList { u"add"_s, u"nowhere"_s },
             QStringList { u"add"_s, u"notes.txt"_s }, QStringList { u"remove"_s, u"other"_s } }) {
        const Run result = run(refused);
        QCOMPARE(result.code, int(ExitUserError));
        QVERIFY2(result.err.contains(m_home->filePath(refused.at(1))), qPrintable(result.err));
    }
    QCOMPARE(stored(), (QStringList { real, link }));

    // A folder that is gone can still be removed; a hand-edited entry matches by its exact text.
    QVERIFY(QFile::remove(link));
    QCOMPARE(run({ u"remove"_s, u"link"_s }).code, int(ExitOk));
    QCOMPARE(stored(), QStringList { real });
    SettingsStore(SettingsStore::defaultPath()).setCustomScanPaths({ real, u"/odd//entry/"_s });
    QCOMPARE(run({ u"remove"_s, u"/odd//entry/"_s }).code, int(ExitOk));
    QCOMPARE(stored(), QStringList { real });
}

void DirsCommandTest::unwritableSettingsFail()
{
    // The config folder is a file, so the settings file cannot be made.
    QFile blocker(m_home->filePath(u"blocker"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker.fileName()));
    const Run result = run({ u"add"_s, makeFolder(u"folder"_s) });
    QCOMPARE(result.code, int(ExitUserError));
    QVERIFY(result.err.contains(u"settings file"_s));
    QVERIFY(result.out.isEmpty());
}

void DirsCommandTest::childProcess()
{
    // An open window holds its store while a terminal changes the list.
    SettingsStore window(m_home->filePath(u"config/Quire/Quire.conf"_s));
    QCOMPARE(window.customScanPaths(), QStringList());
    window.watchForOtherWriters();
    QSignalSpy heard(&window, &SettingsStore::customScanPathsChanged);

    const QString folder = makeFolder(u"projects, mine"_s);
    QCOMPARE(runChild({ u"add"_s, folder }).code, int(ExitOk));
    const Run listed = runChild({ u"list"_s });
    QCOMPARE(listed.code, int(ExitOk));
    QCOMPARE(listed.out, folder + u'\n');
    QCOMPARE(window.customScanPaths(), QStringList { folder });
    QTRY_COMPARE_WITH_TIMEOUT(heard.count(), 1, 5000); // the window hears the terminal
    QCOMPARE(runChild({ u"list"_s }).code, int(ExitOk));
    QTest::qWait(300);
    QCOMPARE(heard.count(), 1); // reading is not a change

    const Run usage = runChild({ u"add"_s });
    QCOMPARE(usage.code, int(ExitUsage));
    QVERIFY(usage.out.isEmpty());
    QVERIFY(usage.err.contains(u"quire dirs add DIR"_s));
}

QTEST_GUILESS_MAIN(DirsCommandTest)
#include "tst_dirscommand.moc"
