#include "RealLayerSimulation.h"

#include "app/store/sync/DataFileSync.h"
#include "app/store/sync/RealSyncSeams.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/DataFolder.h"
#include "core/RecordCoding.h"
#include "support/MemoryFileSystem.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <random>

namespace sorvel::test {
namespace {

constexpr int kActions = 30;
// Once the trouble ends, every change is in the file within this, after the
// back-off of a write that failed meanwhile.
constexpr qint64 kReachesFileMs = 5000;
// What a quit's waits may overrun their bound by.
constexpr qint64 kQuitMarginMs = 100;

// Thrown from the disk's hook: the power went or the program was killed, and
// its work ends where it stood.
struct ProgramDown {};

QDateTime fixedDate() {
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
}

// The sync's timers on the simulated clock.
class SteppedClock final : public SyncClock {
public:
    explicit SteppedClock(const qint64& now) : m_now(now) {}
    qint64 steadyMs() const override { return m_now; }
    QDateTime wallNow() const override { return fixedDate().addMSecs(m_now); }
    void start(SyncTimer timer, int ms) override { m_due[timer] = m_now + ms; }
    void stop(SyncTimer timer) override { m_due.erase(timer); }
    bool isActive(SyncTimer timer) const override { return m_due.count(timer) > 0; }
    std::optional<std::pair<qint64, SyncTimer>> nextDue() const {
        std::optional<std::pair<qint64, SyncTimer>> first;
        for (const auto& [timer, due] : m_due) {
            if (!first || due < first->first)
                first = std::make_pair(due, timer);
        }
        return first;
    }
    qint64 lastDue() const {
        qint64 last = m_now;
        for (const auto& entry : m_due)
            last = std::max(last, entry.second);
        return last;
    }
    void fire(SyncTimer timer) {
        m_due.erase(timer);
        fired(timer);
    }

private:
    const qint64& m_now;
    std::map<SyncTimer, qint64> m_due;
};

// Runs each job on the simulation's thread as soon as the loop comes to it,
// or at once when the sync waits for it. No other program holds the lock
// here, so a folder waiter tries once.
class InlineWorker final : public SyncWorker {
public:
    explicit InlineWorker(std::function<void()> starting) : m_starting(std::move(starting)) {}
    bool isBusy() const override { return m_job.has_value() || m_running; }
    void start(Job job) override {
        m_starting();
        m_job = std::move(job);
    }
    bool finish(int, int) override {
        run();
        return true;
    }
    void discard(Library) override {}
    FolderLock::Waiter folderWaiter() override {
        return [](const std::function<bool()>& attempt) { return attempt(); };
    }
    bool isWaitingForFolder() const override { return false; }
    bool isHeldByFolder() const override { return false; }
    bool runAside(std::function<void()> work, int) override {
        work();
        return true;
    }
    // Runs the job and delivers what it found; the job may throw ProgramDown.
    void run() {
        if (!m_job)
            return;
        Job job = std::move(*m_job);
        m_job.reset();
        m_running = true;
        Delivery delivery;
        try {
            delivery = job();
        } catch (...) {
            m_running = false;
            throw;
        }
        m_running = false;
        if (delivery)
            delivery();
    }

private:
    std::function<void()> m_starting;
    std::optional<Job> m_job;
    bool m_running = false;
};

// The store as the sync sees it: a library, and whether a write landed.
struct HeldStore {
    Library library;
    std::function<void(bool)> saved;
    DataFileSync::Host host() {
        DataFileSync::Host h;
        h.current = [this] { return library; };
        h.show = [this](const Library& next) { library = next; };
        h.showKnown = [this](const Library& next, const ProjectChange&) {
            return std::exchange(library, next).projects;
        };
        h.reloadTimelines = [] {};
        h.saveFinished = [this](bool written) { saved(written); };
        h.problemChanged = [] {};
        h.folderWaitChanged = [] {};
        h.firstReadFinished = [] {};
        return h;
    }
};

// What the file must hold of one project: its name belongs to other programs,
// its notes, adding and deleting it to the user. A change the program may
// have lost in a kill leaves several values allowed.
struct Wanted {
    QSet<bool> exists;
    QSet<QString> names;
    QSet<QString> notes;
    bool mine = false;
    // Its adding was lost with the program and may come back from a rescue
    // copy at any later start, with the name it was added under.
    std::optional<QString> addedAgain;
};

// A change of the user's not known to be in the file yet.
struct UserChange {
    int made = 0;
    QUuid id;
    enum class Kind { Add, Delete, Notes } kind;
    QString notes;
};

class Run {
public:
    explicit Run(quint64 seed) {
        m_random.seed(seed);
        m_dataFolder = DataFolder::directory();
        m_dataFile = DataFolder::filePath();
        m_disk.outside().makeFolders(m_dataFolder);
        m_disk.outside().makeFolders(DataFolder::stateHome());
        m_disk.outside().makeFolders(DataFolder::runtimeDirectory());
        m_disk.setClock([this] {
            const qint64 ms = fixedDate().toMSecsSinceEpoch() + m_now;
            return timespec{time_t(ms / 1000), long(ms % 1000) * 1000000};
        });
        m_disk.before = [this](const MemoryFileSystem::Operation& operation) { beforeOperation(operation); };
        m_insideChance = std::array{0, 2, 6}[next(3)];
        m_failChance = std::array{0, 1, 3}[next(3)];
    }

