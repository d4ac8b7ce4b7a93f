#include "media/MpvMciService.h"

#include "core/Decimal.h"
#include "media/MpvLibrary.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

struct MpvMciService::Player {
    mpv_handle* handle = nullptr;
    bool frames = false; // time format: frames instead of milliseconds
    bool stopped = true;
    double stopAt = -1; // seconds where "play ... to" stops, or -1
    // Set by libmpv's wakeup callback (on its own threads) when events wait to be taken.
    std::atomic<bool> eventsWaiting{true};
    static void Wakeup(void* self) { static_cast<Player*>(self)->eventsWaiting.store(true); }
    // The picture's own X window inside the parent named at open, so that "put ... window at"
    // can place it; 0 without a window system (the picture then goes straight to the parent).
    // Made on the service's X connection (the toolkit's when it was given one).
    xcb_connection_t* connection = nullptr;
    xcb_window_t surface = 0;
    QRect placed;
    ~Player() {
        if (handle)
            Mpv()->terminateDestroy(handle); // the player lets go of the surface first
        if (surface) {
            xcb_destroy_window(connection, surface);
            xcb_flush(connection);
        }
    }
    // Makes the surface as a child of `parent`, filling it. False when `parent` is no window.
    bool MakeSurface(xcb_connection_t* x, xcb_window_t parent) {
        xcb_generic_error_t* error = nullptr;
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(x, xcb_get_geometry(x, parent), &error);
        free(error);
        if (!geometry)
            return false;
        const uint16_t width = std::max<uint16_t>(1, geometry->width);
        const uint16_t height = std::max<uint16_t>(1, geometry->height);
        free(geometry);
        const xcb_setup_t* setup = xcb_get_setup(x);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
        const uint32_t black[] = {screen ? screen->black_pixel : 0};
        const xcb_window_t window = xcb_generate_id(x);
        error = xcb_request_check(
            x, xcb_create_window_checked(x, XCB_COPY_FROM_PARENT, window, parent, 0, 0, width,
                                         height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                                         XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, black));
        if (error) {
            free(error);
            return false;
        }
        connection = x;
        surface = window;
        xcb_map_window(x, window);
        xcb_flush(x);
        return true;
    }
    // Places the surface; the rectangle is already inside what X11 accepts.
    void Place(const QRect& rect) {
        placed = rect;
        if (!surface)
            return;
        const uint32_t values[] = {static_cast<uint32_t>(rect.x()), static_cast<uint32_t>(rect.y()),
                                   static_cast<uint32_t>(rect.width()),
                                   static_cast<uint32_t>(rect.height())};
        xcb_configure_window(connection, surface,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        xcb_flush(connection);
    }
    double Number(const char* property) const {
        double value = 0;
        if (Mpv()->getProperty(handle, property, MPV_FORMAT_DOUBLE, &value) < 0)
            return 0;
        return value;
    }
    bool Flag(const char* property) const {
        int value = 0;
        Mpv()->getProperty(handle, property, MPV_FORMAT_FLAG, &value);
        return value != 0;
    }
    int SetNumber(const char* property, double value) {
        return Mpv()->setProperty(handle, property, MPV_FORMAT_DOUBLE, &value);
    }
    int SetFlag(const char* property, bool on) {
        int value = on ? 1 : 0;
        return Mpv()->setProperty(handle, property, MPV_FORMAT_FLAG, &value);
    }

    // What the player reports as it changes (observed properties), so that status queries,
    // asked a hundred times a second, never wait for the player's core thread.
    // Invariant: after Refresh() and with every event taken, `seen` matches the player.
    struct Seen {
        double position = 0, length = 0, fps = 0;
        bool eof = false, paused = true;
    } seen;
    enum Observation : uint64_t { kPosition = 1, kLength, kEof, kPause };
    void Observe() {
        Mpv()->observeProperty(handle, kPosition, "time-pos", MPV_FORMAT_DOUBLE);
        Mpv()->observeProperty(handle, kLength, "duration", MPV_FORMAT_DOUBLE);
        Mpv()->observeProperty(handle, kEof, "eof-reached", MPV_FORMAT_FLAG);
        Mpv()->observeProperty(handle, kPause, "pause", MPV_FORMAT_FLAG);
    }
    void Take(const mpv_event* event) {
        if (event->event_id != MPV_EVENT_PROPERTY_CHANGE)
            return;
        const auto* change = static_cast<const mpv_event_property*>(event->data);
        const bool isDouble = change->format == MPV_FORMAT_DOUBLE && change->data;
        const bool isFlag = change->format == MPV_FORMAT_FLAG && change->data;
        const double number = isDouble ? *static_cast<const double*>(change->data) : 0;
        const bool flag = isFlag && *static_cast<const int*>(change->data) != 0;
        switch (event->reply_userdata) {
        case kPosition:
            // While paused the position holds where the pause left it: the player may still
            // report the last few milliseconds of sound it had under way.
            if (!seen.paused)
                seen.position = number;
            break;
        case kLength:
            seen.length = number;
            break;
        case kEof:
            seen.eof = flag;
            break;
        case kPause:
            seen.paused = flag;
            break;
        default:
            break;
        }
    }
    // Reads the reported values at once (after open, a seek, a pause).
    void Refresh() {
        seen.position = Number("time-pos");
        seen.length = Number("duration");
        seen.eof = Flag("eof-reached");
        seen.paused = Flag("pause");
        const double fps = Number("container-fps");
        seen.fps = fps > 0 ? fps : Number("estimated-vf-fps");
    }
    // Sets pause and brings `seen` up to date: no older position can arrive after it.
    int Hold(bool paused) {
        const int result = SetFlag("pause", paused);
        Drain();
        Refresh();
        return result;
    }
    double FrameRate() const { return seen.fps; }
    // Units of the alias's time format per second.
    double Scale() const { return frames ? FrameRate() : 1000.0; }
    double LengthSeconds() const { return seen.length; }
    double PositionSeconds() const {
        if (seen.eof)
            return seen.length;
        return std::clamp(seen.position, 0.0, seen.length);
    }
    // Seeks and waits (bounded) until the player stands at the new place, so that a position
    // read right after it answers the new place, as the command grammar promises.
    int Seek(double seconds) {
        Drain(); // a restart still queued from the load must not end the wait below
        const QByteArray target = QByteArray::number(seconds, 'f', 3);
        const char* args[] = {"seek", target.constData(), "absolute+exact", nullptr};
        const int result = Mpv()->command(handle, args);
        if (result < 0)
            return result;
        // The seek is done at the restart that follows its own seek event.
        bool seeking = false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kSeekTimeoutMs) {
            const mpv_event* event =
                Mpv()->waitEvent(handle, (kSeekTimeoutMs - clock.elapsed()) / 1000.0);
            Take(event);
            if (event->event_id == MPV_EVENT_SEEK)
                seeking = true;
            if ((seeking && event->event_id == MPV_EVENT_PLAYBACK_RESTART) ||
                event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_NONE)
                break;
        }
        Drain();
        Refresh();
        return result;
    }
    static constexpr int kSeekTimeoutMs = 1000;
    // Takes the player's pending events, and stops where "play ... to" asked for. The player is
    // addressed on every playback tick, so the stop lands within a tick of its place.
    void Drain() {
        // Asking for events costs a round trip to the player's threads: only when there are any.
        if (eventsWaiting.exchange(false))
            for (const mpv_event* event = Mpv()->waitEvent(handle, 0);
                 event->event_id != MPV_EVENT_NONE; event = Mpv()->waitEvent(handle, 0))
                Take(event);
        if (stopAt >= 0 && !seen.paused && seen.position >= stopAt) {
            stopAt = -1;
            stopped = true;
            Hold(true);
        }
    }
};

