#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QWidget;

namespace sorvel {

// Whether the pointer is over a widget, judged by where the pointer really is.
// Enter and leave events alone miss the cases where the widget moves away
// under a still pointer (a scroll, a reordering, a relayout of anything it
// sits in) or where a drag ended elsewhere: the widget would stay "hovered"
// until the pointer moved again.
class PointerHover final : public QObject {
    Q_OBJECT
public:
    explicit PointerHover(QWidget* target);

    bool isHovering() const { return m_hovering; }
    // Looks again where the pointer is, as after a drag that ended elsewhere.
    void recheck();

    // Where the pointer is on `surface`, when nothing covers it there; for
    // views that paint their items themselves and look again after they
    // moved them under a still pointer.
    static std::optional<QPoint> pointerOn(const QWidget* surface);

Q_SIGNALS:
    void hoveringChanged(bool hovering);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Watches every ancestor up to the window: any of them moving or
    // scrolling carries the widget away from under the pointer.
    void followAncestors();
    void setHovering(bool hovering);

    QWidget* m_target;
    bool m_hovering = false;
};

} // namespace sorvel
