#include "widget/QuickAction.h"

#include "studio/Shapes.h"
#include "studio/StageAdvanceIcon.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"
#include "widget/IntentButton.h"

#include <QPainter>

namespace sorvel {

namespace {

constexpr int buttonSide = QuickAction::iconSize + int(StageAdvanceIcon::margin) * 2;
constexpr qreal badgeRadius = 4;
constexpr qreal plusFontSize = 9;

IntentButton::Drawing stageFace(CueStage stage) {
    return [stage](QPainter& painter, const QRectF& rect) {
        StageAdvanceIcon::paint(painter, Shapes::centredSquare(rect, QuickAction::iconSize), stage);
    };
}

IntentButton::Drawing plusFace(const QColor& color) {
    return [color](QPainter& painter, const QRectF& rect) {
        const QRectF badge = Shapes::centredSquare(rect, QuickAction::iconSize);
        Shapes::fillRounded(painter, badge, badgeRadius, color);
        Symbols::paintForFont(painter, badge.center(), plusFontSize, QStringLiteral("plus"), Studio::bg0(),
                              Studio::Weight::Heavy);
    };
}

} // namespace

QuickAction::QuickAction(const AudioProject& project, const ProjectType& kind, QWidget* parent)
    : QWidget(parent), m_form(NextStep::form(project)) {
    const std::optional<WidgetIntent> intent = NextStep::intent(project);
    const QSize side(buttonSide, buttonSide);
    switch (m_form) {
    case NextStep::Form::AdvanceCue: {
        const Cue& next = *project.nextItem();
        m_button = new IntentButton(*intent, side, stageFace(next.stage), this);
        m_button->setToolTip(Studio::plainToolTip(NextStep::advanceHelp(next)));
        m_button->setAccessibleName(NextStep::advanceHelp(next));
        break;
    }
    case NextStep::Form::AddProgress: {
        const QColor color = Studio::typeColor(kind);
        m_button = new IntentButton(*intent, side, plusFace(color), this);
        m_button->setAccessibleName(QStringLiteral("+10%"));
        break;
    }
    case NextStep::Form::Status: break;
    }
    if (m_button)
        m_button->setGeometry(QRect(QPoint(0, 0), side));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

QSize QuickAction::sizeHint() const {
    return m_button ? m_button->sizeHint() : QSize(0, 0);
}

} // namespace sorvel
