#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace sorvel {

// A published release as the update feed's latest.json describes it:
// {"version": "1.2", "url": "https://…", "notes": ["…", …]}.
struct UpdateRelease {
    QString version;
    QUrl url; // what "下载新版" opens: always an absolute https address
    QStringList notes;

    bool operator==(const UpdateRelease&) const = default;

    // None when the body is not such an object: a key missing, null or of
    // another type, a note that is not text, or a url that is not an
    // absolute https address (anything else could open a local file or
    // drive this program's own links). Other keys are ignored.
    static std::optional<UpdateRelease> decode(const QByteArray& body);
};

} // namespace sorvel
