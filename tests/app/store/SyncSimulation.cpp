#include "SyncSimulation.h"

#include "app/store/sync/DataFileSync.h"
#include "app/store/sync/StorageWorker.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/WidgetIntents.h"
#include "support/SimClock.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <random>

namespace sorvel::test {
namespace {

constexpr double kStartProgress = 0.5;
constexpr double kStep = 0.1;
// Each side keeps its own net steps within this, so that no step meets the
// ends of the range and every order of the steps gives the same sum.
constexpr int kMostNetSteps = 2;
constexpr int kActions = 48;
constexpr qint64 kLongest = 600000; // the simulated time a schedule may take, settling included
constexpr qint64 kForever = std::numeric_limits<qint64>::max();
// Once the trouble ends, every change of the user's is in the file within this
// (after the back-off of a write that failed meanwhile), without a quit.
constexpr qint64 kReachesFileMs = 5000;
// What a quit's waits may overrun their bounds by: the deliveries' own steps.
constexpr qint64 kQuitMarginMs = 100;
// How often a save starts again on a file that keeps being replaced (Storage).
constexpr int kMostPasses = 8;

// The program was killed: nothing it does reaches the disk any more.
struct Killed {};

// Ids in an order no hash seed changes: what a seed does and says is the
// same in every process.
template <typename Ids>
QList<QUuid> sorted(const Ids& ids) {
    QList<QUuid> list(ids.cbegin(), ids.cend());
    std::sort(list.begin(), list.end());
    return list;
}

// A library in a few words: its projects' notes, the shared progress.
QString described(const Library& library) {
    QStringList parts;
    for (const AudioProject& p : library.projects)
        parts << (p.progressMode == ProgressMode::Manual ? QString::number(p.manualProgress)
                      : p.notes.isEmpty()                ? QStringLiteral("-")
                                                         : p.notes);
    return parts.join(QLatin1Char(' '));
}

QDateTime fixedDate() {
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
}

// The data folder, the state folder of the rescue copies, the lock, and what
// the schedule has done so far, with what must hold in the end.
struct World {
    std::mt19937_64 random;
    qint64 now = 0;
    qint64 wallOffsetMs = 0; // the clock set back, the zone changed

    enum class File { Missing, Bytes, Folder };
    File file = File::Missing;
    QByteArray bytes;
    QByteArray lastGood; // what the file held when it last decoded
    bool appSawBytes = false; // the program read or wrote these very bytes
    qint64 lockHeldUntil = -1;
    bool diskFull = false;
    bool readOnly = false;
    qsizetype sizeLimit = 0;
    QList<QByteArray> keptAside;

    struct Rescue {
        QString name;
        quint64 made = 0; // the order they were made in
        std::optional<Library> base;
        Library unsaved;
        RescueCopy::KeptSteps steps;
        bool retired = false;
        int merges = 0;
        int madeUpTo = 0; // holds the user's changes up to here
        int carriedBy = 0; // the write carrying it into the file, while one does
    };
    QList<Rescue> rescues;
    quint64 rescuesMade = 0;
    int writes = 0; // the program's writes so far, landed or not
    QSet<int> landedWrites; // those whose draft replaced the file

    // Killing: the file operation this many operations ahead does not happen.
    int killIn = -1;
    bool killed = false;
    int fileOperations = 0;
    // The data disk stops answering until then (the worker's job, or its
    // delivery once the job's last operation is done, waits): -1 answers,
    // kForever until the process ends.
    qint64 hangUntil = -1;
    bool stateFolderHangs = false; // a rescue copy written beside the worker never ends
    int hangs = 0;
    // Other programs act right before some of the program's next file
    // operations, inside its read or write (acting() does it).
    int actsInsideLeft = 0;
    int actsInside = 0;
    std::function<void()> actInside;
    // The file is missing because another program deleted it (or there was
    // none at the start): a write over no file starts what must hold anew.
    bool deletedByOther = false;

    // In-place writes of another program: the whole bytes it means to write,
    // in pieces with pauses between them.
    std::optional<QByteArray> inPlace;
    qint64 inPlaceEnds = -1; // when its next piece is written; -1: never
    int inPlacePieces = 0;
    int inPlaceWritten = 0;
    // Another program starts writing in place then (-1: not planned), or
    // right after the program's next write lands, within its echo window.
    qint64 inPlaceStartsAt = -1;
    bool inPlaceAfterWrite = false;

    quint64 version = 0; // counts every change of the file's bytes, by anyone
    qint64 changedAt = 0; // when another program last changed them

    QList<qint64> folderEvents; // when each is reported

    QStringList log;
    QString broken;

    int next(int below) { return int(std::uniform_int_distribution<int>(0, below - 1)(random)); }
    bool chance(int percent) { return next(100) < percent; }
    QUuid id() {
        std::uniform_int_distribution<uint> part;
        return QUuid(part(random), ushort(part(random)), ushort(part(random)), uchar(part(random)), uchar(part(random)),
                     uchar(part(random)), uchar(part(random)), uchar(part(random)), uchar(part(random)),
                     uchar(part(random)), uchar(part(random)));
    }
    void say(const QString& line) { log << QStringLiteral("%1 ms: %2").arg(now).arg(line); }
    void breakRule(const QString& what) {
        if (broken.isEmpty()) {
            broken = what;
            say(QStringLiteral("BROKEN: ") + what);
        }
    }
    bool lockFree() const { return lockHeldUntil <= now; }
    // The file in a few words: its projects, the shared progress.
    QString summary() const {
        const std::optional<Library> library = decoded();
        return library ? described(*library) : QStringLiteral("does not decode");
    }
    void folderEvent(int after = 0) { folderEvents << now + after + next(20); }

    // One file operation of the program; false when it was killed before it.
    bool operation(const char* what) {
        if (killed)
            return false;
        if (killIn == 0) {
            killed = true;
            killIn = -1;
            say(QStringLiteral("killed before: %1").arg(QLatin1String(what)));
            return false;
        }
        if (killIn > 0)
            --killIn;
        if (actsInsideLeft > 0 && actInside && chance(30)) {
            --actsInsideLeft;
            ++actsInside;
            say(QStringLiteral("right before: %1").arg(QLatin1String(what)));
            actInside();
        }
        ++fileOperations;
        return true;
    }
    bool diskAnswers() const { return hangUntil <= now; }

    std::optional<Library> decoded() const {
        if (file != File::Bytes)
            return std::nullopt;
        return RecordCoding::decodeLibrary(bytes, fixedDate());
    }
    // What the file is on disk, as the program's stat would tell.
    Storage::FileIdentity identity() const { return {0, version, bytes.size(), 0}; }
    void setBytes(const QByteArray& next, bool byTheProgram) {
        file = File::Bytes;
        bytes = next;
        deletedByOther = false;
        appSawBytes = byTheProgram;
        ++version;
        if (!byTheProgram)
            changedAt = now;
        if (RecordCoding::decodeLibrary(next, fixedDate()))
            lastGood = next;
    }
    // Bytes nobody has read are kept before the program writes over them.
    void keepAside() {
        if (file == File::Bytes && !keptAside.contains(bytes))
            keptAside << bytes;
    }
};

// What the user and the other programs did, and so what the file must hold
// in the end: a baseline (the first file, or one the program wrote over
// another program's broken write) and the changes made since.
struct Expected {
    struct Op {
        enum class Kind { Add, Edit, Delete, Step, AddType } kind;
        QUuid id;
        QString notes;
        double delta = 0;
        int made = 0;
    };
    QList<Op> durable; // reached the file or a rescue copy
    QList<Op> pending; // of the running program, not yet durable
    QSet<int> inFile; // changes a write carried into the file
    // Another program's edit or delete of one of the user's projects, after
    // the user's change `after`. The merges keep the program's side where
    // both changed the record: it counts unless a change of the user's to
    // that project that was not in the file then (`conflicts`) survives.
    struct OnMine {
        QUuid id;
        bool deletes = false;
        QString notes;
        int after = 0;
        QSet<int> conflicts;
    };
    QList<OnMine> onMine;
    int made = 0;
    int writtenUpTo = 0; // the changes up to here were made by an earlier run or written
    QHash<QUuid, QString> mineAtBaseline; // the user's projects and their notes
    QSet<QUuid> typesAtBaseline;
    double progressAtBaseline = kStartProgress;
    bool stepsCounted = true; // false once a baseline left the middle of the range
    QHash<QUuid, QString> otherNotes; // another program's projects: its last completed notes
    QSet<QUuid> otherDeleted;
    double otherSteps = 0;
    int userNet = 0;
    int otherNet = 0;
    QSet<QUuid> userProjects;
    QUuid shared; // the project both step

