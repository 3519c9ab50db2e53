#include "updateresultdialog.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

void UpdateResultDialog::show(QWidget *parent, const UpdateCheckResult &result)
{
    QMessageBox box(parent);
    box.setWindowTitle(u"Check for Updates"_s);
    // The message quotes the feed; as rich text a feed could plant a link to
    // a local file that a click would open, so it is only ever plain text.
    box.setTextFormat(Qt::PlainText);
    box.setText(result.message);
    box.setIcon(result.kind == UpdateCheckResult::Kind::Failed ? QMessageBox::Warning
                                                               : QMessageBox::Information);
    QPushButton *download = nullptr;
    if (result.kind == UpdateCheckResult::Kind::UpdateAvailable && result.downloadUrl.isValid())
        download = box.addButton(u"Open Download Page"_s, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Close);
    box.exec();
    if (download && box.clickedButton() == download)
        QDesktopServices::openUrl(result.downloadUrl);
}
