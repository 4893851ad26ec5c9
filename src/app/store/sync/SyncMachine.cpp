#include "app/store/sync/SyncMachine.h"

#include "core/EnumText.h"

#include <QStringList>

#include <algorithm>

namespace sorvel {

namespace {

using A = SyncAction;
using C = SyncCondition;
using E = SyncEvent;
using J = SyncJob;
using P = SyncPending;
using Q = SyncQuit;
using F = SyncFile;
using PT = SyncPendingTo;
using S = SyncSet;

template <typename Enum>
constexpr EnumText<Enum> named(Enum value, QStringView name) {
    return {value, name, name};
}

constexpr EnumTable<SyncJob, 4> jobNames{{{
    named(J::None, u"None"),
    named(J::FirstRead, u"FirstRead"),
    named(J::Read, u"Read"),
    named(J::Write, u"Write"),
}}};

constexpr EnumTable<SyncFile, 5> fileNames{{{
    named(F::Unknown, u"Unknown"),
    named(F::Good, u"Good"),
    named(F::Missing, u"Missing"),
    named(F::Undecodable, u"Undecodable"),
    named(F::Unreadable, u"Unreadable"),
}}};

constexpr EnumTable<SyncPending, 3> pendingNames{{{
    named(P::Nothing, u"Nothing"),
    named(P::Changes, u"Changes"),
    named(P::WriteWaits, u"WriteWaits"),
}}};

constexpr EnumTable<SyncQuit, 3> quitNames{{{
    named(Q::No, u"No"),
    named(Q::WaitsForJob, u"WaitsForJob"),
    named(Q::WaitsForWrite, u"WaitsForWrite"),
}}};

constexpr EnumTable<SyncEvent, 25> eventNames{{{
    named(E::ChangeHere, u"ChangeHere"),
    named(E::StepHere, u"StepHere"),
    named(E::FolderEvent, u"FolderEvent"),
    named(E::SaveTimer, u"SaveTimer"),
    named(E::SettleTimer, u"SettleTimer"),
    named(E::EchoTimer, u"EchoTimer"),
    named(E::RetryTimer, u"RetryTimer"),
    named(E::QuietTimer, u"QuietTimer"),
    named(E::RescuesTried, u"RescuesTried"),
    named(E::ReadDecoded, u"ReadDecoded"),
    named(E::ReadMissing, u"ReadMissing"),
    named(E::ReadUndecodable, u"ReadUndecodable"),
    named(E::ReadUnreadable, u"ReadUnreadable"),
    named(E::WriteLanded, u"WriteLanded"),
    named(E::WriteFailed, u"WriteFailed"),
    named(E::WriteWaitsForQuiet, u"WriteWaitsForQuiet"),
    named(E::LockBusy, u"LockBusy"),
    named(E::LockFree, u"LockFree"),
    named(E::Quit, u"Quit"),
    named(E::QuitGoesOn, u"QuitGoesOn"),
    named(E::QuitWaited, u"QuitWaited"),
    named(E::KeepRescue, u"KeepRescue"),
    named(E::TakeCopies, u"TakeCopies"),
    named(E::JobEnds, u"JobEnds"),
    named(E::NextJob, u"NextJob"),
}}};

constexpr EnumTable<SyncAction, 48> actionNames{{{
    named(A::MarkDirty, u"MarkDirty"),
    named(A::RecordStep, u"RecordStep"),
    named(A::StartSaveTimer, u"StartSaveTimer"),
    named(A::RetrySaveLater, u"RetrySaveLater"),
    named(A::ResetSaveRetry, u"ResetSaveRetry"),
    named(A::StopSaveTimer, u"StopSaveTimer"),
    named(A::StartSettleTimer, u"StartSettleTimer"),
    named(A::CountFolderEvent, u"CountFolderEvent"),
    named(A::RestartQuietTimer, u"RestartQuietTimer"),
    named(A::StartQuietTimer, u"StartQuietTimer"),
    named(A::StopQuietTimer, u"StopQuietTimer"),
    named(A::NoteFileStill, u"NoteFileStill"),
    named(A::RetryReadLater, u"RetryReadLater"),
    named(A::StopReadRetry, u"StopReadRetry"),
    named(A::NoteRescuesWaiting, u"NoteRescuesWaiting"),
    named(A::TakeRescues, u"TakeRescues"),
    named(A::SayRescueNotMerged, u"SayRescueNotMerged"),
    named(A::SayRescuesNotCarried, u"SayRescuesNotCarried"),
    named(A::StartRead, u"StartRead"),
    named(A::StartWrite, u"StartWrite"),
    named(A::ShowRead, u"ShowRead"),
    named(A::ShowMissing, u"ShowMissing"),
    named(A::MarkInStep, u"MarkInStep"),
    named(A::TakeWrite, u"TakeWrite"),
    named(A::ForgetFile, u"ForgetFile"),
    named(A::SayUndecodable, u"SayUndecodable"),
    named(A::SayUnreadable, u"SayUnreadable"),
    named(A::SayWriteFailed, u"SayWriteFailed"),
    named(A::SayWaitingForQuiet, u"SayWaitingForQuiet"),
    named(A::SayFolderBusy, u"SayFolderBusy"),
    named(A::ClearFileProblem, u"ClearFileProblem"),
    named(A::SayAfterWrite, u"SayAfterWrite"),
    named(A::CountRead, u"CountRead"),
    named(A::CountFinishedRead, u"CountFinishedRead"),
    named(A::CountFailedRead, u"CountFailedRead"),
    named(A::CountWrite, u"CountWrite"),
    named(A::CountFailedWrite, u"CountFailedWrite"),
    named(A::CountFolderWait, u"CountFolderWait"),
    named(A::OpenEchoWindow, u"OpenEchoWindow"),
    named(A::AnnounceSave, u"AnnounceSave"),
    named(A::AnnounceStart, u"AnnounceStart"),
    named(A::AnnounceFolderWait, u"AnnounceFolderWait"),
    named(A::ReloadWidget, u"ReloadWidget"),
    named(A::LogFolderBusyAtQuit, u"LogFolderBusyAtQuit"),
    named(A::StartQuitWait, u"StartQuitWait"),
    named(A::AwaitJob, u"AwaitJob"),
    named(A::NoteStuckAtQuit, u"NoteStuckAtQuit"),
    named(A::KeepRescueCopy, u"KeepRescueCopy"),
}}};

constexpr EnumTable<SyncCondition, 17> conditionNames{{{
    named(C::Always, u"Always"),
    named(C::QuietRuns, u"QuietRuns"),
    named(C::QuietRunsInEcho, u"QuietRunsInEcho"),
    named(C::InEchoWindow, u"InEchoWindow"),
    named(C::NoEventInEcho, u"NoEventInEcho"),
    named(C::RescuesNotMerged, u"RescuesNotMerged"),
    named(C::RescuesNotCarried, u"RescuesNotCarried"),
    named(C::RescuesWaiting, u"RescuesWaiting"),
    named(C::ReadChanged, u"ReadChanged"),
    named(C::RestoredUnshown, u"RestoredUnshown"),
    named(C::NoGoodProjects, u"NoGoodProjects"),
    named(C::RevisionCurrent, u"RevisionCurrent"),
    named(C::LeftToNewerCopy, u"LeftToNewerCopy"),
    named(C::NotDurable, u"NotDurable"),
    named(C::NoQuiet, u"NoQuiet"),
    named(C::ReadQueued, u"ReadQueued"),
    named(C::QuitPatience, u"QuitPatience"),
}}};

constexpr SyncRow row(SyncPattern pattern, SyncEvent event, SyncCondition condition,
                      std::initializer_list<SyncAction> actions, SyncNext next = {},
                      std::optional<SyncEvent> then = std::nullopt) {
    SyncRow r;
    r.pattern = pattern;
    r.event = event;
    r.condition = condition;
    if (actions.size() > syncMaxActions)
        throw "a row does more than syncMaxActions actions";
    std::copy(actions.begin(), actions.end(), r.actions.begin());
    r.actionCount = actions.size();
    r.next = next;
    r.then = then;
    return r;
}

constexpr SyncPattern any{};
constexpr SyncPattern jobRuns{{J::FirstRead, J::Read, J::Write}, {}, {}};
constexpr SyncPattern noJob{{J::None}, {}, {}};
constexpr SyncPattern nothingPending{{}, {P::Nothing}, {}};
constexpr SyncPattern quitting{{}, {}, {Q::WaitsForJob, Q::WaitsForWrite}};

// A write starts: it reads the file under the lock and merges what it finds,
// which covers every folder event so far.
constexpr SyncNext writing{.job = J::Write, .pending = PT::Changes, .readQueued = S::No, .eventInEcho = S::No};
constexpr SyncNext reading{.job = J::Read, .readQueued = S::No};

constexpr auto rows = std::to_array<SyncRow>({
    row(any, E::ChangeHere, C::Always, {A::MarkDirty, A::StartSaveTimer}, {.pending = PT::AtLeastChanges}),
    row(any, E::StepHere, C::Always, {A::RecordStep}),

    // A file that has just stopped decoding may be half of another
    // program's write in place: the write follows after its quiet.
    row(any, E::SaveTimer, C::QuietRuns, {A::StopSaveTimer, A::SayWaitingForQuiet}, {.pending = PT::WriteWaits}),
    row(jobRuns, E::SaveTimer, C::Always, {A::StopSaveTimer}, {.pending = PT::WriteWaits}),
    row(any, E::SaveTimer, C::Always, {A::StopSaveTimer, A::StartWrite}, writing),

    row(any, E::FolderEvent, C::QuietRunsInEcho, {A::CountFolderEvent, A::RestartQuietTimer}, {.eventInEcho = S::Yes}),
    row(any, E::FolderEvent, C::QuietRuns, {A::CountFolderEvent, A::RestartQuietTimer, A::StartSettleTimer}),
    row(any, E::FolderEvent, C::InEchoWindow, {A::CountFolderEvent}, {.eventInEcho = S::Yes}),
    row(any, E::FolderEvent, C::Always, {A::CountFolderEvent, A::StartSettleTimer}),

    row(any, E::SettleTimer, C::InEchoWindow, {}, {.eventInEcho = S::Yes}),
    row(jobRuns, E::SettleTimer, C::Always, {}, {.readQueued = S::Yes}),
    row(any, E::SettleTimer, C::Always, {A::StartRead, A::CountRead}, reading),

    // Another program may have written right after this one did.
    row(any, E::EchoTimer, C::NoEventInEcho, {}),
    row(jobRuns, E::EchoTimer, C::Always, {}, {.readQueued = S::Yes, .eventInEcho = S::No}),
    row(any, E::EchoTimer, C::Always, {A::StartRead, A::CountRead},
        {.job = J::Read, .readQueued = S::No, .eventInEcho = S::No}),

    row(jobRuns, E::RetryTimer, C::Always, {}, {.readQueued = S::Yes}),
    row(any, E::RetryTimer, C::Always, {A::StartRead, A::CountRead}, reading),

    // The undecodable file has been still for a while: a change of the
    // user's that waited for it is written now, and a later one may be.
    row({{J::None}, {P::WriteWaits}, {}}, E::QuietTimer, C::Always, {A::NoteFileStill, A::StopSaveTimer, A::StartWrite},
        writing),
    row(any, E::QuietTimer, C::Always, {A::NoteFileStill}),

    // Copies not merged are said, and taken in as changes of this program's
    // once the file is known. Copies that no write could retire (their folder
    // cannot be written) are not taken in: their changes would count twice.
    row(any, E::RescuesTried, C::RescuesNotMerged, {A::NoteRescuesWaiting, A::SayRescueNotMerged}),
    row(any, E::RescuesTried, C::RescuesNotCarried, {A::SayRescuesNotCarried}),
    row(any, E::RescuesTried, C::Always, {}),

    // Another program changed the file: the widget shows it too, whoever wrote it.
    row(any, E::ReadDecoded, C::ReadChanged,
        {A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem, A::ShowRead, A::ReloadWidget, A::MarkInStep},
        {.file = F::Good}, E::TakeCopies),
    row(any, E::ReadDecoded, C::Always, {A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem, A::MarkInStep},
        {.file = F::Good}, E::TakeCopies),

    // With changes pending the write makes the file anew; no file at a start
    // is nothing new to the widget.
    row({{J::None, J::Read, J::Write}, {P::Nothing}, {}}, E::ReadMissing, C::Always,
        {A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem, A::ShowMissing, A::ReloadWidget},
        {.file = F::Missing}, E::TakeCopies),
    row(nothingPending, E::ReadMissing, C::Always,
        {A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem, A::ShowMissing}, {.file = F::Missing},
        E::TakeCopies),
    row(any, E::ReadMissing, C::Always, {A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem}, {}, E::TakeCopies),

    // Whatever the store shows stays, and the banner says that the bytes are
    // kept before any write, or that a change waits: nothing is written over
    // the file (another program's write in place, paused or never finished, a
    // hand edit being repaired) until the user changes something, and then
    // only once it has been still for the quiet. A queued write waits for it.
    row(nothingPending, E::ReadUndecodable, C::Always,
        {A::StopReadRetry, A::ForgetFile, A::SayUndecodable, A::StartQuietTimer}, {.file = F::Undecodable}, E::JobEnds),
    row(any, E::ReadUndecodable, C::Always,
        {A::StopReadRetry, A::ForgetFile, A::SayWaitingForQuiet, A::StartQuietTimer}, {.file = F::Undecodable},
        E::JobEnds),

    // Nothing is known of the file: everything is kept and it is read again later.
    row(nothingPending, E::ReadUnreadable, C::NoGoodProjects,
        {A::StopQuietTimer, A::SayUnreadable, A::CountFailedRead, A::ForgetFile, A::RetryReadLater},
        {.file = F::Unreadable}, E::JobEnds),
    row(any, E::ReadUnreadable, C::Always, {A::StopQuietTimer, A::CountFailedRead, A::ForgetFile, A::RetryReadLater},
        {.file = F::Unreadable}, E::JobEnds),

    // The file is this program's now: no quiet of an earlier one matters.
    // A write whose folder could not be synced is in the file all the same:
    // the next merge starts from it, or it would undo what another program
    // changes of it since. A crash of the system may still undo the rename,
    // so it is said and tried again, as a failed write is, until it lasts.
    row(any, E::WriteLanded, C::NotDurable,
        {A::StopQuietTimer, A::OpenEchoWindow, A::TakeWrite, A::CountWrite, A::RetrySaveLater, A::SayWriteFailed,
         A::AnnounceSave, A::ReloadWidget},
        {.file = F::Good, .pending = PT::AtLeastChanges}, E::TakeCopies),
    row(any, E::WriteLanded, C::RevisionCurrent,
        {A::StopQuietTimer, A::OpenEchoWindow, A::TakeWrite, A::CountWrite, A::ResetSaveRetry, A::SayAfterWrite,
         A::AnnounceSave, A::ReloadWidget},
        {.file = F::Good, .pending = PT::Nothing}, E::TakeCopies),
    row(any, E::WriteLanded, C::Always,
        {A::StopQuietTimer, A::OpenEchoWindow, A::TakeWrite, A::CountWrite, A::ResetSaveRetry, A::SayAfterWrite,
         A::AnnounceSave, A::ReloadWidget},
        {.file = F::Good}, E::TakeCopies),

    // Not a failure: a quit kept a copy of newer changes meanwhile, and the
    // write of those carries it, as any save.
    row(any, E::WriteFailed, C::LeftToNewerCopy, {A::OpenEchoWindow, A::StartSaveTimer, A::AnnounceSave}, {},
        E::JobEnds),
    // Tried again until it lands: a change that waits for the next change or
    // for the quit is lost when the program is killed.
    row(any, E::WriteFailed, C::Always,
        {A::OpenEchoWindow, A::CountFailedWrite, A::RetrySaveLater, A::SayWriteFailed, A::AnnounceSave},
        {.pending = PT::AtLeastChanges}, E::JobEnds),

    // Found under the lock: the file changed into something that does not
    // decode since the sync last saw it (another program's write in place
    // may have begun within the echo window, where nothing is read). Nothing
    // of this program's was written, so no echo follows; the change waits
    // for the quiet like one made after a read found the same.
    row(any, E::WriteWaitsForQuiet, C::Always,
        {A::ForgetFile, A::SayWaitingForQuiet, A::StartQuietTimer, A::AnnounceSave},
        {.file = F::Undecodable, .pending = PT::WriteWaits}, E::JobEnds),

    row(jobRuns, E::LockBusy, C::Always, {A::AnnounceFolderWait}, {.lockWait = S::Yes}),
    row(any, E::LockBusy, C::Always, {A::AnnounceFolderWait}),
    row(any, E::LockFree, C::Always, {A::AnnounceFolderWait}, {.lockWait = S::No}),

    // With nothing to write a quit waits for nothing, whoever holds the folder.
    row(nothingPending, E::Quit, C::Always, {}),
    row(any, E::Quit, C::Always, {A::StartQuitWait}, {.quit = Q::WaitsForJob}, E::QuitGoesOn),
    row({{J::FirstRead, J::Read, J::Write}, {}, {Q::WaitsForJob, Q::WaitsForWrite}}, E::QuitGoesOn, C::Always,
        {A::AwaitJob}),
    row({{J::None}, {P::Changes, P::WriteWaits}, {Q::WaitsForJob}}, E::QuitGoesOn, C::Always,
        {A::StopSaveTimer, A::StartWrite},
        {.job = J::Write, .quit = Q::WaitsForWrite, .pending = PT::Changes, .readQueued = S::No, .eventInEcho = S::No},
        E::QuitGoesOn),
    row(quitting, E::QuitGoesOn, C::Always, {}, {}, E::QuitWaited),
    row(any, E::QuitGoesOn, C::Always, {}),
    row({{J::FirstRead, J::Read, J::Write}, {P::Changes, P::WriteWaits}, {}}, E::QuitWaited, C::QuitPatience,
        {A::NoteStuckAtQuit, A::CountFolderWait, A::LogFolderBusyAtQuit, A::SayFolderBusy}, {.quit = Q::No}),
    row({{J::FirstRead, J::Read, J::Write}, {P::Changes, P::WriteWaits}, {}}, E::QuitWaited, C::Always,
        {A::NoteStuckAtQuit, A::SayFolderBusy}, {.quit = Q::No}),
    row(any, E::QuitWaited, C::Always, {A::NoteStuckAtQuit}, {.quit = Q::No}),
    row(any, E::KeepRescue, C::Always, {A::KeepRescueCopy}),

    // Copies not merged at the start are taken in as changes once the sync
    // knows what the file holds (onto no file when there is none).
    row(any, E::TakeCopies, C::RescuesWaiting, {A::MarkDirty, A::TakeRescues, A::StartSaveTimer},
        {.pending = PT::AtLeastChanges}, E::JobEnds),
    row(any, E::TakeCopies, C::Always, {}, {}, E::JobEnds),

    // The start merged copies into the file: the widget reads it again too.
    row({{J::FirstRead}, {}, {}}, E::JobEnds, C::RestoredUnshown, {A::ReloadWidget, A::AnnounceStart}, {.job = J::None},
        E::NextJob),
    row({{J::FirstRead}, {}, {}}, E::JobEnds, C::Always, {A::AnnounceStart}, {.job = J::None}, E::NextJob),
    row({{J::Write}, {}, {}}, E::JobEnds, C::Always, {}, {.job = J::None}, E::NextJob),
    row(any, E::JobEnds, C::Always, {A::CountFinishedRead}, {.job = J::None}, E::NextJob),

    row({{J::None}, {P::WriteWaits}, {}}, E::NextJob, C::NoQuiet, {A::StopSaveTimer, A::StartWrite}, writing),
    row(noJob, E::NextJob, C::ReadQueued, {A::StartRead, A::CountRead}, reading),
    row(any, E::NextJob, C::Always, {}),
});

template <typename Enum, std::size_t Count>
QString namesOf(const SyncAnyOf<Enum>& set, const EnumTable<Enum, Count>& names) {
    QStringList out;
    for (const Enum value : names.cases()) {
        if (set.bits & (1u << unsigned(value)))
            out << QStringLiteral("`%1`").arg(names.storedText(value));
    }
    return out.join(QStringLiteral(", "));
}

QString setText(SyncSet set) {
    return set == S::Yes ? QStringLiteral("yes") : QStringLiteral("no");
}

QString patternText(const SyncPattern& pattern) {
    QStringList parts;
    if (pattern.job.bits)
        parts << QStringLiteral("job ") + namesOf(pattern.job, jobNames);
    if (pattern.pending.bits)
        parts << QStringLiteral("pending ") + namesOf(pattern.pending, pendingNames);
    if (pattern.quit.bits)
        parts << QStringLiteral("quit ") + namesOf(pattern.quit, quitNames);
    return parts.isEmpty() ? QStringLiteral("any") : parts.join(QStringLiteral("; "));
}

QString nextText(const SyncNext& next) {
    QStringList parts;
    const auto ticked = [](const QString& name) { return QStringLiteral("`%1`").arg(name); };
    if (next.job)
        parts << QStringLiteral("job ") + ticked(SyncMachine::name(*next.job));
    if (next.lockWait != S::Keep)
        parts << QStringLiteral("lock wait ") + setText(next.lockWait);
    if (next.quit)
        parts << QStringLiteral("quit ") + ticked(SyncMachine::name(*next.quit));
    if (next.file)
        parts << QStringLiteral("file ") + ticked(SyncMachine::name(*next.file));
    switch (next.pending) {
    case PT::Keep: break;
    case PT::Nothing: parts << QStringLiteral("pending `Nothing`"); break;
    case PT::Changes: parts << QStringLiteral("pending `Changes`"); break;
    case PT::AtLeastChanges: parts << QStringLiteral("pending at least `Changes`"); break;
    case PT::WriteWaits: parts << QStringLiteral("pending `WriteWaits`"); break;
    }
    if (next.readQueued != S::Keep)
        parts << QStringLiteral("read queued ") + setText(next.readQueued);
    if (next.eventInEcho != S::Keep)
        parts << QStringLiteral("event in echo ") + setText(next.eventInEcho);
    return parts.isEmpty() ? QStringLiteral("same") : parts.join(QStringLiteral("; "));
}

bool applies(SyncSet set, bool was) {
    return set == S::Keep ? was : set == S::Yes;
}

} // namespace

SyncState SyncNext::applyTo(SyncState state) const {
    if (job) {
        state.job = *job;
        state.lockWait = false;
    }
    state.lockWait = applies(lockWait, state.lockWait);
    if (quit)
        state.quit = *quit;
    if (file)
        state.file = *file;
    switch (pending) {
    case PT::Keep: break;
    case PT::Nothing: state.pending = P::Nothing; break;
    case PT::Changes: state.pending = P::Changes; break;
    case PT::AtLeastChanges: state.pending = std::max(state.pending, P::Changes); break;
    case PT::WriteWaits: state.pending = P::WriteWaits; break;
    }
    state.readQueued = applies(readQueued, state.readQueued);
    state.eventInEcho = applies(eventInEcho, state.eventInEcho);
    return state;
}

SyncRules rulesOf(const SyncState& state) {
    SyncRules rules;
    rules.jobRuns = state.job != J::None;
    rules.saveTimerMayRun = state.pending != P::Nothing;
    rules.quietMayRun = state.file == F::Undecodable;
    rules.baseIsFile = state.file == F::Good || state.file == F::Missing;
    rules.jobMayStart = state.job == J::None;
    return rules;
}

QList<QString> brokenRules(const SyncState& state) {
    QList<QString> broken;
    if (state.lockWait && state.job == J::None)
        broken << QStringLiteral("only a running job waits for the lock");
    if (state.pending == P::WriteWaits && state.job == J::None && state.quit == Q::No && state.file != F::Undecodable)
        broken << QStringLiteral("a queued write waits only for a job or for an undecodable file's quiet");
    if (state.quit == Q::WaitsForWrite && state.job == J::FirstRead)
        broken << QStringLiteral("the quit's write is no read");
    return broken;
}

std::span<const SyncRow> SyncMachine::table() {
    return rows;
}

bool SyncMachine::holds(SyncCondition condition, const SyncState& state, const SyncFacts& facts) {
    const bool inEcho = state.job == J::Write || facts.withinEchoWindow;
    switch (condition) {
    case C::Always: return true;
    case C::QuietRuns: return facts.quietRunning;
    case C::QuietRunsInEcho: return facts.quietRunning && inEcho;
    case C::InEchoWindow: return inEcho;
    case C::NoEventInEcho: return !state.eventInEcho;
    case C::RescuesNotMerged: return facts.rescuesNotMerged;
    case C::RescuesNotCarried: return facts.rescuesNotCarried;
    case C::RescuesWaiting: return facts.rescuesWaiting;
    case C::ReadChanged: return facts.readChanged;
    case C::RestoredUnshown: return facts.restored && !facts.readChanged;
    case C::NoGoodProjects: return !facts.holdsGoodState;
    case C::RevisionCurrent: return facts.revisionCurrent;
    case C::LeftToNewerCopy: return facts.writeLeftToCopy && state.pending != P::Nothing;
    case C::NotDurable: return facts.writeNotDurable;
    case C::NoQuiet: return !facts.quietRunning;
    case C::ReadQueued: return state.readQueued;
    case C::QuitPatience: return facts.quitPatience;
    }
    return false;
}

SyncTransition SyncMachine::on(const SyncState& state, SyncEvent event, const SyncFacts& facts) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SyncRow& r = rows[i];
        if (r.event != event || !r.pattern.matches(state) || !holds(r.condition, state, facts))
            continue;
        const std::span<const SyncAction> done = r.doneActions();
        return {QList<SyncAction>(done.begin(), done.end()), r.next.applyTo(state), r.then, int(i)};
    }
    return {{}, state, std::nullopt, -1};
}

