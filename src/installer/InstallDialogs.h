// The installer's message boxes go through this interface: the product shows Qt message boxes;
// an automated run (see InstallScript.h) answers them from its script and writes down what was
// shown. Texts and titles are passed exactly as the user sees them.
#pragma once

#include <QString>

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { None, Critical };
enum class BoxAnswer { Ok, Yes, No };

class InstallDialogs {
public:
    virtual ~InstallDialogs() = default;
    // Blocks until the user answers.
    virtual BoxAnswer MsgBox(const QString& prompt, BoxButtons buttons, const QString& title,
                             BoxIcon icon) = 0;
};

class QtInstallDialogs final : public InstallDialogs {
public:
    BoxAnswer MsgBox(const QString& prompt, BoxButtons buttons, const QString& title,
                     BoxIcon icon) override;
};
