#include "FreshProcess.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QApplication>

#include <cstdio>

namespace {

// Benchmarks never touch the user's real data or settings.
bool useTemporaryFolders(const QTemporaryDir& root) {
    const char* const variables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
    const char* const folders[] = {"data", "config", "runtime"};
    for (int i = 0; i < 3; ++i) {
        const QString path = root.filePath(QString::fromLatin1(folders[i]));
        if (!QDir().mkpath(path))
            return false;
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(variables[i], QFile::encodeName(path));
    }
    return true;
}

} // namespace

// Google Benchmark's own options apply (--benchmark_filter=Coding and so on).
// Benchmarks run on this thread, inside the application object, so the store
// and the painting benchmarks have an event loop and fonts.
int main(int argc, char** argv) {
    const QTemporaryDir root;
    if (!root.isValid() || !useTemporaryFolders(root)) {
        std::fprintf(stderr, "sorvel-bench: cannot make temporary folders\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A run started by a benchmark to measure one thing in a fresh process.
    if (const int code = sorvel::bench::runFreshMeasurement(argc, argv); code >= 0)
        return code;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
