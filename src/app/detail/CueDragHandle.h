#pragma once

#include <QPoint>
#include <QWidget>

namespace sorvel {

// The grip at the start of a cue row. Pressing it and moving farther than
// the platform's drag distance asks for a drag, once per press.
class CueDragHandle final : public QWidget {
    Q_OBJECT
public:
    explicit CueDragHandle(QWidget* parent = nullptr);

    void setHighlighted(bool highlighted);

Q_SIGNALS:
    void dragRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_highlighted = false;
    bool m_pressed = false;
    QPoint m_pressAt;
};

} // namespace sorvel
