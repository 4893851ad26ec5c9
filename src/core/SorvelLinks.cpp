#include "core/SorvelLinks.h"

#include "core/RecordCoding.h"

namespace sorvel::SorvelLinks {

namespace {

QString link(const char* host, const QString& path = {}) {
    return QString::fromLatin1(scheme) + QStringLiteral("://") + QString::fromLatin1(host) + path;
}

} // namespace

QString mainWindow() {
    return link(Host::mainWindow);
}

QString newProject() {
    return link(Host::newProject);
}

QString project(const QUuid& id) {
    return link(Host::project, QLatin1Char('/') + RecordCoding::idText(id));
}

QString archive(const QUuid& id) {
    return link(Host::archive, QLatin1Char('/') + RecordCoding::idText(id));
}

QString archiveDone() {
    return link(Host::archiveDone);
}

} // namespace sorvel::SorvelLinks
