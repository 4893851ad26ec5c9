#include "widget/WidgetWindow.h"

#include "core/Settings.h"
#include "studio/Shapes.h"
#include "studio/X11WindowHints.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetLook.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

namespace sorvel {

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
    connect(&m_remember, &QTimer::timeout, this, &WidgetWindow::rememberPosition);
}

QString WidgetWindow::positionKey(WidgetFamily family) {
    return QStringLiteral("widget.position.") + WidgetFamilies::name(family);
}

QPoint WidgetWindow::startPosition(const QVariant& stored, const QSize& size, const QPoint& fallback,
                                   const QList<QRect>& screens) {
    if (stored.typeId() != QMetaType::QPoint)
        return fallback;
    const QRect frame(stored.toPoint(), size);
    const qint64 area = qint64(size.width()) * size.height();
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(frame);
        if (qint64(seen.width()) * seen.height() * 2 >= area)
            return frame.topLeft();
    }
    return fallback;
}

void WidgetWindow::placeAtStart(const QPoint& fallback) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    move(startPosition(m_settings.value(positionKey(m_family)), size(), fallback, screens));
    m_placed = true;
}

void WidgetWindow::rememberPosition() {
    m_remember.stop();
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
