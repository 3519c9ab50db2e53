#include "appearance.h"
#include "fakehome.h"
#include "settingsstore.h"
#include "settingsview.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>

using namespace Qt::StringLiterals;

// Settings › General › Appearance: the choice applies at once, is stored, and
// is what the next start (and the next settings window) reads.
class AppearanceTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void choiceAppliesAndStays_data();
    void choiceAppliesAndStays();
};

void AppearanceTest::initTestCase()
{
    Appearance::rememberDesktop();
}

void AppearanceTest::choiceAppliesAndStays_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QColor>("window");
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    QTest::newRow("dark") << u"Dark"_s << u"dark"_s
                          << Appearance::darkPalette().color(QPalette::Window);
    QTest::newRow("light") << u"Light"_s << u"light"_s
                           << Appearance::lightPalette().color(QPalette::Window);
    // Qt 6.4 cannot tell the desktop's scheme: its own palette comes back.
    QTest::newRow("system") << u"System"_s << u"system"_s << desktop;
}

void AppearanceTest::choiceAppliesAndStays()
{
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    QFETCH(QColor, window);
    FakeHome home(FakeHome::Store::Memory);
    SettingsStore settings(home.settingsPath());
    // Start from the other end, so each row changes something.
    Appearance::apply(stored == u"dark" ? Appearance::Scheme::Light : Appearance::Scheme::Dark);
    {
        SettingsView view(&settings, nullptr);
        auto *choice = view.findChild<QComboBox *>(u"appearance"_s);
        QVERIFY(choice);
        choice->setCurrentIndex(choice->findText(shown));
        Q_EMIT choice->activated(choice->currentIndex());
    }
    QCOMPARE(QApplication::palette().color(QPalette::Window), window);
    QCOMPARE(
        SettingsStore(home.settingsPath()).value(Appearance::settingsKey()).toString(), stored);
    SettingsView again(&settings, nullptr);
    again.show();
    QCOMPARE(again.findChild<QComboBox *>(u"appearance"_s)->currentText(), shown);
}

QTEST_MAIN(AppearanceTest)
#include "tst_appearance.moc"
