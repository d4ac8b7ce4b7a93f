#include "support/TestSupport.h"

#include "core/Store.h"
#include "skin/frmPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sqlite3.h>
#include <stdexcept>

MsgResult ScriptedDialogs::MsgBox(const QString& prompt, MsgButtons buttons, const QString& title,
                                  MsgIcon) {
    shown.push_back({prompt, buttons, title});
    if (onShow)
        onShow(shown.back());
    if (!answers.empty()) {
        const MsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title, const QString&) {
    shown.push_back({prompt, MsgButtons::OkCancel, title});
    if (inputs.empty())
        return {};
    const QString text = inputs.front();
    inputs.pop_front();
    return text;
}

int ScriptedDialogs::CountTitled(const QString& title) const {
    int n = 0;
    for (const Shown& s : shown)
        n += s.title == title ? 1 : 0;
    return n;
}

quint32 RecordingSender::SendString(const QString& command, QString* reply, int replyLength) {
    commands << command;
    if (reply) {
        const auto it = replies.find(command);
        *reply =
            it == replies.end() || replyLength <= 0 ? QString() : it->second.left(replyLength - 1);
    }
    const auto failure = failures.find(command);
    return failure == failures.end() ? 0 : failure->second;
}

QString RecordingSender::ErrorString(quint32 code) {
    return QStringLiteral("error %1").arg(code);
}

ProgramFolderFixture::ProgramFolderFixture(bool withLibrary) {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    if (withLibrary)
        CreateEmptyLibrary(Library());
}

QString ProgramFolderFixture::Library() const {
    return dir_.filePath(QStringLiteral("dbMedia.mdb"));
}

QString ProgramFolderFixture::File(const QString& name) const {
    return dir_.filePath(name);
}

namespace {
void WithDatabase(const QString& path, const std::function<void(sqlite3*)>& body) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error("cannot open the test library");
    sqlite3_busy_timeout(db, 5000);
    body(db);
    sqlite3_close(db);
}
} // namespace

void ProgramFolderFixture::FillSongs(int count, int artists) const {
    WithDatabase(Library(), [&](sqlite3* db) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO tblSong (songid, Title, artist, filepath) VALUES (?,?,?,?)",
                           -1, &st, nullptr);
        for (int i = 1; i <= count; ++i) {
            const QByteArray title = "Title " + QByteArray::number(i);
            const QByteArray artist = "Artist " + QByteArray::number(i % artists);
            const QByteArray path = "/music/song" + QByteArray::number(i) + ".mp3";
            sqlite3_bind_int(st, 1, i);
            sqlite3_bind_text(st, 2, title.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, artist.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, path.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
}

QString ProgramFolderFixture::SongFile(int i) const {
    return dir_.filePath(QStringLiteral("music/song%1.mp3").arg(i));
}

QString ProgramFolderFixture::MakeSongFiles(int count) const {
    QDir(dir_.path()).mkpath(QStringLiteral("music"));
    WithDatabase(Library(), [&](sqlite3* db) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "UPDATE tblSong SET filepath = ? WHERE songid = ?", -1, &st,
                           nullptr);
        for (int i = 1; i <= count; ++i) {
            QFile file(SongFile(i));
            if (!file.open(QIODevice::WriteOnly))
                throw std::runtime_error("cannot make a test song file");
            const QByteArray path = SongFile(i).toUtf8();
            sqlite3_bind_text(st, 1, path.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 2, i);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    return SongFile(count);
}

int ProgramFolderFixture::PlayCount(int songid) const {
    int count = -1;
    WithDatabase(Library(), [&](sqlite3* db) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT playcount FROM tblSong WHERE songid = ?", -1, &st, nullptr);
        sqlite3_bind_int(st, 1, songid);
        if (sqlite3_step(st) == SQLITE_ROW)
            count = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    });
    return count;
}

void ProgramFolderFixture::Exec(const char* sql) const {
    WithDatabase(Library(), [&](sqlite3* db) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    });
}

QStringList ProgramFolderFixture::Rows(const char* sql) const {
    QStringList rows;
    WithDatabase(Library(), [&](sqlite3* db) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                columns << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            rows << columns.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
    });
    return rows;
}

void ProgramFolderFixture::AddSong(int id, const QString& title, const QString& artist,
                                   const QString& path, int playcount) const {
    WithDatabase(Library(), [&](sqlite3* db) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            db,
            "INSERT INTO tblSong (songid, Title, artist, filepath, playcount) VALUES (?,?,?,?,?)",
            -1, &st, nullptr);
        const QByteArray t = title.toUtf8(), a = artist.toUtf8(), p = path.toUtf8();
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, t.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, a.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, p.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 5, playcount);
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error("cannot add a test song");
        sqlite3_finalize(st);
    });
}

void LoadAndReload(frmPlayer& player) {
    player.Form_Load();
    for (int i = 0; i < 3 && player.Timer1.isActive(); ++i)
        player.Timer1_Timer();
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

void Settle(int ms) {
    WaitFor([] { return false; }, ms);
}

QProcessEnvironment PlayerEnvironment(const QString& folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("JUKORA_PROGRAM_FOLDER"), folder);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("JUKORA_MPV_OPTIONS"), QStringLiteral("ao=null vo=null"));
    return env;
}