// What a command's handler reads and writes.
struct MpvMciService::Request {
    const QStringList& words; // after the verb (open, close) or after the alias (the others)
    QString& reply;           // empty when the handler starts
};

namespace {

QStringList Tokenize(const QString& text) {
    QStringList words;
    QString word;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool atWordEnd = i + 1 == text.size() || text[i + 1] == QLatin1Char(' ');
        if (c == QLatin1Char('"') && !quoted && !any) {
            quoted = true; // an opening quote starts a word
            any = true;
        } else if (c == QLatin1Char('"') && quoted && atWordEnd) {
            quoted = false; // a closing quote ends one; any other quote is part of the word
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (any)
                words << word;
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words << word;
    return words;
}

// Command words are ASCII: compared letter by letter, capitals as small letters.
bool Is(QStringView word, std::string_view keyword) {
    if (word.size() != static_cast<qsizetype>(keyword.size()))
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        char16_t c = word[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        if (c != static_cast<unsigned char>(keyword[static_cast<size_t>(i)]))
            return false;
    }
    return true;
}

bool ToNumber(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// X11 places windows with 16-bit coordinates and sizes. The video outputs allocate a picture
// of the window's size, so the size is kept to what they can draw.
constexpr int kLowestPlace = -32768, kHighestPlace = 32767, kLargestSide = 8192;

} // namespace

void KeepDescriptorZeroTaken() {
    if (fcntl(0, F_GETFD) != -1 || errno != EBADF)
        return;
    const int fd = open("/dev/null", O_RDWR);
    if (fd > 0) { // taken meanwhile by another thread: put /dev/null there all the same
        dup2(fd, 0);
        close(fd);
    }
}

MpvMciService::MpvMciService() : extraOptions_(qEnvironmentVariable("JUKORA_MPV_OPTIONS")) {
    KeepDescriptorZeroTaken();
}

void MpvMciService::LoadEngineSoon() {
    if (!loader_.joinable())
        loader_ = std::thread([] { Mpv(); });
}

MpvMciService::~MpvMciService() {
    if (loader_.joinable())
        loader_.join();
    players_.clear();
    if (ownConnection_)
        xcb_disconnect(connection_);
}

void MpvMciService::UseXConnection(xcb_connection_t* connection) {
    if (ownConnection_ || !connection)
        return; // a surface may already stand on the service's own connection
    connection_ = connection;
    connectionTried_ = true;
}

namespace {

// Whether the X server offers direct rendering: DRI3 or DRI2, or the GLX of NVIDIA's driver,
// which brings its own. Without it OpenGL on that server is a software or indirect renderer.
bool OffersDirectRendering(xcb_connection_t* x) {
    static constexpr const char* kExtensions[] = {"DRI3", "DRI2", "NV-GLX"};
    xcb_query_extension_cookie_t cookies[std::size(kExtensions)];
    for (size_t i = 0; i < std::size(kExtensions); ++i)
        cookies[i] = xcb_query_extension(x, static_cast<uint16_t>(std::strlen(kExtensions[i])),
                                         kExtensions[i]);
    bool offered = false;
    for (const xcb_query_extension_cookie_t& cookie : cookies) {
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(x, cookie, nullptr);
        offered = offered || (reply && reply->present);
        std::free(reply);
    }
    return offered;
}

} // namespace

QByteArray MpvMciService::WindowOutputs() {
    if (windowOutputs_.isEmpty()) {
        xcb_connection_t* x = XConnection();
        windowOutputs_ = x && !OffersDirectRendering(x) ? "x11" : "gpu,x11";
    }
    return windowOutputs_;
}

xcb_connection_t* MpvMciService::XConnection() {
    if (connectionTried_)
        return connection_;
    connectionTried_ = true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    KeepDescriptorZeroTaken();
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    connection_ = connection;
    ownConnection_ = true;
    return connection_;
}

QString MpvMciService::ErrorString(quint32 code) {
    switch (code) {
    case Ok:
        return QStringLiteral("The command completed successfully.");
    case UnknownCommand:
        return QStringLiteral("The command is not recognised.");
    case NotOpen:
        return QStringLiteral("No media is open under that alias.");
    case AliasInUse:
        return QStringLiteral("The alias is already in use by an open media file.");
    case FileNotFound:
        return QStringLiteral("The media file cannot be found.");
    case CannotPlay:
        return QStringLiteral("The media file cannot be played: its format is not recognised "
                              "or it is damaged.");
    case BadParameter:
        return QStringLiteral("A parameter of the command is missing or not valid.");
    case EngineFailed:
        if (!Mpv())
            return QStringLiteral("The media engine libmpv could not be loaded (%1).")
                .arg(MpvLoadError());
        return QStringLiteral("The media engine could not be started.");
    case TimedOut:
        return QStringLiteral("The media engine did not answer in time.");
    case BadWindow:
        return QStringLiteral("The window named for the picture does not exist.");
    default:
        return {};
    }
}

QRect MpvMciService::VideoRect(const QString& alias) {
    const Player* p = Find(alias);
    return p ? p->placed : QRect();
}

double MpvMciService::VolumeOf(const QString& alias) {
    const Player* p = Find(alias);
    return p ? p->Number("volume") * 10 : -1;
}

MpvMciService::Player* MpvMciService::Find(const QString& alias) {
    const auto it = players_.find(alias.toLower());
    return it == players_.end() ? nullptr : it->get();
}

MpvMciService::RecentCommand* MpvMciService::Recent(const QString& command) {
    for (RecentCommand& recent : recent_)
        if (recent.parsed && recent.text.constData() == command.constData() &&
            recent.text.size() == command.size())
            return &recent;
    auto known = parsed_.constFind(command);
    if (known == parsed_.cend()) {
        QStringList words = Tokenize(command);
        if (words.isEmpty())
            return nullptr;
        if (parsed_.size() >= kParsedCommands)
            parsed_.clear(); // a handful of texts are sent again and again; others are not kept
        ParsedCommand parsed;
        parsed.verb = VerbOf(words.takeFirst());
        if (!words.isEmpty()) {
            parsed.aliasKey = words.first().toLower();
            parsed.afterAlias = words.mid(1);
        }
        parsed.words = std::move(words);
        // Adding may move the kept commands: the recent ones point at them.
        for (RecentCommand& recent : recent_)
            recent = RecentCommand();
        known = parsed_.insert(command, std::move(parsed));
    }
    RecentCommand& slot = recent_[nextRecent_];
    nextRecent_ = (nextRecent_ + 1) % kRecentCommands;
    slot = RecentCommand{command, &*known, nullptr, 0};
    return &slot;
}

quint32 MpvMciService::SendString(const QString& command, QString* reply, int replyLength) {
    RecentCommand* recent = Recent(command);
    if (!recent) {
        if (reply)
            reply->clear(); // no older reply is left standing for an empty command
        return UnknownCommand;
    }
    reply_.resize(0);
    const quint32 code = Dispatch(*recent);
    if (reply)
        *reply = replyLength > 0 ? reply_.left(replyLength - 1) : QString();
    return code;
}

quint32 MpvMciService::Open(Request& r) {
    if (r.words.isEmpty())
        return BadParameter;
    // The path runs up to the first keyword (bare paths may hold blanks).
    QString path, alias;
    qint64 parent = 0;
    int i = 0;
    auto keyword = [](const QString& w) {
        return Is(w, "type") || Is(w, "alias") || Is(w, "parent") || Is(w, "style") ||
               Is(w, "wait") || Is(w, "shareable");
    };
    QStringList pathWords;
    while (i < r.words.size() && !(i > 0 && keyword(r.words[i])))
        pathWords << r.words[i++];
    path = pathWords.join(QLatin1Char(' '));
    for (; i < r.words.size(); ++i) {
        const QString& w = r.words[i];
        const bool hasValue = i + 1 < r.words.size();
        if ((Is(w, "type") || Is(w, "style")) && hasValue)
            ++i;
        else if (Is(w, "alias") && hasValue)
            alias = r.words[++i];
        else if (Is(w, "parent") && hasValue)
            parent = r.words[++i].toLongLong();
        else if (!Is(w, "wait") && !Is(w, "shareable"))
            return BadParameter;
    }
    if (alias.isEmpty())
        alias = path;
    if (Find(alias))
        return AliasInUse;
    if (!QFileInfo(path).isFile())
        return FileNotFound;

    // libmpv's video outputs may close descriptor 0 without owning it: whatever is opened next
    // would get 0 and be closed under its owner. It is kept on /dev/null.
    KeepDescriptorZeroTaken();
    auto player = std::make_shared<Player>();
    const MpvLibrary* mpv = Mpv();
    if (!mpv)
        return EngineFailed;
    player->handle = mpv->create();
    if (!player->handle)
        return EngineFailed;
    mpv_handle* h = player->handle;
    // Each song opens a player of its own: none of the built-in scripts (web streams, on-screen
    // statistics and console, conditional profiles) can be used here, and each would be one
    // more thread and scripting engine started with every song. Sound servers list it by name.
    // The video output draws with OpenGL: where Vulkan is missing (no driver, a virtual
    // display), libmpv's failed Vulkan start closes descriptor 0, which it does not own, from
    // its video thread, and a second player's X connection can be the one that stands there.
    for (const char* option :
         {"terminal=no", "idle=yes", "pause=yes", "keep-open=yes", "audio-fallback-to-null=yes",
          "input-default-bindings=no", "input-vo-keyboard=no", "osc=no", "force-window=no",
          "audio-client-name=Jukora", "ytdl=no", "load-stats-overlay=no", "load-osd-console=no",
          "load-auto-profiles=no", "input-terminal=no", "gpu-api=opengl"}) {
        const QByteArray pair(option);
        const qsizetype eq = pair.indexOf('=');
        Mpv()->setOptionString(h, pair.left(eq).constData(), pair.mid(eq + 1).constData());
    }
    if (parent != 0) {
        // A window id that names no window is refused here: handed on, it would end the
        // process with an X error.
        xcb_connection_t* x = XConnection();
        if (x && (parent < 0 || parent > UINT32_MAX ||
                  !player->MakeSurface(x, static_cast<xcb_window_t>(parent))))
            return BadWindow;
        int64_t wid = player->surface ? static_cast<int64_t>(player->surface) : parent;
        Mpv()->setOption(h, "wid", MPV_FORMAT_INT64, &wid);
        // Only outputs that draw into a given window: others would open windows of their own.
        Mpv()->setOptionString(h, "vo", WindowOutputs().constData());
    }
    for (const QString& pair : extraOptions_.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QByteArray utf8 = pair.toUtf8();
        const qsizetype eq = utf8.indexOf('=');
        if (eq > 0)
            Mpv()->setOptionString(h, utf8.left(eq).constData(), utf8.mid(eq + 1).constData());
    }
    if (Mpv()->initialize(h) < 0)
        return EngineFailed;
    const QByteArray file = path.toUtf8(); // owned for the duration of the call
    const char* args[] = {"loadfile", file.constData(), nullptr};
    if (Mpv()->command(h, args) < 0)
        return CannotPlay;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const double left = (kOpenTimeoutMs - clock.elapsed()) / 1000.0;
        if (left <= 0)
            return TimedOut;
        const mpv_event* event = Mpv()->waitEvent(h, left);
        if (event->event_id == MPV_EVENT_FILE_LOADED)
            break;
        player->Take(event);
        if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_SHUTDOWN)
            return CannotPlay;
    }
    player->Observe();
    Mpv()->setWakeupCallback(h, &Player::Wakeup, player.get());
    player->Refresh();
    players_.insert(alias.toLower(), player);
    return Ok;
}

