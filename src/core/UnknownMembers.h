#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sorvel {

// A member of a stored object that this program does not read: a newer
// version's field, or a note the user put into the file. It is kept as it
// stood, so that a write puts it back: its key, its value's JSON text byte for
// byte, and the member this program reads that stood before it (empty: none
// did). A write puts it right after that member, or where that member would
// stand among the ones written.
struct UnknownMember {
    QString key;
    QByteArray json;
    QByteArray after;

    bool operator==(const UnknownMember&) const = default;
};

// In the order they are written: by the member they follow, then as they stood.
using UnknownMembers = QList<UnknownMember>;

} // namespace sorvel
