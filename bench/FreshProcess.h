#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <benchmark/benchmark.h>

#include <functional>
#include <optional>

namespace sorvel::bench {

// What one measurement in a fresh process of this program found.
struct FreshFigures {
    double ms = 0; // the measured work, timed in the fresh process
    double sinceStartMs = 0; // from the parent starting the process to the end of the work
    double residentMiB = 0; // resident memory once the work is done
    double peakMiB = 0; // the most resident memory the process ever had
    double laterResidentMiB = 0; // resident memory after the measurement's repeated work, when it has any
};

// One kind of measurement: does its work on `argument` (a file, a folder) and
// fills in the figures. Runs in a process that has done nothing else yet.
using FreshMeasurement = std::function<FreshFigures(const QString& argument)>;

// Makes `kind` available to fresh processes; returns true so that a
// namespace-scope constant can register it.
bool offerFreshMeasurement(const QString& kind, FreshMeasurement measurement);

// Starts this program again to take one measurement of `kind`, and reads its
// figures; none (and why on stderr) when the process failed.
std::optional<FreshFigures>
measureInFreshProcess(const QString& kind, const QString& argument,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Each iteration of `state` takes a measurement of `kind` and one of
// `baseline`, each in a fresh process on `argument`. The iteration's time is
// the first one's; the counters "<baselineName>_ms" and "vs_<baselineName>"
// compare the two, and "peak_MiB" is the first one's largest peak.
void timeBesideInFreshProcesses(benchmark::State& state, const QString& kind, const QString& baseline,
                                const QString& baselineName, const QString& argument);

// In a process started by measureInFreshProcess: takes the measurement, prints
// its figures and gives the exit code. -1 in any other run of the program.
int runFreshMeasurement(int argc, char** argv);

// The process's resident memory now and at its peak, in MiB.
double residentMiB();
double peakResidentMiB();

} // namespace sorvel::bench
