// Speed figures of the player's hot paths. Run: cmake --build build --target benchmarks &&
// build/jukora-bench. Figures are medians over repetitions.
#include "core/Store.h"
#include "support/TestSupport.h"

#include "import/FileListBox.h"
#include "import/frmAdd.h"
#include "media/MpvMciService.h"
#include "prefs/frmInfo.h"
#include "skin/ListBox.h"
#include "skin/SkinArt.h"
#include "skin/frmPlayer.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPixmapCache>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int kFullLibrary = 32767;

// One library of 32,767 songs (about 3,000 artists), made once for all benchmarks.
const ProgramFolderFixture& FullLibrary() {
    static const ProgramFolderFixture* folder = [] {
        auto* f = new ProgramFolderFixture;
        f->FillSongs(kFullLibrary, 3000);
        return f;
    }();
    return *folder;
}

void BM_ReadWholeSongTable(benchmark::State& state) {
    RecordSource songs(QStringLiteral("tblSong"));
    songs.SetDatabaseName(FullLibrary().Library());
    songs.Open();
    for (auto _ : state) {
        songs.Refresh();
        benchmark::DoNotOptimize(songs.RecordCount());
    }
    if (songs.RecordCount() != kFullLibrary)
        state.SkipWithError("the library does not hold every song");
}
BENCHMARK(BM_ReadWholeSongTable)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_CommitPlaycountUpdate(benchmark::State& state) {
    RecordSource songs(QStringLiteral("tblSong"));
    songs.SetDatabaseName(FullLibrary().Library());
    songs.Open();
    songs.MoveFirst();
    int count = 0;
    for (auto _ : state) {
        songs.Edit();
        songs.SetField(QStringLiteral("playcount"), ++count);
        songs.Update();
    }
}
BENCHMARK(BM_CommitPlaycountUpdate)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The main window loaded on the full library, with a user playlist of 1,000 entries.
frmPlayer& LoadedPlayer() {
    static frmPlayer* player = [] {
        const ProgramFolderFixture& folder = FullLibrary();
        folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Thousand');"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"
                    " INSERT INTO tblPlayListTracks SELECT i, 1, (i * 31) % 32767 + 1 FROM n;"
                    "UPDATE tblSong SET playcount = (songid * 7919) % 500;");
        static ScriptedDialogs dialogs;
        static RecordingSender sender;
        auto* p = new frmPlayer(PlayerServices{dialogs, sender, folder.Path(), QString()});
        LoadAndReload(*p);
        return p;
    }();
    return *player;
}

// Includes the views taking the new rows, so that the figure is the whole keystroke.
void SyncViews(frmPlayer& player) {
    QApplication::processEvents();
    benchmark::DoNotOptimize(player.lstTracks->ListCount());
}

void BM_SearchKeystroke(benchmark::State& state) {
    frmPlayer& player = LoadedPlayer();
    const QString texts[] = {QStringLiteral("a"), QStringLiteral("ar"), QStringLiteral("art"),
                             QStringLiteral("title 1"), QString()};
    size_t i = 0;
    for (auto _ : state) {
        player.txtSearch->setText(texts[i++ % std::size(texts)]);
        SyncViews(player);
    }
}
BENCHMARK(BM_SearchKeystroke)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void ListPlaylist(benchmark::State& state, int index) {
    frmPlayer& player = LoadedPlayer();
    for (auto _ : state) {
        player.SelectPlayList(index);
        SyncViews(player);
    }
}