    RealLayerOutcome run() {
        seedTheFile();
        start();
        for (int action = 0; action < kActions && m_broken.isEmpty(); ++action) {
            act();
            settleFor(next(4) == 0 ? 2500 : next(500));
        }
        if (m_broken.isEmpty())
            endTrouble();
        RealLayerOutcome outcome = m_outcome;
        outcome.held = m_broken.isEmpty();
        outcome.broken = m_broken;
        outcome.schedule = m_log;
        return outcome;
    }

private:
    int next(int bound) { return int(m_random() % quint64(bound)); }
    bool chance(int percent) { return next(100) < percent; }
    void say(const QString& what) { m_log << QStringLiteral("%1 ms: %2").arg(m_now).arg(what); }
    void breakRule(const QString& rule) {
        if (m_broken.isEmpty())
            m_broken = rule;
    }
    QUuid newId() {
        // From the seed, so that a schedule repeats.
        return QUuid(uint(m_random()), ushort(m_random()), ushort(m_random()), 1, 2, 3, 4, 5, 6, 7, 8);
    }

    std::optional<Library> fileLibrary() const {
        const std::optional<QByteArray> bytes = m_disk.contents(m_dataFile);
        if (!bytes)
            return Library{};
        return RecordCoding::decodeLibrary(*bytes, fixedDate());
    }

    QString fileSummary() const {
        const std::optional<Library> library = fileLibrary();
        if (!library)
            return QStringLiteral("does not decode");
        QStringList names;
        for (const AudioProject& p : library->projects)
            names << p.name + (p.notes.isEmpty() ? QString() : QLatin1Char('/') + p.notes);
        return names.join(QStringLiteral(", "));
    }

    void seedTheFile() {
        if (chance(30)) {
            say(QStringLiteral("there is no data file"));
            return;
        }
        Library start;
        for (int i = 0; i < 4; ++i) {
            const bool mine = i < 2;
            AudioProject p = project(mine ? QStringLiteral("mine %1").arg(i) : QStringLiteral("theirs %1").arg(i));
            start.projects << p;
            m_wanted.insert(p.id, Wanted{{true}, {p.name}, {QString()}, mine, {}});
        }
        m_disk.outside().writeAtomically(m_dataFile, RecordCoding::encodeLibrary(start));
        m_disk.syncAll();
        say(QStringLiteral("the data file holds 4 projects"));
    }

    AudioProject project(const QString& name) {
        AudioProject p;
        p.id = newId();
        p.name = name;
        p.typeID = ProjectType::musicID;
        p.createdAt = fixedDate();
        p.updatedAt = fixedDate();
        return p;
    }

