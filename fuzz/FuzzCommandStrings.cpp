// The media service's command strings, opens included, over a recording stand-in for libmpv:
// each line of the input is one command ("+<seconds>" lets time pass instead; "#<digit>"
// stands for one of the files made here, in double quotes). After every command the service
// must hold what it promises: a reply fits the caller's buffer, every failure has a text, the
// open aliases are the opens that succeeded less the closes, each with one live player,
// positions stay within the length, nothing reaches a player after it was destroyed, and a
// file opened by its quoted path reaches the player as exactly that path.
#include "FuzzSupport.h"
#include "media/MpvMciService.h"
#include "support/RecordingMpv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The files the commands can name: plain, with blanks, quotes and other letters, a video, one
// that cannot be loaded, and names that a quoted word cannot hold.
struct Fixture {
    const char* name;
    int bytes; // the stand-in plays 1000 bytes a second
};
constexpr Fixture kFiles[] = {
    {"a.mp3", 3000},
    {"b c.mp3", 200000},
    {"it's \"quoted\".wav", 1500},
    {"\xc3\x9cn\xc3\xaf c\xc3\xb8"
     "d\xc3\xa9 \xe2\x80\x93 \xe6\x9b\xb2.mp3",
     2500},
    {"clip.avi", 2000},
    {"broken.mp3", 0},
    {"with \"quote\" and space.mp3", 1000},
    {"two  blanks.mp3", 1000},
    {"ends in quote\"", 1000},
    {"alias", 1000},
};
// The aliases whose positions are checked after every command.
const char* const kWatched[] = {"a", "b", "x"};

[[noreturn]] void Fail(const char* what, const QString& command) {
    std::fprintf(stderr, "%s: %s\n", what, command.toUtf8().constData());
    std::abort();
}

struct World {
    QTemporaryDir dir;
    QStringList paths;
    RecordingMpv mpv;
    MpvMciService service;

    World() {
        for (const Fixture& f : kFiles) {
            const QString path = dir.filePath(QString::fromUtf8(f.name));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(f.bytes, 'x')) != f.bytes)
                std::abort();
            paths << path;
        }
    }
};

World& TheWorld() {
    static World* world = [] {
        qunsetenv("DISPLAY"); // a parent window is taken as a number, never drawn into
        NeedApplication();
        return new World;
    }();
    return *world;
}

// The first word of a command when it is plain (no quotes), in small letters.
QString PlainVerb(const QString& command) {
    const QString first = command.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    return first.contains(QLatin1Char('"')) ? QString() : first.toLower();
}

// Asks a number of `alias`; false when it is not open or the query failed.
bool Ask(MpvMciService& service, const char* alias, const char* what, qint64* value) {
    QString reply;
    const QString query =
        QStringLiteral("status %1 %2").arg(QLatin1String(alias), QLatin1String(what));
    if (service.SendString(query, &reply, 32) != MpvMciService::Ok)
        return false;
    bool ok = false;
    *value = reply.toLongLong(&ok);
    if (!ok)
        Fail("a status query answered no number", query);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& world = TheWorld();
    MpvMciService& service = world.service;
    const QStringList lines = FuzzText(data, size).split(QLatin1Char('\n'));
    int open = 0; // opens that succeeded less closes
    static const bool trace = qEnvironmentVariableIsSet("FUZZ_TRACE");
    for (qsizetype n = 0; n < std::min<qsizetype>(lines.size(), 64); ++n) {
        QString command = lines[n];
        if (command.startsWith(QLatin1Char('+'))) {
            world.mpv.Pass(std::clamp(command.mid(1).toDouble(), 0.0, 100000.0));
            continue;
        }
        // "#<digit>" names a file, quoted; an open whose path is one is checked by that path.
        QString named;
        for (qsizetype at = command.indexOf(QLatin1Char('#')); at >= 0 && at + 1 < command.size();
             at = command.indexOf(QLatin1Char('#'), at + 1)) {
            const char16_t digit = command[at + 1].unicode();
            if (digit < u'0' || digit > u'9')
                continue;
            const int index = digit - u'0';
            const QString quoted = QLatin1Char('"') + world.paths[index] + QLatin1Char('"');
            const QString before = command.left(at).trimmed();
            if (named.isEmpty() &&
                before.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0 &&
                (at + 2 == command.size() || command[at + 2] == QLatin1Char(' ')))
                named = world.paths[index];
            command.replace(at, 2, quoted);
            at += quoted.size() - 1;
        }
        const QString verb = PlainVerb(command);
        const int before = service.OpenAliasCount();
        const size_t loadsBefore = world.mpv.loaded.size();
        static constexpr int kLengths[] = {0, 1, 2, 3, 8, 32, 128};
        const int length = kLengths[command.size() % std::size(kLengths)];
        QString reply = QStringLiteral("not answered");
        const quint32 code = service.SendString(command, &reply, length);
        if (trace) // to follow what a finding did: FUZZ_TRACE=1 fuzz_CommandStrings <file>
            std::fprintf(stderr, "%s -> %u %s\n", command.toUtf8().constData(), code,
                         reply.toUtf8().constData());

        if (length == 0 ? !reply.isEmpty() : reply.size() >= length)
            Fail("a reply longer than the caller's buffer", command);
        if (code != MpvMciService::Ok && service.ErrorString(code).isEmpty())
            Fail("a failure without a text", command);
        const int after = service.OpenAliasCount();
        if (code != MpvMciService::Ok && after != before)
            Fail("a failed command opened or closed an alias", command);
        if (code == MpvMciService::Ok && !verb.isEmpty()) {
            if (verb == QLatin1String("open") && after != before + 1)
                Fail("an open did not add one alias", command);
            if (verb == QLatin1String("close") && after >= before && before > 0)
                Fail("a close did not remove an alias", command);
            if (verb != QLatin1String("open") && verb != QLatin1String("close") && after != before)
                Fail("a command other than open or close changed the aliases", command);
        }
        open += after - before;
        if (verb == QLatin1String("close") && code == MpvMciService::Ok &&
            command.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty)
                    .compare(QLatin1String("all"), Qt::CaseInsensitive) == 0 &&
            after != 0)
            Fail("close all left an alias open", command);
        if (after != open || world.mpv.LiveHandles() != after)
            Fail("the open aliases are not the players that live", command);
        for (size_t i = loadsBefore; i < world.mpv.loaded.size(); ++i)
            if (!named.isEmpty() && world.mpv.loaded[i] != named.toUtf8())
                Fail("the player was given another path than the quoted one", command);
        if (!named.isEmpty() && code == MpvMciService::Ok && world.mpv.loaded.size() == loadsBefore)
            Fail("a file opened without reaching the player", command);

        for (const char* alias : kWatched) {
            qint64 position = 0, end = 0;
            if (Ask(service, alias, "position", &position) && Ask(service, alias, "length", &end) &&
                (position < 0 || position > end))
                Fail("a position outside the length", command);
        }
        if (!world.mpv.misuses.isEmpty())
            Fail(world.mpv.misuses.first().toUtf8().constData(), command);
    }
    if (service.SendString(QStringLiteral("close all")) != MpvMciService::Ok ||
        service.OpenAliasCount() != 0 || world.mpv.LiveHandles() != 0)
        Fail("close all left a player", QStringLiteral("close all"));
    world.mpv.loaded.clear();
    return 0;
}
