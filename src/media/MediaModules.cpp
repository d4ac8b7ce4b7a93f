#include "media/MediaModules.h"

#include "core/Decimal.h"
#include "core/Paths.h"
#include "core/Store.h"
#include "media/ErrorTrap.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
constexpr int kReplyLength = 128;
constexpr int kOpenField = 255;
constexpr int kCommandField = 128;

QString N(qint64 n) {
    return DecimalText(n);
}

// Sends a query and reads its reply (the return code is not examined).
QString Query(MediaContext& media, const QString& command) {
    QString reply;
    media.sender.SendString(command, &reply, kReplyLength);
    return reply;
}

// Sends a command that reads nothing.
quint32 Send(MediaContext& media, const QString& command) {
    return media.sender.SendString(command, nullptr, 0);
}

// The device wrapper's result of an acting command.
QString Outcome(MediaContext& media, const QString& command) {
    const quint32 code = Send(media, command);
    return code == 0 ? QStringLiteral("Success") : media.sender.ErrorString(code);
}

// A status query of the device wrapper: its reply as a number, or -1 when it failed.
qint32 Status(MediaContext& media, const QString& command) {
    QString reply;
    const quint32 code = media.sender.SendString(command, &reply, kReplyLength);
    return code == 0 ? ReplyAsNumber(reply) : -1;
}

qint32 Multiply(qint32 a, qint32 b) {
    qint32 product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        throw std::overflow_error("Overflow");
    return product;
}

QString TwoDigits(qint32 n) {
    if (n >= 0 && n < 100) { // the seconds of a running time, every tick
        const QChar digits[2] = {QChar(u'0' + n / 10), QChar(u'0' + n % 10)};
        return QString(digits, 2);
    }
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}
} // namespace

qint32 RoundToInt32(double value) {
    const double rounded = std::nearbyint(value); // default rounding mode: half to even
    if (!std::isfinite(rounded) || rounded > std::numeric_limits<qint32>::max() ||
        rounded < std::numeric_limits<qint32>::min())
        throw std::overflow_error("Overflow");
    return static_cast<qint32>(rounded);
}

qint32 ReplyAsNumber(const QString& reply) {
    qsizetype i = 0;
    const qsizetype n = reply.size();
    auto digitAt = [&](qsizetype k) { return k < n && reply[k] >= u'0' && reply[k] <= u'9'; };
    while (i < n && reply[i] == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < n && (reply[i] == QLatin1Char('-') || reply[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digitsStart = i;
    while (digitAt(i))
        ++i;
    const qsizetype digitsEnd = i;
    bool whole = true; // no fraction and no exponent
    if (i < n && reply[i] == QLatin1Char('.')) {
        whole = false;
        ++i;
        while (digitAt(i))
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && reply[digitsStart] == QLatin1Char('.')))
        return 0; // no digits at all
    if (i < n && (reply[i] == QLatin1Char('e') || reply[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (reply[j] == QLatin1Char('-') || reply[j] == QLatin1Char('+')))
            ++j;
        if (digitAt(j)) {
            while (digitAt(j))
                ++j;
            i = j;
            whole = false;
        }
    }
    // A whole number of up to nine digits, the usual reply, is read without the general parser.
    if (whole && digitsEnd - digitsStart <= 9) {
        qint32 value = 0;
        for (qsizetype k = digitsStart; k < digitsEnd; ++k)
            value = value * 10 + (reply[k].unicode() - u'0');
        return reply[start] == QLatin1Char('-') ? -value : value;
    }
    return RoundToInt32(reply.mid(start, i - start).toDouble());
}

QString FixedField(const QString& command, int width) {
    return command.size() >= width ? command.left(width)
                                   : command + QString(width - command.size(), QLatin1Char(' '));
}

namespace MP3 {

bool OpenAndPlaySong(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 1", false, [&] {
        Send(media, QStringLiteral("close song"));
        media.SongFile = QLatin1Char('"') + TrimBlanks(media.SongFile) + QLatin1Char('"');
        const quint32 opened =
            Send(media, QStringLiteral("open ") + media.SongFile + QStringLiteral(" alias song"));
        Send(media, QStringLiteral("play song"));
        return opened == 0;
    });
}

bool SongFinished(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 5", false, [&] {
        const qint32 position = SongPositionSecs(media);
        const qint32 length = video::SongLengthSecs(media);
        return position != 0 && length != 0 && position == length;
    });
}

