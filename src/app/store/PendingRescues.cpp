#include "app/store/PendingRescues.h"

#include <algorithm>

namespace sorvel {

FileOutcome PendingRescues::keep(const std::optional<Library>& base, const Library& unsaved, const ProgressSteps& steps,
                                 quint64 revision, const QDateTime& at) {
    const std::lock_guard lock(m_mutex);
    if (m_last && m_last->revision == revision && m_lastLibrary == unsaved)
        return {m_last->path};
    const FileOutcome written = m_files->writeRescue(base, unsaved, at, {m_run, revision, steps});
    if (!written.done())
        return written;
    m_last = Copy{written.path, revision};
    m_lastLibrary = unsaved;
    if (revision <= m_written)
        m_files->retireRescue(
            written.path,
            QStringLiteral("the changes of the rescue copy %1 are in the data file already").arg(written.path));
    else
        m_pending << *m_last;
    return written;
}

void PendingRescues::written(quint64 revision) {
    const std::lock_guard lock(m_mutex);
    m_written = std::max(m_written, revision);
    const auto carried = std::stable_partition(m_pending.begin(), m_pending.end(),
                                               [&](const Copy& copy) { return copy.revision > revision; });
    for (auto copy = carried; copy != m_pending.end(); ++copy)
        m_files->retireRescue(
            copy->path, QStringLiteral("the changes of the rescue copy %1 reached the data file").arg(copy->path));
    m_pending.erase(carried, m_pending.end());
}

} // namespace sorvel