    void start() {
        m_store = std::make_unique<HeldStore>();
        m_store->saved = [this](bool written) { saveFinished(written); };
        auto clock = std::make_unique<SteppedClock>(m_now);
        auto worker = std::make_unique<InlineWorker>([this] {
            m_carried = m_made;
            m_actedInJob = false;
            m_wantedBeforeAct.reset();
        });
        m_clock = clock.get();
        m_worker = worker.get();
        m_sync = std::make_unique<DataFileSync>(
            m_store->host(),
            DataFileSync::Seams{std::move(clock), std::make_shared<DiskFiles>(m_disk), std::move(worker)},
            m_store->library);
        say(QStringLiteral("the program starts; the file: ") + fileSummary() + QStringLiteral("; the folder: ")
            + m_disk.names(m_dataFolder).value_or(QStringList()).join(u' '));
        guarded([&] { m_sync->begin(); });
    }

    // The program's work, which the disk's hook may end at any operation.
    void guarded(const std::function<void()>& work) {
        try {
            work();
        } catch (const ProgramDown&) {
            restartAfterDown();
            return;
        }
        // Gone at a call that could not end the work: it ended without effect.
        if (m_down)
            restartAfterDown();
    }

    void restartAfterDown() {
        m_sync.reset();
        m_store.reset();
        m_clock = nullptr;
        m_worker = nullptr;
        m_down = false;
        m_folderEvents.clear();
        loseUnwritten();
        loseActInside();
        start();
    }

    // A write swaps its file in and, finding another program's taken out,
    // swaps that back: gone between the two, the program leaves the other's
    // file under its draft's name, removed as stale at the next start. The
    // act inside the job it ended may or may not be in the file.
    void loseActInside() {
        if (!m_wantedBeforeAct)
            return;
        for (auto wanted = m_wanted.begin(); wanted != m_wanted.end(); ++wanted) {
            const auto before = m_wantedBeforeAct->constFind(wanted.key());
            if (before == m_wantedBeforeAct->cend()) {
                wanted->exists.insert(false);
                continue;
            }
            wanted->exists.unite(before->exists);
            wanted->names.unite(before->names);
        }
        m_wantedBeforeAct.reset();
    }

    // A write landed and lasts: the changes made before it started are in
    // the file. One whose folder could not be synced is in the file too, but
    // a power cut may still undo it: its changes stay among those not known
    // to be in the file until a later write makes them last.
    void saveFinished(bool lasts) {
        say(lasts ? QStringLiteral("a write lands: ") + fileSummary()
                  : QStringLiteral("a write fails or may not last: ") + fileSummary());
        if (!lasts)
            return;
        const int carried = m_carried;
        QList<UserChange> rest;
        for (const UserChange& change : std::as_const(m_pending)) {
            if (change.made > carried) {
                rest << change;
                continue;
            }
            Wanted& wanted = m_wanted[change.id];
            switch (change.kind) {
            case UserChange::Kind::Add: wanted.exists = {true}; break;
            case UserChange::Kind::Delete: wanted.exists = {false}; break;
            case UserChange::Kind::Notes:
                wanted.notes = {change.notes};
                if (!m_userDeleted.contains(change.id))
                    wanted.exists = {true};
                break;
            }
        }
        m_pending = rest;
        if (!m_otherWriting && !fileLibrary())
            breakRule(QStringLiteral("the file does not decode after the program's own write"));
    }

    // The program went down (or quit leaving them in a rescue copy): each of
    // its unwritten changes may or may not be in the file.
    void loseUnwritten() {
        for (const UserChange& change : std::as_const(m_pending)) {
            Wanted& wanted = m_wanted[change.id];
            switch (change.kind) {
            case UserChange::Kind::Add:
                wanted.exists.insert(true);
                wanted.addedAgain = change.notes;
                break;
            case UserChange::Kind::Delete: wanted.exists.insert(false); break;
            case UserChange::Kind::Notes:
                wanted.notes.insert(change.notes);
                if (!m_userDeleted.contains(change.id))
                    wanted.exists.insert(true);
                break;
            }
        }
        m_pending.clear();
    }

    void userChanged(UserChange change) {
        change.made = ++m_made;
        m_pending << change;
        guarded([&] { m_sync->changed(); });
    }

