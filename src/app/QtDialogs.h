// The product's dialogs: Qt message and input boxes with the exact texts and titles.
#pragma once

#include "core/Dialogs.h"

class QtDialogs final : public Dialogs {
public:
    MsgResult MsgBox(const QString& prompt, MsgButtons buttons, const QString& title,
                     MsgIcon icon) override;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
};
