#pragma once

#include <QObject>

class QWidget;

namespace sorvel {

// Whether the pointer is over a widget, judged by where the pointer really is.
// Enter and leave events alone miss the cases where the widget moves away
// under a still pointer (a scroll, a reordering) or where a drag ended
// elsewhere: the widget would stay "hovered" until the pointer moved again.
class PointerHover final : public QObject {
    Q_OBJECT
public:
    explicit PointerHover(QWidget* target);

    bool isHovering() const { return m_hovering; }
    // Looks again where the pointer is, as after a drag that ended elsewhere.
    void recheck();

Q_SIGNALS:
    void hoveringChanged(bool hovering);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followScrolling();
    void setHovering(bool hovering);

    QWidget* m_target;
    bool m_hovering = false;
};

} // namespace sorvel
