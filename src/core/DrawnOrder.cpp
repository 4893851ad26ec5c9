#include "core/DrawnOrder.h"

#include <QHash>

#include <algorithm>

namespace sorvel::DrawnOrder {

QList<QUuid> ids(const QList<AudioProject>& projects) {
    QList<QUuid> result;
    result.reserve(projects.size());
    for (const AudioProject& project : projects)
        result.append(project.id);
    return result;
}

QList<AudioProject> keep(const QList<QUuid>& drawn, const QList<AudioProject>& fresh) {
    QHash<QUuid, qsizetype> rank;
    rank.reserve(drawn.size());
    for (qsizetype i = 0; i < drawn.size(); ++i)
        rank.insert(drawn.at(i), i); // a repeated id keeps its last place

    QList<qsizetype> places;
    for (qsizetype i = 0; i < fresh.size(); ++i) {
        if (rank.contains(fresh.at(i).id))
            places.append(i);
    }
    QList<qsizetype> seated = places;
    std::stable_sort(seated.begin(), seated.end(), [&rank, &fresh](qsizetype a, qsizetype b) {
        return rank.value(fresh.at(a).id) < rank.value(fresh.at(b).id);
    });

    QList<AudioProject> result = fresh;
    for (qsizetype i = 0; i < places.size(); ++i)
        result[places.at(i)] = fresh.at(seated.at(i));
    return result;
}

} // namespace sorvel::DrawnOrder
