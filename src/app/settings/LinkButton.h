#pragma once

#include <QPushButton>

namespace sorvel {

// A button drawn as text alone in the window's accent tint, like a link.
class LinkButton final : public QPushButton {
    Q_OBJECT
public:
    LinkButton(const QString& text, qreal pixelSize, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace sorvel
