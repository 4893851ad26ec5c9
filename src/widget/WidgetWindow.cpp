#include "widget/WidgetWindow.h"

#include "core/Settings.h"
#include "studio/Shapes.h"
#include "studio/X11WindowHints.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetLook.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace sorvel {

namespace {

qint64 seenArea(const QRect& screen, const QRect& frame) {
    const QRect seen = screen.intersected(frame);
    return qint64(seen.width()) * seen.height();
}

} // namespace

QList<QRect> WidgetWindow::availableScreens() {
    QList<QRect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        screens.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            screens.append(screen->availableGeometry());
    }
    return screens;
}

WidgetWindow::WidgetWindow(WidgetFamily family, RenderingMode mode, Settings& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus),
      m_family(family),
      m_settings(settings),
      m_view(new SorvelWidgetView(family, mode, this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The widget never becomes the active window; Qt keeps tooltips for active ones unless told.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("音频项目"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedSize(WidgetFamilies::size(family));

    m_remember.setSingleShot(true);
    m_remember.setInterval(rememberDelayMs);
    connect(&m_remember, &QTimer::timeout, this, &WidgetWindow::settle);
    connect(m_view, &LinkSurface::windowDragged, this, [this] { m_dragged = true; });
}

QString WidgetWindow::positionKey(WidgetFamily family) {
    return QStringLiteral("widget.position.") + WidgetFamilies::name(family);
}

std::optional<QPoint> WidgetWindow::startPosition(const QVariant& stored, const QSize& size,
                                                  const QList<QRect>& screens) {
    if (stored.typeId() != QMetaType::QPoint)
        return std::nullopt;
    const QRect frame(stored.toPoint(), size);
    const qint64 area = qint64(size.width()) * size.height();
    for (const QRect& screen : screens) {
        if (seenArea(screen, frame) * 2 >= area)
            return keptInside(frame, screens);
    }
    return std::nullopt;
}

QPoint WidgetWindow::keptInside(const QRect& frame, const QList<QRect>& screens) {
    QRegion offScreen(frame);
    const QRect* most = nullptr;
    for (const QRect& screen : screens) {
        offScreen -= screen;
        if (seenArea(screen, frame) > (most ? seenArea(*most, frame) : 0))
            most = &screen;
    }
    if (offScreen.isEmpty() || !most)
        return frame.topLeft();
    // Within the screen; a window larger than it keeps its top left corner on it.
    const int x = std::max(most->left(), std::min(frame.left(), most->right() + 1 - frame.width()));
    const int y = std::max(most->top(), std::min(frame.top(), most->bottom() + 1 - frame.height()));
    return {x, y};
}

std::optional<QPoint> WidgetWindow::rememberedPosition(const QList<QRect>& screens) const {
    return startPosition(m_settings.value(positionKey(m_family)), size(), screens);
}

void WidgetWindow::placeAt(const QPoint& position) {
    move(position);
    m_placed = true;
}

void WidgetWindow::settle() {
    // Still held by the pointer: the drag goes on.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        m_remember.start();
        return;
    }
    // The toolkit may hold a place the window only passed while the window
    // manager mapped it (0,0); from here on it holds the real one.
    if (const std::optional<QPoint> real = X11WindowHints::placeOnScreen(this); real && *real != geometry().topLeft())
        move(pos() + (*real - geometry().topLeft()));
    move(keptInside(frameGeometry(), availableScreens()));
    rememberPosition();
}

void WidgetWindow::rememberPosition() {
    m_remember.stop();
    if (std::exchange(m_dragged, false))
        m_settings.setValue(positionKey(m_family), pos());
}

void WidgetWindow::moveEvent(QMoveEvent*) {
    if (m_placed && isVisible())
        m_remember.start();
}

void WidgetWindow::resizeEvent(QResizeEvent*) {
    // Rounded corners without a compositor: the window's shape itself.
    const QPainterPath outline = Shapes::roundedRect(QRectF(rect()), WidgetLook::cornerRadius);
    setMask(Shapes::region(outline));
}

void WidgetWindow::showOnDesktop() {
    X11WindowHints::keepOnEveryWorkspace(this, X11WindowHints::Layer::Below);
    show();
}

void WidgetWindow::closeEvent(QCloseEvent*) {
    if (m_remember.isActive())
        rememberPosition();
}

void WidgetWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("关闭小组件"), this, &QWidget::close);
    menu.exec(event->globalPos());
}

} // namespace sorvel
