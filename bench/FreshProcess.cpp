#include "FreshProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace sorvel::bench {

namespace {

const char* const freshOption = "--fresh-measurement";
const char* const startedAtVariable = "SORVEL_BENCH_STARTED_AT_NS";

QMap<QString, FreshMeasurement>& measurements() {
    static QMap<QString, FreshMeasurement> offered;
    return offered;
}

// Nanoseconds of the monotonic clock, which every process on the machine shares.
qint64 monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double statusMiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

} // namespace

double residentMiB() {
    return statusMiB("VmRSS:");
}

double peakResidentMiB() {
    return statusMiB("VmHWM:");
}

bool offerFreshMeasurement(const QString& kind, FreshMeasurement measurement) {
    measurements().insert(kind, std::move(measurement));
    return true;
}

std::optional<FreshFigures> measureInFreshProcess(const QString& kind, const QString& argument,
                                                  const QProcessEnvironment& environment) {
    QProcessEnvironment childEnvironment = environment;
    childEnvironment.insert(QString::fromLatin1(startedAtVariable), QString::number(monotonicNs()));
    QProcess child;
    child.setProcessEnvironment(childEnvironment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(freshOption), kind, argument});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "sorvel-bench: the fresh measurement %s failed\n", qPrintable(kind));
        return std::nullopt;
    }
    static const QRegularExpression line(
        QStringLiteral("^fresh ms=(\\S+) since-start-ms=(\\S+) resident=(\\S+) peak=(\\S+) later-resident=(\\S+)$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(child.readAllStandardOutput()));
    if (!match.hasMatch())
        return std::nullopt;
    return FreshFigures{match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble(),
                        match.captured(4).toDouble(), match.captured(5).toDouble()};
}

int runFreshMeasurement(int argc, char** argv) {
    if (argc != 4 || qstrcmp(argv[1], freshOption) != 0)
        return -1;
    const auto found = measurements().constFind(QString::fromUtf8(argv[2]));
    if (found == measurements().constEnd()) {
        std::fprintf(stderr, "sorvel-bench: no fresh measurement named %s\n", argv[2]);
        return 2;
    }
    FreshFigures figures = (*found)(QString::fromUtf8(argv[3]));
    const qint64 startedAt = qgetenv(startedAtVariable).toLongLong();
    figures.sinceStartMs = startedAt > 0 ? double(monotonicNs() - startedAt) / 1e6 : -1;
    std::printf("fresh ms=%.3f since-start-ms=%.3f resident=%.1f peak=%.1f later-resident=%.1f\n", figures.ms,
                figures.sinceStartMs, figures.residentMiB, figures.peakMiB, figures.laterResidentMiB);
    std::fflush(stdout);
    return 0;
}

void timeBesideInFreshProcesses(benchmark::State& state, const QString& kind, const QString& baseline,
                                const QString& baselineName, const QString& argument) {
    double measuredMs = 0;
    double baselineMs = 0;
    double peak = 0;
    for (auto _ : state) {
        const std::optional<FreshFigures> measured = measureInFreshProcess(kind, argument);
        const std::optional<FreshFigures> compared = measureInFreshProcess(baseline, argument);
        if (!measured || !compared) {
            state.SkipWithError("a fresh process failed");
            break;
        }
        state.SetIterationTime(measured->ms / 1000);
        measuredMs += measured->ms;
        baselineMs += compared->ms;
        peak = std::max(peak, measured->peakMiB);
    }
    state.counters[(baselineName + QStringLiteral("_ms")).toStdString()] =
        benchmark::Counter(baselineMs, benchmark::Counter::kAvgIterations);
    state.counters[(QStringLiteral("vs_") + baselineName).toStdString()] = baselineMs > 0 ? measuredMs / baselineMs : 0;
    state.counters["peak_MiB"] = peak;
}

} // namespace sorvel::bench
