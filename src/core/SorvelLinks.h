#pragma once

#include <QString>
#include <QUuid>

// The sorvel:// links that the application follows, written the one way both
// programs write them; app/navigation/SorvelLink reads them back.
namespace sorvel::SorvelLinks {

inline constexpr char scheme[] = "sorvel";

// The hosts, each a route of the application.
namespace Host {
inline constexpr char mainWindow[] = "main"; // brings the window to the front, nothing more
inline constexpr char newProject[] = "new";
inline constexpr char project[] = "project";
inline constexpr char archive[] = "archive";
inline constexpr char archiveDone[] = "archive-done";
} // namespace Host

QString mainWindow();
QString newProject();
// The project's detail, selected on the shelf.
QString project(const QUuid& id);
// The archive sheet for the one project.
QString archive(const QUuid& id);
// The archive sheet for every done project.
QString archiveDone();

} // namespace sorvel::SorvelLinks
