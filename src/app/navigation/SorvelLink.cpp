#include "app/navigation/SorvelLink.h"

#include "core/RecordCoding.h"
#include "core/SorvelLinks.h"

#include <QStringList>

namespace sorvel {

namespace {

const QString schemePrefix = QString::fromLatin1(SorvelLinks::scheme) + QLatin1Char(':');
const QString authorityMark = QStringLiteral("//");

SorvelLink::Route routeOfHost(const QString& host) {
    if (host == QLatin1String(SorvelLinks::Host::newProject))
        return SorvelLink::Route::New;
    if (host == QLatin1String(SorvelLinks::Host::project))
        return SorvelLink::Route::Project;
    if (host == QLatin1String(SorvelLinks::Host::archive))
        return SorvelLink::Route::Archive;
    if (host == QLatin1String(SorvelLinks::Host::archiveDone))
        return SorvelLink::Route::ArchiveDone;
    return SorvelLink::Route::None;
}

qsizetype firstOf(const QString& text, const QString& characters, qsizetype from = 0) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (characters.contains(text.at(i)))
            return i;
    }
    return text.size();
}

} // namespace

std::optional<SorvelLink> SorvelLink::parse(const QString& text) {
    if (!text.startsWith(schemePrefix, Qt::CaseSensitive))
        return std::nullopt;
    SorvelLink link;
    if (text.size() > maxLength || text.indexOf(authorityMark, schemePrefix.size()) != schemePrefix.size())
        return link;

    const qsizetype hostStart = schemePrefix.size() + authorityMark.size();
    const qsizetype hostEnd = firstOf(text, QStringLiteral("/?#"), hostStart);
    link.route = routeOfHost(text.mid(hostStart, hostEnd - hostStart));
    if (link.route != Route::Project && link.route != Route::Archive)
        return link;

    // Earlier path components, the query and the fragment play no part; like a
    // file path, a trailing slash does not make an empty last component.
    const qsizetype pathEnd = firstOf(text, QStringLiteral("?#"), hostEnd);
    const QStringList components = text.mid(hostEnd, pathEnd - hostEnd).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!components.isEmpty())
        link.projectID = RecordCoding::parseID(components.last());
    return link;
}

} // namespace sorvel
