#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QWidget;

namespace sorvel {

// Whether the pointer is over a widget, judged by where the pointer really is.
// Enter and leave events alone miss the cases where the widget moves away
// under a still pointer (a scroll, a reordering, a relayout of anything it
// sits in), where a drag ended elsewhere, where a popup held the pointer
// while it moved, or where the window system sent the leave to another
// widget (the one it last saw the pointer in, before a scroll): the widget
// would stay "hovered" until the pointer came back and left again.
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
    void recheckAt(const QPoint& pointer);
    // Looks once the event at hand has been handled (a popup has gone, a
    // leave has reached its widget), once however many events asked for it.
    void recheckSoon();
    bool isAncestor(const QObject* object) const;
    bool isWithinTarget(const QObject* object) const;
    void setHovering(bool hovering);

    QWidget* m_target;
    bool m_hovering = false;
    bool m_recheckQueued = false;
};

} // namespace sorvel
