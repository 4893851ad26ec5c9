#include "app/library/ProjectListRow.h"

#include "app/library/ProjectListColumns.h"
#include "core/CueTime.h"
#include "core/StudioText.h"
#include "core/UserText.h"
#include "studio/ProgressCapsule.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QPainter>

namespace sorvel {

namespace {

const QString dash = QStringLiteral("—");

QFont monoFont() {
    return Studio::font(11, Studio::Weight::Regular, true);
}

// One line of text centred (or at an edge) in a cell, vertically centred.
void drawInCell(QPainter& painter, const QRectF& cell, const QFont& font, const QColor& color, const QString& text,
                Qt::Alignment alignment = Qt::AlignHCenter) {
    const QFontMetricsF metrics(font);
    const qreal width = std::min(Shapes::textWidth(font, text), cell.width());
    qreal x = cell.left();
    if (alignment & Qt::AlignHCenter)
        x = cell.center().x() - width / 2;
    else if (alignment & Qt::AlignRight)
        x = cell.right() - width;
    const qreal baseline = cell.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    Shapes::drawLine(painter, font, color, {x, baseline}, text, cell.right() - x);
}

// The chevron's box within its cell.
QRectF chevronBox(const QRectF& cell) {
    return {cell.left(), cell.center().y() - 10, cell.width(), 20};
}

// The mixed and delivered counts, dimmed for a project without cues.
QColor countColor(const AudioProject& project) {
    return project.items.isEmpty() ? Studio::text3() : Studio::text2();
}

} // namespace

QString ProjectListRow::countText(qint64 count, qint64 cueCount) {
    if (cueCount <= 0)
        return dash;
    return QString::number(count) + QLatin1Char('/') + QString::number(cueCount);
}

QString ProjectListRow::durationText() const {
    const qint64 total = project.totalDuration();
    return total > 0 ? CueTime::format(total) : dash;
}

QString ProjectListRow::deadlineText() const {
    return project.deadline ? StudioText::shortDate(*project.deadline) : dash;
}

QString ProjectListRow::percentText() const {
    return StudioText::percentText(project.progress());
}

QString ProjectListRow::chevronHelp() const {
    return expanded ? QStringLiteral("收起 cue") : QStringLiteral("展开 cue");
}

QColor ProjectListRow::typeColor() const {
    return Studio::typeColor(type);
}

qreal ProjectListRow::chevronAngle() const {
    return 90 * openness.value_or(expanded ? 1.0 : 0.0);
}

QRectF ProjectListRow::chevronRect(const QRectF& row) {
    return chevronBox(ProjectListColumns::frames(row)[0]);
}

void ProjectListRow::paint(QPainter& painter, const QRectF& row, const QColor& tint) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (project.archivedAt)
        painter.setOpacity(painter.opacity() * 0.6);

    if (selected) {
        Shapes::fillRounded(painter, row, 8, Studio::bg3());
        Shapes::strokeRoundedInside(painter, row, 8, tint, 1.5);
    } else if (hovering) {
        Shapes::fillRounded(painter, row, 8, Studio::bg2());
    }

    const auto cells = ProjectListColumns::frames(row);
    const auto& columns = ProjectListColumns::all();
    for (std::size_t i = 0; i < ProjectListColumns::count; ++i) {
        if (!cells[i].isEmpty())
            (this->*columns[i].paint)(painter, cells[i]);
    }

    painter.restore();
}

void ProjectListRow::paintChevron(QPainter& painter, const QRectF& cell) const {
    const QRectF box = chevronBox(cell);
    const QColor color = project.items.isEmpty() ? Studio::faded(Studio::text3(), 0.4) : Studio::text2();
    painter.save();
    painter.translate(box.center());
    painter.rotate(chevronAngle());
    Symbols::paintForFont(painter, {0, 0}, 10, QStringLiteral("chevron.right"), color, Studio::Weight::Bold);
    painter.restore();
}

void ProjectListRow::paintName(QPainter& painter, const QRectF& cell) const {
    Shapes::fillCapsule(painter, QRectF(cell.left(), cell.center().y() - 8, 3, 16), typeColor());
    const QFont nameFont = Studio::font(13, Studio::Weight::Semibold);
    const QFontMetricsF metrics(nameFont);
    const qreal starSpace = project.isFocused ? 6 + Symbols::sideForFontSize(9) : 0;
    const qreal nameLeft = cell.left() + 3 + 6;
    const qreal drawn = Shapes::drawLine(painter, nameFont, Studio::text(),
                                         {nameLeft, cell.center().y() + (metrics.ascent() - metrics.descent()) / 2},
                                         UserText::singleLine(project.name), cell.right() - nameLeft - starSpace);
    if (project.isFocused) {
        const qreal side = Symbols::sideForFontSize(9);
        Symbols::paintForFont(painter, {nameLeft + drawn + 6 + side / 2, cell.center().y()}, 9,
                              QStringLiteral("star.fill"), Studio::systemYellow());
    }
}

void ProjectListRow::paintType(QPainter& painter, const QRectF& cell) const {
    const QColor kindColor = typeColor();
    const QFont font = Studio::font(11);
    const qreal side = Symbols::sideForFontSize(11);
    const QString title = UserText::singleLine(type.title);
    const qreal textWidth = std::min(Shapes::textWidth(font, title), cell.width() - side - 4);
    const qreal left = cell.center().x() - (side + 4 + textWidth) / 2;
    Symbols::paintForFont(painter, {left + side / 2, cell.center().y()}, 11, type.symbol, kindColor);
    drawInCell(painter, QRectF(left + side + 4, cell.top(), textWidth + 1, cell.height()), font, kindColor, title,
               Qt::AlignLeft);
}

void ProjectListRow::paintStatus(QPainter& painter, const QRectF& cell) const {
    drawInCell(painter, cell, Studio::font(11), Studio::text2(), title(project.status));
}

void ProjectListRow::paintProgress(QPainter& painter, const QRectF& cell) const {
    const QColor kindColor = typeColor();
    ProgressCapsule::paint(painter, QRectF(cell.left(), cell.top(), 80, cell.height()), project.progress(), kindColor,
                           4);
    drawInCell(painter, QRectF(cell.left() + 80 + 6, cell.top(), 36, cell.height()), monoFont(),
               project.isActive() ? kindColor : Studio::text2(), percentText(), Qt::AlignRight);
}

void ProjectListRow::paintMixed(QPainter& painter, const QRectF& cell) const {
    drawInCell(painter, cell, monoFont(), countColor(project), countText(project.mixedCount(), project.items.size()));
}

void ProjectListRow::paintDelivered(QPainter& painter, const QRectF& cell) const {
    drawInCell(painter, cell, monoFont(), countColor(project), countText(project.doneCount(), project.items.size()));
}

void ProjectListRow::paintDuration(QPainter& painter, const QRectF& cell) const {
    drawInCell(painter, cell, monoFont(), project.totalDuration() > 0 ? Studio::text() : Studio::text3(),
               durationText());
}

void ProjectListRow::paintDeadline(QPainter& painter, const QRectF& cell) const {
    const QColor color =
        project.isOverdue() ? Studio::systemRed() : (project.deadline ? Studio::text2() : Studio::text3());
    drawInCell(painter, cell, monoFont(), color, deadlineText());
}

void ProjectListRow::paintUpdated(QPainter& painter, const QRectF& cell) const {
    drawInCell(painter, cell, monoFont(), Studio::text3(), StudioText::shortDate(project.updatedAt));
}

} // namespace sorvel
