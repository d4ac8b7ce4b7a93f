// The real command-string media service, over libmpv: one libmpv player per alias.
//
// Grammar (command words and keywords in any capitalisation, aliases compared without regard to
// case, paths with blanks in double quotes):
//   open <path> [type <device>] [alias <a>] [parent <window id>] [style <s>]   (file loaded,
//        paused at its start, before it returns; the alias defaults to the path)
//   close <a>|all      play <a> [from <n>] [to <n>]     pause <a>     resume <a>
//   stop <a>           (halts and goes back to the start)
//   seek <a> to <n>|start|end       set <a> time format milliseconds|ms|frames
//   set <a> speed <n>  (1000 = normal)       setaudio <a> [left|right] volume to <n> (0..1000)
//   status <a> position|length|mode           put <a> window at <x> <y> <w> <h>
// Numbers are in the alias's time format, milliseconds after open. A position never passes the
// length, and equals it once the end is reached. Seeks are done when the call returns. Every call
// returns within kOpenTimeoutMs (open) or one second (the others).
// Failures return a non-zero code (see ErrorString) and never throw.
//
// One thread: all calls come from the user-interface thread.
#pragma once

#include "media/MciSender.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <thread>

struct xcb_connection_t;

class MpvMciService final : public MciSender {
public:
    enum Code : quint32 {
        Ok = 0,
        UnknownCommand = 1,
        NotOpen,
        AliasInUse,
        FileNotFound,
        CannotPlay,
        BadParameter,
        EngineFailed,
        TimedOut,
        BadWindow,
    };
    static constexpr int kOpenTimeoutMs = 5000;

    // Extra libmpv options for every player, as "name=value" pairs separated by blanks; taken
    // from JUKORA_MPV_OPTIONS (tests use "ao=null vo=null").
    MpvMciService();
    ~MpvMciService() override;
    // libmpv is loaded by the first command that needs it; this loads it now on a thread of its
    // own (once the window is up), so that the first song does not wait for it.
    void LoadEngineSoon();

    quint32 SendString(const QString& command, QString* reply = nullptr,
                       int replyLength = 0) override;
    QString ErrorString(quint32 code) override;
    int OpenAliasCount() const { return static_cast<int>(players_.size()); }
    // Where the last "put ... window at" placed the alias's picture (empty when never placed).
    QRect VideoRect(const QString& alias);
    // The alias's volume on the 0..1000 scale of "setaudio" (-1 when it is not open).
    double VolumeOf(const QString& alias);
    // Pictures are drawn through this X connection (the toolkit's, so that no second connection
    // is needed); without one the service opens its own on first use.
    void UseXConnection(xcb_connection_t* connection);
    // The video outputs a player that draws into a window is given: "x11" alone when the X
    // server offers no direct rendering (OpenGL there is a software renderer, which the "gpu"
    // output refuses only after loading it), otherwise "gpu,x11".
    QByteArray WindowOutputs();

    struct Player;
    struct Request;

private:
    // What a command's first word names: an index into the commands on an open alias, or one of:
    static constexpr int kUnknownVerb = -1, kOpenVerb = -2, kCloseVerb = -3;
    static int VerbOf(const QString& word);
    // A command split into words, kept by its text: the playback tick sends the same few
    // commands a hundred times a second.
    struct ParsedCommand {
        int verb = kUnknownVerb;
        QStringList words; // after the verb; quoted words without their quotes
        QString aliasKey;  // the first word in lower case: the alias of most commands
        QStringList afterAlias;
    };
    static constexpr qsizetype kParsedCommands = 256;
    // The last commands sent, found by the address of their text: the tick's commands are
    // literals, so a repeated command is known without hashing or comparing its text, and its
    // alias without a look-up while no alias opened or closed since. The text is held, so its
    // address cannot be taken by another text while it is here.
    struct RecentCommand {
        QString text;
        const ParsedCommand* parsed = nullptr;
        Player* player = nullptr;
        quint64 playersSeen = 0; // playersChanged_ when `player` was found
    };
    static constexpr int kRecentCommands = 8;
    RecentCommand* Recent(const QString& command);
    quint32 Dispatch(RecentCommand& command);
    quint32 Open(Request& request);
    quint32 Close(Request& request);
    Player* Find(const QString& alias);

    QHash<QString, std::shared_ptr<Player>> players_;
    quint64 playersChanged_ = 0; // counts the opens and closes
    QHash<QString, ParsedCommand> parsed_;
    RecentCommand recent_[kRecentCommands];
    int nextRecent_ = 0;
    // The reply of the command under way, kept between commands so that its memory is reused.
    QString reply_;
    QString extraOptions_;
    xcb_connection_t* XConnection();
    xcb_connection_t* connection_ = nullptr;
    bool ownConnection_ = false, connectionTried_ = false;
    QByteArray windowOutputs_;
    std::thread loader_;
};

// libmpv's video outputs can close descriptor 0, which they do not own; the next descriptor
// opened (an X connection, a pipe) would land there and be closed under its owner. Puts
// /dev/null on 0 when it is found closed.
void KeepDescriptorZeroTaken();
