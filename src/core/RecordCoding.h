#pragma once

#include "core/Library.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace sorvel::RecordCoding {

// Identifiers: only the 36-character 8-4-4-4-12 form, either case, no braces.
std::optional<QUuid> parseID(const QString& text);
// Always upper case, 36 characters.
QString idText(const QUuid& id);

// The id a cue stored without one reads with: derived from its project's id
// and what the cue says of itself (its number, absent or not, and its title),
// so the same bytes give the same cue in every process, and a cue keeps its id
// when cues are inserted or removed before it. Cues that say the same are
// told apart by their order among themselves (DuplicateIds).
QUuid idlessCueID(const QUuid& projectID, const std::optional<QString>& number, const QString& title);

// Dates: internet date-times with a zone designator; written in UTC whole seconds with "Z".
std::optional<QDateTime> parseDate(const QString& text);
QString dateText(const QDateTime& date);

// Bytes to keep allocated past the end of a file's text: decoding then reads
// the text where it is, instead of copying it first.
constexpr qsizetype decodingPadding = 64;

// The whole data file. Decoding fails (and says why in `error`) for anything
// that is not a valid current- or earlier-format file. A project stored
// without a creation or change date reads with `undatedAs` there: the file's
// modification time in whole seconds, so that every process reads the same
// file the same way, with a date a user can believe (the next write stores it).
// Members no record reads are kept in the records, their values' text byte for
// byte (as QJsonDocument writes them, compact, for the rare text only it reads).
// A key repeated within one object reads as its last member; `overriddenKeys`
// gets the keys whose earlier members held another value, which the library
// does not hold and a write of it drops.
std::optional<Library> decodeLibrary(const QByteArray& bytes, const QDateTime& undatedAs, QString* error = nullptr,
                                     QStringList* overriddenKeys = nullptr);
// How many decodes in this process went to the slower QJsonDocument reading:
// text that simdjson refuses, or that holds a number it would read otherwise.
quint64 slowDecodeCount();

// Each thread decodes with a parser of its own, whose buffers grow with the
// largest file it has read. Growing them again costs more than the parse, so
// a thread that reads often keeps them: while a KeptParser lives on a thread,
// its parser keeps every buffer between decodes. Without one, buffers grown
// for a large file go after its decode. Made, used and destroyed on one thread.
class KeptParser {
public:
    KeptParser();
    // Lets the buffers go.
    ~KeptParser();
    KeptParser(const KeptParser&) = delete;
    KeptParser& operator=(const KeptParser&) = delete;

    // Whether the thread's parser holds buffers now.
    bool holdsBuffers() const;
    // Lets the buffers go now; the next decode grows them again.
    void release();
};
// Pretty-printed, keys sorted, version 2, no null; members no record reads
// where they stood, their text as it was.
QByteArray encodeLibrary(const Library& library);
// At least the size of encodeLibrary(library), at most a few bytes more for
// each number that is not whole; found without writing the text.
qsizetype encodedSize(const Library& library);

} // namespace sorvel::RecordCoding
