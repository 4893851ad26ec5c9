#include "app/store/sync/DataFileSync.h"

#include "core/LibraryMerge.h"
#include "core/Log.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace sorvel {

namespace {

// Names the copy, and what could not be written and why: the data file (or
// its folder), not the copy.
SaveProblem rescueNotMerged(const QString& path, const FileError& why) {
    return {SaveProblem::Kind::RescueNotMerged, why, path};
}

} // namespace

DataFileSync::DataFileSync(Host host, Seams seams, const Library& standIn)
    : m_host(std::move(host)),
      // Until the first read lands the store holds the empty library: edits
      // made meanwhile merge onto the file's contents with it as their base.
      m_synced(standIn),
      m_clock(std::move(seams.clock)),
      m_files(std::move(seams.files)),
      m_rescues(std::make_shared<RescueCopies>(m_files)),
      m_worker(std::move(seams.worker)) {
    m_clock->fired = [this](SyncTimer timer) { timerFired(timer); };
    m_worker->waitingChanged = [this] {
        dispatch(m_worker->isWaitingForFolder() ? SyncEvent::LockBusy : SyncEvent::LockFree);
    };
}

DataFileSync::~DataFileSync() {
    // The worker goes first and may deliver nothing more.
    m_worker.reset();
}

bool DataFileSync::begin(int startWait, int slowStart) {
    m_worker->start(readJob(true));
    return m_worker->finish(startWait, slowStart);
}

void DataFileSync::changed() {
    dispatch(SyncEvent::ChangeHere);
}

void DataFileSync::stepped(const QUuid& project, double delta) {
    dispatch(Queued{SyncEvent::StepHere, {}, {}, project, delta});
}

void DataFileSync::folderChanged() {
    dispatch(SyncEvent::FolderEvent);
}

void DataFileSync::quit(int folderPatienceMs) {
    m_quitPatienceMs = folderPatienceMs;
    dispatch(SyncEvent::Quit);
}

FileOutcome DataFileSync::keepRescueCopy() {
    dispatch(SyncEvent::KeepRescue);
    return m_kept;
}

std::optional<Library> DataFileSync::lastReadLibrary() const {
    return m_hasReadFile ? std::optional<Library>(m_synced) : std::nullopt;
}

bool DataFileSync::isIdle() const {
    return !m_worker->isBusy() && m_state.pending != SyncPending::WriteWaits && !m_state.readQueued
        && !m_clock->isActive(SyncTimer::Save) && !m_clock->isActive(SyncTimer::Settle)
        && !m_clock->isActive(SyncTimer::Echo) && !m_clock->isActive(SyncTimer::ReadRetry)
        && !m_clock->isActive(SyncTimer::UndecodableQuiet);
}

bool DataFileSync::withinEchoWindow() const {
    return m_lastWriteAt >= 0 && m_clock->steadyMs() - m_lastWriteAt <= echoWindowMs;
}

SyncFacts DataFileSync::facts() const {
    SyncFacts f;
    f.withinEchoWindow = withinEchoWindow();
    f.quietRunning = m_clock->isActive(SyncTimer::UndecodableQuiet);
    f.holdsGoodState = m_holdsGoodState;
    f.quitPatience = m_quitPatienceMs > 0;
    f.rescuesWaiting = !m_unmergedRescues.isEmpty() && !m_rescuesTaken;
    if (m_read) {
        f.readChanged = m_read->read.kind == Storage::ReadResult::Kind::Decoded && !m_read->unchanged;
        f.restored = m_read->rescues.merged > 0;
        f.rescuesNotMerged = !m_read->rescues.notWritten.isEmpty();
        f.rescuesNotCarried = !m_read->rescues.notCarried.isEmpty();
        f.revisionCurrent = m_read->revision == m_revision;
    }
    if (m_write) {
        f.revisionCurrent = m_write->revision == m_revision;
        f.writeLeftToCopy = m_write->leftToCopy;
        f.writeNotDurable = m_write->saved.notDurable;
    }
    return f;
}

