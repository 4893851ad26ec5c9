#include "app/store/PendingRescues.h"

#include "core/Log.h"

#include <algorithm>
#include <cerrno>

namespace sorvel {

// Holds the copies from the moment the file is about to be replaced until it
// is: a copy kept meanwhile is then made retired at once, or carried.
class PendingRescues::Carrier final : public Carrying {
public:
    Carrier(PendingRescues& owner, quint64 revision) : m_owner(owner), m_revision(revision) {}

    int replacing(const Storage::WriteMark& mark) override {
        m_lock = std::unique_lock(m_owner.m_mutex);
        // A copy of later changes, kept while this write ran, holds these
        // too and its steps from the same base: landing now, the write would
        // have them counted again when the copy merges. The copy brings them.
        for (const Copy& copy : std::as_const(m_owner.m_pending)) {
            if (copy.revision > m_revision) {
                m_lock.unlock();
                Log::info(QStringLiteral("Sorvel: the rescue copy %1 holds the changes of this write and later ones; "
                                         "the data file is left to it")
                              .arg(copy.path));
                m_leftToCopy = true;
                return ECANCELED;
            }
        }
        QStringList paths;
        for (const Copy& copy : std::as_const(m_owner.m_pending)) {
            if (copy.revision <= m_revision)
                paths << copy.path;
        }
        m_copies = m_owner.m_files->carryRescues(
            paths, QStringLiteral("the changes of the rescue copy %1 reached the data file"));
        const int error = m_copies->replacing(mark);
        if (error != 0)
            done();
        return error;
    }
    void replaced(bool durable) override {
        m_copies->replaced(durable);
        m_owner.m_written = std::max(m_owner.m_written, m_revision);
        m_owner.m_pending.removeIf([&](const Copy& copy) { return copy.revision <= m_revision; });
        m_lock.unlock();
    }
    void notReplaced() override {
        m_copies->notReplaced();
        done();
    }
    bool leftToCopy() const override { return m_leftToCopy; }

private:
    // The copies stay pending, where they are now.
    void done() {
        qsizetype carried = 0;
        for (Copy& copy : m_owner.m_pending) {
            if (copy.revision <= m_revision)
                copy.path = m_copies->paths().at(carried++);
        }
        m_lock.unlock();
    }

    PendingRescues& m_owner;
    const quint64 m_revision;
    std::unique_lock<std::mutex> m_lock;
    std::unique_ptr<RescueCarrier> m_copies;
    bool m_leftToCopy = false;
};

FileOutcome PendingRescues::keep(const std::optional<Library>& base, const Library& unsaved, const ProgressSteps& steps,
                                 quint64 revision, const QDateTime& at) {
    const std::lock_guard lock(m_mutex);
    if (m_last && m_last->revision == revision && m_lastLibrary == unsaved)
        return {m_last->path};
    const bool landed = revision <= m_written;
    // A write that landed since `steps` were taken (the quit stopped
    // waiting for it) holds those up to m_written: the copy does not carry them again.
    const FileOutcome written = m_files->writeRescue(base, unsaved, at, {m_run, revision, steps, m_written}, landed);
    if (!written.done())
        return written;
    m_last = Copy{written.path, revision};
    m_lastLibrary = unsaved;
    if (landed)
        Log::info(
            QStringLiteral("Sorvel: the changes of the rescue copy %1 are in the data file already").arg(written.path));
    else
        m_pending << *m_last;
    return written;
}

void PendingRescues::hold(const QStringList& paths, quint64 revision) {
    const std::lock_guard lock(m_mutex);
    for (const QString& path : paths)
        m_pending << Copy{path, revision};
}

std::unique_ptr<PendingRescues::Carrying> PendingRescues::carrierOf(quint64 revision) {
    return std::make_unique<Carrier>(*this, revision);
}

} // namespace sorvel
