#include "app/store/model/ProjectChange.h"

#include <QHash>

namespace sorvel {

void ProjectChange::add(const ProjectChange& later) {
    all = all || later.all;
    if (all)
        ids.clear();
    else
        ids.unite(later.ids);
}

ProjectChange ProjectChange::everything() {
    ProjectChange change;
    change.all = true;
    return change;
}

ProjectChange ProjectChange::of(const QUuid& id) {
    ProjectChange change;
    change.ids.insert(id);
    return change;
}

ProjectChange ProjectChange::between(const QList<AudioProject>& before, const QList<AudioProject>& after) {
    ProjectChange change;
    if (before.size() == after.size() && before.constData() == after.constData())
        return change; // one shared array
    // The common case: the same projects in the same places.
    if (before.size() == after.size()) {
        bool sameIDs = true;
        for (qsizetype i = 0; i < before.size() && sameIDs; ++i)
            sameIDs = before.at(i).id == after.at(i).id;
        if (sameIDs) {
            for (qsizetype i = 0; i < before.size(); ++i) {
                if (!(before.at(i) == after.at(i)))
                    change.ids.insert(before.at(i).id);
            }
            return change;
        }
    }
    // Duplicated ids cannot be followed per id.
    QHash<QUuid, qsizetype> earlier;
    earlier.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        earlier.insert(before.at(i).id, i);
    if (earlier.size() < before.size())
        return everything();
    QSet<QUuid> present;
    present.reserve(after.size());
    qsizetype lastKept = -1;
    for (const AudioProject& project : after) {
        if (present.contains(project.id))
            return everything();
        present.insert(project.id);
        const auto found = earlier.constFind(project.id);
        if (found == earlier.cend()) {
            change.ids.insert(project.id);
            continue;
        }
        if (*found < lastKept)
            return everything();
        lastKept = *found;
        if (!(before.at(*found) == project))
            change.ids.insert(project.id);
    }
    for (const AudioProject& project : before) {
        if (!present.contains(project.id))
            change.ids.insert(project.id);
    }
    return change;
}

} // namespace sorvel
