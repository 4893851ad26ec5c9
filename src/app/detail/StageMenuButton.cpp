#include "app/detail/StageMenuButton.h"

#include "studio/FocusRing.h"
#include "studio/StageBadge.h"
#include "studio/StageLook.h"
#include "studio/Symbols.h"

#include <QMenu>
#include <QPainter>

#include <cmath>

namespace sorvel {

StageMenuButton::StageMenuButton(CueStage stage, QWidget* parent) : QAbstractButton(parent), m_stage(stage) {
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, where the focus shows; a click opens the menu without leaving a ring behind.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(StageLook::of(stage).title);
    connect(this, &QAbstractButton::clicked, this, &StageMenuButton::openMenu);
}

void StageMenuButton::setStage(CueStage stage) {
    if (m_stage == stage)
        return;
    m_stage = stage;
    setAccessibleName(StageLook::of(stage).title);
    updateGeometry();
    update();
}

QMenu* StageMenuButton::menu() {
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(this);
    // A popup is a window of its own and would not inherit the dark colours.
    m_menu->setPalette(palette());
    for (const CueStage stage : allCueStages()) {
        const StageLook look = StageLook::of(stage);
        QAction* action = m_menu->addAction(Symbols::icon(look.symbol, look.color), look.title);
        connect(action, &QAction::triggered, this, [this, stage] { Q_EMIT stageChosen(stage); });
    }
    return m_menu;
}

void StageMenuButton::openMenu() {
    menu()->popup(mapToGlobal(QPoint(0, height())));
}

QSize StageMenuButton::sizeFor(CueStage stage) {
    const QSizeF size = StageBadge::sizeFor(stage, false);
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QSize StageMenuButton::sizeHint() const {
    return sizeFor(m_stage);
}

void StageMenuButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    StageBadge::paint(painter, QRectF(rect()), m_stage, false);
    if (hasFocus()) {
        const QSizeF badge = StageBadge::sizeFor(m_stage, false);
        FocusRing::paint(painter, this, QRectF(QPointF(0, (height() - badge.height()) / 2), badge),
                         StageBadge::cornerRadius);
    }
}

} // namespace sorvel
