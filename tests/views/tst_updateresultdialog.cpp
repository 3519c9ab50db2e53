#include "updateresultdialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The dialog quotes what an update feed said; markup in it must stay text.
class UpdateResultDialogTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageIsPlainText_data();
    void messageIsPlainText();
};

void UpdateResultDialogTest::messageIsPlainText_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("link to a local file")
        << u"Quire <a href=\"file:///bin/sh\">2.0</a> is available."_s;
    QTest::newRow("rich text without a link") << u"<b>Quire</b> 2.0 is available."_s;
}

void UpdateResultDialogTest::messageIsPlainText()
{
    QFETCH(QString, message);
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    // The dialog is modal: look at it from inside its own event loop.
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (const QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text() != message)
                continue;
            shown = label->text();
            format = label->textFormat(); // the label opens links, so none may be made
        }
        box->reject();
    });
    UpdateResultDialog::show(nullptr,
        { UpdateCheckResult::Kind::UpdateAvailable, u"2.0"_s, QUrl(u"https://quire.example/2.0"_s),
            message });
    QCOMPARE(shown, message);
    QCOMPARE(format, Qt::PlainText);
}

QTEST_MAIN(UpdateResultDialogTest)
#include "tst_updateresultdialog.moc"
