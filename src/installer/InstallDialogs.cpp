#include "installer/InstallDialogs.h"

#include <QMessageBox>

BoxAnswer QtInstallDialogs::MsgBox(const QString& prompt, BoxButtons buttons, const QString& title,
                                   BoxIcon icon) {
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setIcon(icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                        : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    default:
        return BoxAnswer::Ok;
    }
}