void DataFileSync::dispatch(Queued queued) {
    m_queue.append(std::move(queued));
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (!m_queue.isEmpty()) {
        const Queued current = m_queue.takeFirst();
        m_event = &current;
        m_read = current.read.get();
        m_write = current.write.get();
        // A row's step follows its actions, looked up in the state and with the facts then.
        std::optional<SyncEvent> event = current.event;
        while (event) {
            const SyncTransition transition = SyncMachine::on(m_state, *event, facts());
            // Set first: an action may ask the state (hasStarted() as the start is announced).
            m_state = transition.next;
            for (const SyncAction action : transition.actions)
                perform(action);
            event = transition.then;
        }
        m_event = nullptr;
        m_read = nullptr;
        m_write = nullptr;
    }
    m_dispatching = false;
    checkRules();
}

void DataFileSync::checkRules() {
    const SyncRules rules = rulesOf(m_state);
    QList<QString> broken = brokenRules(m_state);
    if (m_worker->isBusy() != rules.jobRuns)
        broken << (rules.jobRuns ? QStringLiteral("the state has a job but the worker runs none")
                                 : QStringLiteral("the worker runs a job the state does not have"));
    if (m_clock->isActive(SyncTimer::Save) && !rules.saveTimerMayRun)
        broken << QStringLiteral("the save timer runs with nothing pending");
    if (m_clock->isActive(SyncTimer::UndecodableQuiet) && !rules.quietMayRun)
        broken << QStringLiteral("the quiet timer runs while the file is not undecodable");
    for (const QString& rule : broken) {
        Log::writeError(
            QStringLiteral("Sorvel: the sync broke its rule: %1 (%2)").arg(rule, SyncMachine::describe(m_state)));
        if (m_host.brokeRule)
            m_host.brokeRule(rule);
    }
}

void DataFileSync::timerFired(SyncTimer timer) {
    switch (timer) {
    case SyncTimer::Save: dispatch(SyncEvent::SaveTimer); break;
    case SyncTimer::Settle: dispatch(SyncEvent::SettleTimer); break;
    case SyncTimer::Echo: dispatch(SyncEvent::EchoTimer); break;
    case SyncTimer::ReadRetry: dispatch(SyncEvent::RetryTimer); break;
    case SyncTimer::UndecodableQuiet: dispatch(SyncEvent::QuietTimer); break;
    }
}

