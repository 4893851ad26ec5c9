#pragma once

#include <QPoint>
#include <QUrl>
#include <QWidget>

#include <functional>

class QWindow;

namespace sorvel {

// A part of the widget that opens its link when tapped and moves the whole
// widget window when dragged. Without a link it only drags. Presses that its
// children do not take (they ignore them) arrive here too.
class LinkSurface : public QWidget {
    Q_OBJECT
public:
    explicit LinkSurface(QWidget* parent = nullptr);

    QUrl link() const { return m_link; }
    void setLink(const QUrl& link);

    // Hands a drag over to the window system; false when the widget moves
    // the window itself. Replaceable, so that both ways can be followed.
    using SystemMove = std::function<bool(QWindow*)>;
    static SystemMove& systemMove();

Q_SIGNALS:
    void linkActivated(const QUrl& link);
    // The user began to drag the window (by its own hand or, where the system
    // moves windows, through the system's move).
    void windowDragged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QUrl m_link;
    QPoint m_pressAt; // global position of the press
    QPoint m_windowStart; // window position at the press
    bool m_pressed = false;
    bool m_dragging = false;
};

} // namespace sorvel
