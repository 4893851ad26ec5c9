#pragma once

#include <QStringList>
#include <QWidget>

namespace sorvel {

// A row of mutually exclusive segments; the chosen one is filled with the window's tint.
class SegmentedPicker final : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedPicker(const QStringList& titles, QWidget* parent = nullptr);

    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    QSize sizeHint() const override;

Q_SIGNALS:
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF segmentRect(int index) const;

    QStringList m_titles;
    int m_current = 0;
};

} // namespace sorvel