    void userActs() {
        QList<QUuid> mine;
        for (const AudioProject& p : std::as_const(m_store->library.projects)) {
            if (m_wanted.value(p.id).mine)
                mine << p.id;
        }
        if (mine.isEmpty() || chance(20)) {
            AudioProject added = project(QStringLiteral("added %1").arg(++m_tokens));
            m_wanted.insert(added.id, Wanted{{false}, {added.name}, {QString()}, true, {}});
            m_store->library.projects.prepend(added);
            say(QStringLiteral("the user adds a project"));
            userChanged({0, added.id, UserChange::Kind::Add, added.name});
            return;
        }
        const QUuid id = mine.at(next(int(mine.size())));
        if (chance(15)) {
            m_store->library.projects.removeIf([&](const AudioProject& p) { return p.id == id; });
            m_userDeleted.insert(id);
            say(QStringLiteral("the user deletes a project"));
            userChanged({0, id, UserChange::Kind::Delete, {}});
            return;
        }
        const QString notes = QStringLiteral("mine-%1").arg(++m_tokens);
        for (AudioProject& p : m_store->library.projects) {
            if (p.id != id)
                continue;
            p.notes = notes;
            // Whole seconds, as the store stamps it and the file keeps it.
            p.updatedAt = QDateTime::fromSecsSinceEpoch(m_clock->wallNow().toSecsSinceEpoch(), Qt::UTC);
        }
        say(QStringLiteral("the user writes notes %1").arg(notes));
        userChanged({0, id, UserChange::Kind::Notes, notes});
    }

    // Another program changes the library: renames any project the user has
    // not deleted, adds one of its own or deletes one of its own. False when
    // the file does not decode (it is being rewritten).
    std::optional<Library> otherEdits() {
        std::optional<Library> library = fileLibrary();
        if (!library)
            return std::nullopt;
        const int what = next(10);
        QList<qsizetype> renamable;
        QList<qsizetype> theirs;
        for (qsizetype i = 0; i < library->projects.size(); ++i) {
            const QUuid id = library->projects.at(i).id;
            if (!m_userDeleted.contains(id))
                renamable << i;
            if (!m_wanted.value(id).mine)
                theirs << i;
        }
        if (what < 6 && !renamable.isEmpty()) {
            AudioProject& p = library->projects[renamable.at(next(int(renamable.size())))];
            const QString was = p.name;
            p.name = QStringLiteral("named %1").arg(++m_tokens);
            p.updatedAt = QDateTime::fromSecsSinceEpoch(fixedDate().addMSecs(m_now).toSecsSinceEpoch(), Qt::UTC);
            Wanted& wanted = m_wanted[p.id];
            say(QStringLiteral("another program renames %1 to %2").arg(was, p.name));
            wanted.names = {p.name};
            wanted.exists = {true};
            return library;
        }
        if (what < 8 && !theirs.isEmpty()) {
            const qsizetype at = theirs.at(next(int(theirs.size())));
            m_wanted[library->projects.at(at).id].exists = {false};
            say(QStringLiteral("another program deletes %1").arg(library->projects.at(at).name));
            library->projects.removeAt(at);
            return library;
        }
        AudioProject p = project(QStringLiteral("theirs %1").arg(++m_tokens));
        m_wanted.insert(p.id, Wanted{{true}, {p.name}, {QString()}, false, {}});
        say(QStringLiteral("another program adds %1").arg(p.name));
        library->projects << p;
        return library;
    }

    // Another program acts on the data file, made durable at once (it syncs).
    void otherActs(bool inside) {
        if (m_otherWriting)
            return;
        // A write in place is started between the program's jobs only: one
        // inside a job could be finished over the program's own new file.
        const int way = inside ? std::array{0, 2, 3}[next(3)] : next(4);
        std::optional<Library> edited = otherEdits();
        if (!edited)
            return;
        const QByteArray bytes = RecordCoding::encodeLibrary(*edited);
        MemoryFileSystem::Outside outside = m_disk.outside();
        switch (way) {
        case 0:
            outside.writeAtomically(m_dataFile, bytes);
            say(QStringLiteral("another program replaces the file%1")
                    .arg(inside ? QStringLiteral(" inside a job") : QString()));
            break;
        case 1:
            outside.writeInPlace(m_dataFile, bytes.left(bytes.size() / 2));
            m_otherWriting = bytes;
            m_otherWritingEnds = m_now + 1 + next(1000);
            say(QStringLiteral("another program starts rewriting the file in place%1")
                    .arg(inside ? QStringLiteral(" inside a job") : QString()));
            break;
        case 2:
            outside.removeAndCreate(m_dataFile, bytes);
            say(QStringLiteral("another program deletes the file and creates it anew%1")
                    .arg(inside ? QStringLiteral(" inside a job") : QString()));
            break;
        default: {
            const QString aside = m_dataFolder + QStringLiteral("/theirs.tmp");
            outside.writeAtomically(aside, bytes);
            outside.renameOver(aside, m_dataFile);
            say(QStringLiteral("another program renames its file over the file%1")
                    .arg(inside ? QStringLiteral(" inside a job") : QString()));
            break;
        }
        }
        m_disk.syncAll();
        m_folderEvents << m_now + 1;
        if (inside)
            ++m_outcome.actsInside;
    }

