#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace sorvel {

// One row of the project list: a project's figures in the cells of the
// list's columns. A display value: it paints a copy of the record and
// changes nothing.
struct ProjectListRow {
    AudioProject project;
    bool selected = false;
    bool expanded = false;
    bool hovering = false;
    // The project's resolved type (its colour and name in the row).
    ProjectType type = ProjectType::fallback();
    // How far the cue table is open (0…1, a little beyond while it springs):
    // the chevron turns with it. Unset, `expanded` says.
    std::optional<qreal> openness = std::nullopt;

    static constexpr qreal height = 38;

    // A count cell: "2/5" of the cues, "—" without cues.
    static QString countText(qint64 count, qint64 cueCount);
    QString durationText() const;
    QString deadlineText() const;
    QString percentText() const;
    QString chevronHelp() const;
    QColor typeColor() const;
    // Degrees the chevron is turned clockwise from pointing right: 90 when open.
    qreal chevronAngle() const;

    // The chevron's frame within a row rectangle: it opens the row instead of selecting.
    static QRectF chevronRect(const QRectF& row);
    // The background, then each column's cell (ProjectListColumns).
    void paint(QPainter& painter, const QRectF& row, const QColor& tint) const;

    // The cells, each within its column's frame.
    void paintChevron(QPainter& painter, const QRectF& cell) const; // pointing down while open
    void paintName(QPainter& painter, const QRectF& cell) const; // type pill, name, focus star
    void paintType(QPainter& painter, const QRectF& cell) const; // symbol and title
    void paintStatus(QPainter& painter, const QRectF& cell) const;
    void paintProgress(QPainter& painter, const QRectF& cell) const; // bar and percentage
    void paintMixed(QPainter& painter, const QRectF& cell) const;
    void paintDelivered(QPainter& painter, const QRectF& cell) const;
    void paintDuration(QPainter& painter, const QRectF& cell) const;
    void paintDeadline(QPainter& painter, const QRectF& cell) const; // red while overdue
    void paintUpdated(QPainter& painter, const QRectF& cell) const;
};

} // namespace sorvel
