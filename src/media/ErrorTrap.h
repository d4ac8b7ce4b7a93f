// The error trap of the media modules' operations: on a failure, the failure's description in a
// box titled " Error", then a box with the operation's tag ("AGH n"), then the neutral result.
#pragma once

#include "core/Dialogs.h"

#include <exception>

template <typename Result, typename Body>
Result TrapErrors(Dialogs& dialogs, const char* tag, Result neutral, Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        dialogs.MsgBox(QString::fromUtf8(e.what()), MsgButtons::Ok, QStringLiteral(" Error"));
        dialogs.MsgBox(QLatin1String(tag));
        return neutral;
    }
}

template <typename Body> void TrapErrors(Dialogs& dialogs, const char* tag, Body&& body) {
    TrapErrors(dialogs, tag, 0, [&] {
        body();
        return 0;
    });
}
