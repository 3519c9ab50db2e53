#include "exitcode.h"
#include "fakehome.h"
#include "quirerun.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QuireRun run(const QStringList &arguments)
{
    return runQuireInProcess(QStringList { u"dirs"_s } + arguments);
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
    QuireRun runChild(const QStringList &arguments) const
    {
        return m_home->quire(QStringList { u"dirs"_s } + arguments);
    }
    QString makeFolder(const QString &name) const;

    // A fresh home per test: QSettings caches each file by name in-process, so
    // one shared path would carry a list from test to test.
    std::unique_ptr<FakeHome> m_home;
    QString m_savedCurrent;
};

void DirsCommandTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_savedCurrent = QDir::currentPath();
}

void DirsCommandTest::cleanup()
{
    QDir::setCurrent(m_savedCurrent);
    m_home.reset();
}

QString DirsCommandTest::makeFolder(const QString &name) const
{
    QString path = m_home->path(name);
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
    const QuireRun result = run(arguments);
    QCOMPARE(result.code, int(ExitUsage));
    QVERIFY(result.err.contains("quire dirs add DIR"));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(SettingsStore::defaultPath()));
}

void DirsCommandTest::addAndRemove()
{
    const QString real = makeFolder(u"with space, comma \"and\" ünï"_s);
    const QString link = m_home->path(u"link"_s);
    QVERIFY(QFile::link(real, link));
    m_home->write(u"notes.txt"_s, {});
    QVERIFY(QDir::setCurrent(m_home->path()));

    // Relative and untidy in, absolute and clean stored, links kept as links.
    QCOMPARE(run({ u"add"_s, u"./x/../with space, comma \"and\" ünï/"_s }).code, int(ExitOk));
    QCOMPARE(run({ u"add"_s, u"link"_s }).code, int(ExitOk));
    const QuireRun duplicate = run({ u"add"_s, real + u"/."_s });
    QCOMPARE(duplicate.code, int(ExitOk));
    QVERIFY(duplicate.out.contains("already"));
    QCOMPARE(QString::fromUtf8(run({ u"list"_s }).out), real + u'\n' + link + u'\n');

    // Refusals name the path and leave the list alone.
    for (const QStringList &refused : { QStringList { u"add"_s, u"nowhere"_s },
             QStringList { u"add"_s, u"notes.txt"_s }, QStringList { u"remove"_s, u"other"_s } }) {
        const QuireRun result = run(refused);
        QCOMPARE(result.code, int(ExitUserError));
        QVERIFY2(result.err.contains(m_home->path(refused.at(1)).toUtf8()), result.err.constData());
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
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->write(u"blocker"_s, {})));
    const QuireRun result = run({ u"add"_s, makeFolder(u"folder"_s) });
    QCOMPARE(result.code, int(ExitUserError));
    QVERIFY(result.err.contains("settings file"));
    QVERIFY(result.out.isEmpty());
}

void DirsCommandTest::childProcess()
{
    // An open window holds its store while a terminal changes the list.
    SettingsStore window(m_home->settingsPath());
    QCOMPARE(window.customScanPaths(), QStringList());
    window.watchForOtherWriters();
    QSignalSpy heard(&window, &SettingsStore::customScanPathsChanged);

    const QString folder = makeFolder(u"projects, mine"_s);
    QCOMPARE(runChild({ u"add"_s, folder }).code, int(ExitOk));
    const QuireRun listed = runChild({ u"list"_s });
    QCOMPARE(listed.code, int(ExitOk));
    QCOMPARE(QString::fromUtf8(listed.out), folder + u'\n');
    QCOMPARE(window.customScanPaths(), QStringList { folder });
    QTRY_COMPARE_WITH_TIMEOUT(heard.count(), 1, 5000); // the window hears the terminal
    QCOMPARE(runChild({ u"list"_s }).code, int(ExitOk));
    QTest::qWait(300);
    QCOMPARE(heard.count(), 1); // reading is not a change
}

QTEST_GUILESS_MAIN(DirsCommandTest)
#include "tst_dirscommand.moc"