void SetSongSpeed(MediaContext& media, qint32 speed) {
    TrapErrors(media.dialogs, "AGH 25",
               [&] { Send(media, QStringLiteral("set song speed ") + N(speed)); });
}

void SetSongVolume(MediaContext& media, qint32 volume) {
    TrapErrors(media.dialogs, "AGH 26",
               [&] { Send(media, QStringLiteral("setaudio song volume to ") + N(volume)); });
}

qint32 SongPositionMs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 27", 0, [&] {
        Send(media, QStringLiteral("set song time format milliseconds"));
        return ReplyAsNumber(Query(media, QStringLiteral("status song position")));
    });
}

qint32 SongPositionSecs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 28", 0, [&] { return SongPositionMs(media) / 1000; });
}

QString SongPositionText(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 29", QString(), [&] {
        qint32 s = SongPositionSecs(media);
        if (s < 60)
            return QStringLiteral("0:") + TwoDigits(s);
        const qint32 m = s / 60;
        s -= m * 60;
        return N(m) + QLatin1Char(':') + TwoDigits(s);
    });
}

void PlaySongFrom(MediaContext& media, qint32 seconds) {
    TrapErrors(media.dialogs, "AGH 30", [&] {
        const qint32 ms = Multiply(seconds, 1000);
        Send(media, QStringLiteral("play song from ") + N(ms));
    });
}

QString LongPathName(MediaContext& media, const QString& path) {
    return TrapErrors(media.dialogs, "AGH 4", QString(), [&] { return ::LongPathName(path); });
}

QString FileTitleOf(MediaContext& media, const QString& path) {
    return TrapErrors(media.dialogs, "AGH 15", QString(), [&] { return ::FileTitleOf(path); });
}

} // namespace MP3

namespace video {

void CloseAllDevices(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 31", [&] { Send(media, QStringLiteral("close all")); });
}

void StopSong(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 32", [&] { Send(media, QStringLiteral("stop song")); });
}

void PauseSong(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 33", [&] { Send(media, QStringLiteral("pause song")); });
}

void ResumeSong(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 42", [&] { Send(media, QStringLiteral("resume song")); });
}

qint32 SongLengthMs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 34", 0, [&] {
        return ReplyAsNumber(Query(media, QStringLiteral("status song length")));
    });
}

qint32 SongLengthSecs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 41", 0, [&] { return SongLengthMs(media) / 1000; });
}

QString SongLengthText(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 39", QString(), [&] {
        Send(media, QStringLiteral("set song time format ms"));
        const qint32 ms = ReplyAsNumber(Query(media, QStringLiteral("status song length")));
        return FormatDuration(media, ms);
    });
}

QString FormatDuration(MediaContext& media, qint32 ms) {
    return TrapErrors(media.dialogs, "AGH 40", QString(), [&] {
        const qint32 t = RoundToInt32(ms / 1000.0);
        const qint32 h = t / 3600, r = t % 3600, m = r / 60, s = r % 60;
        QString text;
        text.reserve(16);
        if (h > 0) {
            AppendDecimal(text, h);
            text += QLatin1Char(':');
        }
        AppendDecimal(text, m >= 1 ? m : 0);
        text += QLatin1Char(':');
        if (s < 10)
            text += QLatin1Char('0');
        AppendDecimal(text, s >= 1 ? s : 0);
        return text;
    });
}

QString OpenDevice(MediaContext& media, qint32 parent, const QString& alias, const QString& path,
                   const QString& deviceType) {
    // The path travels in double quotes, so blanks in it need no short form.
    const QString command = QStringLiteral("open \"") + path + QStringLiteral("\" type ") +
                            deviceType + QStringLiteral(" Alias ") + alias +
                            QStringLiteral(" parent ") + N(parent) + QStringLiteral(" Style ") +
                            N(kChildStyle);
    return Outcome(media, FixedField(command, kOpenField));
}

QString PlayDevice(MediaContext& media, const QString& alias, QString from, QString to) {
    if (from.isEmpty())
        from = QStringLiteral("0");
    if (to.isEmpty())
        to = N(DeviceLengthFrames(media, alias));
    return Outcome(media, FixedField(QStringLiteral("play ") + alias + QStringLiteral(" from ") +
                                         from + QStringLiteral(" to ") + to,
                                     kCommandField));
}

