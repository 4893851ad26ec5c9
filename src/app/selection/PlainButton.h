#pragma once

#include <QColor>
#include <QFont>
#include <QPushButton>

namespace sorvel {

// A button drawn as its text alone, without plate or frame; an invalid colour
// draws it in the window's accent tint, like a link.
class PlainButton final : public QPushButton {
    Q_OBJECT
public:
    PlainButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

} // namespace sorvel
