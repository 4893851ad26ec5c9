#pragma once

#include "app/store/FreeName.h"
#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace sorvel::ArchiveSummary {

enum class DatePrecision { DateAndTime, DateOnly };

// The one date text of summaries: the numeric date, with the short time (no
// seconds) unless DateOnly, in the locale's order and the local time zone.
// Locales whose short date names the month fall back to ISO digits.
QString dateText(const QDateTime& date, DatePrecision precision, const QLocale& locale = QLocale::system());

// The Markdown summary written beside an archived project, headed by its name
// on one line; ends with a line feed.
QString markdown(const AudioProject& project, const ProjectType& kind);

// The summary's file name: the project's name on one line with " 归档.md". A
// "/" or NUL in the name becomes "_" so that the file always lands in the folder
// it is written to; a name too long for a file name loses its end, never " 归档".
FreeName::Name fileName(const QString& projectName);

} // namespace sorvel::ArchiveSummary