QString CloseDevice(MediaContext& media, const QString& alias) {
    return Outcome(media, QStringLiteral("Close ") + alias);
}

QString PauseDevice(MediaContext& media, const QString& alias) {
    return Outcome(media, QStringLiteral("Pause ") + alias);
}

QString StopDevice(MediaContext& media, const QString& alias) {
    return Outcome(media, QStringLiteral("Stop ") + alias);
}

QString ResumeDevice(MediaContext& media, const QString& alias) {
    return Outcome(media, QStringLiteral("Resume ") + alias);
}

qint32 DeviceLengthFrames(MediaContext& media, const QString& alias) {
    Send(media, QStringLiteral("set ") + alias + QStringLiteral(" time format frames"));
    return Status(media, QStringLiteral("status ") + alias + QStringLiteral(" length"));
}

qint32 DeviceLengthMs(MediaContext& media, const QString& alias) {
    Send(media, QStringLiteral("set ") + alias + QStringLiteral(" time format ms"));
    const qint32 length =
        Status(media, QStringLiteral("status ") + alias + QStringLiteral(" length"));
    Send(media, QStringLiteral("set ") + alias + QStringLiteral(" time format frames"));
    return length;
}

QString SeekDevice(MediaContext& media, const QString& alias, qint32 target) {
    const QString result =
        Outcome(media, QStringLiteral("seek ") + alias + QStringLiteral(" to ") + N(target));
    Send(media, QStringLiteral("Play ") + alias);
    return result;
}

qint32 DevicePosition(MediaContext& media, const QString& alias) {
    return Status(media, QStringLiteral("status ") + alias + QStringLiteral(" position"));
}

QString PutDeviceWindow(MediaContext& media, qint32 window, const QString& alias, qint32 x,
                        qint32 y, qint32& width, qint32& height) {
    if (width == 0 || height == 0) {
        const QSize outer = media.WindowSize(window);
        width = outer.width();
        height = outer.height();
    }
    return Outcome(media, QStringLiteral("put ") + alias + QStringLiteral(" window at ") + N(x) +
                              QLatin1Char(' ') + N(y) + QLatin1Char(' ') + N(width) +
                              QLatin1Char(' ') + N(height));
}

qint32 DevicePercentPlayed(MediaContext& media, const QString& alias) {
    const qint32 length = DeviceLengthFrames(media, alias);
    const qint32 position = DevicePosition(media, alias);
    if (length == -1 || position == -1)
        return -1;
    if (length == 0)
        return 0; // a division by zero is passed over
    try {
        return RoundToInt32(static_cast<double>(Multiply(position, 100)) / length);
    } catch (const std::overflow_error&) {
        return 0;
    }
}

qint32 DeviceFrameRate(MediaContext& media, const QString& alias) {
    const qint32 ms = DeviceLengthMs(media, alias);
    const qint32 frames = DeviceLengthFrames(media, alias);
    if (ms == -1 || frames == -1)
        return -1;
    if (ms == 0)
        throw std::domain_error("Division by zero");
    return RoundToInt32(frames / (ms / 1000.0));
}

QString CloseAllAliases(MediaContext& media) {
    return Outcome(media, QStringLiteral("Close All"));
}

QString SetDeviceVolume(MediaContext& media, const QString& alias, const QString& channel,
                        qint32 volume) {
    if (volume < 0 || volume > 100)
        return QStringLiteral("out of volume");
    const QString lower = channel.toLower();
    const QString target = lower == QLatin1String("left") || lower == QLatin1String("right")
                               ? alias + QLatin1Char(' ') + channel
                               : alias;
    return Outcome(media, FixedField(QStringLiteral("setaudio ") + target +
                                         QStringLiteral(" Volume to ") + N(volume * 10),
                                     kCommandField));
}

QString SetDeviceSpeed(MediaContext& media, const QString& alias, qint32 speed) {
    return Outcome(media, FixedField(QStringLiteral("set ") + alias + QStringLiteral(" speed ") +
                                         N(Multiply(speed, 10)),
                                     kCommandField));
}

} // namespace video