void DataFileSync::perform(SyncAction action) {
    switch (action) {
    case SyncAction::MarkDirty: ++m_revision; break;
    case SyncAction::RecordStep: m_steps.add(m_event->stepProject, m_event->stepDelta, m_revision); break;
    case SyncAction::StartSaveTimer:
        m_clock->start(SyncTimer::Save, saveDelayMs); // restarts: only the last change of a burst writes
        break;
    case SyncAction::RetrySaveLater:
        m_clock->start(SyncTimer::Save, m_retryDelayMs);
        m_retryDelayMs = std::min(2 * m_retryDelayMs, int(longestRetryDelayMs));
        break;
    case SyncAction::ResetSaveRetry: m_retryDelayMs = retryDelayMs; break;
    case SyncAction::StopSaveTimer: m_clock->stop(SyncTimer::Save); break;
    case SyncAction::StartSettleTimer: m_clock->start(SyncTimer::Settle, folderSettleMs); break;
    case SyncAction::CountFolderEvent: ++m_activity.folderEvents; break;
    case SyncAction::RestartQuietTimer:
    case SyncAction::StartQuietTimer: m_clock->start(SyncTimer::UndecodableQuiet, undecodableQuietMs); break;
    case SyncAction::StopQuietTimer: m_clock->stop(SyncTimer::UndecodableQuiet); break;
    case SyncAction::NoteFileStill: m_stillUndecodable = m_undecodableSeen; break;
    case SyncAction::NoteRescuesWaiting: m_unmergedRescues = m_read->rescues.notWritten; break;
    case SyncAction::TakeRescues: takeRescues(); break;
    case SyncAction::SayRescueNotMerged:
        setSaveProblem(rescueNotMerged(m_unmergedRescues.first().path, m_unmergedRescues.first().why));
        break;
    case SyncAction::SayRescuesNotCarried:
        m_rescuesNotCarried = {SaveProblem::Kind::RescueNotCarried, m_read->rescues.notCarried};
        setSaveProblem(m_rescuesNotCarried);
        break;
    case SyncAction::RetryReadLater:
        m_clock->start(SyncTimer::ReadRetry, m_readRetryDelayMs);
        m_readRetryDelayMs = std::min(2 * m_readRetryDelayMs, int(longestRetryDelayMs));
        break;
    case SyncAction::StopReadRetry:
        m_clock->stop(SyncTimer::ReadRetry);
        m_readRetryDelayMs = retryDelayMs;
        break;
    case SyncAction::StartRead: startRead(); break;
    case SyncAction::StartWrite: startWrite(); break;
    case SyncAction::ShowRead: takeRead(*m_read); break;
    case SyncAction::ShowMissing:
        if (m_holdsGoodState)
            Log::info(QStringLiteral("Sorvel: the data file %1 was deleted while running; the shelf follows it")
                          .arg(Storage::filePath()));
        m_host.show(m_read->read.library);
        m_synced = m_read->read.library;
        m_hasReadFile = true;
        m_holdsGoodState = false;
        break;
    case SyncAction::MarkInStep:
        m_hasReadFile = true;
        m_holdsGoodState = true;
        break;
    case SyncAction::TakeWrite: takeWrite(*m_write); break;
    case SyncAction::ForgetFile: {
        const bool undecodable = m_state.file == SyncFile::Undecodable;
        // Whatever it is now waits for a quiet of its own.
        m_undecodableSeen = !undecodable ? std::nullopt : m_read ? m_read->read.identity : m_write->saved.undecodable;
        m_stillUndecodable.reset();
        break;
    }
    case SyncAction::SayUndecodable:
        // Good projects held stay, and the file as it is, until a change.
        if (m_holdsGoodState && m_saveProblem.kind != SaveProblem::Kind::FileChangedUndecodable)
            Log::info(QStringLiteral("Sorvel: the data file changed into something unreadable; keeping the "
                                     "projects in memory and the file as it is until a change"));
        setSaveProblem(
            {m_holdsGoodState ? SaveProblem::Kind::FileChangedUndecodable : SaveProblem::Kind::FileUndecodable, {}});
        break;
    case SyncAction::SayUnreadable: {
        const FileError& error = m_read->read.error;
        setSaveProblem({SaveProblem::Kind::FileUnreadable,
                        error.number != 0 ? FileError{Storage::filePath(), error.number} : error});
        break;
    }
    case SyncAction::SayWriteFailed:
        // Copies taken in are what the banner names until they are written.
        if (m_unmergedRescues.isEmpty())
            setSaveProblem({SaveProblem::Kind::WriteFailed, m_write->saved.error});
        else
            setSaveProblem(rescueNotMerged(m_unmergedRescues.first().path, m_write->saved.error));
        break;
    case SyncAction::SayFolderBusy:
        setSaveProblem({isStuckInDisk() ? SaveProblem::Kind::DiskNotAnswering : SaveProblem::Kind::FolderBusy, {}});
        break;
    case SyncAction::SayWaitingForQuiet:
        setSaveProblem({SaveProblem::Kind::WaitingForQuiet, {Storage::filePath(), 0}});
        break;
    case SyncAction::ClearFileProblem:
        if (m_saveProblem.isAboutTheFile())
            setSaveProblem({});
        break;
    case SyncAction::SayAfterWrite: setSaveProblem(problemAfterWrite(m_write->saved)); break;
    case SyncAction::CountRead: ++m_activity.reloadReads; break;
    case SyncAction::CountFinishedRead: ++m_activity.finishedReads; break;
    case SyncAction::CountFailedRead: ++m_activity.failedReads; break;
    case SyncAction::CountWrite: ++m_activity.writes; break;
    case SyncAction::CountFailedWrite: ++m_activity.failedWrites; break;
    case SyncAction::CountFolderWait: ++m_activity.folderWaits; break;
    case SyncAction::OpenEchoWindow:
        // The echo window starts when the write is done: its folder events
        // follow it. Events seen while it ran are looked at once it has passed.
        m_lastWriteAt = m_clock->steadyMs();
        m_clock->start(SyncTimer::Echo, echoWindowMs + echoMarginMs);
        break;
    case SyncAction::AnnounceSave: m_host.saveFinished(m_write->saved.written && !m_write->saved.notDurable); break;
    case SyncAction::AnnounceStart: m_host.firstReadFinished(); break;
    case SyncAction::AnnounceFolderWait: m_host.folderWaitChanged(); break;
    case SyncAction::ReloadWidget: m_host.reloadTimelines(); break;
    case SyncAction::LogFolderBusyAtQuit:
        if (isStuckInDisk())
            Log::info(QStringLiteral("Sorvel: the write in the data folder %1 has not ended after %2 ms: the disk does "
                                     "not answer; the change stays pending")
                          .arg(Storage::directory())
                          .arg(m_quitPatienceMs));
        else
            Log::info(QStringLiteral("Sorvel: the data folder %1 is still busy; the change stays pending")
                          .arg(Storage::directory()));
        break;
    case SyncAction::StartQuitWait: startQuitWait(); break;
    case SyncAction::AwaitJob: awaitJob(); break;
    case SyncAction::NoteStuckAtQuit: m_stuckAtQuit = isStuckInDisk(); break;
    case SyncAction::KeepRescueCopy: keepRescue(); break;
    }
}