    // Another program's projects in an order that no hash seed changes, so
    // that a seed picks the same ones in every process.
    QList<QUuid> others() const { return sorted(otherNotes.keys()); }

    // The program ended: what was not durable is gone, and its steps no
    // longer count toward the user's net (which keeps the sum off the ends
    // of the range).
    void losePending() {
        for (const Op& op : std::as_const(pending)) {
            if (op.kind == Op::Kind::Step)
                userNet -= op.delta > 0 ? 1 : -1;
        }
        pending.clear();
    }
    // The changes made up to `upTo` reached the file or a rescue copy.
    void makeDurable(int upTo) {
        while (!pending.isEmpty() && pending.first().made <= upTo)
            durable << pending.takeFirst();
    }
    // A write carried the changes up to `upTo` into the file.
    void landed(int upTo) {
        for (const Op& op : std::as_const(durable)) {
            if (op.made <= upTo)
                inFile.insert(op.made);
        }
    }
    // The user's changes to project `id` that the file does not hold.
    QSet<int> notInFile(const QUuid& id) const {
        QSet<int> found;
        for (const QList<Op>* ops : {&durable, &pending}) {
            for (const Op& op : *ops) {
                if (op.id == id && (op.kind == Op::Kind::Edit || op.kind == Op::Kind::Delete)
                    && !inFile.contains(op.made))
                    found.insert(op.made);
            }
        }
        return found;
    }
    // Another program deleted the file: what it held is gone, what waits in
    // rescue copies and in the program stays.
    void fileDeleted() {
        durable.removeIf([&](const Op& op) { return inFile.contains(op.made); });
        mineAtBaseline.clear();
        typesAtBaseline.clear();
        onMine.clear();
        for (const QUuid& id : otherNotes.keys())
            otherDeleted.insert(id);
        otherNotes.clear();
        stepsCounted = false;
    }
    // The program wrote `written` over bytes it had not read (another
    // program's broken write, a file it never saw): those are in the copy
    // kept aside, and what the file must hold starts again from here.
    // `written` holds the changes up to `upTo`; later ones (in a rescue copy
    // still to be merged) are applied on top of it.
    void rebase(const Library& written, int upTo) {
        durable.removeIf([&](const Op& op) { return op.made <= upTo; });
        onMine.clear();
        mineAtBaseline.clear();
        typesAtBaseline.clear();
        QHash<QUuid, QString> others;
        stepsCounted = false;
        for (const AudioProject& p : written.projects) {
            if (userProjects.contains(p.id))
                mineAtBaseline.insert(p.id, p.notes);
            if (otherNotes.contains(p.id))
                others.insert(p.id, p.notes);
            otherDeleted.remove(p.id);
            if (p.id == shared) {
                progressAtBaseline = p.manualProgress;
                stepsCounted = std::abs(p.manualProgress - kStartProgress) < 1e-9;
                userNet = otherNet = 0;
                otherSteps = 0;
            }
        }
        for (const ProjectType& type : written.types)
            typesAtBaseline.insert(type.id);
        otherNotes = others;
    }
};

class SimWorker final : public SyncWorker {
public:
    SimWorker(World& world, Expected& expected) : m_world(world), m_expected(expected) {}

    bool isBusy() const override { return m_busy; }
    void start(Job job) override {
        m_busy = true;
        m_job = std::move(job);
        m_since = m_world.now;
        m_carries = m_expected.made;
        m_runsAt = m_world.now + m_world.next(30);
    }
    bool finish(int folderPatienceMs, int patienceMs) override {
        if (!m_busy)
            return true;
        const qint64 deadline = patienceMs < 0 ? kForever : m_world.now + patienceMs;
        if (m_job) {
            if (!m_world.lockFree()) {
                const qint64 wait = m_world.lockHeldUntil - m_world.now;
                const qint64 patience = folderPatienceMs < 0 ? patienceMs : folderPatienceMs;
                if (patience >= 0 && wait > patience) {
                    m_world.now += patience;
                    return false;
                }
                m_world.now = m_world.lockHeldUntil;
            }
            if (!waitForDisk(deadline))
                return false;
            runJob();
        }
        // A disk that stops answering after the job's last operation holds its delivery.
        if (!waitForDisk(deadline))
            return false;
        deliver();
        return true;
    }
    bool waitForDisk(qint64 deadline) {
        if (m_world.diskAnswers())
            return true;
        if (m_world.hangUntil == kForever && deadline == kForever) {
            m_world.breakRule(QStringLiteral("the program waits without end for a disk that does not answer"));
            return false;
        }
        if (m_world.hangUntil > deadline) {
            m_world.now = std::max(m_world.now, deadline);
            return false;
        }
        m_world.now = m_world.hangUntil;
        return true;
    }
    void discard(Library) override {}
    FolderLock::Waiter folderWaiter() override {
        return [](const std::function<bool()>& attempt) { return attempt(); };
    }
    bool isWaitingForFolder() const override { return m_noticed; }
    bool isHeldByFolder() const override { return m_job && !m_world.lockFree() && m_world.diskAnswers(); }
    // Done at once, or, in a state folder that does not answer, never: the
    // process ends first.
    bool runAside(std::function<void()> work, int patienceMs) override {
        if (m_world.stateFolderHangs) {
            m_world.now += patienceMs;
            return false;
        }
        work();
        return true;
    }

    // The write job that runs now carries the user's changes made before it started.
    int carries() const { return m_carries; }
    bool hasJob() const { return m_job.has_value(); }
    bool hasDelivery() const { return m_delivery.has_value(); }
    qint64 jobDue() const {
        return std::max({m_runsAt, m_world.lockFree() ? m_runsAt : m_world.lockHeldUntil, m_world.hangUntil});
    }
    qint64 deliveryDue() const { return std::max(m_deliversAt, m_world.hangUntil); }
    qint64 noticeDue() const { return m_since + StorageWorker::noticeAfterMs; }
    // A job waiting for the lock for a while is told.
    void lookAtLock() {
        const bool waiting = m_job && !m_world.lockFree() && m_world.now - m_since >= StorageWorker::noticeAfterMs;
        if (waiting != m_noticed) {
            m_noticed = waiting;
            waitingChanged();
        }
    }
    void runJob() {
        Job job = std::move(*m_job);
        m_job.reset();
        m_delivery = job();
        m_deliversAt = m_world.now + m_world.next(10);
        lookAtLock();
    }
    void deliver() {
        Delivery delivery = std::move(*m_delivery);
        m_delivery.reset();
        m_busy = false;
        if (delivery)
            delivery();
    }

private:
    World& m_world;
    Expected& m_expected;
    bool m_busy = false;
    bool m_noticed = false;
    std::optional<Job> m_job;
    std::optional<Delivery> m_delivery;
    qint64 m_since = 0;
    qint64 m_runsAt = 0;
    qint64 m_deliversAt = 0;
    int m_carries = 0;
};

// Carries rescue copies through a write as RescueCopy::Carrier does: marked
// with the write before the file is replaced, retired once it is.
class SimCarrier final : public Storage::Carried {
public:
    SimCarrier(World& world, const QStringList& paths) : m_world(world), m_paths(paths) {}
    int replacing(const Storage::WriteMark& mark) override {
        for (World::Rescue* rescue : copies()) {
            if (!m_world.operation("mark a rescue copy as carried"))
                return EIO;
            rescue->carriedBy = mark.draftName.toInt();
        }
        return 0;
    }
    void replaced(bool) override {
        for (World::Rescue* rescue : copies()) {
            if (!m_world.operation("retire a carried rescue copy"))
                return;
            rescue->retired = true;
            rescue->carriedBy = 0;
        }
    }
    void notReplaced() override {
        for (World::Rescue* rescue : copies()) {
            if (!m_world.operation("unmark a rescue copy"))
                return;
            rescue->carriedBy = 0;
        }
    }

private:
    QList<World::Rescue*> copies() {
        QList<World::Rescue*> found;
        for (World::Rescue& rescue : m_world.rescues) {
            if (m_paths.contains(rescue.name))
                found << &rescue;
        }
        return found;
    }

