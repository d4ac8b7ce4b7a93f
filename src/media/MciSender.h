// The command-string media service as the player sees it: one call sends a command string and
// gets a return code and a reply text; another turns a return code into an error text.
// Return code 0 is success. The real service (MpvMciService) plays through libmpv; a test puts a
// recording sender in its place to check the exact command strings.
#pragma once

#include <QString>

class MciSender {
public:
    virtual ~MciSender() = default;
    // Sends one command. When `reply` is given, it receives the reply text cut to at most
    // replyLength - 1 characters (a reply length of 0 reads nothing). Blocks only as long as the
    // command needs, bounded by the service.
    virtual quint32 SendString(const QString& command, QString* reply = nullptr,
                               int replyLength = 0) = 0;
    // The text of a return code; empty text for a code the service does not know.
    virtual QString ErrorString(quint32 code) = 0;
};
