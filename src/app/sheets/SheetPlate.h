#pragma once

#include <QWidget>

namespace sorvel {

// The rounded raised surface that a grouped form's rows sit on.
class SheetPlate final : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace sorvel
