#include "app/QtDialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

MsgResult QtDialogs::MsgBox(const QString& prompt, MsgButtons buttons, const QString& title,
                            MsgIcon icon) {
    QMessageBox box;
    const QString text = QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setWindowTitle(title.isEmpty() ? ProgramTitle() : title);
    box.setText(text);
    // Every message also goes to standard error, so that what a box says is not lost where no
    // one sees the screen (a file manager starting the program, a terminal session).
    std::fprintf(stderr, "Jukora: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
    switch (icon) {
    case MsgIcon::None:
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    default:
        return MsgResult::Ok;
    }
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title,
                            const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, title.isEmpty() ? ProgramTitle() : title,
                                               prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}