    World& m_world;
    QStringList m_paths;
};

class SimFiles final : public SyncFiles {
public:
    SimFiles(World& world, Expected& expected, const SimWorker*& worker)
        : m_world(world), m_expected(expected), m_worker(worker) {}

    void migrate(const FolderLock::Waiter&) override { m_world.operation("take over the earlier product's data"); }
    void removeStaleDrafts(const FolderLock::Waiter&) override { m_world.operation("remove stale drafts"); }

    RescuesMerged mergeRescues(const FolderLock::Waiter&) override {
        // A copy a write was carrying when the program died: retired if that
        // write replaced the file, else merged like the others.
        for (World::Rescue& rescue : m_world.rescues) {
            if (rescue.retired || rescue.carriedBy == 0)
                continue;
            if (!m_world.operation("settle a carried rescue copy"))
                return {};
            rescue.retired = m_world.landedWrites.contains(rescue.carriedBy);
            rescue.carriedBy = 0;
        }
        QStringList names;
        for (const World::Rescue& rescue : std::as_const(m_world.rescues)) {
            if (!rescue.retired)
                names << rescue.name;
        }
        RescueCopy::sortAsMade(names);
        QList<World::Rescue*> order;
        for (const QString& name : std::as_const(names)) {
            for (World::Rescue& rescue : m_world.rescues) {
                if (rescue.name == name)
                    order << &rescue;
            }
        }
        RescuesMerged merged;
        QHash<QUuid, quint64> landed;
        m_restoring = true;
        for (World::Rescue* rescue : order) {
            ProgressSteps steps = rescue->steps.steps;
            steps.landed(std::max(landed.value(rescue->steps.run), rescue->steps.landed));
            const Library base = rescue->base ? *rescue->base : Library{{}, {}};
            m_restoringUpTo = rescue->madeUpTo;
            SimCarrier carrier(m_world, {rescue->name});
            const Storage::SaveResult saved =
                save([&](const Library* found) { return RescueCopy::mergeInto(found, base, rescue->unsaved, steps); },
                     false, {}, &carrier, std::nullopt);
            if (!saved.written) {
                // It and the later copies, held back by it, go to the program.
                if (!saved.folderBusy) {
                    for (qsizetype later = order.indexOf(rescue); later < order.size(); ++later) {
                        const World::Rescue& held = *order.at(later);
                        ProgressSteps heldSteps = held.steps.steps;
                        heldSteps.landed(std::max(landed.value(held.steps.run), held.steps.landed));
                        merged.notWritten << RescueCopy::NotMerged{
                            held.name, saved.error, held.base ? *held.base : Library{{}, {}}, held.unsaved, heldSteps};
                        if (!held.steps.run.isNull())
                            landed[held.steps.run] = std::max(landed.value(held.steps.run), held.steps.revision);
                    }
                }
                break;
            }
            ++rescue->merges;
            m_world.say(QStringLiteral("merged the rescue copy %1").arg(rescue->name));
            if (rescue->merges > 1)
                m_world.breakRule(QStringLiteral("the rescue copy %1 was merged twice").arg(rescue->name));
            for (const World::Rescue& other : m_world.rescues) {
                if (other.made > rescue->made && other.merges > 0)
                    m_world.breakRule(QStringLiteral("the rescue copy %1 was merged after the later %2")
                                          .arg(rescue->name, other.name));
            }
            if (!rescue->steps.run.isNull())
                landed[rescue->steps.run] = std::max(landed.value(rescue->steps.run), rescue->steps.revision);
            ++merged.merged;
        }
        m_restoring = false;
        return merged;
    }

    Storage::ReadResult read(const FolderLock::Waiter&) override {
        Storage::ReadResult result;
        result.library = Library{};
        if (!m_world.operation("read the data file")) {
            result.kind = Storage::ReadResult::Kind::Busy;
            return result;
        }
        switch (m_world.file) {
        case World::File::Missing: result.kind = Storage::ReadResult::Kind::Missing; return result;
        case World::File::Folder:
            result.kind = Storage::ReadResult::Kind::Unreadable;
            result.error = FileError{Storage::filePath(), EISDIR};
            return result;
        case World::File::Bytes: break;
        }
        result.identity = m_world.identity();
        if (std::optional<Library> library = m_world.decoded()) {
            result.kind = Storage::ReadResult::Kind::Decoded;
            result.library = std::move(*library);
            m_world.appSawBytes = true;
            return result;
        }
        // A read keeps nothing aside: the write that replaces the bytes does.
        result.kind = Storage::ReadResult::Kind::Undecodable;
        return result;
    }

