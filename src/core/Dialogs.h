// Every message box and input box of the program goes through this interface, so that the
// windows can be driven without a screen: the product shows Qt dialogs, tests answer from a
// script. Texts and titles are passed exactly as the user sees them; an empty title stands for
// the program's title, "Jukora".
#pragma once

#include <QString>

enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgIcon { None, Information, Question, Warning, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Blocks until the user answers.
    virtual MsgResult MsgBox(const QString& prompt, MsgButtons buttons = MsgButtons::Ok,
                             const QString& title = QString(), MsgIcon icon = MsgIcon::None) = 0;
    // The text typed, or empty text when the user cancels.
    virtual QString InputBox(const QString& prompt, const QString& title = QString(),
                             const QString& defaultText = QString()) = 0;
};

inline const QString& ProgramTitle() {
    static const QString title = QStringLiteral("Jukora");
    return title;
}