SaveProblem DataFileSync::problemAfterWrite(const Storage::SaveResult& saved) const {
    if (!m_unmergedRescues.isEmpty())
        return rescueNotMerged(m_unmergedRescues.first().path, m_unmergedRescues.first().why);
    if (!saved.repeatsKeptAs.isEmpty())
        return {SaveProblem::Kind::RepeatsKeptAside, {saved.repeatsKeptAs, 0}};
    const QString& movedAsideTo = saved.movedAsideTo;
    // Where the unreadable file (or a folder in its place) went, or the copy
    // of an undecodable one's bytes, is said until another problem takes its place.
    if (!movedAsideTo.isEmpty())
        return {SaveProblem::Kind::MovedAside, {movedAsideTo, 0}};
    if (!saved.undecodableKeptAs.isEmpty())
        return {SaveProblem::Kind::UndecodableKeptAside, {saved.undecodableKeptAs, 0}};
    const bool saysWhereItWent = m_saveProblem.kind == SaveProblem::Kind::MovedAside
        || m_saveProblem.kind == SaveProblem::Kind::UndecodableKeptAside;
    if (saysWhereItWent)
        return m_saveProblem;
    return m_rescues->leftWaiting() ? m_rescuesNotCarried : SaveProblem{};
}

void DataFileSync::setSaveProblem(const SaveProblem& problem) {
    if (problem == m_saveProblem)
        return;
    m_saveProblem = problem;
    m_host.problemChanged();
}

void DataFileSync::setSynced(const Library& library) {
    m_worker->discard(std::exchange(m_synced, library));
}

// The quit's one wait: a running job ends first; then whatever is newer is
// written, at once. Both are waited for a bounded time only, once in all,
// whether another program holds the folder or the disk does not answer: the
// quit must not hang on a stopped widget or a hung network file system.
// A job the disk held through one quit's wait is not waited for again (the
// program's last quit as it exits), until the disk answers.
void DataFileSync::startQuitWait() {
    const qint64 now = m_clock->steadyMs();
    m_quitDeadlines = {now + m_quitPatienceMs, now + (m_stuckAtQuit ? 0 : std::max(m_quitPatienceMs, int(quitWaitMs)))};
}

void DataFileSync::awaitJob() {
    const auto left = [this](qint64 deadlineMs) { return int(std::max<qint64>(0, deadlineMs - m_clock->steadyMs())); };
    // The delivery's events queue up ahead of the wait's own. A job that
    // ended with nothing to deliver (the store going away) ends the wait too.
    const qsizetype queued = m_queue.size();
    const bool done = m_worker->finish(left(m_quitDeadlines.folderMs), left(m_quitDeadlines.allMs));
    dispatch(done && m_queue.size() > queued ? SyncEvent::QuitGoesOn : SyncEvent::QuitWaited);
}

bool DataFileSync::isStuckInDisk() const {
    return m_worker->isBusy() && !m_worker->isHeldByFolder();
}

void DataFileSync::startRead() {
    m_worker->start(readJob(false));
}

