#pragma once

#include "app/store/model/ProgressSteps.h"
#include "app/store/rescue/RescueCopy.h"
#include "core/FileError.h"
#include "core/FileOutcome.h"
#include "core/FolderLock.h"
#include "core/Library.h"
#include "core/Storage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <QUuid>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace sorvel {

// The rescue copies as the sync sees them: those earlier runs left, merged at
// a start, and those this run made of changes that had not reached the data
// file. The write that carries a copy's changes retires it (renames it
// projects-restored-…) as it lands: merged again at the next start, the copy
// would undo whatever other programs changed since. Copies are kept on the
// window's thread and retired on the worker's.
class RescueCopies {
public:
    // Where the copies are written, carried and merged: the disk (DiskFiles:
    // RescueCopy on its FileSystem), or the stand-in of the sync's simulation.
    class Files {
    public:
        virtual ~Files() = default;
        // What merging the rescue copies of earlier runs did.
        struct RescuesMerged {
            int merged = 0;
            QList<RescueCopy::NotMerged> notWritten; // copies whose merge could not be written, taken in as changes
            // Copies left where they are for a later start: their folder, which
            // cannot be written, and why (RescueCopy::restoreAll).
            FileError notCarried;
        };
        // The copies of earlier runs merged into the data file in the order
        // they were made (RescueCopy::restoreAll).
        virtual RescuesMerged mergeRescues(const FolderLock::Waiter& waiter) = 0;
        // RescueCopy::write.
        virtual FileOutcome writeRescue(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                                        const RescueCopy::KeptSteps& steps, bool landed,
                                        const std::optional<Storage::WriteMark>& mayNotLast) = 0;
        // Carries the copies at `paths` through a write (RescueCopy::Carrier);
        // `paths` follow them, and outlive the carrier.
        virtual std::unique_ptr<Storage::Carried> carryRescues(QStringList& paths, const QString& what) = 0;
    };

    // Writes, carries and merges the copies through `files`.
    explicit RescueCopies(std::shared_ptr<Files> files) : m_files(std::move(files)) {}

    // At a start, before the data file is read.
    Files::RescuesMerged mergeEarlier(const FolderLock::Waiter& waiter);
    // Whether copies of earlier runs that the start could not carry still
    // wait; asked on the window's thread, never held up by a write.
    bool leftWaiting() const { return m_leftWaiting; }
    // Keeps `unsaved`, the changes up to `revision`, in a rescue copy grown
    // from `base` with the progress `steps` not written yet (RescueCopy::write);
    // the copy made last when neither the changes nor the library are
    // different since. When the write that holds these very changes may not
    // last (its folder could not be synced), the copy is tied to that write:
    // `base` and `steps` are then what that write started from, and the next
    // start merges the copy only when the write did not last.
    FileOutcome keep(const std::optional<Library>& base, const Library& unsaved, const ProgressSteps& steps,
                     quint64 revision, const QDateTime& at);
    // Rescue copies of earlier runs taken in as the change `revision`: the
    // write that carries it retires them.
    void hold(const QStringList& paths, quint64 revision);

    // What a write of the changes up to `revision` carries (Storage::save):
    // every copy of those changes, retired as the write replaces the file.
    // Holds the copies from the moment the file is about to be replaced until
    // it is: a copy kept meanwhile is then made retired at once, or carried.
    class Carrier final : public Storage::Carried {
    public:
        Carrier(RescueCopies& owner, quint64 revision) : m_owner(owner), m_revision(revision) {}
        int replacing(const Storage::WriteMark& mark) override;
        void replaced(bool durable) override;
        void notReplaced() override;
        // The write left the data file to a copy of newer changes: no
        // failure, as the write of those changes carries the copy.
        bool leftToCopy() const { return m_leftToCopy; }

    private:
        // The copies stay held, where they are now.
        void done();

        RescueCopies& m_owner;
        const quint64 m_revision;
        Storage::WriteMark m_mark;
        std::unique_lock<std::mutex> m_lock;
        QStringList m_paths;
        std::unique_ptr<Storage::Carried> m_copies;
        bool m_leftToCopy = false;
    };
    // Copies of earlier runs that the start left waiting are merged first,
    // as a start merges them: they are older than every change of this run,
    // and the write's own values then win over theirs. Left for a later
    // start, they would win over what this run wrote after them.
    std::unique_ptr<Carrier> carrierOf(quint64 revision, const FolderLock::Waiter& waiter);

private:
    struct Copy {
        QString path;
        quint64 revision = 0;
    };

    const std::shared_ptr<Files> m_files;
    // Tells this run's copies from other runs': a later copy of this run
    // holds the steps of an earlier one too.
    const QUuid m_run = QUuid::createUuid();
    std::mutex m_mutex;
    QList<Copy> m_pending;
    // Copies of earlier runs the start left where they were, unmarked.
    std::atomic<bool> m_leftWaiting = false;
    quint64 m_written = 0; // the changes up to here are in the data file
    quint64 m_lasting = 0; // and up to here they are there for good (the folder was synced)
    // The write that landed last, while its folder could not be synced after it.
    std::optional<Storage::WriteMark> m_mayNotLast;
    // The copy made last, handed out again while it still holds what is unsaved.
    std::optional<Copy> m_last;
    Library m_lastLibrary;
};

} // namespace sorvel
