#include "RealLayerSimulation.h"

#include "app/store/rescue/RescueCopy.h"
#include "app/store/sync/DataFileSync.h"
#include "app/store/sync/RealSyncSeams.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/DataFolder.h"
#include "core/RecordCoding.h"
#include "support/ControlledWorker.h"
#include "support/MemoryFileSystem.h"
#include "support/SimClock.h"

#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <sys/mman.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

constexpr int kActions = 30;
// Once the trouble ends, every change is in the file within this, after the
// back-off of a write that failed meanwhile.
constexpr qint64 kReachesFileMs = 5000;
// What a quit's waits may overrun their bound by.
constexpr qint64 kQuitMarginMs = 100;
const QString kDraftPrefix = QStringLiteral(".sorvel-draft-");
const QString kAsidePrefix = QStringLiteral("projects-unreadable-");

// A job of the program's that never returns (a lock it takes twice) would
// hang the run without a word until the test command's timeout: once a
// schedule has gone this long without a file operation, a watchdog ends the
// process, naming the seed and what its schedule did so far.
constexpr auto kStalled = std::chrono::seconds(15);

class Watchdog {
public:
    // Never destroyed: its thread watches for as long as the process runs.
    static Watchdog& instance() {
        static Watchdog* const dog = new Watchdog;
        return *dog;
    }
    void begin(quint64 seed) {
        const std::lock_guard lock(m_mutex);
        m_seed = seed;
        m_schedule.clear();
        m_running = true;
    }
    void end() {
        const std::lock_guard lock(m_mutex);
        m_running = false;
    }
    void operation() { m_operations.fetch_add(1, std::memory_order_relaxed); }
    void said(const QString& line) {
        const std::lock_guard lock(m_mutex);
        m_schedule << line;
    }

private:
    Watchdog() {
        std::thread([this] { watch(); }).detach();
    }
    [[noreturn]] void watch() {
        std::unique_lock lock(m_mutex);
        quint64 seen = ~quint64(0);
        for (;;) {
            m_never.wait_for(lock, kStalled);
            const quint64 now = m_operations.load(std::memory_order_relaxed);
            if (m_running && now == seen) {
                std::printf("broke: seed %llu: the program's work stopped for %lld s (a job that never returns)\n"
                            "schedule so far:\n  %s\n",
                            static_cast<unsigned long long>(m_seed), static_cast<long long>(kStalled.count()),
                            qPrintable(m_schedule.join(QStringLiteral("\n  "))));
                std::fflush(nullptr);
                std::_Exit(1);
            }
            seen = now;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_never; // nothing wakes it: the watch looks at each period's end
    std::atomic<quint64> m_operations{0};
    quint64 m_seed = 0;
    QStringList m_schedule;
    bool m_running = false;
};

// Thrown from the disk's hook: the power went or the program was killed, and
// its work ends where it stood.
struct ProgramDown {};

QDateTime fixedDate() {
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
}

// What the program logs during a schedule (to its standard error), kept in
// memory to be searched for the copies it names.
class CapturedLog {
public:
    CapturedLog() : m_log(::memfd_create("sorvel-log", MFD_CLOEXEC)), m_saved(::dup(STDERR_FILENO)) {
        std::fflush(stderr);
        ::dup2(m_log, STDERR_FILENO);
    }
    ~CapturedLog() {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        ::close(m_log);
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    QByteArray text() const {
        std::fflush(stderr);
        QByteArray text;
        char chunk[65536];
        for (off_t at = 0;;) {
            const ssize_t count = ::pread(m_log, chunk, sizeof chunk, at);
            if (count <= 0)
                return text;
            text.append(chunk, count);
            at += count;
        }
    }

private:
    int m_log;
    int m_saved;
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

// DiskFiles, telling whether a write holds the rescue copies: while it merges
// again the copies the start left waiting, and from the moment it carries them
// (RescueCopies::Carrier, under the copies' lock) until it has replaced the
// file or given up. A copy kept meanwhile waits for it. It
// tells too whether the start merges earlier runs' copies.
class WatchedFiles final : public SyncFiles {
public:
    explicit WatchedFiles(MemoryFileSystem& disk) : m_files(disk) {}
    bool holdsCopies() const { return m_holds; }
    bool mergesCopies() const { return m_merging; }

    void migrate(const FolderLock::Waiter& waiter) override { m_files.migrate(waiter); }
    // A merge after the start's is a write's retry of the copies the start
    // left waiting, made under the copies' lock.
    RescuesMerged mergeRescues(const FolderLock::Waiter& waiter) override {
        const bool retry = m_merges++ > 0;
        m_merging = true;
        m_holds = m_holds || retry;
        const auto merging = qScopeGuard([this, retry] {
            m_merging = false;
            if (retry)
                m_holds = false;
        });
        return m_files.mergeRescues(waiter);
    }
    void removeStaleDrafts(const FolderLock::Waiter& waiter) override { m_files.removeStaleDrafts(waiter); }
    Storage::ReadResult read(const FolderLock::Waiter& waiter) override { return m_files.read(waiter); }
    Storage::SaveResult save(const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                             const FolderLock::Waiter& waiter, Storage::Carried* carried,
                             const std::optional<Storage::FileIdentity>& stillUndecodable) override {
        return m_files.save(resolve, keepDecodedAside, waiter, carried, stillUndecodable);
    }
    FileOutcome writeRescue(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                            const RescueCopy::KeptSteps& steps, bool landed,
                            const std::optional<Storage::WriteMark>& mayNotLast) override {
        return m_files.writeRescue(base, unsaved, at, steps, landed, mayNotLast);
    }
    std::unique_ptr<Storage::Carried> carryRescues(QStringList& paths, const QString& what) override {
        m_holds = true;
        return std::make_unique<Held>(m_files.carryRescues(paths, what), m_holds);
    }

private:
    class Held final : public Storage::Carried {
    public:
        Held(std::unique_ptr<Storage::Carried> copies, bool& holds) : m_copies(std::move(copies)), m_holds(holds) {}
        ~Held() override { m_holds = false; }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
        int replacing(const Storage::WriteMark& mark) override {
            const int refused = m_copies->replacing(mark);
            m_holds = refused == 0;
            return refused;
        }
        void replaced(bool durable) override {
            m_copies->replaced(durable);
            m_holds = false;
        }
        void notReplaced() override {
            m_copies->notReplaced();
            m_holds = false;
        }

    private:
        std::unique_ptr<Storage::Carried> m_copies;
        bool& m_holds;
    };

    DiskFiles m_files;
    bool m_holds = false;
    bool m_merging = false;
    int m_merges = 0;
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
        // Hangs are drawn apart, so that a schedule without them is the one
        // the seed gave before there were any.
        m_hangRandom.seed(seed ^ 0x6861'6e67ULL);
        m_hangChance = std::array{0, 0, 2, 5}[m_hangRandom() % 4];
        m_stateReadOnlyChance = std::array{0, 0, 20}[next(3)];
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
    void say(const QString& what) {
        m_log << QStringLiteral("%1 ms: %2").arg(m_now).arg(what);
        Watchdog::instance().said(m_log.last());
    }
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
        m_fileIsThere = true;
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

    // The folder of the rescue copies turns read-only, for good (a home
    // restored without its permissions): the copies there stay for a start
    // that can mark them, and the user's changes still reach the data file.
    void makeStateFolderReadOnly() {
        const QString rescues = RescueCopy::folder();
        m_stateReadOnly = m_disk.setReadOnly(m_disk.exists(rescues) ? rescues : DataFolder::stateHome(), EACCES);
        say(QStringLiteral("the folder of the rescue copies is read-only from now on; it holds: ")
            + m_disk.names(rescues).value_or(QStringList()).join(u' '));
    }

    void start() {
        if (m_trouble && !m_stateReadOnly && chance(m_stateReadOnlyChance))
            makeStateFolderReadOnly();
        m_store = std::make_unique<HeldStore>();
        m_store->saved = [this](bool written) { saveFinished(written); };
        auto clock = std::make_unique<SimClock>(m_now, fixedDate());
        auto worker = std::make_unique<ControlledWorker>(m_now, [this] {
            m_carried = m_made;
            m_actedInJob = false;
            m_wantedBeforeAct.reset();
            m_actBytes.reset();
            return hangsInJob();
        });
        auto files = std::make_shared<WatchedFiles>(m_disk);
        worker->setBlocksAside([watched = files.get()] { return watched->holdsCopies(); });
        m_clock = clock.get();
        m_worker = worker.get();
        m_files = files.get();
        DataFileSync::Host host = m_store->host();
        host.brokeRule = [this](const QString& rule) {
            breakRule(
                QStringLiteral("the sync broke its rule: %1 (%2)").arg(rule, SyncMachine::describe(m_sync->state())));
        };
        m_sync = std::make_unique<DataFileSync>(
            std::move(host), DataFileSync::Seams{std::move(clock), std::move(files), std::move(worker)},
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
        // Nothing of the program's removes the data file: whatever it keeps
        // aside, the file is in its place at every instant.
        if (m_fileIsThere && !m_disk.exists(m_dataFile))
            breakRule(QStringLiteral("the data file is missing after the program went down"));
        m_sync.reset();
        m_store.reset();
        m_clock = nullptr;
        m_worker = nullptr;
        m_files = nullptr;
        m_down = false;
        m_folderEvents.clear();
        // The act first: what it changed is told apart before the user's lost changes widen what may be there.
        loseActInside();
        loseUnwritten();
        start();
    }

    // The names in the data folder that start with `prefix` and hold `bytes`.
    QStringList holding(const QByteArray& bytes, const QString& prefix) const {
        QStringList names = m_disk.names(m_dataFolder).value_or(QStringList());
        names.removeIf([&](const QString& name) {
            return !name.startsWith(prefix) || m_disk.contents(m_dataFolder + QLatin1Char('/') + name) != bytes;
        });
        return names;
    }

    // Whether the file holds what another program's act inside the job made
    // it hold (a project the user deleted meanwhile aside).
    bool actInFile() const {
        const std::optional<Library> library = fileLibrary();
        if (!library)
            return false;
        for (auto wanted = m_wanted.cbegin(); wanted != m_wanted.cend(); ++wanted) {
            const auto before = m_wantedBeforeAct->constFind(wanted.key());
            if (before != m_wantedBeforeAct->cend() && before->exists == wanted->exists
                && before->names == wanted->names)
                continue;
            const auto held = std::ranges::find(library->projects, wanted.key(), &AudioProject::id);
            if (wanted->exists == QSet<bool>{false}) {
                if (held != library->projects.cend())
                    return false;
            } else if (held == library->projects.cend() ? !m_userDeleted.contains(wanted.key())
                                                        : !wanted->names.contains(held->name)) {
                return false;
            }
        }
        return true;
    }

    // A write swaps its file in and, finding another program's taken out,
    // swaps that back: gone between the two, the program leaves the other's
    // file under its draft's name. Only then may the act inside the job it
    // ended be out of the file, and that file must be kept (takenOutKept).
    void loseActInside() {
        const std::optional<QByteArray> bytes = std::exchange(m_actBytes, std::nullopt);
        if (!m_wantedBeforeAct || !bytes || actInFile()) {
            m_wantedBeforeAct.reset();
            return;
        }
        const bool underDraft = !holding(*bytes, kDraftPrefix).isEmpty();
        if (!underDraft && holding(*bytes, kAsidePrefix).isEmpty()) {
            m_wantedBeforeAct.reset();
            return breakRule(QStringLiteral("another program's act inside a job a kill ended is neither in the file "
                                            "nor kept beside it"));
        }
        if (underDraft)
            m_takenOut << *bytes;
        say(underDraft ? QStringLiteral("another program's file is left under a draft's name")
                       : QStringLiteral("another program's file is kept aside"));
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

    // Another program's file that a kill left under a draft's name is never
    // removed: it stays there until a start keeps it as a copy aside.
    void takenOutKept() {
        for (qsizetype i = 0; i < m_takenOut.size();) {
            if (!holding(m_takenOut.at(i), kAsidePrefix).isEmpty()) {
                m_takenOut.removeAt(i);
            } else if (holding(m_takenOut.at(i), kDraftPrefix).isEmpty()) {
                return breakRule(QStringLiteral("another program's file, left under a draft's name by a kill, is "
                                                "gone without a copy kept aside"));
            } else {
                ++i;
            }
        }
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
        m_fileIsThere = true;
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
        const QHash<QUuid, Wanted> before = m_wanted;
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
        case 1: {
            // Half now, the rest after a pause, through the descriptor it
            // holds: into that file wherever the program has put it by then.
            const qsizetype half = bytes.size() / 2;
            m_otherWriting = OtherWrite{bytes, half, outside.beginWriteInPlace(m_dataFile, bytes.left(half)), before};
            m_otherWritingEnds = m_now + 1 + next(1000);
            say(QStringLiteral("another program starts rewriting the file in place%1")
                    .arg(inside ? QStringLiteral(" inside a job") : QString()));
            break;
        }
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
        m_fileIsThere = true;
        m_folderEvents << m_now + 1;
        if (inside) {
            ++m_outcome.actsInside;
            m_actBytes = bytes;
        }
    }

    // Another program acts inside the job that runs, once a job.
    void actInsideJob() {
        if (std::exchange(m_actedInJob, true))
            return;
        m_wantedBeforeAct = m_wanted;
        otherActs(true);
    }

    void finishOtherWrite() {
        if (!m_otherWriting)
            return;
        const OtherWrite writing = *std::exchange(m_otherWriting, std::nullopt);
        MemoryFileSystem::Outside outside = m_disk.outside();
        // A power cut closed its descriptor: it writes the file again, by its name.
        if (!writing.handle || !outside.endWriteInPlace(*writing.handle, writing.whole.mid(writing.written)))
            outside.writeInPlace(m_dataFile, writing.whole);
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
        // A job left behind by a program that ended does nothing more.
        const bool onJob = m_worker && m_worker->onJobThread();
        if (m_down || (onJob && m_worker->isEnding())) {
            if (mayThrow)
                throw ProgramDown{};
            MemoryFileSystem::failThisCall(EIO);
            return;
        }
        ++m_outcome.fileOperations;
        Watchdog::instance().operation();
        if (!m_trouble)
            return;
        const bool inDataFolder =
            operation.path == m_dataFolder || operation.path.startsWith(m_dataFolder + QLatin1Char('/'));
        if (onJob && inDataFolder && m_hangIn && (*m_hangIn)-- == 0) {
            m_hangIn.reset();
            const qint64 until =
                m_hangRandom() % 100 < 30 ? ControlledWorker::never : m_now + 200 + qint64(m_hangRandom() % 8000);
            ++m_outcome.hangs;
            say(until == ControlledWorker::never
                    ? QStringLiteral("the data disk stops answering at: %1").arg(operation.describe())
                    : QStringLiteral("the data disk stops answering for %1 ms at: %2")
                          .arg(until - m_now)
                          .arg(operation.describe()));
            if (!m_worker->park(until)) {
                if (mayThrow)
                    throw ProgramDown{};
                MemoryFileSystem::failThisCall(EIO);
                return;
            }
            say(QStringLiteral("the data disk answers again"));
            if (!m_trouble)
                return;
        }
        // Another program's write in place may end while the program reads
        // the file, as the job's one act; a write of the program's meets it
        // as it stands.
        const bool reads = operation.kind == Kind::Read || operation.kind == Kind::Fstat || operation.kind == Kind::Stat
            || operation.kind == Kind::Lstat;
        if (m_otherWriting && reads && !m_actedInJob && chance(50)) {
            m_actedInJob = true;
            m_wantedBeforeAct = m_otherWriting->wantedBefore;
            finishOtherWrite();
        }
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
            say(QStringLiteral("right before: %1").arg(operation.describe()));
            actInsideJob();
            return;
        }
        // Reading the data file fails too: a write that cannot read it keeps
        // it aside, and what other programs put in it may then be only in that
        // copy (differences()). The data folder's sync after the rename may
        // fail: the write is in the file, and must count as such.
        const bool changes = operation.kind == Kind::Write || operation.kind == Kind::Fsync
            || operation.kind == Kind::Mkostemp || operation.kind == Kind::Rename || operation.kind == Kind::Renameat2
            || operation.kind == Kind::Link || operation.kind == Kind::Unlink;
        const bool readsDataFile = operation.path == m_dataFile
            && (operation.kind == Kind::Open || operation.kind == Kind::Read || operation.kind == Kind::Fstat
                || operation.kind == Kind::Stat || operation.kind == Kind::Lstat);
        // Left out: a call that fails while earlier runs' rescue copies are
        // merged (at a start, or again before a write) leaves them waiting
        // for longer than the bound held here.
        const bool mergesCopies = m_files && m_files->mergesCopies();
        if ((changes || readsDataFile) && !mergesCopies && chance(m_failChance)) {
            const int error = std::array{EIO, ENOSPC, EACCES}[next(3)];
            ++m_outcome.failures;
            say(QStringLiteral("%1 fails with errno %2").arg(operation.describe()).arg(error));
            MemoryFileSystem::failThisCall(error);
        }
    }

    // Whether the job handed over now hangs, and at which of its calls in
    // the data folder: the quit's at its first, others as drawn.
    bool hangsInJob() {
        const bool atQuit = std::exchange(m_hangAtNextCall, false);
        m_hangIn.reset();
        if (m_trouble && (atQuit || int(m_hangRandom() % 100) < m_hangChance))
            m_hangIn = atQuit ? 0 : int(m_hangRandom() % 12);
        return m_hangIn.has_value();
    }

    // One step: a job waiting to run, a folder event, a timer due or a hung
    // job's call answering; false when nothing is due before `until`.
    bool step(qint64 until) {
        if (m_worker->hasJob()) {
            guarded([&] { m_worker->run(); });
            takenOutKept();
            return true;
        }
        qint64 due = until + 1;
        int what = -1;
        if (m_worker->isParked() && m_worker->parkedUntil() < due) {
            due = m_worker->parkedUntil();
            what = 3;
        }
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
        } else if (what == 3) {
            guarded([&] { m_worker->run(); });
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
        // `troubles` counts the calls failed and the programs gone down so far.
        QuitChanges(const qint64& now, std::function<int()> troubles, std::function<bool()> stateRefuses,
                    DataFileSync& sync, const ControlledWorker& worker, std::function<void(const QString&)> broke)
            : m_now(now),
              m_troubles(std::move(troubles)),
              m_stateRefuses(std::move(stateRefuses)),
              m_sync(sync),
              m_worker(worker),
              m_broke(std::move(broke)) {}
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
            const int troubles = m_troubles();
            const FileOutcome kept = m_sync.keepRescueCopy();
            if (m_now - started > DataFileSync::rescueWaitMs + kQuitMarginMs)
                m_broke(QStringLiteral("a quit waited %1 ms for its rescue copy").arg(m_now - started));
            // The state folder answers, whatever hangs in the data folder:
            // only a call that failed, a state folder made read-only, or the
            // program going down, may keep the copy from being written.
            // Left out: a write the disk holds while it carries the copies
            // holds them, and the copy waits for it past the quit.
            const bool heldByWrite = kept.error == ETIMEDOUT && m_worker.holdsAside();
            if (!kept.done() && m_troubles() == troubles && !m_stateRefuses() && !heldByWrite)
                m_broke(QStringLiteral("a quit kept no rescue copy of its changes (errno %1 on %2)")
                            .arg(kept.error)
                            .arg(kept.path));
            return kept;
        }
        QString unsavedSummary() const override { return {}; }

    private:
        const qint64& m_now;
        std::function<int()> m_troubles;
        std::function<bool()> m_stateRefuses;
        DataFileSync& m_sync;
        const ControlledWorker& m_worker;
        std::function<void(const QString&)> m_broke;
    };

    // A quit through the guard, answered "quit anyway"; then a new start.
    // Whether everything was written.
    bool quit() {
        say(QStringLiteral("quit, to be answered: quit anyway"));
        bool clean = false;
        try {
            QuitChanges changes(
                m_now, [this] { return m_outcome.failures + m_outcome.kills + m_outcome.powerCuts; },
                [this] { return m_stateReadOnly; }, *m_sync, *m_worker,
                [this](const QString& rule) { breakRule(rule); });
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
        // The process ends with its job hung in the disk: its descriptors
        // close and its locks go, and the hung call comes to nothing.
        if (m_worker->isParked()) {
            say(QStringLiteral("the program ends with a call hung in the data disk"));
            m_disk.crash();
        }
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
            // While a job hangs in the disk, another program acts inside it.
            m_worker->isParked() ? actInsideJob() : otherActs(false);
        else if (roll < 72) {
            m_downAt = m_outcome.fileOperations + 1 + next(40);
            m_downIsPowerCut = chance(50);
        } else if (roll < 78) {
            // The data disk may stop answering in the quit's own write.
            m_hangAtNextCall = m_hangChance > 0 && m_hangRandom() % 100 < 25;
            quit();
            m_hangAtNextCall = false;
        } else
            settleFor(next(300));
    }

    // The copies kept aside in the data folder that the program's log names, as they decode.
    QList<Library> namedCopies() const {
        const QByteArray log = m_programLog.text();
        QList<Library> copies;
        for (const QString& name : m_disk.names(m_dataFolder).value_or(QStringList())) {
            if (!name.startsWith(QStringLiteral("projects-unreadable-")) || !log.contains(name.toUtf8()))
                continue;
            const std::optional<QByteArray> bytes = m_disk.contents(m_dataFolder + QLatin1Char('/') + name);
            if (std::optional<Library> copy = bytes ? RecordCoding::decodeLibrary(*bytes, fixedDate()) : std::nullopt)
                copies << std::move(*copy);
        }
        return copies;
    }

    // Whether a copy the log names holds project `id` under one of `names`.
    static bool aCopyNames(const QList<Library>& copies, const QUuid& id, const QSet<QString>& names) {
        return std::ranges::any_of(copies, [&](const Library& copy) {
            const auto held = std::ranges::find(copy.projects, id, &AudioProject::id);
            return held != copy.projects.cend() && names.contains(held->name);
        });
    }

    // Whether a copy the log names is without project `id`: another
    // program's deleting of it, kept there.
    static bool aCopyLacks(const QList<Library>& copies, const QUuid& id) {
        return std::ranges::any_of(copies, [&](const Library& copy) {
            return std::ranges::find(copy.projects, id, &AudioProject::id) == copy.projects.cend();
        });
    }

    // What the file holds against what must be there; empty when it holds.
    // Other programs' changes the program did not read before writing may be
    // in a copy it kept aside and named instead.
    QString differences() const {
        const std::optional<Library> library = fileLibrary();
        if (!library)
            return QStringLiteral("the file does not decode");
        const QList<Library> copies = namedCopies();
        QSet<QUuid> seen;
        for (const AudioProject& p : library->projects) {
            seen.insert(p.id);
            const auto wanted = m_wanted.constFind(p.id);
            if (wanted == m_wanted.cend())
                return QStringLiteral("the file holds a project nobody made: %1").arg(p.name);
            if (!wanted->exists.contains(true) && !wanted->addedAgain && !(!wanted->mine && aCopyLacks(copies, p.id)))
                return QStringLiteral("the file holds %1, deleted").arg(p.name);
            if (!wanted->names.contains(p.name) && wanted->addedAgain != p.name
                && !aCopyNames(copies, p.id, wanted->names))
                return QStringLiteral("the file names %1 for %2")
                    .arg(p.name, QStringList(wanted->names.cbegin(), wanted->names.cend()).join(u','));
            if (!wanted->notes.contains(p.notes))
                return QStringLiteral("the file's %1 has notes '%2', not one of %3")
                    .arg(p.name, p.notes, QStringList(wanted->notes.cbegin(), wanted->notes.cend()).join(u','));
        }
        for (auto wanted = m_wanted.cbegin(); wanted != m_wanted.cend(); ++wanted) {
            if (!seen.contains(wanted.key()) && !wanted->exists.contains(false)
                && !aCopyNames(copies, wanted.key(), wanted->names))
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
        if (m_worker->isParked())
            m_worker->answerBy(m_now);
        finishOtherWrite();
        say(QStringLiteral("the trouble ends"));
        // A read that failed in the trouble is tried again after its delay:
        // still is when that has run too.
        const qint64 deadline = m_clock->lastDue() + kReachesFileMs;
        while (m_broken.isEmpty() && (m_sync->isDirty() || !m_pending.isEmpty() || !m_sync->isIdle())
               && m_now <= deadline)
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
        takenOutKept();
        const QStringList names = m_disk.names(m_dataFolder).value_or(QStringList());
        for (const QString& name : names) {
            if (name.startsWith(kDraftPrefix))
                return breakRule(QStringLiteral("a clean start left the draft %1").arg(name));
        }
    }

    CapturedLog m_programLog;
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
    std::mt19937_64 m_hangRandom;
    int m_hangChance = 0; // in a hundred jobs
    bool m_hangAtNextCall = false;
    // The job that runs hangs at this many of its calls in the data folder from now.
    std::optional<int> m_hangIn;
    int m_stateReadOnlyChance = 0;
    bool m_stateReadOnly = false;
    bool m_trouble = true;
    // The data file has been there (it never is again missing, whatever the program does).
    bool m_fileIsThere = false;
    bool m_actedInJob = false;
    // A write of the job that runs has swapped its draft in.
    // What the file had to hold before another program acted inside the job that runs.
    std::optional<QHash<QUuid, Wanted>> m_wantedBeforeAct;
    // What another program wrote over the file inside the job that runs.
    std::optional<QByteArray> m_actBytes;
    // Other programs' files a kill left under a draft's name, not yet kept aside.
    QList<QByteArray> m_takenOut;
    bool m_down = false;
    std::optional<qint64> m_downAt;
    bool m_downIsPowerCut = false;
    // Another program's write in place, paused: its whole text, how much of
    // it is written, the descriptor it writes through and what the file had
    // to hold before it.
    struct OtherWrite {
        QByteArray whole;
        qsizetype written = 0;
        std::optional<int> handle;
        QHash<QUuid, Wanted> wantedBefore;
    };
    std::optional<OtherWrite> m_otherWriting;
    qint64 m_otherWritingEnds = 0;
    QList<qint64> m_folderEvents;
    QHash<QUuid, Wanted> m_wanted;
    QSet<QUuid> m_userDeleted;
    QList<UserChange> m_pending;
    int m_made = 0;
    int m_carried = 0;
    int m_tokens = 0;
    std::unique_ptr<HeldStore> m_store;
    SimClock* m_clock = nullptr;
    ControlledWorker* m_worker = nullptr;
    WatchedFiles* m_files = nullptr;
    std::unique_ptr<DataFileSync> m_sync;
};

} // namespace

RealLayerOutcome& RealLayerOutcome::operator+=(const RealLayerOutcome& other) {
    fileOperations += other.fileOperations;
    actsInside += other.actsInside;
    kills += other.kills;
    powerCuts += other.powerCuts;
    failures += other.failures;
    hangs += other.hangs;
    return *this;
}

RealLayerOutcome simulateRealLayer(quint64 seed) {
    Watchdog& watchdog = Watchdog::instance();
    watchdog.begin(seed);
    RealLayerOutcome outcome = Run(seed).run();
    watchdog.end();
    return outcome;
}

} // namespace sorvel::test