    void finishOtherWrite() {
        if (!m_otherWriting)
            return;
        m_disk.outside().writeInPlace(m_dataFile, *std::exchange(m_otherWriting, std::nullopt));
        m_disk.syncAll();
        m_folderEvents << m_now + 1;
        say(QStringLiteral("another program finishes its write in place"));
    }

    void beforeOperation(const MemoryFileSystem::Operation& operation) {
        using Kind = MemoryFileSystem::Operation::Kind;
        // Closing and unlocking run in destructors, which must not throw: the
        // program's work ends at its next call.
        const bool mayThrow =
            operation.kind != Kind::Close && operation.kind != Kind::Flock && std::uncaught_exceptions() == 0;
        if (m_down) {
            if (mayThrow)
                throw ProgramDown{};
            MemoryFileSystem::failThisCall(EIO);
            return;
        }
        ++m_outcome.fileOperations;
        if (!m_trouble)
            return;
        // Another program's write in place ends before the program changes
        // anything: a reader may see it half done, a writer meets it finished.
        const bool reads = operation.kind == Kind::Read || operation.kind == Kind::Fstat || operation.kind == Kind::Stat
            || operation.kind == Kind::Lstat;
        if (m_otherWriting && (!reads || chance(50)))
            finishOtherWrite();
        if (m_downAt && m_outcome.fileOperations >= *m_downAt) {
            m_downAt.reset();
            m_down = true;
            if (m_downIsPowerCut) {
                ++m_outcome.powerCuts;
                say(QStringLiteral("the power goes before: %1").arg(operation.describe()));
                m_disk.powerCut();
            } else {
                ++m_outcome.kills;
                say(QStringLiteral("the program is killed before: %1").arg(operation.describe()));
                m_disk.crash();
            }
            // What the other program had half written it finishes meanwhile.
            finishOtherWrite();
            if (mayThrow)
                throw ProgramDown{};
            MemoryFileSystem::failThisCall(EIO);
            return;
        }
        // One act a job: a file replaced twice while a write swaps it in is
        // set aside by the write, outside what the file must hold.
        if (!m_actedInJob && chance(m_insideChance)) {
            m_actedInJob = true;
            m_wantedBeforeAct = m_wanted;
            say(QStringLiteral("right before: %1").arg(operation.describe()));
            otherActs(true);
            return;
        }
        // A call on the data file itself that fails has the write set the
        // file aside as unreadable: what other programs put in it then stays
        // in that copy, outside what the file must hold; left out here. The
        // data folder's sync after the rename may fail: the write is in the
        // file, and must count as such.
        const bool changes = operation.kind == Kind::Write || operation.kind == Kind::Fsync
            || operation.kind == Kind::Mkostemp || operation.kind == Kind::Rename || operation.kind == Kind::Renameat2
            || operation.kind == Kind::Link || operation.kind == Kind::Unlink;
        if (changes && operation.path != m_dataFile && operation.otherPath != m_dataFile && chance(m_failChance)) {
            const int error = std::array{EIO, ENOSPC, EACCES}[next(3)];
            ++m_outcome.failures;
            say(QStringLiteral("%1 fails with errno %2").arg(operation.describe()).arg(error));
            MemoryFileSystem::failThisCall(error);
        }
    }

