#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

class QAbstractScrollArea;
class QWidget;

namespace sorvel {

// Scrolls the pane that a widget sits in while a drag started in it is held
// near the pane's top or bottom edge (or past it), faster the nearer the edge,
// until the widget's own top or bottom is in sight; and follows the wheel during the drag,
// which the platform's drag would otherwise swallow. One drag so reaches any
// place of a long list. Each scroll is reported, so that the owner looks
// again at what now lies under the still pointer.
class DragAutoScroll final : public QObject {
    Q_OBJECT
public:
    static constexpr int edgeBand = 40;
    static constexpr int tickMs = 16;
    static constexpr int slowestStep = 2;
    static constexpr int fastestStep = 24;

    explicit DragAutoScroll(QWidget* content);

    // A drag has started in the content; scrolling follows it until stop().
    void start();
    void stop();
    // Hears the wheel before anything else does: the platform's drag starts
    // listening once its drag runs, in front of whatever listened before.
    void takeWheel();

    // How many pixels a tick scrolls for the pointer at `y`, within a pane
    // from `top` to `bottom`: negative upwards, 0 away from the edges.
    static int stepAt(int y, int top, int bottom);

Q_SIGNALS:
    void scrolled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The nearest scroll area whose viewport holds the content.
    QAbstractScrollArea* pane() const;
    void tick();
    void scrollBy(int pixels);

    QWidget* m_content;
    QTimer m_timer;
    bool m_running = false;
};

} // namespace sorvel