QString SyncMachine::name(SyncJob value) {
    return jobNames.storedText(value);
}
QString SyncMachine::name(SyncFile value) {
    return fileNames.storedText(value);
}
QString SyncMachine::name(SyncPending value) {
    return pendingNames.storedText(value);
}
QString SyncMachine::name(SyncQuit value) {
    return quitNames.storedText(value);
}
QString SyncMachine::name(SyncEvent value) {
    return eventNames.storedText(value);
}
QString SyncMachine::name(SyncAction value) {
    return actionNames.storedText(value);
}
QString SyncMachine::name(SyncCondition value) {
    return conditionNames.storedText(value);
}

QList<SyncEvent> SyncMachine::events() {
    return eventNames.cases();
}

QList<SyncJob> SyncMachine::jobs() {
    return jobNames.cases();
}
QList<SyncFile> SyncMachine::files() {
    return fileNames.cases();
}
QList<SyncPending> SyncMachine::pendings() {
    return pendingNames.cases();
}
QList<SyncQuit> SyncMachine::quits() {
    return quitNames.cases();
}
QList<SyncAction> SyncMachine::actions() {
    return actionNames.cases();
}

bool SyncMachine::isStep(SyncEvent event) {
    return event == E::TakeCopies || event == E::JobEnds || event == E::NextJob;
}

