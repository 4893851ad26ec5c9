#include "app/store/rescue/RescueCopies.h"

#include "core/Log.h"

#include <algorithm>
#include <cerrno>

namespace sorvel {

int RescueCopies::Carrier::replacing(const Storage::WriteMark& mark) {
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
    m_mark = mark;
    m_paths.clear();
    for (const Copy& copy : std::as_const(m_owner.m_pending)) {
        if (copy.revision <= m_revision)
            m_paths << copy.path;
    }
    m_copies = m_owner.m_files->carryRescues(m_paths,
                                             QStringLiteral("the changes of the rescue copy %1 reached the data file"));
    const int error = m_copies->replacing(mark);
    if (error != 0)
        done();
    return error;
}

void RescueCopies::Carrier::replaced(bool durable) {
    m_copies->replaced(durable);
    m_owner.m_written = std::max(m_owner.m_written, m_revision);
    // A synced folder keeps every rename made in it before, earlier writes' too.
    if (durable)
        m_owner.m_lasting = m_owner.m_written;
    m_owner.m_mayNotLast = durable ? std::nullopt : std::optional<Storage::WriteMark>(m_mark);
    m_owner.m_pending.removeIf([&](const Copy& copy) { return copy.revision <= m_revision; });
    m_lock.unlock();
}

void RescueCopies::Carrier::notReplaced() {
    m_copies->notReplaced();
    done();
}

void RescueCopies::Carrier::done() {
    qsizetype carried = 0;
    for (Copy& copy : m_owner.m_pending) {
        if (copy.revision <= m_revision)
            copy.path = m_paths.at(carried++);
    }
    m_lock.unlock();
}

RescueCopies::Files::RescuesMerged RescueCopies::mergeEarlier(const FolderLock::Waiter& waiter) {
    Files::RescuesMerged merged = m_files->mergeRescues(waiter);
    const std::lock_guard lock(m_mutex);
    m_leftWaiting = !merged.notCarried.isEmpty();
    return merged;
}

std::unique_ptr<RescueCopies::Carrier> RescueCopies::carrierOf(quint64 revision, const FolderLock::Waiter& waiter) {
    const std::lock_guard lock(m_mutex);
    // Copies this run holds would be merged too, behind its back: they are
    // carried by its writes, and the earlier ones wait for a later start.
    if (m_leftWaiting && m_pending.isEmpty()) {
        const Files::RescuesMerged merged = m_files->mergeRescues(waiter);
        m_leftWaiting = !merged.notCarried.isEmpty() || !merged.notWritten.isEmpty();
    }
    return std::make_unique<Carrier>(*this, revision);
}

FileOutcome RescueCopies::keep(const std::optional<Library>& base, const Library& unsaved, const ProgressSteps& steps,
                               quint64 revision, const QDateTime& at) {
    const std::lock_guard lock(m_mutex);
    if (m_last && m_last->revision == revision && m_lastLibrary == unsaved)
        return {m_last->path};
    const bool landed = revision <= m_written;
    // Landed, but perhaps not for good: the write that landed last holds
    // these changes (writes go in order), and the copy stands for them
    // until the next start tells whether that write lasted.
    const std::optional<Storage::WriteMark> mayNotLast = landed ? m_mayNotLast : std::nullopt;
    // A write that landed since `steps` were taken (the quit stopped
    // waiting for it) holds those up to m_written: the copy does not carry
    // them again, unless it is that write's, which may not have lasted.
    const FileOutcome written =
        m_files->writeRescue(base, unsaved, at, {m_run, revision, steps, mayNotLast ? m_lasting : m_written},
                             landed && !mayNotLast, mayNotLast);
    if (!written.done())
        return written;
    m_last = Copy{written.path, revision};
    m_lastLibrary = unsaved;
    if (mayNotLast)
        Log::info(QStringLiteral("Sorvel: the changes of the rescue copy %1 are in the data file, whose folder could "
                                 "not be synced; the next start looks whether they are still there")
                      .arg(written.path));
    else if (landed)
        Log::info(
            QStringLiteral("Sorvel: the changes of the rescue copy %1 are in the data file already").arg(written.path));
    else
        m_pending << *m_last;
    return written;
}

void RescueCopies::hold(const QStringList& paths, quint64 revision) {
    const std::lock_guard lock(m_mutex);
    for (const QString& path : paths)
        m_pending << Copy{path, revision};
}

} // namespace sorvel