quint32 MpvMciService::Close(Request& r) {
    if (r.words.size() != 1)
        return BadParameter;
    quint32 code = Ok;
    if (Is(r.words[0], "all"))
        players_.clear();
    else if (!players_.remove(r.words[0].toLower()))
        code = NotOpen;
    KeepDescriptorZeroTaken();
    return code;
}

namespace {

using Player = MpvMciService::Player;
using Request = MpvMciService::Request;
using Code = MpvMciService::Code;

quint32 Play(Player& p, Request& r) {
    const QStringList& w = r.words;
    if (w.size() % 2 != 0)
        return Code::BadParameter;
    // All words are checked before anything moves.
    double from = -1, to = -1, n = 0;
    for (int i = 0; i + 1 < w.size(); i += 2) {
        if (!ToNumber(w[i + 1], &n) || n < 0)
            return Code::BadParameter;
        // Without a frame rate a count of frames has no place; 0 (as the device wrapper sends
        // for "the whole item") means the start, or no end.
        if (p.Scale() <= 0 && n != 0)
            return Code::BadParameter;
        const double seconds = p.Scale() > 0 ? n / p.Scale() : 0;
        if (Is(w[i], "from"))
            from = seconds;
        else if (Is(w[i], "to"))
            to = seconds > 0 && seconds < p.LengthSeconds() ? seconds : -1;
        else
            return Code::BadParameter;
    }
    p.stopAt = to;
    // A seek waits for the picture at its place; an item standing at its start (just opened,
    // or stopped) needs none, and its first frame shows that much sooner.
    const bool atStart = p.PositionSeconds() == 0 && !p.seen.eof;
    if (from > 0 || (from == 0 && !atStart))
        p.Seek(from);
    p.stopped = false;
    return p.Hold(false) < 0 ? Code::CannotPlay : Code::Ok;
}

// Pause holds the place; stop also goes back to the start, so a stopped song no longer stands
// at its end.
quint32 Halt(Player& p, bool stop) {
    p.stopped = stop;
    if (p.Hold(true) < 0)
        return Code::CannotPlay;
    if (stop)
        p.Seek(0);
    return Code::Ok;
}

quint32 Pause(Player& p, Request& r) {
    return r.words.isEmpty() ? Halt(p, false) : Code::BadParameter;
}

quint32 Stop(Player& p, Request& r) {
    return r.words.isEmpty() ? Halt(p, true) : Code::BadParameter;
}

quint32 Resume(Player& p, Request& r) {
    if (!r.words.isEmpty())
        return Code::BadParameter;
    p.stopped = false;
    return p.Hold(false) < 0 ? Code::CannotPlay : Code::Ok;
}

// seek <a> to <n>|start|end: the device is left stopped at the new place.
quint32 Seek(Player& p, Request& r) {
    const QStringList& w = r.words;
    if (w.size() != 2 || !Is(w[0], "to"))
        return Code::BadParameter;
    double seconds = 0, n = 0;
    if (Is(w[1], "end"))
        seconds = p.LengthSeconds();
    else if (!Is(w[1], "start")) {
        if (!ToNumber(w[1], &n) || n < 0 || p.Scale() <= 0)
            return Code::BadParameter;
        seconds = n / p.Scale();
    }
    p.SetFlag("pause", true);
    p.stopped = true;
    return p.Seek(seconds) < 0 ? Code::CannotPlay : Code::Ok;
}

quint32 Set(Player& p, Request& r) {
    const QStringList& w = r.words;
    double n = 0;
    if (w.size() == 3 && Is(w[0], "time") && Is(w[1], "format")) {
        if (Is(w[2], "milliseconds") || Is(w[2], "ms"))
            p.frames = false;
        else if (Is(w[2], "frames"))
            p.frames = true;
        else
            return Code::BadParameter;
        return Code::Ok;
    }
    if (w.size() == 2 && Is(w[0], "speed") && ToNumber(w[1], &n)) {
        p.SetNumber("speed", std::clamp(n / 1000.0, 0.01, 100.0));
        return Code::Ok;
    }
    return Code::BadParameter;
}

// setaudio <a> [left|right] volume to <n>: the channel word is accepted; both channels get the
// volume.
quint32 SetAudio(Player& p, Request& r) {
    const QStringList& w = r.words;
    int i = 0;
    if (i < w.size() && (Is(w[i], "left") || Is(w[i], "right")))
        ++i;
    double n = 0;
    if (w.size() != i + 3 || !Is(w[i], "volume") || !Is(w[i + 1], "to") || !ToNumber(w[i + 2], &n))
        return Code::BadParameter;
    const double maximum = p.Number("volume-max");
    p.SetNumber("volume", std::clamp(n / 10.0, 0.0, maximum > 0 ? maximum : 100.0));
    return Code::Ok;
}

quint32 StatusQuery(Player& p, Request& r) {
    const QStringList& w = r.words;
    if (w.size() != 1)
        return Code::BadParameter;
    if (Is(w[0], "position"))
        AppendDecimal(r.reply, std::llround(p.PositionSeconds() * p.Scale()));
    else if (Is(w[0], "length"))
        AppendDecimal(r.reply, std::llround(p.LengthSeconds() * p.Scale()));
    else if (Is(w[0], "mode"))
        r.reply = p.stopped       ? QStringLiteral("stopped")
                  : p.seen.paused ? QStringLiteral("paused")
                                  : QStringLiteral("playing");
    else
        return Code::BadParameter;
    return Code::Ok;
}

// put <a> window at <x> <y> <w> <h>
quint32 Put(Player& p, Request& r) {
    const QStringList& w = r.words;
    if (w.size() != 6 || !Is(w[0], "window") || !Is(w[1], "at"))
        return Code::BadParameter;
    int rect[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        rect[i] = w[i + 2].toInt(&ok);
        if (!ok)
            return Code::BadParameter;
    }
    auto place = [](int n) { return std::clamp(n, kLowestPlace, kHighestPlace); };
    auto side = [](int n) { return std::clamp(n, 1, kLargestSide); };
    p.Place(QRect(place(rect[0]), place(rect[1]), side(rect[2]), side(rect[3])));
    return Code::Ok;
}

// The commands that act on an open alias: the verb, then the handler of the words after the
// alias.
struct AliasCommand {
    const char* verb;
    quint32 (*run)(Player&, Request&);
};
const AliasCommand kAliasCommands[] = {
    {"play", Play},         {"pause", Pause},        {"stop", Stop},
    {"resume", Resume},     {"seek", Seek},          {"set", Set},
    {"setaudio", SetAudio}, {"status", StatusQuery}, {"put", Put},
};

} // namespace