    // One step: a job waiting to run, a folder event or a timer due; false
    // when nothing is due before `until`.
    bool step(qint64 until) {
        if (m_worker->isBusy()) {
            guarded([&] { m_worker->run(); });
            return true;
        }
        qint64 due = until + 1;
        int what = -1;
        if (const auto timer = m_clock->nextDue(); timer && timer->first < due) {
            due = timer->first;
            what = 0;
        }
        for (const qint64 event : std::as_const(m_folderEvents)) {
            if (event < due) {
                due = event;
                what = 1;
            }
        }
        if (m_otherWriting && m_otherWritingEnds < due) {
            due = m_otherWritingEnds;
            what = 2;
        }
        if (what < 0) {
            m_now = std::max(m_now, until);
            return false;
        }
        m_now = std::max(m_now, due);
        if (what == 0) {
            guarded([&] { m_clock->fire(m_clock->nextDue()->second); });
        } else if (what == 2) {
            finishOtherWrite();
        } else {
            m_folderEvents.removeOne(due);
            guarded([&] { m_sync->folderChanged(); });
        }
        return true;
    }

    void settleFor(qint64 ms) {
        const qint64 until = m_now + ms;
        while (m_broken.isEmpty() && step(until)) {}
    }

    // The store as the quit's guard sees it, each wait timed against its bound.
    class QuitChanges final : public UnsavedChangesGuard::Changes {
    public:
        QuitChanges(const qint64& now, DataFileSync& sync, std::function<void(const QString&)> broke)
            : m_now(now), m_sync(sync), m_broke(std::move(broke)) {}
        void quit(int folderPatienceMs) override {
            const qint64 started = m_now;
            m_sync.quit(folderPatienceMs);
            if (m_now - started > std::max(folderPatienceMs, int(DataFileSync::quitWaitMs)) + kQuitMarginMs)
                m_broke(QStringLiteral("a quit waited %1 ms for its write").arg(m_now - started));
        }
        bool isDirty() const override { return m_sync.isDirty(); }
        SaveProblem saveProblem() const override { return m_sync.saveProblem(); }
        FileOutcome keepRescueCopy() override {
            const qint64 started = m_now;
            const FileOutcome kept = m_sync.keepRescueCopy();
            if (m_now - started > DataFileSync::rescueWaitMs + kQuitMarginMs)
                m_broke(QStringLiteral("a quit waited %1 ms for its rescue copy").arg(m_now - started));
            return kept;
        }
        QString unsavedSummary() const override { return {}; }

    private:
        const qint64& m_now;
        DataFileSync& m_sync;
        std::function<void(const QString&)> m_broke;
    };

    // A quit through the guard, answered "quit anyway"; then a new start.
    // Whether everything was written.
    bool quit() {
        say(QStringLiteral("quit, to be answered: quit anyway"));
        bool clean = false;
        try {
            QuitChanges changes(m_now, *m_sync, [this](const QString& rule) { breakRule(rule); });
            UnsavedChangesGuard guard(
                changes, [](const UnsavedChangesGuard::Question&) { return UnsavedChangesGuard::Choice::QuitAnyway; });
            guard.writeBeforeQuit();
            guard.writeAtExit();
            clean = !m_sync->isDirty();
        } catch (const ProgramDown&) {
            restartAfterDown();
            return false;
        }
        if (!clean)
            say(QStringLiteral("the program quits with changes kept in a rescue copy"));
        m_sync.reset();
        m_store.reset();
        m_folderEvents.clear();
        loseUnwritten();
        start();
        return clean;
    }

    void act() {
        const int roll = next(100);
        if (roll < 40)
            userActs();
        else if (roll < 60)
            otherActs(false);
        else if (roll < 72) {
            m_downAt = m_outcome.fileOperations + 1 + next(40);
            m_downIsPowerCut = chance(50);
        } else if (roll < 78)
            quit();
        else
            settleFor(next(300));
    }

