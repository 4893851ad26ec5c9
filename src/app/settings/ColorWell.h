#pragma once

#include <QAbstractButton>
#include <QColor>

namespace sorvel {

// A small rounded swatch that opens the colour dialog. Without opacity
// support every reported colour is opaque, whatever the dialog returns.
class ColorWell final : public QAbstractButton {
    Q_OBJECT
public:
    ColorWell(bool withOpacity, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    bool withOpacity() const { return m_withOpacity; }

    // Reports `color` as if it had been picked in the dialog.
    void pick(QColor color);

    QSize sizeHint() const override { return {38, 22}; }

Q_SIGNALS:
    void colorPicked(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openDialog();

    QColor m_color;
    bool m_withOpacity;
};

} // namespace sorvel
