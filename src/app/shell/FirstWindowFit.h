#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace sorvel {

// Fits a window's first size into the available area of its screen (the
// screen less the desktop's panels): a window larger than the area is made as
// large as the area, never smaller than its minimum, and placed inside it. A
// window that fits keeps its size and the window manager's placement. The
// window manager's frame is known only once the window is on screen, so the
// fit is made again, once, when it is.
class FirstWindowFit final : public QObject {
    Q_OBJECT
public:
    // Fits `window` before it is first shown, and once more when its frame is known.
    static void apply(QWidget& window);

    // The window geometry (without frame) that puts a window of `geometry`,
    // whose frame adds `margins`, inside `available`; `geometry` itself when
    // it is inside already. Where even `minimum` is larger than the area, the
    // frame lies against the area's top or left edge.
    static QRect fitted(const QRect& geometry, const QMargins& margins, const QSize& minimum, const QRect& available);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FirstWindowFit(QWidget& window);
    // The window's geometry fitted into its screen with these frame margins.
    static QRect fittedOnScreen(const QWidget& window, const QMargins& margins);

    QWidget& m_window;
};

} // namespace sorvel
