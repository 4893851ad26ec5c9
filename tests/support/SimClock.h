#pragma once

#include "app/store/sync/SyncSeams.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace sorvel::test {

// The sync's timers on a clock the test moves: `now` (ms) is the test's,
// the wall clock stands at `wallAtZero` plus it, plus `*wallOffsetMs` where
// one is given (a clock set back, another zone). A timer fires only when the
// test says.
class SimClock final : public SyncClock {
public:
    SimClock(qint64& now, QDateTime wallAtZero, const qint64* wallOffsetMs = nullptr)
        : m_now(now), m_wallAtZero(std::move(wallAtZero)), m_wallOffsetMs(wallOffsetMs) {}

    qint64 steadyMs() const override { return m_now; }
    QDateTime wallNow() const override { return m_wallAtZero.addMSecs(m_now + (m_wallOffsetMs ? *m_wallOffsetMs : 0)); }
    void start(SyncTimer timer, int ms) override { m_due[timer] = m_now + ms; }
    void stop(SyncTimer timer) override { m_due.erase(timer); }
    bool isActive(SyncTimer timer) const override { return m_due.count(timer) > 0; }

    // How long until `timer` fires; 0 when it does not run.
    qint64 dueIn(SyncTimer timer) const {
        const auto due = m_due.find(timer);
        return due == m_due.end() ? 0 : std::max<qint64>(0, due->second - m_now);
    }
    // The timer due first, and when.
    std::optional<std::pair<qint64, SyncTimer>> nextDue() const {
        std::optional<std::pair<qint64, SyncTimer>> first;
        for (const auto& [timer, due] : m_due) {
            if (!first || due < first->first)
                first = std::make_pair(due, timer);
        }
        return first;
    }
    // When the last timer that runs is due; now when none runs.
    qint64 lastDue() const {
        qint64 last = m_now;
        for (const auto& entry : m_due)
            last = std::max(last, entry.second);
        return last;
    }
    // Moves the clock to the timer's moment, when that is later, and fires it.
    void fire(SyncTimer timer) {
        ASSERT_TRUE(isActive(timer)) << "fired a timer that does not run";
        m_now = std::max(m_now, m_due[timer]);
        m_due.erase(timer);
        fired(timer);
    }

private:
    qint64& m_now;
    const QDateTime m_wallAtZero;
    const qint64* const m_wallOffsetMs;
    std::map<SyncTimer, qint64> m_due;
};

} // namespace sorvel::test