int MpvMciService::VerbOf(const QString& word) {
    if (Is(word, "open"))
        return kOpenVerb;
    if (Is(word, "close"))
        return kCloseVerb;
    for (int i = 0; i < static_cast<int>(std::size(kAliasCommands)); ++i)
        if (Is(word, kAliasCommands[i].verb))
            return i;
    return kUnknownVerb;
}

quint32 MpvMciService::Dispatch(RecentCommand& recent) {
    const ParsedCommand& command = *recent.parsed;
    if (command.verb == kOpenVerb || command.verb == kCloseVerb) {
        Request r{command.words, reply_};
        const quint32 code = command.verb == kOpenVerb ? Open(r) : Close(r);
        ++playersChanged_;
        return code;
    }
    if (command.verb < 0)
        return UnknownCommand;
    if (command.words.isEmpty())
        return BadParameter;
    if (!recent.player || recent.playersSeen != playersChanged_) {
        const auto found = players_.constFind(command.aliasKey);
        recent.player = found == players_.cend() ? nullptr : found->get();
        recent.playersSeen = playersChanged_;
    }
    if (!recent.player)
        return NotOpen;
    recent.player->Drain();
    Request r{command.afterAlias, reply_};
    return kAliasCommands[command.verb].run(*recent.player, r);
}
