#include "app/library/ShelfHeader.h"
#include "app/library/TapeShelf.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "core/Storage.h"

#include <QAbstractButton>

#include <benchmark/benchmark.h>

#include <memory>

// One paint of the whole shelf, cards (0) and list (1), while it holds a tape
// whose name is fifty megabytes and whose next step is one: the shown texts
// are cut long before the layout, so it paints as fast as an ordinary shelf.
// Tens of megabytes in one name once froze the window for seconds.

using namespace sorvel;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

Library hugeNameLibrary() {
    AudioProject huge =
        AudioProject::make(QStringLiteral("Huge ") + QString(50 * 1024 * 1024, QLatin1Char('x')), ProjectType::musicID);
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.title = QString(1024 * 1024, QLatin1Char('c')); // shown as the card's next step
    huge.items.append(cue);
    return Library{{huge, AudioProject::make(QStringLiteral("ordinary"), ProjectType::musicID)},
                   ProjectType::defaults()};
}

void paintShelfWithAHugeName(benchmark::State& state) {
    Storage::save(disk, hugeNameLibrary());
    ProjectStore store(disk, ProjectStore::Desktop{});
    AppRouter router;
    Settings settings(disk, Settings::applicationFilePath());
    TapeShelf shelf(store, router, settings);
    shelf.resize(1200, 800);
    shelf.show();
    if (state.range(0) == 1)
        shelf.header()->listModeButton()->click();
    shelf.grab(); // fonts and caches are made on the first paint
    for (auto _ : state)
        benchmark::DoNotOptimize(shelf.grab());
    if (state.range(0) == 1)
        shelf.header()->tapeModeButton()->click();
}

} // namespace

BENCHMARK(paintShelfWithAHugeName)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