    Storage::SaveResult save(const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                             const FolderLock::Waiter&, Storage::Carried* carried,
                             const std::optional<Storage::FileIdentity>& stillUndecodable) override {
        // Storage::save starts again from its read when the file was replaced
        // meanwhile, a few times, then fails as "in use".
        for (int pass = 0; pass < kMostPasses; ++pass) {
            if (std::optional<Storage::SaveResult> done =
                    savePass(resolve, keepDecodedAside, carried, stillUndecodable))
                return *done;
        }
        Storage::SaveResult result;
        result.error = FileError{Storage::filePath(), EBUSY};
        m_world.say(QStringLiteral("the write gives up: the file was replaced again and again"));
        return result;
    }

private:
    // One pass of a save; nothing when the file was replaced before the
    // draft took its place (it is swapped back, the save starts again).
    std::optional<Storage::SaveResult> savePass(const std::function<Library(const Library* found)>& resolve,
                                                bool keepDecodedAside, Storage::Carried* carried,
                                                const std::optional<Storage::FileIdentity>& stillUndecodable) {
        Storage::SaveResult result;
        if (!m_world.operation("lock and read before writing")) {
            result.folderBusy = true;
            return result;
        }
        const std::pair<World::File, quint64> read{m_world.file, m_world.version};
        const bool overDeleted = m_world.file == World::File::Missing && m_world.deletedByOther;
        std::optional<Library> found = m_world.decoded();
        const bool wasTorn = m_world.file == World::File::Bytes && !found;
        // Bytes that do not decode are replaced only once the program has
        // seen them still for the quiet: they may be half of a write in place.
        if (wasTorn && stillUndecodable != m_world.identity()) {
            result.waitsForQuiet = true;
            result.undecodable = m_world.identity();
            result.error = FileError{Storage::filePath() + QStringLiteral(": does not decode"), 0};
            return result;
        }
        if (wasTorn && m_world.now - m_world.changedAt < DataFileSync::undecodableQuietMs)
            m_world.breakRule(QStringLiteral("the program wrote over a file another program changed %1 ms before")
                                  .arg(m_world.now - m_world.changedAt));
        // Bytes the program has not read go aside, named, before it writes.
        const bool keptAside =
            m_world.file != World::File::Missing && (!found || (keepDecodedAside && !m_world.appSawBytes));
        if (keptAside) {
            if (!m_world.operation("keep the file aside")) {
                result.folderBusy = true;
                return result;
            }
            m_world.keepAside();
            if (wasTorn)
                result.undecodableKeptAs = QStringLiteral("projects-unreadable-%1.json").arg(m_world.keptAside.size());
            found.reset();
        }
        const Library next = found ? resolve(&*found) : resolve(nullptr);
        const QByteArray bytes = RecordCoding::encodeLibrary(next);
        if (!m_world.operation("write the draft")) {
            result.folderBusy = true;
            return result;
        }
        const int error = m_world.readOnly                              ? EACCES
            : m_world.diskFull                                          ? ENOSPC
            : m_world.sizeLimit > 0 && bytes.size() > m_world.sizeLimit ? EFBIG
                                                                        : 0;
        if (error != 0) {
            result.error = FileError{Storage::filePath(), error};
            return result;
        }
        if (!m_world.operation("sync the draft")) {
            result.folderBusy = true;
            return result;
        }
        const int write = ++m_world.writes;
        if (carried) {
            Storage::WriteMark mark;
            mark.draftName = QString::number(write);
            if (const int refused = carried->replacing(mark); refused != 0) {
                result.error = FileError{Storage::filePath(), refused};
                return result;
            }
        }
        if (!m_world.operation("rename the draft over the file")) {
            result.folderBusy = true;
            return result;
        }
        if (std::pair{m_world.file, m_world.version} != read) {
            m_world.say(
                QStringLiteral("the file was replaced before the draft took its place: the write starts again"));
            if (carried)
                carried->notReplaced();
            return std::nullopt;
        }
        m_world.landedWrites.insert(write);
        // Changes of the user's since this run's start or its last write that
        // landed, or of an earlier run's, in the rescue copies it carries.
        const bool carriesRescues = std::any_of(m_world.rescues.cbegin(), m_world.rescues.cend(),
                                                [&](const World::Rescue& rescue) { return rescue.carriedBy == write; });
        const bool carriesChanges =
            m_restoring || carriesRescues || (m_worker && m_worker->carries() > m_expected.writtenUpTo);
        if (wasTorn && !carriesChanges)
            m_world.breakRule(QStringLiteral("an idle program wrote over a file that does not decode"));
        // What this write carries is durable from here; over broken bytes it is
        // the new baseline itself.
        if (m_worker && !m_restoring) {
            m_expected.makeDurable(m_worker->carries());
            m_expected.writtenUpTo = std::max(m_expected.writtenUpTo, m_worker->carries());
        }
        m_expected.landed(m_restoring ? m_restoringUpTo : m_worker ? m_worker->carries() : 0);
        if (keptAside || overDeleted) {
            m_world.say(keptAside ? QStringLiteral("the program's changes replace bytes it had not read, kept aside")
                                  : QStringLiteral("the program writes where another program deleted the file"));
            m_world.inPlace.reset(); // that program's change is lost, by the user's choice
            m_world.inPlaceEnds = -1;
            m_expected.rebase(next, m_restoring ? m_restoringUpTo : m_worker ? m_worker->carries() : 0);
        }
        m_world.setBytes(bytes, true);
        if (std::exchange(m_world.inPlaceAfterWrite, false))
            m_world.inPlaceStartsAt = m_world.now + m_world.next(DataFileSync::echoWindowMs);
        std::optional<Library> written = RecordCoding::decodeLibrary(bytes, fixedDate());
        if (!written) {
            m_world.breakRule(QStringLiteral("the program's own write does not decode"));
            written = next;
        }
        m_world.folderEvent();
        m_world.say(QStringLiteral("the program wrote the file: %1").arg(m_world.summary()));
        // Killed after the rename: the change is in the file, the rest is not done.
        if (!m_world.operation("sync the folder")) {
            result.folderBusy = true;
            return result;
        }
        if (carried)
            carried->replaced(true);
        result.written = true;
        result.library = std::move(*written);
        result.resolved = next;
        return result;
    }

public:
    // Every write here lasts (its carrier is told so): no copy stands for one that may not.
    FileOutcome writeRescue(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                            const RescueCopy::KeptSteps& steps, bool landed,
                            const std::optional<Storage::WriteMark>&) override {
        if (!m_world.operation("write a rescue copy"))
            return FileOutcome::failure(EIO, {});
        if (m_world.diskFull)
            return FileOutcome::failure(ENOSPC, {});
        const quint64 made = ++m_world.rescuesMade;
        const QString name = QStringLiteral("projects-rescued-%1-%2Z.json")
                                 .arg(made)
                                 .arg(at.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        m_world.rescues << World::Rescue{name, made, base, unsaved, steps, landed, 0, m_expected.made, 0};
        m_world.say(QStringLiteral("kept the rescue copy %1").arg(name));
        m_expected.makeDurable(m_expected.made);
        return {name};
    }

    std::unique_ptr<Storage::Carried> carryRescues(QStringList& paths, const QString&) override {
        return std::make_unique<SimCarrier>(m_world, paths);
    }

private:
    World& m_world;
    Expected& m_expected;
    const SimWorker*& m_worker;
    bool m_restoring = false;
    int m_restoringUpTo = 0;
};

// The store as the sync sees it: a library and nothing else.
struct SimStore {
    Library library;
    SaveProblem problem;
    DataFileSync::Host host() {
        DataFileSync::Host h;
        h.current = [this] { return library; };
        h.show = [this](const Library& next) { library = next; };
        h.showKnown = [this](const Library& next, const ProjectChange&) {
            return std::exchange(library, next).projects;
        };
        h.reloadTimelines = [] {};
        h.saveFinished = [](bool) {};
        h.problemChanged = [] {};
        h.folderWaitChanged = [] {};
        h.firstReadFinished = [] {};
        return h;
    }
};

class Simulation {
public:
    explicit Simulation(quint64 seed) {
        m_world.random.seed(seed);
        m_world.actInside = [this] { actInsideAJob(); };
    }

    SimulationOutcome run() {
        seedTheFile();
        startProgram();
        for (int action = 0; action < kActions && m_world.broken.isEmpty(); ++action) {
            act();
            settleFor(m_world.next(3) == 0 ? 3000 : m_world.next(400));
            lookWhenStill();
        }
        finish();
        SimulationOutcome outcome;
        outcome.held = m_world.broken.isEmpty();
        outcome.broken = m_world.broken;
        outcome.schedule = m_world.log;
        outcome.operations = m_operations;
        outcome.crashes = m_crashes;
        outcome.fileOperations = m_world.fileOperations;
        outcome.hangs = m_world.hangs;
        outcome.actsInside = m_world.actsInside;
        return outcome;
    }

private:
    AudioProject project(const QString& name) {
        AudioProject p;
        p.id = m_world.id();
        p.name = name;
        p.typeID = ProjectType::musicID;
        p.createdAt = fixedDate();
        p.updatedAt = fixedDate();
        return p;
    }

    void seedTheFile() {
        if (m_world.chance(10)) {
            m_world.deletedByOther = true; // what must hold starts with the program's first write
            m_expected.stepsCounted = false;
            m_world.say(QStringLiteral("there is no data file"));
            return;
        }
        Library start;
        AudioProject shared = project(QStringLiteral("shared"));
        shared.progressMode = ProgressMode::Manual;
        shared.manualProgress = kStartProgress;
        m_expected.shared = shared.id;
        start.projects << shared;
        for (int i = 0; i < 2; ++i) {
            AudioProject theirs = project(QStringLiteral("theirs %1").arg(i));
            m_expected.otherNotes.insert(theirs.id, QString());
            start.projects << theirs;
        }
        m_world.setBytes(RecordCoding::encodeLibrary(start), false);
        m_world.say(QStringLiteral("the data file holds 3 projects"));
    }

    void startProgram() {
        m_expected.writtenUpTo = m_expected.made;
        m_store = std::make_unique<SimStore>();
        m_store->library = Library{};
        auto clock = std::make_unique<SimClock>(m_world.now, fixedDate(), &m_world.wallOffsetMs);
        auto worker = std::make_unique<SimWorker>(m_world, m_expected);
        m_clock = clock.get();
        m_worker = worker.get();
        DataFileSync::Host host = m_store->host();
        // A killed program goes on through its quit's guard, but its state
        // no longer means anything: its jobs end without a delivery, as they
        // do when the store goes away.
        host.brokeRule = [this](const QString& rule) {
            if (m_world.killed)
                return;
            m_world.breakRule(QStringLiteral("the sync broke its rule: %1 (%2; the worker %3)")
                                  .arg(rule, SyncMachine::describe(m_sync->state()),
                                       m_worker->hasJob()            ? QStringLiteral("has a job to run")
                                           : m_worker->hasDelivery() ? QStringLiteral("has a delivery")
                                           : m_worker->isBusy()      ? QStringLiteral("is busy")
                                                                     : QStringLiteral("is idle")));
        };
        m_sync = std::make_unique<DataFileSync>(
            std::move(host),
            DataFileSync::Seams{std::move(clock), std::make_shared<SimFiles>(m_world, m_expected, m_workerSeen),
                                std::move(worker)},
            m_store->library);
        m_workerSeen = m_worker;
        m_world.say(QStringLiteral("the program starts"));
        m_sync->begin();
    }

