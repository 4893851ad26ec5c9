#include "app/store/model/SaveProblem.h"

namespace sorvel {

QString SaveProblem::text() const {
    switch (kind) {
    case Kind::None: return {};
    case Kind::WriteFailed: return error.isEmpty() ? QStringLiteral("no reason was given") : error.text();
    case Kind::FolderBusy: return QStringLiteral("the data folder is held by another program");
    case Kind::DiskNotAnswering: return QStringLiteral("the disk of the data folder does not answer");
    case Kind::FileUndecodable:
        return QStringLiteral("the data file cannot be read; its bytes are kept before anything is written over it");
    case Kind::FileUnreadable: return QStringLiteral("the data file cannot be read: %1").arg(error.text());
    case Kind::FileChangedUndecodable:
        return QStringLiteral("the data file changed into something unreadable; its bytes are kept before anything "
                              "is written over it");
    case Kind::WaitingForQuiet:
        return QStringLiteral("%1 does not decode and is still changing; the change is written once it has been "
                              "still for two seconds")
            .arg(error.context);
    case Kind::RescueNotMerged:
        return QStringLiteral("the rescue copy %1 cannot be merged: %2").arg(copy, error.text());
    case Kind::RescueNotCarried:
        return QStringLiteral("the rescue copies wait for a later start: %1").arg(error.text());
    case Kind::MovedAside: return QStringLiteral("what stood in the data file's place is now %1").arg(error.context);
    case Kind::RepeatsKeptAside:
        return QStringLiteral("the data file repeated members with other values; its bytes are kept in %1")
            .arg(error.context);
    case Kind::UndecodableKeptAside:
        return QStringLiteral("written over a data file that could not be read; its bytes are kept in %1")
            .arg(error.context);
    }
    return {};
}

} // namespace sorvel