    // What the file holds against what must be there; empty when it holds.
    QString differences() const {
        const std::optional<Library> library = fileLibrary();
        if (!library)
            return QStringLiteral("the file does not decode");
        QSet<QUuid> seen;
        for (const AudioProject& p : library->projects) {
            seen.insert(p.id);
            const auto wanted = m_wanted.constFind(p.id);
            if (wanted == m_wanted.cend())
                return QStringLiteral("the file holds a project nobody made: %1").arg(p.name);
            if (!wanted->exists.contains(true) && !wanted->addedAgain)
                return QStringLiteral("the file holds %1, deleted").arg(p.name);
            if (!wanted->names.contains(p.name) && wanted->addedAgain != p.name)
                return QStringLiteral("the file names %1 for %2")
                    .arg(p.name, QStringList(wanted->names.cbegin(), wanted->names.cend()).join(u','));
            if (!wanted->notes.contains(p.notes))
                return QStringLiteral("the file's %1 has notes '%2', not one of %3")
                    .arg(p.name, p.notes, QStringList(wanted->notes.cbegin(), wanted->notes.cend()).join(u','));
        }
        for (auto wanted = m_wanted.cbegin(); wanted != m_wanted.cend(); ++wanted) {
            if (!seen.contains(wanted.key()) && !wanted->exists.contains(false))
                return QStringLiteral("the file lost %1")
                    .arg(QStringList(wanted->names.cbegin(), wanted->names.cend()).join(u','));
        }
        return {};
    }

    // The trouble ends: every change reaches the file in time, the store
    // shows the file, a clean quit loses nothing and a clean start leaves no drafts.
    void endTrouble() {
        m_trouble = false;
        m_downAt.reset();
        finishOtherWrite();
        say(QStringLiteral("the trouble ends"));
        const qint64 deadline = m_clock->lastDue() + kReachesFileMs;
        while (m_broken.isEmpty() && (m_sync->isDirty() || !m_pending.isEmpty()) && m_now <= deadline)
            settleFor(50);
        settleFor(DataFileSync::echoWindowMs + DataFileSync::echoMarginMs + 100);
        if (!m_broken.isEmpty())
            return;
        if (m_sync->isDirty() || !m_pending.isEmpty())
            return breakRule(QStringLiteral("changes did not reach the file within %1 ms of the trouble's end "
                                            "(the sync %2, %3 changes taken as unwritten)")
                                 .arg(kReachesFileMs)
                                 .arg(m_sync->isDirty() ? QStringLiteral("has changes to write")
                                                        : QStringLiteral("has nothing to write"))
                                 .arg(m_pending.size()));
        if (const QString differs = differences(); !differs.isEmpty())
            return breakRule(QStringLiteral("once still: ") + differs);
        if (m_store->library != *fileLibrary())
            return breakRule(QStringLiteral("once still, the store does not show the file"));
        if (!quit())
            return breakRule(QStringLiteral("a quit without trouble left changes unwritten"));
        settleFor(DataFileSync::echoWindowMs + DataFileSync::echoMarginMs + 100);
        if (const QString differs = differences(); !differs.isEmpty())
            return breakRule(QStringLiteral("after a clean quit: ") + differs);
        const QStringList names = m_disk.names(m_dataFolder).value_or(QStringList());
        for (const QString& name : names) {
            if (name.startsWith(QStringLiteral(".sorvel-draft-")))
                return breakRule(QStringLiteral("a clean start left the draft %1").arg(name));
        }
    }

    std::mt19937_64 m_random;
    qint64 m_now = 0;
    MemoryFileSystem m_disk;
    QString m_dataFolder;
    QString m_dataFile;
    QStringList m_log;
    QString m_broken;
    RealLayerOutcome m_outcome;
    int m_insideChance = 0;
    int m_failChance = 0;
    bool m_trouble = true;
    bool m_actedInJob = false;
    // What the file had to hold before another program acted inside the job that runs.
    std::optional<QHash<QUuid, Wanted>> m_wantedBeforeAct;
    bool m_down = false;
    std::optional<qint64> m_downAt;
    bool m_downIsPowerCut = false;
    std::optional<QByteArray> m_otherWriting;
    qint64 m_otherWritingEnds = 0;
    QList<qint64> m_folderEvents;
    QHash<QUuid, Wanted> m_wanted;
    QSet<QUuid> m_userDeleted;
    QList<UserChange> m_pending;
    int m_made = 0;
    int m_carried = 0;
    int m_tokens = 0;
    std::unique_ptr<HeldStore> m_store;
    SteppedClock* m_clock = nullptr;
    InlineWorker* m_worker = nullptr;
    std::unique_ptr<DataFileSync> m_sync;
};

} // namespace

RealLayerOutcome simulateRealLayer(quint64 seed) {
    return Run(seed).run();
}

} // namespace sorvel::test
