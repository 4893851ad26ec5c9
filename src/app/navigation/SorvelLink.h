#pragma once

#include <QString>
#include <QUuid>

#include <optional>

namespace sorvel {

// A sorvel:// link, read from its raw text. Scheme and host are compared as
// written: QUrl lower-cases both, which would let "SORVEL://Project/…" through.
struct SorvelLink {
    enum class Route { None, New, Project, Archive, ArchiveDone };

    // Longer links are not read at all: they only bring the window to the front.
    static constexpr qsizetype maxLength = 2048;

    // Nothing for text of another scheme; a link of ours without a usable route
    // (unknown or missing host, over-long) has the route None.
    static std::optional<SorvelLink> parse(const QString& text);

    Route route = Route::None;
    // Project and Archive only: the last path component, when it is an identifier
    // in the 36-character form.
    std::optional<QUuid> projectID;
};

} // namespace sorvel