QString SyncMachine::describe(const SyncState& state) {
    return QStringLiteral("job %1%2, quit %3, file %4, pending %5%6%7")
        .arg(name(state.job), state.lockWait ? QStringLiteral(" (waits for the lock)") : QString(), name(state.quit),
             name(state.file), name(state.pending), state.readQueued ? QStringLiteral(", read queued") : QString(),
             state.eventInEcho ? QStringLiteral(", event in echo") : QString());
}

QString SyncMachine::markdown() {
    QString out = QStringLiteral("| State | Event | Condition | What is done | Next state | Then |\n"
                                 "| --- | --- | --- | --- | --- | --- |\n");
    for (const SyncRow& r : rows) {
        QStringList done;
        for (const SyncAction action : r.doneActions())
            done << QStringLiteral("`%1`").arg(name(action));
        out += QStringLiteral("| %1 | `%2` | %3 | %4 | %5 | %6 |\n")
                   .arg(patternText(r.pattern), name(r.event),
                        r.condition == C::Always ? QStringLiteral("always")
                                                 : QStringLiteral("`%1`").arg(name(r.condition)),
                        done.isEmpty() ? QStringLiteral("nothing") : done.join(QStringLiteral(", ")), nextText(r.next),
                        r.then ? QStringLiteral("`%1`").arg(name(*r.then)) : QStringLiteral("—"));
    }
    return out;
}

} // namespace sorvel