    // Killed: what was not durable is gone with the process. While the quit's
    // guard runs, the killed program stays until the guard is done: its file
    // operations reach nothing.
    void restartIfKilled() {
        if (!m_world.killed || m_quitting)
            return;
        ++m_crashes;
        m_expected.losePending();
        endProgram();
        m_world.killed = false;
        startProgram();
    }

    // What hangs with the process (a call stuck in a disk) ends with it.
    void endProgram() {
        if (m_world.hangUntil == kForever)
            m_world.hangUntil = -1;
        m_world.stateFolderHangs = false;
        m_workerSeen = nullptr;
        m_sync.reset();
        m_store.reset();
        m_clock = nullptr;
        m_worker = nullptr;
    }

    // The next thing due: a timer, a job, a delivery, a folder event, the end
    // of another program's write or of its hold.
    bool stepUntil(qint64 until) {
        restartIfKilled();
        qint64 due = until + 1;
        int what = -1;
        const auto consider = [&](qint64 when, int kind) {
            if (when < due) {
                due = when;
                what = kind;
            }
        };
        if (const auto timer = m_clock->nextDue())
            consider(timer->first, 0);
        if (m_worker->hasJob())
            consider(m_worker->jobDue(), 1);
        if (m_worker->hasDelivery())
            consider(m_worker->deliveryDue(), 2);
        for (const qint64 event : std::as_const(m_world.folderEvents))
            consider(event, 3);
        if (m_world.inPlace && m_world.inPlaceEnds >= 0)
            consider(m_world.inPlaceEnds, 4);
        if (m_world.inPlaceStartsAt >= 0)
            consider(m_world.inPlaceStartsAt, 7);
        if (m_world.lockHeldUntil > m_world.now)
            consider(m_world.lockHeldUntil, 5);
        if (m_worker->hasJob() && !m_world.lockFree() && !m_worker->isWaitingForFolder())
            consider(std::max(m_world.now, m_worker->noticeDue()), 6);
        if (what < 0) {
            m_world.now = std::max(m_world.now, until);
            return false;
        }
        m_world.now = std::max(m_world.now, due);
        switch (what) {
        case 0: m_clock->fire(m_clock->nextDue()->second); break;
        case 1: m_worker->runJob(); break;
        case 2: m_worker->deliver(); break;
        case 3:
            m_world.folderEvents.removeOne(
                *std::min_element(m_world.folderEvents.cbegin(), m_world.folderEvents.cend()));
            m_sync->folderChanged();
            break;
        case 4: continueInPlace(); break;
        case 5:
        case 6: m_worker->lookAtLock(); break;
        case 7:
            m_world.inPlaceStartsAt = -1;
            startInPlace();
            break;
        }
        restartIfKilled();
        return true;
    }

    void settleFor(qint64 ms) {
        const qint64 until = m_world.now + ms;
        while (m_world.broken.isEmpty() && stepUntil(until)) {}
    }

    // Another program's write under the lock: read, change, rename over.
    // Inside a job of the program's (`withoutLock`) it takes no lock: the
    // program's own holds the folder.
    bool writeAsAnotherProgram(const std::function<void(Library&)>& change, bool withoutLock = false) {
        if ((!withoutLock && !m_world.lockFree()) || m_world.inPlace)
            return false;
        std::optional<Library> library = m_world.decoded();
        if (!library)
            return false;
        change(*library);
        m_world.setBytes(RecordCoding::encodeLibrary(*library), false);
        m_world.folderEvent();
        return true;
    }

    void otherEdit(bool withoutLock = false) {
        const QList<QUuid> theirs = m_expected.others();
        if (theirs.isEmpty())
            return;
        const QUuid id = theirs.at(m_world.next(int(theirs.size())));
        const QString notes = QStringLiteral("theirs-%1").arg(++m_tokens);
        if (writeAsAnotherProgram(
                [&](Library& library) {
                    for (AudioProject& p : library.projects) {
                        if (p.id == id)
                            p.notes = notes;
                    }
                },
                withoutLock)) {
            m_expected.otherNotes[id] = notes;
            m_world.say(QStringLiteral("another program writes notes %1").arg(notes));
        }
    }

    void otherAddOrDelete() {
        const QList<QUuid> theirs = m_expected.others();
        if (!theirs.isEmpty() && m_world.chance(40)) {
            const QUuid id = theirs.at(m_world.next(int(theirs.size())));
            if (writeAsAnotherProgram([&](Library& library) {
                    library.projects.removeIf([&](const AudioProject& p) { return p.id == id; });
                })) {
                m_expected.otherNotes.remove(id);
                m_expected.otherDeleted.insert(id);
                m_world.say(QStringLiteral("another program deletes one of its projects"));
            }
            return;
        }
        const AudioProject added = project(QStringLiteral("theirs, added"));
        if (writeAsAnotherProgram([&](Library& library) { library.projects.prepend(added); })) {
            m_expected.otherNotes.insert(added.id, QString());
            m_world.say(QStringLiteral("another program adds a project"));
        }
    }

    void otherStep(bool withoutLock = false) {
        const double delta = stepDirection(m_expected.otherNet);
        bool moved = false;
        if (writeAsAnotherProgram(
                [&](Library& library) {
                    for (AudioProject& p : library.projects) {
                        if (p.id != m_expected.shared)
                            continue;
                        const double stepped = AdjustProgressIntent::steppedProgress(p.manualProgress, delta);
                        moved = stepped != p.manualProgress;
                        p.manualProgress = stepped;
                    }
                },
                withoutLock)
            && moved) {
            m_expected.otherSteps += delta;
            m_expected.otherNet += delta > 0 ? 1 : -1;
            m_world.say(QStringLiteral("another program steps %1").arg(delta));
        }
    }

    // Another program rewrites the file in place, now, or right after the
    // program's next write (within its echo window, where the program reads
    // nothing), or just after the user's next change (while its write waits
    // for the save timer or for a read that runs).
    void otherInPlace() {
        switch (m_world.next(4)) {
        case 0:
            m_world.inPlaceAfterWrite = true;
            m_world.say(QStringLiteral("another program will write in place right after the program's next write"));
            break;
        case 1:
            userEdit();
            m_world.inPlaceStartsAt = m_world.now + m_world.next(2 * DataFileSync::saveDelayMs);
            m_world.say(QStringLiteral("another program will write in place in a moment"));
            break;
        default: startInPlace(); break;
        }
    }

    // The first piece, pauses (mostly shorter than the program's quiet, or no
    // end at all), the next pieces.
    void startInPlace(bool withoutLock = false) {
        if (m_world.inPlace)
            return;
        std::optional<Library> library = m_world.decoded();
        const QList<QUuid> theirs = m_expected.others();
        if (!library || theirs.isEmpty() || (!withoutLock && !m_world.lockFree()))
            return;
        const QUuid id = theirs.at(m_world.next(int(theirs.size())));
        const QString notes = QStringLiteral("in place-%1").arg(++m_tokens);
        for (AudioProject& p : library->projects) {
            if (p.id == id)
                p.notes = notes;
        }
        const QByteArray whole = RecordCoding::encodeLibrary(*library);
        m_world.inPlace = whole;
        m_inPlaceTarget = {id, notes};
        m_world.inPlacePieces = 2 + m_world.next(3);
        m_world.inPlaceWritten = 1;
        m_world.setBytes(whole.left(whole.size() / m_world.inPlacePieces), false);
        m_world.folderEvent();
        m_world.say(
            QStringLiteral("another program writes 1 of %1 pieces of the file in place").arg(m_world.inPlacePieces));
        pauseInPlace();
    }

    void pauseInPlace() {
        if (m_world.chance(10)) {
            m_world.inPlaceEnds = -1;
            m_world.say(QStringLiteral("the in-place write stops"));
            return;
        }
        m_world.inPlaceEnds = m_world.now + (m_world.chance(20) ? 200 + m_world.next(3500) : 50 + m_world.next(1500));
    }