SyncWorker::Job DataFileSync::readJob(bool atStart) {
    const Library base = m_synced;
    const Library mine = m_host.current();
    const bool dirty = isDirty();
    const quint64 revision = m_revision;
    const ProgressSteps steps = m_steps;
    return [this, base, mine, steps, dirty, revision, atStart, files = m_files,
            rescues = m_rescues]() -> SyncWorker::Delivery {
        const FolderLock::Waiter waiter = m_worker->folderWaiter();
        auto result = std::make_shared<FolderRead>();
        result->revision = revision;
        // Before anything is read: the earlier product's data, then what a
        // quit could not write last time, before what an interrupted write of
        // this program left is removed (the rescue copies look whether the
        // draft of the write that carried them is still there).
        if (atStart) {
            files->migrate(waiter);
            result->rescues = rescues->mergeEarlier(waiter);
            files->removeStaleDrafts(waiter);
        }
        // Decoding, comparing and merging a large library take their time: all
        // of it happens here, the sync's thread only takes the result.
        result->read = files->read(waiter);
        if (result->read.kind == Storage::ReadResult::Kind::Busy)
            return {}; // the store is going away
        if (result->read.kind == Storage::ReadResult::Kind::Decoded) {
            result->unchanged = result->read.library == base;
            if (result->unchanged) {
                result->read.library = {}; // freed here, not on the sync's thread
            } else {
                result->next =
                    dirty ? steps.merge(base, result->read.library, mine, &result->mergeNotes) : result->read.library;
                result->change = ProjectChange::between(mine.projects, result->next->projects);
            }
        }
        return [this, result = std::shared_ptr<const FolderRead>(std::move(result)), atStart] {
            deliverRead(result, atStart);
        };
    };
}

void DataFileSync::deliverRead(std::shared_ptr<const FolderRead> result, bool atStart) {
    m_stuckAtQuit = false;
    // Before the read's own result, in the same dispatch: the job ends with it.
    if (atStart)
        m_queue.append(Queued{SyncEvent::RescuesTried, result, {}, {}, 0});
    SyncEvent event = SyncEvent::ReadUnreadable;
    switch (result->read.kind) {
    case Storage::ReadResult::Kind::Decoded: event = SyncEvent::ReadDecoded; break;
    case Storage::ReadResult::Kind::Missing: event = SyncEvent::ReadMissing; break;
    case Storage::ReadResult::Kind::Undecodable: event = SyncEvent::ReadUndecodable; break;
    case Storage::ReadResult::Kind::Unreadable:
    case Storage::ReadResult::Kind::Busy: // never delivered: only a store going away stops waiting
        break;
    }
    dispatch(Queued{event, std::move(result), {}, {}, 0});
}

void DataFileSync::takeRead(const FolderRead& result) {
    // Unsaved edits are kept on top of the other program's change. A merge
    // redone for newer edits replaces the worker's, notes included.
    if (result.revision == m_revision) {
        LibraryMerge::logNotes(result.mergeNotes);
        m_worker->discard(Library{m_host.showKnown(*result.next, result.change), {}});
    } else {
        m_host.show(m_steps.merge(m_synced, result.read.library, m_host.current()));
    }
    setSynced(result.read.library);
}

void DataFileSync::takeRescues() {
    // Onto what the file holds (the base; nothing when there is no file), in
    // the order they were made; the changes made here meanwhile stay on top.
    const QList<RescueCopy::NotMerged>& copies = m_unmergedRescues;
    const bool noFile = m_read && m_read->read.kind == Storage::ReadResult::Kind::Missing;
    const Library folded = RescueCopy::foldInto(noFile ? nullptr : &m_synced, copies);
    m_host.show(m_steps.merge(m_synced, folded, m_host.current()));
    for (const RescueCopy::NotMerged& copy : copies) {
        for (const ProgressSteps::Step& step : copy.steps.notLanded())
            m_steps.add(step.project, step.delta, m_revision);
    }
    m_rescuesTaken = true;
    m_rescuesTakenAt = m_revision;
    QStringList paths;
    for (const RescueCopy::NotMerged& copy : copies)
        paths << copy.path;
    m_rescues->hold(paths, m_revision);
}

