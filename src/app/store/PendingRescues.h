#pragma once

#include "app/store/ProgressSteps.h"
#include "app/store/sync/SyncSeams.h"
#include "core/FileOutcome.h"
#include "core/Library.h"
#include "core/Storage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <QUuid>

#include <memory>
#include <mutex>
#include <optional>

namespace sorvel {

// The rescue copies this run made of changes that had not reached the data
// file. The write that carries a copy's changes retires it (renames it
// projects-restored-…) as it lands, through RescueCopy::Carrier: merged again
// at the next start, the copy would undo whatever other programs changed
// since. Copies are kept on the window's thread and retired on the worker's.
class PendingRescues {
public:
    // Writes and retires the copies through `files`.
    explicit PendingRescues(std::shared_ptr<SyncFiles> files) : m_files(std::move(files)) {}

    // Keeps `unsaved`, the changes up to `revision`, in a rescue copy grown
    // from `base` with the progress `steps` not written yet (RescueCopy::write);
    // the copy made last when neither the changes nor the library are
    // different since.
    FileOutcome keep(const std::optional<Library>& base, const Library& unsaved, const ProgressSteps& steps,
                     quint64 revision, const QDateTime& at);
    // Rescue copies of earlier runs taken in as the change `revision`: the
    // write that carries it retires them.
    void hold(const QStringList& paths, quint64 revision);
    // What a write carries (Storage::save), and whether it left the data
    // file to a copy of newer changes: no failure, as the write of those
    // changes carries the copy.
    class Carrying : public Storage::Carried {
    public:
        virtual bool leftToCopy() const = 0;
    };
    // What a write of the changes up to `revision` carries: every copy of
    // those changes, retired as the write replaces the file.
    std::unique_ptr<Carrying> carrierOf(quint64 revision);

private:
    class Carrier;

    struct Copy {
        QString path;
        quint64 revision = 0;
    };

    // Tells this run's copies from other runs': a later copy of this run
    // holds the steps of an earlier one too.
    const std::shared_ptr<SyncFiles> m_files;
    const QUuid m_run = QUuid::createUuid();
    std::mutex m_mutex;
    QList<Copy> m_pending;
    quint64 m_written = 0; // the changes up to here are in the data file
    // The copy made last, handed out again while it still holds what is unsaved.
    std::optional<Copy> m_last;
    Library m_lastLibrary;
};

} // namespace sorvel