void BM_ListAllMedia(benchmark::State& state) {
    ListPlaylist(state, 0);
}
BENCHMARK(BM_ListAllMedia)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ListTop20(benchmark::State& state) {
    ListPlaylist(state, 1);
}
BENCHMARK(BM_ListTop20)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ListUserPlaylist(benchmark::State& state) {
    ListPlaylist(state, 2);
    if (LoadedPlayer().lstTracks->ListCount() != 1000)
        state.SkipWithError("the playlist does not list 1,000 entries");
}
BENCHMARK(BM_ListUserPlaylist)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The edit panel listing every library item for "[All Media]".
void BM_EditPanelAllMedia(benchmark::State& state) {
    frmPlayer& player = LoadedPlayer();
    player.imgEditOver_Click();
    for (auto _ : state) {
        player.lstEditPlayList->SetListIndex(0);
        player.lstEditPlayList_Click();
        QApplication::processEvents();
    }
    if (player.lstEditPlayListTracks->ListCount() != 32767)
        state.SkipWithError("the edit panel does not list every song");
    player.imgEditBackOver_Click();
}
BENCHMARK(BM_EditPanelAllMedia)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// One song added to a playlist through the add panel: the artists of its title looked up, the
// song found, the entry committed, the playlist lists refilled.
void BM_AddToPlaylist(benchmark::State& state) {
    frmPlayer& player = LoadedPlayer();
    player.SelectPlayList(0);
    player.lstTracks->SetListIndex(16000);
    for (auto _ : state) {
        player.imgAddOver_Click();
        player.cmbArtist->SetListIndex(0);
        player.lstAddToPlaylist->SetListIndex(0);
        player.imgOkOver_Click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_AddToPlaylist)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A folder of 10,000 media files imported into an empty library, every record committed as it is
// written. Each iteration starts from a fresh library.
void BM_ImportFolder10k(benchmark::State& state) {
    static ProgramFolderFixture music(false);
    static const QString folder = [] {
        for (int i = 0; i < 10000; ++i) {
            QFile file(music.File(QStringLiteral("Band %1 - Song %2.mp3").arg(i % 300).arg(i)));
            file.open(QIODevice::WriteOnly);
        }
        return music.Path();
    }();
    ScriptedDialogs dialogs;
    RecordingSender sender;
    for (auto _ : state) {
        state.PauseTiming();
        auto library = std::make_unique<ProgramFolderFixture>();
        auto player = std::make_unique<frmPlayer>(
            PlayerServices{dialogs, sender, library->Path(), QString()});
        frmAdd& add = *player->add();
        add.SetDirPath(folder);
        state.ResumeTiming();
        add.imgAddAllOver_Click();
        state.PauseTiming();
        RecordSource songs(QStringLiteral("tblSong"));
        songs.SetDatabaseName(library->Library());
        songs.Open();
        if (songs.RecordCount() != 10000) {
            state.SkipWithError("not every file was imported");
            break;
        }
        player.reset();
        library.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportFolder10k)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

// The library maintenance of the preferences window on a library of 32,767 songs (with a user
// playlist of 1,000 entries and a remembered folder), through the main window loaded on it.
class MaintenanceLibrary {
public:
    MaintenanceLibrary() {
        Fill();
        player = std::make_unique<frmPlayer>(PlayerServices{dialogs, sender, folder.Path(), {}});
        LoadAndReload(*player);
    }
    // Puts every record back, with play counts that are not 0, and lets the main window see them.
    void Fill() {
        folder.Exec("DELETE FROM tblSong; DELETE FROM tblPlayList; DELETE FROM tblPlayListTracks;"
                    " DELETE FROM tblFolder;");
        folder.FillSongs(kFullLibrary, 3000);
        folder.Exec("UPDATE tblSong SET playcount = songid % 50 + 1;"
                    "INSERT INTO tblPlayList VALUES (1, 'Thousand');"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"
                    " INSERT INTO tblPlayListTracks SELECT i, 1, i FROM n;"
                    "INSERT INTO tblFolder VALUES (1, '/music');");
        if (player)
            for (RecordSource* source :
                 {&player->datSong, &player->datPlayList, &player->datTracks})
                source->Refresh();
    }
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    RecordingSender sender;
    std::unique_ptr<frmPlayer> player;
};

// What the skin's art costs at start-up: the images the main window shows when it first
// appears, read from the built-in art and decoded, with nothing cached from a run before (hidden
// images are read when first shown).
void BM_LoadSkinArt(benchmark::State& state) {
    ProgramFolderFixture folder;
    folder.FillSongs(3);
    ScriptedDialogs dialogs;
    RecordingSender sender;
    frmPlayer player(PlayerServices{dialogs, sender, folder.Path(), {}});
    LoadAndReload(player);
    QStringList names;
    for (const QLabel* image : player.findChildren<QLabel*>())
        if (image->isVisible() && !image->pixmap().isNull())
            names << QStringLiteral("frmPlayer/") + image->objectName();
    if (names.size() < 25)
        state.SkipWithError("the main window shows too few images");
    for (auto _ : state) {
        QPixmapCache::clear();
        for (const QString& name : names)
            benchmark::DoNotOptimize(SkinArt::Image(name, 1));
    }
    state.counters["images"] = static_cast<double>(names.size());
}
BENCHMARK(BM_LoadSkinArt)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// "Empty Library" answered Yes, then No to adding media now: the four tables emptied, the
// add-media window started again, the lists emptied (their reload follows on a timer).
void BM_EmptyLibrary(benchmark::State& state) {
    MaintenanceLibrary library;
    for (auto _ : state) {
        state.PauseTiming();
        library.Fill();
        library.dialogs.answers = {MsgResult::Yes, MsgResult::No};
        state.ResumeTiming();
        library.player->info()->cmdEmpty_Click();
    }
    if (library.folder.Rows("SELECT count(*) FROM tblSong") != QStringList{QStringLiteral("0")})
        state.SkipWithError("the library was not emptied");
}
BENCHMARK(BM_EmptyLibrary)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// "Reset" on the play-count page: every play count set to 0 and its message.
void BM_ResetPlayCounts(benchmark::State& state) {
    MaintenanceLibrary library;
    for (auto _ : state) {
        state.PauseTiming();
        library.Fill();
        state.ResumeTiming();
        library.player->info()->cmdReset_Click();
    }
    if (library.folder.Rows("SELECT max(playcount) FROM tblSong") !=
        QStringList{QStringLiteral("0")})
        state.SkipWithError("the play counts were not reset");
}
BENCHMARK(BM_ResetPlayCounts)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// Ten seconds of silence (8 kHz mono 8-bit WAV) in the folder, for the media service to play.
QString SilentSong(const ProgramFolderFixture& folder) {
    const QString song = folder.File(QStringLiteral("tone.wav"));
    QFile file(song);
    file.open(QIODevice::WriteOnly);
    const quint32 samples = 80000;
    QByteArray header("RIFF", 4);
    auto put32 = [&](quint32 v) { header.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](quint16 v) { header.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + samples);
    header.append("WAVEfmt ", 8);
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(8000);
    put16(1);
    put16(8);
    header.append("data", 4);
    put32(samples);
    file.write(header);
    file.write(QByteArray(samples, '\x80'));
    return song;
}

// The real media service with the song open and playing on the audio channel.
class PlayingSong {
public:
    PlayingSong() {
        qputenv("JUKORA_MPV_OPTIONS", "ao=null vo=null");
        service.SendString(QStringLiteral("open \"") + SilentSong(folder) +
                           QStringLiteral("\" alias song"));
        service.SendString(QStringLiteral("play song"));
    }
    ~PlayingSong() { service.SendString(QStringLiteral("close all")); }
    PlayingSong(const PlayingSong&) = delete;
    PlayingSong& operator=(const PlayingSong&) = delete;
    ProgramFolderFixture folder{false};
    MpvMciService service;
};

// One position query to the real media service while a song plays.
void BM_StatusPositionCommand(benchmark::State& state) {
    PlayingSong playing;
    QString reply;
    for (auto _ : state)
        playing.service.SendString(QStringLiteral("status song position"), &reply, 128);
}
BENCHMARK(BM_StatusPositionCommand)->Unit(benchmark::kMicrosecond);

// The commands of one playback tick on a playing song, through the media modules as the tick
// sends them: the end-of-song test, then the thumb's position and the running time.
void BM_TickCommands(benchmark::State& state) {
    PlayingSong playing;
    ScriptedDialogs dialogs;
    MediaContext media{playing.service, dialogs, QString()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(MP3::SongFinished(media));
        benchmark::DoNotOptimize(MP3::SongPositionSecs(media));
        benchmark::DoNotOptimize(MP3::SongPositionText(media));
        benchmark::DoNotOptimize(video::SongLengthText(media));
    }
    if (!dialogs.shown.empty())
        state.SkipWithError("the media modules reported an error");
}
BENCHMARK(BM_TickCommands)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
