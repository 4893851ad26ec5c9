#include "Benchmark.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#ifdef HAVE_SORVEL_STUDIO
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <algorithm>
#include <cstring>

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

bool selected(const char* name, int argc, char** argv) {
    if (argc < 2)
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strstr(name, argv[i]))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const QTemporaryDir root;
    if (!root.isValid() || !useTemporaryFolders(root)) {
        std::fprintf(stderr, "sorvel-bench: cannot make temporary folders\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef HAVE_SORVEL_STUDIO
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif

    std::vector<sorvel::bench::Benchmark> benchmarks = sorvel::bench::registry();
    std::sort(benchmarks.begin(), benchmarks.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& benchmark : benchmarks) {
        if (!selected(benchmark.name, argc, argv))
            continue;
        std::printf("== %s\n", benchmark.name);
        std::fflush(stdout);
        benchmark.run();
    }
    return 0;
}
