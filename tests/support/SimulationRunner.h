#pragma once

#include "support/QuietLog.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace sorvel::test {

// Runs a seeded simulation over many schedules, one after another and with
// the log muted, and times them. How many and from which seed come from two
// environment variables, so that a schedule that broke can be run alone.
// `Outcome` says whether the schedule held (`held`), the first rule it broke
// (`broken`) and what happened (`schedule`), and sums its figures (+=).
template <typename Outcome>
class SimulationRunner {
public:
    struct Settings {
        const char* filter; // the tests' gtest filter, to repeat one schedule
        const char* seedVariable; // the first seed (1 without it)
        const char* schedulesVariable; // how many schedules
        int schedules; // how many without the variable
    };
    // What the schedules did in all.
    struct Run {
        quint64 first = 1;
        int count = 0;
        Outcome all; // the figures of all the schedules, summed
        QList<quint64> broken;
        double msPerThousand = 0;
        // The first that broke, run again and described for repeating it;
        // empty when none broke.
        std::string firstBroken;
    };
    using Simulate = std::function<Outcome(quint64 seed)>;

    SimulationRunner(Settings settings, Simulate simulate) : m_settings(settings), m_simulate(std::move(simulate)) {}

    int schedules() const {
        bool ok = false;
        const int wanted = qEnvironmentVariableIntValue(m_settings.schedulesVariable, &ok);
        return ok && wanted > 0 ? wanted : m_settings.schedules;
    }

    quint64 firstSeed() const {
        bool ok = false;
        const qulonglong seed = qEnvironmentVariable(m_settings.seedVariable).toULongLong(&ok);
        return ok ? seed : 1;
    }

    Outcome quietly(quint64 seed) const {
        const QuietLog quiet;
        return m_simulate(seed);
    }

    Run run() const {
        Run run;
        run.first = firstSeed();
        run.count = schedules();
        const auto started = std::chrono::steady_clock::now();
        for (quint64 seed = run.first; seed < run.first + quint64(run.count); ++seed) {
            const Outcome outcome = quietly(seed);
            run.all += outcome;
            if (!outcome.held) {
                run.broken << seed;
                std::printf("broke: seed %llu: %s\n", static_cast<unsigned long long>(seed),
                            qPrintable(outcome.broken));
            }
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        run.msPerThousand = seconds * 1000000 / run.count;
        if (!run.broken.isEmpty())
            run.firstBroken = described(run.broken.first(), quietly(run.broken.first()));
        return run;
    }

private:
    std::string described(quint64 seed, const Outcome& outcome) const {
        return QStringLiteral("seed %1 broke: %2\nrepeat: %3=%1 %4=1 build/tests/store_tests --gtest_filter='%5'\n"
                              "schedule:\n  %6")
            .arg(seed)
            .arg(outcome.broken, QLatin1String(m_settings.seedVariable), QLatin1String(m_settings.schedulesVariable),
                 QLatin1String(m_settings.filter), outcome.schedule.join(QStringLiteral("\n  ")))
            .toStdString();
    }

    Settings m_settings;
    Simulate m_simulate;
};

} // namespace sorvel::test
