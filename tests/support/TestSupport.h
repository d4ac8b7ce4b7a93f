// Test twins and helpers shared by the test programs and the benchmarks.
#pragma once

#include "core/Dialogs.h"
#include "media/MciSender.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <vector>

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Answers message and input boxes from a script and records what was shown.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString prompt;
        MsgButtons buttons;
        QString title;
    };
    std::vector<Shown> shown;
    std::deque<MsgResult> answers; // taken in order; when empty: Ok, or No for Yes/No
    std::deque<QString> inputs;
    std::function<void(const Shown&)> onShow; // runs while the box is "open"

    MsgResult MsgBox(const QString& prompt, MsgButtons buttons, const QString& title,
                     MsgIcon icon) override;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    int CountTitled(const QString& title) const;
};

// Records every command string; answers from a table of replies by command.
class RecordingSender final : public MciSender {
public:
    QStringList commands;
    std::map<QString, QString> replies;  // command -> reply text
    std::map<QString, quint32> failures; // command -> return code
    quint32 SendString(const QString& command, QString* reply, int replyLength) override;
    QString ErrorString(quint32 code) override;
};

// A temporary program folder, optionally with an empty library file in it.
class ProgramFolderFixture {
public:
    explicit ProgramFolderFixture(bool withLibrary = true);
    QString Path() const { return dir_.path(); }
    QString Library() const;
    QString File(const QString& name) const;
    // Writes songs straight into the library: ids 1..n, "Artist <k>", "Title <i>",
    // "/music/song<i>.mp3", playcount 0 (in one transaction: quick for large libraries).
    void FillSongs(int count, int artists = 1) const;
    // Gives songs 1..count real (empty) files: <folder>/music/song<i>.mp3, written into their
    // filepath. Returns the path of song `count`'s file.
    QString MakeSongFiles(int count) const;
    // The path MakeSongFiles gives song i.
    QString SongFile(int i) const;
    // The play count of a song as the library file holds it; -1 when there is no such song.
    int PlayCount(int songid) const;
    // Runs SQL statements on the library (test set-up only).
    void Exec(const char* sql) const;
    // The rows a query gives, as the library file holds them: each row's columns as text, joined
    // by "|".
    QStringList Rows(const char* sql) const;
    // Adds one song through SQL with the given fields.
    void AddSong(int id, const QString& title, const QString& artist, const QString& path,
                 int playcount = 0) const;

private:
    QTemporaryDir dir_;
};

class frmPlayer;
// Loads the main window on the folder and runs its deferred reload at once.
void LoadAndReload(frmPlayer& player);

// Reads a whole file's bytes (empty when it cannot be read).
QByteArray ReadBytes(const QString& path);

// Polls `done`, letting this process's events run between polls, until it holds (true) or `ms`
// have passed (false).
bool WaitFor(const std::function<bool()>& done, int ms);
// Lets this process's events run for `ms` milliseconds.
void Settle(int ms);

// The environment of the real program run headless on the program folder `folder`, its sound
// going nowhere.
QProcessEnvironment PlayerEnvironment(const QString& folder);

// Writes a whole file, making its folder; false when it cannot be written.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);