    void continueInPlace() {
        const QByteArray& whole = *m_world.inPlace;
        if (m_world.inPlaceWritten + 1 >= m_world.inPlacePieces
            || !(m_world.file == World::File::Bytes && whole.startsWith(m_world.bytes))) {
            finishInPlace();
            return;
        }
        ++m_world.inPlaceWritten;
        m_world.setBytes(whole.left(whole.size() * m_world.inPlaceWritten / m_world.inPlacePieces), false);
        m_world.folderEvent();
        m_world.say(QStringLiteral("the in-place write goes on: %1 of %2 pieces")
                        .arg(m_world.inPlaceWritten)
                        .arg(m_world.inPlacePieces));
        pauseInPlace();
    }

    void finishInPlace() {
        const QByteArray whole = *m_world.inPlace;
        m_world.inPlace.reset();
        m_world.inPlaceEnds = -1;
        if (m_world.file == World::File::Bytes && whole.startsWith(m_world.bytes)) {
            m_world.setBytes(whole, false);
            m_expected.otherNotes[m_inPlaceTarget.first] = m_inPlaceTarget.second;
            m_world.say(QStringLiteral("the in-place write ends: notes %1").arg(m_inPlaceTarget.second));
        } else {
            m_world.say(QStringLiteral("the in-place write ends into a file that is no longer its own"));
        }
        m_world.folderEvent();
    }

    void otherDeleteAndCreate() {
        std::optional<Library> library = m_world.decoded();
        if (!m_world.lockFree() || m_world.inPlace || !library)
            return;
        // Under the lock from the delete to the new file.
        const qint64 gap = 10 + m_world.next(800);
        m_world.lockHeldUntil = m_world.now + gap;
        m_world.file = World::File::Missing;
        m_world.folderEvent();
        m_world.folderEvent(int(gap));
        m_world.say(QStringLiteral("another program deletes the file and makes it anew after %1 ms").arg(gap));
        settleFor(gap - 1);
        m_world.setBytes(RecordCoding::encodeLibrary(*library), false);
    }

    // Another program deletes the file, without the lock, and writes none.
    void otherDeletesTheFile() {
        if (m_world.file != World::File::Bytes || m_world.inPlace)
            return;
        m_world.file = World::File::Missing;
        ++m_world.version;
        m_world.deletedByOther = true;
        m_expected.fileDeleted();
        m_world.folderEvent();
        m_world.say(QStringLiteral("another program deletes the file"));
    }

    // Another program edits or deletes one of the user's projects.
    void otherActsOnMine(bool withoutLock = false) {
        const std::optional<Library> library = m_world.decoded();
        if (!library)
            return;
        QList<QUuid> mine;
        for (const AudioProject& p : library->projects) {
            if (m_expected.userProjects.contains(p.id))
                mine << p.id;
        }
        if (mine.isEmpty())
            return;
        std::sort(mine.begin(), mine.end());
        Expected::OnMine act{mine.at(m_world.next(int(mine.size()))),
                             m_world.chance(30),
                             QStringLiteral("theirs on mine-%1").arg(++m_tokens),
                             m_expected.made,
                             {}};
        act.conflicts = m_expected.notInFile(act.id);
        if (!writeAsAnotherProgram(
                [&](Library& changed) {
                    if (act.deletes) {
                        changed.projects.removeIf([&](const AudioProject& p) { return p.id == act.id; });
                        return;
                    }
                    for (AudioProject& p : changed.projects) {
                        if (p.id == act.id)
                            p.notes = act.notes;
                    }
                },
                withoutLock))
            return;
        m_world.say(act.deletes
                        ? QStringLiteral("another program deletes a project of the user's")
                        : QStringLiteral("another program writes notes %1 on a project of the user's").arg(act.notes));
        m_expected.onMine << act;
    }

    // Right before one of the program's own file operations, inside its read
    // or write, another program that takes no lock acts.
    void actInsideAJob() {
        switch (m_world.next(6)) {
        case 0: otherEdit(true); break;
        case 1: otherActsOnMine(true); break;
        case 2: otherDeletesTheFile(); break;
        case 3: startInPlace(true); break;
        case 4:
            if (const std::optional<Library> library = m_world.decoded()) {
                m_world.file = World::File::Missing;
                m_world.setBytes(RecordCoding::encodeLibrary(*library), false);
                m_world.folderEvent();
                m_world.say(QStringLiteral("another program deletes the file and makes it anew at once"));
            }
            break;
        default: otherStep(true); break;
        }
    }

    void actsInsideJobs() {
        m_world.actsInsideLeft = 1 + m_world.next(4);
        m_world.say(QStringLiteral("other programs will act inside the program's next file operations"));
    }

    // The data disk stops answering, for a while or until the process ends.
    void hang() {
        ++m_world.hangs;
        m_world.hangUntil = m_world.chance(30) ? kForever : m_world.now + 200 + m_world.next(8000);
        m_world.say(
            m_world.hangUntil == kForever
                ? QStringLiteral("the data disk stops answering")
                : QStringLiteral("the data disk stops answering for %1 ms").arg(m_world.hangUntil - m_world.now));
    }

    double stepDirection(int net) {
        if (net >= kMostNetSteps)
            return -kStep;
        if (net <= -kMostNetSteps)
            return kStep;
        return m_world.chance(50) ? kStep : -kStep;
    }

    AudioProject* heldProject(const QUuid& id) {
        for (AudioProject& p : m_store->library.projects) {
            if (p.id == id)
                return &p;
        }
        return nullptr;
    }

    void userChanged(Expected::Op op) {
        op.made = ++m_expected.made;
        m_expected.pending << op;
        m_sync->changed();
    }

    void userEdit() {
        QList<QUuid> mine;
        for (const AudioProject& p : m_store->library.projects) {
            if (m_expected.userProjects.contains(p.id))
                mine << p.id;
        }
        if (mine.isEmpty() || m_world.chance(20)) {
            AudioProject added = project(QStringLiteral("mine"));
            m_expected.userProjects.insert(added.id);
            m_store->library.projects.prepend(added);
            m_world.say(QStringLiteral("the user adds a project"));
            userChanged({Expected::Op::Kind::Add, added.id, {}, 0, 0});
            return;
        }
        const QUuid id = mine.at(m_world.next(int(mine.size())));
        if (m_world.chance(15)) {
            m_store->library.projects.removeIf([&](const AudioProject& p) { return p.id == id; });
            m_world.say(QStringLiteral("the user deletes a project"));
            userChanged({Expected::Op::Kind::Delete, id, {}, 0, 0});
            return;
        }
        const QString notes = QStringLiteral("mine-%1").arg(++m_tokens);
        AudioProject* held = heldProject(id);
        held->notes = notes;
        // As the store stamps it (Clock::now): whole seconds, as the file keeps them.
        held->updatedAt = QDateTime::fromSecsSinceEpoch(m_clock->wallNow().toSecsSinceEpoch(), Qt::UTC);
        m_world.say(QStringLiteral("the user writes notes %1").arg(notes));
        userChanged({Expected::Op::Kind::Edit, id, notes, 0, 0});
    }

    void userStep() {
        AudioProject* shared = heldProject(m_expected.shared);
        if (!shared)
            return;
        const double delta = stepDirection(m_expected.userNet);
        const double stepped = AdjustProgressIntent::steppedProgress(shared->manualProgress, delta);
        if (stepped == shared->manualProgress)
            return;
        shared->manualProgress = stepped;
        m_expected.userNet += delta > 0 ? 1 : -1;
        m_world.say(QStringLiteral("the user steps %1").arg(delta));
        userChanged({Expected::Op::Kind::Step, m_expected.shared, {}, delta, 0});
        m_sync->stepped(m_expected.shared, delta);
    }

    void userAddsType() {
        ProjectType type{m_world.id(), QStringLiteral("type %1").arg(++m_tokens), QStringLiteral("tag"),
                         QStringLiteral("#ff0000")};
        m_store->library.types << type;
        m_world.say(QStringLiteral("the user adds a type"));
        userChanged({Expected::Op::Kind::AddType, type.id, {}, 0, 0});
    }

