#include "widget/ListView.h"

#include "core/StudioText.h"
#include "studio/ReelView.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "widget/TrackRow.h"
#include "widget/WidgetLook.h"

#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal reelSize = 14;
constexpr qreal reelAmount = 0.7;
constexpr qreal headerSpacing = 6;

QFont brandFont() {
    QFont font = Studio::font(10, Studio::Weight::Bold, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    return font;
}

QFont countFont() {
    return Studio::font(10, Studio::Weight::Regular, true);
}

} // namespace

ListView::ListView(const QList<AudioProject>& projects, const QList<ProjectType>& types, int total, bool showsNext,
                   RenderingMode mode, QWidget* parent)
    : QWidget(parent), m_total(total), m_showsNext(showsNext), m_mode(mode) {
    auto* layout = new QVBoxLayout(this);
    const int gap = int(spacing());
    layout->setContentsMargins(0, int(std::ceil(headerHeight())) + gap, 0, 0);
    layout->setSpacing(gap);
    for (const AudioProject& project : projects) {
        auto* row = new TrackRow(project, ProjectType::find(types, project.typeID), showsNext, mode, this);
        m_rows.append(row);
        layout->addWidget(row);
    }
    layout->addStretch(1);
}

QString ListView::countText(int total) {
    return StudioText::tapeCount(total);
}

qreal ListView::headerHeight() {
    return std::max({reelSize, Shapes::lineHeight(brandFont()), Shapes::lineHeight(countFont())});
}

void ListView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal midY = headerHeight() / 2;
    ReelView::paint(painter, QRectF(0, midY - reelSize / 2, reelSize, reelSize), reelAmount);

    const QString count = countText(m_total);
    const qreal countWidth = Shapes::textWidth(countFont(), count);
    Shapes::drawLine(painter, countFont(), WidgetLook::secondaryText(m_mode),
                     QPointF(width() - countWidth, Shapes::centredBaseline(countFont(), midY)), count, countWidth + 1);
    const qreal brandLeft = reelSize + headerSpacing;
    Shapes::drawLine(painter, brandFont(), Studio::text(),
                     QPointF(brandLeft, Shapes::centredBaseline(brandFont(), midY)), QStringLiteral("SORVEL"),
                     width() - countWidth - headerSpacing - brandLeft);
}

} // namespace sorvel
