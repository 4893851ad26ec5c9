#pragma once

#include "widget/NextStep.h"

#include <QAbstractButton>
#include <QRectF>
#include <QSize>

#include <functional>

class QPainter;

namespace sorvel {

// A widget button that asks for one intent when clicked; it changes nothing
// itself. `drawing` paints its face into the button's rectangle.
class IntentButton final : public QAbstractButton {
    Q_OBJECT
public:
    using Drawing = std::function<void(QPainter&, const QRectF&)>;

    IntentButton(const WidgetIntent& intent, const QSize& size, Drawing drawing, QWidget* parent = nullptr);

    const WidgetIntent& intent() const { return m_intent; }
    QSize sizeHint() const override { return m_size; }

Q_SIGNALS:
    void intentTriggered(const sorvel::WidgetIntent& intent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WidgetIntent m_intent;
    QSize m_size;
    Drawing m_drawing;
};

} // namespace sorvel
