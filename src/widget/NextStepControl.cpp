#include "widget/NextStepControl.h"

#include "studio/Shapes.h"
#include "studio/StageAdvanceIcon.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"
#include "widget/IntentButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal fontSize = 10;
constexpr qreal iconSize = 12;
constexpr qreal iconSpacing = 5;
constexpr qreal symbolSpacing = 3;

// A leading picture of width `lead`, then one line of text, centred vertically.
QSize faceSize(qreal lead, qreal spacing, const QFont& font, const QString& text) {
    const qreal width = lead + spacing + Shapes::textWidth(font, text);
    const qreal height = qMax(lead, Shapes::lineHeight(font));
    return {int(std::ceil(width)), int(std::ceil(height))};
}

IntentButton::Drawing advanceFace(CueStage stage, const QString& text) {
    return [stage, text](QPainter& painter, const QRectF& rect) {
        const QFont font = Studio::font(fontSize);
        const qreal midY = rect.center().y();
        StageAdvanceIcon::paint(painter, QRectF(rect.left(), midY - iconSize / 2, iconSize, iconSize), stage);
        const qreal x = rect.left() + iconSize + iconSpacing;
        Shapes::drawLine(painter, font, Studio::text2(), QPointF(x, Shapes::centredBaseline(font, midY)), text,
                         rect.right() - x);
    };
}

IntentButton::Drawing addFace(const QString& text) {
    return [text](QPainter& painter, const QRectF& rect) {
        const QFont font = Studio::font(fontSize, Studio::Weight::Medium, true);
        const qreal midY = rect.center().y();
        const qreal side = Symbols::sideForFontSize(fontSize);
        Symbols::paintForFont(painter, QPointF(rect.left() + side / 2, midY), fontSize, QStringLiteral("plus"),
                              Studio::text2(), Studio::Weight::Medium);
        const qreal x = rect.left() + side + symbolSpacing;
        Shapes::drawLine(painter, font, Studio::text2(), QPointF(x, Shapes::centredBaseline(font, midY)), text,
                         rect.right() - x);
    };
}

} // namespace

NextStepControl::NextStepControl(const AudioProject& project, QWidget* parent)
    : QWidget(parent), m_form(NextStep::form(project)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::optional<WidgetIntent> intent = NextStep::intent(project);
    switch (m_form) {
    case NextStep::Form::AdvanceCue: {
        const Cue& next = *project.nextItem();
        m_text = NextStep::cueLabel(next);
        const QSize size = faceSize(iconSize, iconSpacing, Studio::font(fontSize), m_text);
        m_button = new IntentButton(*intent, size, advanceFace(next.stage, m_text), this);
        break;
    }
    case NextStep::Form::AddProgress: {
        m_text = QStringLiteral("+10%");
        const QFont font = Studio::font(fontSize, Studio::Weight::Medium, true);
        const QSize size = faceSize(Symbols::sideForFontSize(fontSize), symbolSpacing, font, m_text);
        m_button = new IntentButton(*intent, size, addFace(m_text), this);
        break;
    }
    case NextStep::Form::Status:
        m_text = title(project.status);
        layout->addWidget(Studio::plainLabel(m_text, Studio::font(fontSize), Studio::text3(), this));
        break;
    }
    if (m_button) {
        m_button->setAccessibleName(m_text);
        layout->addWidget(m_button);
    }
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

} // namespace sorvel
