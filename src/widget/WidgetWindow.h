#pragma once

#include "widget/WidgetFamily.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <optional>

namespace sorvel {

class Settings;
class SorvelWidgetView;

// One widget on the desktop: a frameless window of its family's size, below
// other windows, out of the taskbar and on every workspace. It can be dragged
// anywhere and comes back there at the next start; its menu closes it.
class WidgetWindow final : public QWidget {
    Q_OBJECT
public:
    WidgetWindow(WidgetFamily family, RenderingMode mode, Settings& settings, QWidget* parent = nullptr);

    SorvelWidgetView* view() const { return m_view; }
    WidgetFamily family() const { return m_family; }

    // The settings key of a family's position: "widget.position.small" …
    static QString positionKey(WidgetFamily family);
    // The stored position when a window of `size` there lies at least half on
    // one of `screens` (moved inside as keptInside does), else none.
    static std::optional<QPoint> startPosition(const QVariant& stored, const QSize& size, const QList<QRect>& screens);
    // Where `frame` goes so that none of it is off `screens`: where it is when
    // every part of it is on one of them, else inside the screen that holds
    // most of it. Where it is when no screen holds any of it.
    static QPoint keptInside(const QRect& frame, const QList<QRect>& screens);
    // Where the user left this window, if that place is on `screens`.
    std::optional<QPoint> rememberedPosition(const QList<QRect>& screens) const;
    // Moves to where it starts, before it is shown.
    void placeAt(const QPoint& position);
    // Shows the window on every workspace, below the others.
    void showOnDesktop();
    // Writes the position now, if the user dragged the window (it is
    // otherwise written shortly after the drag).
    void rememberPosition();
    // The available areas of the screens, the primary one first.
    static QList<QRect> availableScreens();

    static constexpr int rememberDelayMs = 400;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Once a move has ended: back inside the screens when it left them partly, and remembered.
    void settle();

    WidgetFamily m_family;
    Settings& m_settings;
    SorvelWidgetView* m_view;
    QTimer m_remember;
    bool m_placed = false;
    // Only a place the user dragged the window to is remembered: the window
    // system may report passing positions (0,0 while it maps the window) that
    // the window never really has.
    bool m_dragged = false;
};

} // namespace sorvel
