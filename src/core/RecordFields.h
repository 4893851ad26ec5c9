#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <tuple>

namespace sorvel {

// One field of a record: its name in the log and the member.
template <typename Record, typename Value>
struct Field {
    const char* name;
    Value Record::*member;
};

// A list of records within a record, such as a project's cues.
template <typename Record, typename Element>
struct Records {
    const char* name;
    QList<Element> Record::*member;
};

// What each record is made of, for the merge: its fields, each taken whole
// from one side (the members this program does not read count as one field:
// it never changes them itself), and its lists of records, merged record by record. Besides
// these every record has its id, and a project its change date (the later of
// both sides). A member missing here is lost in a merge: the merge's tests
// count the members of each record against these lists.
template <typename Record>
struct RecordShape;

template <>
struct RecordShape<AudioProject> {
    using P = AudioProject;
    static constexpr std::tuple fields{Field{"name", &P::name},
                                       Field{"type", &P::typeID},
                                       Field{"status", &P::status},
                                       Field{"creation date", &P::createdAt},
                                       Field{"deadline", &P::deadline},
                                       Field{"folder", &P::folderPath},
                                       Field{"notes", &P::notes},
                                       Field{"progress mode", &P::progressMode},
                                       Field{"manual progress", &P::manualProgress},
                                       Field{"completion date", &P::completedAt},
                                       Field{"archive date", &P::archivedAt},
                                       Field{"focus", &P::isFocused},
                                       Field{"unknown members", &P::unknown}};
    static constexpr std::tuple lists{Records{"cues", &P::items}, Records{"log entries", &P::log}};
};

template <>
struct RecordShape<Cue> {
    static constexpr std::tuple fields{Field{"number", &Cue::number},
                                       Field{"title", &Cue::title},
                                       Field{"duration", &Cue::duration},
                                       Field{"stage", &Cue::stage},
                                       Field{"start date", &Cue::startDate},
                                       Field{"mix date", &Cue::mixedAt},
                                       Field{"delivery date", &Cue::deliveredAt},
                                       Field{"unknown members", &Cue::unknown}};
    static constexpr std::tuple lists{Records{"versions", &Cue::versions}};
};

template <>
struct RecordShape<CueVersion> {
    static constexpr std::tuple fields{Field{"number", &CueVersion::number}, Field{"date", &CueVersion::date},
                                       Field{"note", &CueVersion::note},
                                       Field{"unknown members", &CueVersion::unknown}};
    static constexpr std::tuple<> lists{};
};

template <>
struct RecordShape<LogEntry> {
    static constexpr std::tuple fields{Field{"date", &LogEntry::date}, Field{"text", &LogEntry::text},
                                       Field{"progress", &LogEntry::progress},
                                       Field{"unknown members", &LogEntry::unknown}};
    static constexpr std::tuple<> lists{};
};

template <>
struct RecordShape<ProjectType> {
    static constexpr std::tuple fields{Field{"title", &ProjectType::title}, Field{"symbol", &ProjectType::symbol},
                                       Field{"colour", &ProjectType::colorHex},
                                       Field{"unknown members", &ProjectType::unknown}};
    static constexpr std::tuple<> lists{};
};

// Calls `visit` with each element of a tuple of fields or lists.
template <typename Tuple, typename Visit>
void forEachOf(const Tuple& tuple, Visit&& visit) {
    std::apply([&](const auto&... element) { (visit(element), ...); }, tuple);
}

} // namespace sorvel
