// Speed figures of the player's hot paths. Run: cmake --build build --target benchmarks &&
// build/jukora-bench. Figures are medians over repetitions.
#include "core/Store.h"
#include "support/TestSupport.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