    // The store as the quit's guard sees it: each wait is timed against its bound.
    class QuitChanges final : public UnsavedChangesGuard::Changes {
    public:
        QuitChanges(World& world, DataFileSync& sync) : m_world(world), m_sync(sync) {}
        void quit(int folderPatienceMs) override {
            // Another program's lock is waited for as long as the quit says;
            // a disk that does not answer, quitWaitMs.
            const qint64 bound =
                m_world.diskAnswers() ? folderPatienceMs : std::max(folderPatienceMs, int(DataFileSync::quitWaitMs));
            const qint64 started = m_world.now;
            m_sync.quit(folderPatienceMs);
            if (m_world.now - started > bound + kQuitMarginMs)
                m_world.breakRule(QStringLiteral("a quit waited %1 ms for its write, more than its %2")
                                      .arg(m_world.now - started)
                                      .arg(bound));
        }
        bool isDirty() const override { return m_sync.isDirty(); }
        SaveProblem saveProblem() const override { return m_sync.saveProblem(); }
        FileOutcome keepRescueCopy() override {
            const qint64 started = m_world.now;
            const FileOutcome kept = m_sync.keepRescueCopy();
            if (m_world.now - started > DataFileSync::rescueWaitMs + kQuitMarginMs)
                m_world.breakRule(QStringLiteral("a quit waited %1 ms for its rescue copy").arg(m_world.now - started));
            return kept;
        }
        QString unsavedSummary() const override { return {}; }

    private:
        World& m_world;
        DataFileSync& m_sync;
    };

    // A quit through the quit's guard: the question stays open for a while
    // (the event loop runs: a write may land meanwhile) and is answered
    // "quit anyway", or first "try again"; then the last write as the
    // program exits. A kill meanwhile ends the program once the guard is done.
    void quit(bool tryAgainFirst) {
        m_world.say(tryAgainFirst ? QStringLiteral("quit, to be answered: try again, then quit anyway")
                                  : QStringLiteral("quit, to be answered: quit anyway"));
        QuitChanges changes(m_world, *m_sync);
        bool triedAgain = false;
        UnsavedChangesGuard guard(changes, [&](const UnsavedChangesGuard::Question&) {
            settleFor(m_world.next(3000));
            if (tryAgainFirst && !std::exchange(triedAgain, true))
                return UnsavedChangesGuard::Choice::TryAgain;
            return UnsavedChangesGuard::Choice::QuitAnyway;
        });
        m_quitting = true;
        guard.writeBeforeQuit();
        guard.writeAtExit();
        m_quitting = false;
        if (m_world.killed) {
            restartIfKilled();
            return;
        }
        // What neither the file nor a copy holds is lost, and the quit says so;
        // a program that has nothing to say has lost it silently.
        if (!m_expected.pending.isEmpty() && !m_sync->isDirty())
            m_world.breakRule(
                QStringLiteral("a change the program took as written is neither in the file nor in a copy"));
        m_expected.losePending();
        endProgram();
        startProgram();
    }

    void act() {
        ++m_operations;
        restartIfKilled();
        m_world.say(QStringLiteral("the file: ") + m_world.summary());
        // Each with its weight, out of 100.
        const std::pair<int, std::function<void()>> acts[] = {
            {22, [&] { userEdit(); }},
            {7, [&] { userStep(); }},
            {3, [&] { userAddsType(); }},
            {8, [&] { otherEdit(); }},
            {4, [&] { otherStep(); }},
            {4, [&] { otherAddOrDelete(); }},
            {5, [&] { otherActsOnMine(); }},
            {5, [&] { otherInPlace(); }},
            {2, [&] { otherDeleteAndCreate(); }},
            {2, [&] { otherDeletesTheFile(); }},
            {6, [&] { actsInsideJobs(); }},
            {5, [&] { holdTheFolder(); }},
            {5, [&] { toggleTrouble(); }},
            {3, [&] { hang(); }},
            {8, [&] { placeAKill(); }},
            {7,
             [&] {
                 if (m_world.chance(25)) {
                     hang();
                     m_world.stateFolderHangs = m_world.chance(30);
                 }
                 quit(m_world.chance(30));
             }},
            {2, [&] { moveTheWallClock(); }},
            {2, [&] { m_world.say(QStringLiteral("nothing happens")); }},
        };
        int pick = m_world.next(100);
        for (const auto& [weight, what] : acts) {
            if (pick < weight) {
                what();
                return;
            }
            pick -= weight;
        }
    }

    void holdTheFolder() {
        const qint64 hold = 100 + m_world.next(m_world.chance(30) ? 6000 : 1500);
        m_world.lockHeldUntil = std::max(m_world.lockHeldUntil, m_world.now + hold);
        m_world.say(QStringLiteral("another program holds the folder for %1 ms").arg(hold));
    }

    void toggleTrouble() {
        switch (m_world.next(3)) {
        case 0:
            m_world.diskFull = !m_world.diskFull;
            m_world.say(m_world.diskFull ? QStringLiteral("the disk is full") : QStringLiteral("the disk has room"));
            break;
        case 1:
            m_world.readOnly = !m_world.readOnly;
            m_world.say(m_world.readOnly ? QStringLiteral("the folder is read-only")
                                         : QStringLiteral("the folder is writable"));
            break;
        default:
            m_world.sizeLimit = m_world.sizeLimit > 0 ? 0 : std::max<qsizetype>(200, m_world.bytes.size());
            m_world.say(QStringLiteral("the file-size limit is %1").arg(m_world.sizeLimit));
            break;
        }
    }

    void placeAKill() {
        m_world.killIn = m_world.next(8);
        m_world.say(
            QStringLiteral("the program will be killed before its file operation %1 from now").arg(m_world.killIn + 1));
    }

    void moveTheWallClock() {
        const qint64 hours = (m_world.next(16) - 8) * 3600000LL;
        m_world.wallOffsetMs += hours - (m_world.chance(50) ? 60000 : 0);
        m_world.say(QStringLiteral("the wall clock moves %1 h (set back, or another zone)").arg(hours / 3600000));
    }

    // The trouble ends: within a bound every change of the user's is in the
    // file and the store shows the file, without a quit. Then the program
    // quits, starts again and quits: the file must hold what the invariants say.
    void finish() {
        m_world.killIn = -1;
        m_world.actsInsideLeft = 0;
        m_world.diskFull = m_world.readOnly = false;
        m_world.sizeLimit = 0;
        m_world.lockHeldUntil = -1;
        m_world.hangUntil = -1;
        m_world.stateFolderHangs = false;
        restartIfKilled();
        m_world.inPlaceStartsAt = -1;
        m_world.inPlaceAfterWrite = false;
        if (m_world.inPlace) {
            // The stopped writer goes on at last, and ends.
            m_world.inPlacePieces = m_world.inPlaceWritten + 1;
            m_world.inPlaceEnds = m_world.now + 1;
        }
        m_world.say(QStringLiteral("the trouble ends"));
        // The job under way ends first; a write that failed in the trouble is
        // tried again after its back-off.
        const qint64 ended = m_world.now;
        while (m_world.broken.isEmpty() && m_worker->isBusy() && stepUntil(ended + kReachesFileMs)) {}
        const bool failed = m_sync->activity().failedWrites > 0;
        const qint64 bound = m_world.now - ended + kReachesFileMs + (failed ? m_clock->dueIn(SyncTimer::Save) : 0);
        settleFor(bound - (m_world.now - ended));
        if (!m_world.broken.isEmpty())
            return;
        if (!m_expected.pending.isEmpty() || m_sync->isDirty()) {
            m_world.breakRule(QStringLiteral("%1 change(s) of the user's are not in the file %2 ms after the trouble "
                                             "ended (state %3)")
                                  .arg(m_expected.pending.size())
                                  .arg(bound)
                                  .arg(SyncMachine::describe(m_sync->state())));
            return;
        }
        checkTheFile();
        checkRescuesRetired();
        checkTheView();
        quit(false);
        settleFor(kLongest / 4);
        quit(false);
        if (m_world.broken.isEmpty()) {
            checkTheFile();
            checkRescuesRetired();
        }
    }