void DataFileSync::keepRescue() {
    // While copies taken in wait, a new copy grows from them: merged after
    // them, it holds only what this run changed since, and their steps stay
    // theirs.
    std::optional<Library> base = lastReadLibrary();
    ProgressSteps steps;
    if (m_beforeMayNotLast && m_beforeMayNotLast->revision == m_revision) {
        // Nothing changed since a write that may not last: the copy holds
        // that write's changes, from where it started (RescueCopies ties it
        // to the write).
        base = m_beforeMayNotLast->base;
        steps = m_beforeMayNotLast->steps;
    } else if (m_rescuesTaken) {
        base = RescueCopy::foldInto(base ? &*base : nullptr, m_unmergedRescues);
        for (const ProgressSteps::Step& step : m_steps.steps()) {
            if (step.revision != m_rescuesTakenAt)
                steps.add(step.project, step.delta, step.revision);
        }
    } else {
        steps = m_steps;
    }
    // Written beside the worker, which may be stuck in the write it stands
    // for (and hold the copies until that write ends), and waited for a
    // bounded time, as the state folder may hang too; one still stuck is not
    // waited for again. Done later after all, the copy counts as any other:
    // RescueCopies takes it in then.
    const auto kept = std::make_shared<FileOutcome>();
    bool done = false;
    if (!m_keepingAside->exchange(true)) {
        done = m_worker->runAside(
            [kept, keeping = m_keepingAside, rescues = m_rescues, base, unsaved = m_host.current(), steps,
             revision = m_revision, at = m_clock->wallNow().toLocalTime()] {
                *kept = rescues->keep(base, unsaved, steps, revision, at);
                *keeping = false;
            },
            rescueWaitMs);
    }
    if (done) {
        m_kept = *kept;
        return;
    }
    Log::writeError(QStringLiteral("the rescue copy of the unsaved changes has not been written within %1 ms; the "
                                   "folder %2 or the write that holds the copies does not answer")
                        .arg(rescueWaitMs)
                        .arg(RescueCopy::folder()));
    m_kept = FileOutcome::failure(ETIMEDOUT, RescueCopy::folder());
}

void DataFileSync::startWrite() {
    const Library sent = m_host.current();
    const Library base = m_synced;
    const bool keepDecodedAside = !rulesOf(m_state).baseIsFile;
    const quint64 revision = m_revision;
    const ProgressSteps steps = m_steps;
    const std::optional<Storage::FileIdentity> still = m_stillUndecodable;
    m_worker->start([this, sent, base, steps, keepDecodedAside, still, revision, rescues = m_rescues,
                     files = m_files]() -> SyncWorker::Delivery {
        // Whatever another program wrote since the store last saw the file is
        // merged in under the lock, so that neither side's change is lost.
        // The rescue copies of these changes are retired as the write lands,
        // not in the delivery: a quit may end the program before that runs.
        const FolderLock::Waiter waiter = m_worker->folderWaiter();
        const std::unique_ptr<RescueCopies::Carrier> carried = rescues->carrierOf(revision, waiter);
        const Storage::SaveResult saved =
            files->save([&](const Library* found) { return found ? steps.merge(base, *found, sent) : sent; },
                        keepDecodedAside, waiter, carried.get(), still);
        if (saved.folderBusy)
            return {}; // the store is going away
        auto done = std::make_shared<const FinishedWrite>(FinishedWrite{sent, saved, revision, carried->leftToCopy()});
        return [this, done = std::move(done)] {
            m_stuckAtQuit = false;
            const SyncEvent event = done->saved.written ? SyncEvent::WriteLanded
                : done->saved.waitsForQuiet             ? SyncEvent::WriteWaitsForQuiet
                                                        : SyncEvent::WriteFailed;
            dispatch(Queued{event, {}, done, {}, 0});
        };
    });
}

void DataFileSync::takeWrite(const FinishedWrite& done) {
    m_beforeMayNotLast.reset();
    if (done.saved.notDurable) {
        ProgressSteps carried;
        for (const ProgressSteps::Step& step : m_steps.steps()) {
            if (step.revision <= done.revision)
                carried.add(step.project, step.delta, step.revision);
        }
        m_beforeMayNotLast = BeforeWrite{lastReadLibrary(), carried, done.revision};
    }
    // The next merge starts from what the file holds; the store keeps what
    // was written (an emptied cue number stays empty, not its position).
    setSynced(done.saved.library);
    m_hasReadFile = true;
    m_holdsGoodState = true;
    m_steps.written(done.revision);
    if (m_rescuesTaken && done.revision >= m_rescuesTakenAt) {
        m_unmergedRescues.clear(); // carried by this write
        m_rescuesTaken = false;
    }
    if (done.revision == m_revision) {
        m_host.show(done.saved.resolved);
    } else {
        // Changed while the write ran: the newer edits stay pending on top of it.
        m_host.show(m_steps.merge(done.sent, done.saved.resolved, m_host.current()));
    }
}

} // namespace sorvel
