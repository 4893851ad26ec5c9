#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

class QAbstractScrollArea;
class QWidget;

namespace sorvel {

// Scrolls the pane that a widget sits in while a drag started in it is held
// near the pane's top or bottom edge (or past it), faster the deeper the
// pointer is in the edge's band but never faster than a person can stop on a
// row, until the widget's own top or bottom is in sight; and follows the wheel during the drag,
// which the platform's drag would otherwise swallow. One drag so reaches any
// place of a long list. Each scroll is reported, so that the owner looks
// again at what now lies under the still pointer.
class DragAutoScroll final : public QObject {
    Q_OBJECT
public:
    static constexpr int edgeBand = 40;
    static constexpr int tickMs = 16;
    // At the edge or past it; the speed falls off in proportion towards the band's inner side.
    static constexpr qreal fastestRowsPerSecond = 4;

    // `rowPitch`: the height of one row of the content, the unit of the speed.
    DragAutoScroll(QWidget* content, int rowPitch);

    // A drag has started in the content; scrolling follows it until stop().
    void start();
    void stop();
    // Hears the wheel before anything else does: the platform's drag starts
    // listening once its drag runs, in front of whatever listened before.
    void takeWheel();

    // How many rows a second the pane scrolls for the pointer at `y`, within
    // a pane from `top` to `bottom`: negative upwards, 0 away from the edges.
    static qreal speedAt(int y, int top, int bottom);

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
    int m_rowPitch;
    QTimer m_timer;
    // The scroll follows the time that passed, not the count of ticks, which a busy loop drops.
    QElapsedTimer m_sinceTick;
    qreal m_owed = 0; // the part of a pixel not scrolled yet
    bool m_running = false;
};

} // namespace sorvel