    // Whether nothing moves: no job, timer, folder event or other program's
    // write under way, and nothing pending.
    bool isStill() const {
        return !m_world.killed && m_sync->isIdle() && !m_sync->isDirty() && m_world.folderEvents.isEmpty()
            && m_world.lockFree() && m_world.diskAnswers() && !m_world.inPlace && m_world.inPlaceStartsAt < 0;
    }

    // What the store shows once all is still: the file's library, or the
    // empty shelf where there is no file.
    void lookWhenStill() {
        if (!m_world.broken.isEmpty() || !isStill())
            return;
        if (m_world.file == World::File::Missing) {
            if (!m_store->library.projects.isEmpty())
                m_world.breakRule(QStringLiteral("the store shows %1 projects where there is no file")
                                      .arg(m_store->library.projects.size()));
            return;
        }
        const std::optional<Library> file = m_world.decoded();
        if (file && file->projects != m_store->library.projects)
            m_world.breakRule(QStringLiteral("the store shows %1, the file holds %2")
                                  .arg(described(m_store->library), m_world.summary()));
    }

    void checkTheView() {
        lookWhenStill();
        checkLibrary(m_store->library, true, QStringLiteral("what the store shows"));
    }

    // What the file holds once all is still: when another program left half a
    // write, what stood before it.
    std::optional<Library> fileLibrary() const {
        if (m_world.file != World::File::Bytes)
            return Library{};
        if (std::optional<Library> held = m_world.decoded())
            return held;
        return RecordCoding::decodeLibrary(m_world.lastGood, fixedDate());
    }

    void checkTheFile() {
        const std::optional<Library> held = fileLibrary();
        if (!held) {
            m_world.breakRule(QStringLiteral("nothing decodable is left of the data file"));
            return;
        }
        checkLibrary(*held, false, QStringLiteral("the file"));
    }

    // The user's projects as they must be: the baseline, the user's changes
    // that survive (durable, and pending too for what the store shows) and
    // the other programs' acts on them that the merges keep.
    QHash<QUuid, QString> expectedMine(const QSet<int>& survive, QSet<QUuid>* deleted) const {
        QHash<QUuid, QString> mine = m_expected.mineAtBaseline;
        QList<Expected::Op> ops;
        for (const QList<Expected::Op>* list : {&m_expected.durable, &m_expected.pending}) {
            for (const Expected::Op& op : *list) {
                if (survive.contains(op.made))
                    ops << op;
            }
        }
        std::sort(ops.begin(), ops.end(), [](const Expected::Op& a, const Expected::Op& b) { return a.made < b.made; });
        qsizetype nextOther = 0;
        const auto othersUpTo = [&](int made) {
            for (; nextOther < m_expected.onMine.size() && m_expected.onMine.at(nextOther).after < made; ++nextOther) {
                const Expected::OnMine& act = m_expected.onMine.at(nextOther);
                if (std::any_of(act.conflicts.cbegin(), act.conflicts.cend(),
                                [&](int change) { return survive.contains(change); }))
                    continue; // the program's side stays
                if (act.deletes) {
                    mine.remove(act.id);
                    deleted->insert(act.id);
                } else if (mine.contains(act.id)) {
                    mine[act.id] = act.notes;
                }
            }
        };
        for (const Expected::Op& op : std::as_const(ops)) {
            othersUpTo(op.made);
            switch (op.kind) {
            case Expected::Op::Kind::Add: mine.insert(op.id, {}); break;
            case Expected::Op::Kind::Edit:
                mine[op.id] = op.notes;
                deleted->remove(op.id);
                break;
            case Expected::Op::Kind::Delete:
                mine.remove(op.id);
                deleted->insert(op.id);
                break;
            case Expected::Op::Kind::Step:
            case Expected::Op::Kind::AddType: break;
            }
        }
        othersUpTo(std::numeric_limits<int>::max());
        return mine;
    }

    void checkLibrary(const Library& held, bool withPending, const QString& where) {
        const auto rule = [&](const QString& what) { m_world.breakRule(where + QStringLiteral(": ") + what); };
        QHash<QUuid, const AudioProject*> byId;
        for (const AudioProject& p : held.projects)
            byId.insert(p.id, &p);

        QSet<int> survive;
        QSet<QUuid> types = m_expected.typesAtBaseline;
        double userSteps = 0;
        for (const QList<Expected::Op>* list : {&m_expected.durable, &m_expected.pending}) {
            if (list == &m_expected.pending && !withPending)
                break;
            for (const Expected::Op& op : *list) {
                survive.insert(op.made);
                if (op.kind == Expected::Op::Kind::Step)
                    userSteps += op.delta;
                else if (op.kind == Expected::Op::Kind::AddType)
                    types.insert(op.id);
            }
        }
        QSet<QUuid> deleted;
        const QHash<QUuid, QString> mine = expectedMine(survive, &deleted);
        for (const QUuid& id : sorted(mine.keys())) {
            const AudioProject* p = byId.value(id);
            if (!p)
                rule(QStringLiteral("a project the user added (last notes \"%1\") is gone").arg(mine[id]));
            else if (p->notes != mine[id])
                rule(QStringLiteral("the user's notes \"%1\" became \"%2\"").arg(mine[id], p->notes));
        }
        for (const QUuid& id : sorted(deleted)) {
            if (byId.contains(id) && !mine.contains(id))
                rule(QStringLiteral("a project of the user's that was deleted came back (notes \"%1\")")
                         .arg(byId.value(id)->notes));
        }
        for (const QUuid& id : m_expected.others()) {
            const AudioProject* p = byId.value(id);
            if (!p)
                rule(QStringLiteral("another program's project (notes \"%1\") is gone").arg(m_expected.otherNotes[id]));
            else if (p->notes != m_expected.otherNotes[id])
                rule(QStringLiteral("another program's notes \"%1\" became \"%2\"")
                         .arg(m_expected.otherNotes[id], p->notes));
        }
        for (const QUuid& id : sorted(m_expected.otherDeleted)) {
            if (byId.contains(id))
                rule(QStringLiteral("a project another program deleted came back"));
        }
        for (const QUuid& id : sorted(types)) {
            if (std::none_of(held.types.cbegin(), held.types.cend(), [&](const ProjectType& t) { return t.id == id; }))
                rule(QStringLiteral("a type the user added is gone"));
        }
        const AudioProject* shared = byId.value(m_expected.shared);
        const double expected = m_expected.progressAtBaseline + userSteps + m_expected.otherSteps;
        if (!m_expected.stepsCounted)
            ; // a baseline without the shared project, or off the middle: nothing to add up
        else if (!shared)
            rule(QStringLiteral("the shared project is gone"));
        else if (std::abs(shared->manualProgress - expected) > 1e-9)
            rule(QStringLiteral("the steps add up to %1, not %2 (the user's %3, the others' %4)")
                     .arg(shared->manualProgress)
                     .arg(expected)
                     .arg(userSteps)
                     .arg(m_expected.otherSteps));
    }

    void checkRescuesRetired() {
        for (const World::Rescue& rescue : std::as_const(m_world.rescues)) {
            if (!rescue.retired)
                m_world.breakRule(QStringLiteral("the rescue copy %1 is still waiting").arg(rescue.name));
        }
    }

    World m_world;
    Expected m_expected;
    std::unique_ptr<SimStore> m_store;
    std::unique_ptr<DataFileSync> m_sync;
    SimClock* m_clock = nullptr;
    SimWorker* m_worker = nullptr;
    const SimWorker* m_workerSeen = nullptr;
    std::pair<QUuid, QString> m_inPlaceTarget;
    int m_tokens = 0;
    int m_operations = 0;
    int m_crashes = 0;
    bool m_quitting = false;
};

} // namespace

SimulationOutcome& SimulationOutcome::operator+=(const SimulationOutcome& other) {
    operations += other.operations;
    crashes += other.crashes;
    fileOperations += other.fileOperations;
    hangs += other.hangs;
    actsInside += other.actsInside;
    return *this;
}

SimulationOutcome simulateSync(quint64 seed) {
    return Simulation(seed).run();
}

} // namespace sorvel::test
