#include "app/store/SaveProblem.h"

namespace sorvel {

QString SaveProblem::text() const {
    switch (kind) {
    case Kind::None: return {};
    case Kind::WriteFailed: return error.isEmpty() ? QStringLiteral("no reason was given") : error.text();
    case Kind::FolderBusy: return QStringLiteral("the data folder is held by another program");
    }
    return {};
}

} // namespace sorvel
