#include "app/panel/EdgePanelController.h"

#include "app/panel/EdgePanel.h"
#include "app/store/ProjectStore.h"
#include "core/Settings.h"

#include <QGuiApplication>
#include <QPropertyAnimation>

namespace sorvel {

EdgePanelController::Platform EdgePanelController::Platform::system() {
    Platform platform;
    platform.pointer = std::make_unique<CursorPointerSource>();
    platform.screens = std::make_unique<SystemScreenSource>();
    platform.collapseTimer = std::make_unique<SystemCollapseTimer>();
    platform.globalPointer = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return platform;
}

EdgePanelController::EdgePanelController(ProjectStore& store, Settings& settings, Platform platform, QObject* parent)
    : QObject(parent),
      m_store(store),
      m_settings(settings),
      m_pointer(std::move(platform.pointer)),
      m_screens(std::move(platform.screens)),
      m_collapseTimer(std::move(platform.collapseTimer)),
      m_globalPointer(platform.globalPointer) {
    connect(m_collapseTimer.get(), &CollapseTimer::fired, this, &EdgePanelController::collapse);
}

EdgePanelController::~EdgePanelController() = default;

void EdgePanelController::start() {
    if (m_panel)
        return;
    m_panel = std::make_unique<EdgePanel>(*this);
    m_panel->setGeometry(collapsedFrame().toRect());
    m_slide = new QPropertyAnimation(m_panel.get(), "geometry", this);
    m_slide->setDuration(slideMs);
    m_slide->setEasingCurve(QEasingCurve::OutCubic);

    connect(m_pointer.get(), &PointerSource::moved, this, &EdgePanelController::pointerMoved);
    connect(m_screens.get(), &ScreenSource::changed, this, &EdgePanelController::screensChanged);
    connect(m_panel.get(), &EdgePanel::resignedKey, this, &EdgePanelController::scheduleCollapseIfPointerOutside);
    connect(&m_settings, &Settings::changed, this, &EdgePanelController::settingChanged);
    applySettings();
}

void EdgePanelController::toggle() {
    if (!isEnabled()) {
        m_settings.setValue(enabledKey, true);
        applySettings();
    }
    if (m_expanded) {
        setPinned(false);
        collapse();
    } else {
        expand();
        // Only an open panel is pinned: without a screen there is nothing to keep open.
        if (m_expanded)
            setPinned(true);
    }
}

void EdgePanelController::expand() {
    m_collapseTimer->cancel();
    if (m_expanded || !m_panel || !m_panel->isVisible())
        return;
    setExpanded(true);
    orderFront();
    layout(true);
}

void EdgePanelController::collapse() {
    m_collapseTimer->cancel();
    if (!m_expanded || m_pinned)
        return;
    setExpanded(false);
    if (m_panel)
        m_panel->endEditing();
    layout(true);
}

void EdgePanelController::applySettings() {
    if (!m_panel)
        return;
    const bool shown = isEnabled() && !m_screens->screens().isEmpty();
    m_pointer->setTracking(shown && m_globalPointer);
    if (shown) {
        layout(false);
        orderFront();
        return;
    }
    setExpanded(false);
    setPinned(false);
    if (m_slide)
        m_slide->stop();
    m_panel->orderOut();
}

void EdgePanelController::setPinned(bool pinned) {
    if (pinned == m_pinned)
        return;
    m_pinned = pinned;
    Q_EMIT pinnedChanged(pinned);
}

void EdgePanelController::setExpanded(bool expanded) {
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    Q_EMIT expandedChanged(expanded);
}

bool EdgePanelController::isEnabled() const {
    return m_settings.boolean(enabledKey, true);
}

EdgePanelController::Side EdgePanelController::side() const {
    return m_settings.string(sideKey) == QLatin1String("left") ? Side::Left : Side::Right;
}

std::optional<ScreenArea> EdgePanelController::edgeScreen() const {
    return EdgeGeometry::edgeScreen(m_screens->screens(), side());
}

QRectF EdgePanelController::collapsedFrame() const {
    return EdgeGeometry::collapsedFrame(edgeScreen(), side());
}

QRectF EdgePanelController::expandedFrame() const {
    return EdgeGeometry::expandedFrame(edgeScreen(), side());
}

void EdgePanelController::openLink(const QString& link) {
    // Unpinned first: a pinned panel would not close.
    setPinned(false);
    collapse();
    Q_EMIT linkRequested(link);
}

void EdgePanelController::pointerEnteredHandle() {
    if (!m_globalPointer && isEnabled())
        expand();
}

void EdgePanelController::pointerLeftPanel() {
    if (!m_globalPointer)
        scheduleCollapseIfPointerOutside();
}

void EdgePanelController::pointerEnteredPanel() {
    if (!m_globalPointer)
        m_collapseTimer->cancel();
}

void EdgePanelController::pointerMoved() {
    if (!isEnabled() || !m_panel)
        return;
    if (m_expanded) {
        if (pointerNearPanel())
            m_collapseTimer->cancel();
        else
            scheduleCollapseIfPointerOutside();
        return;
    }
    if (EdgeGeometry::contains(EdgeGeometry::openBand(collapsedFrame()), m_pointer->position()))
        expand();
}

void EdgePanelController::scheduleCollapseIfPointerOutside() {
    if (!m_expanded || m_pinned || !m_panel)
        return;
    if (!m_globalPointer) {
        if (!m_panel->underMouse() && !isEditingText())
            m_collapseTimer->restart(collapseDelayMs);
        return;
    }
    if (pointerNearPanel() || isEditingText())
        return;
    // Every move outside starts the delay afresh: the panel closes after the last one.
    m_collapseTimer->restart(collapseDelayMs);
}

bool EdgePanelController::pointerNearPanel() const {
    return EdgeGeometry::contains(EdgeGeometry::stayOpenArea(QRectF(m_panel->geometry())), m_pointer->position());
}

bool EdgePanelController::isEditingText() const {
    return m_panel && m_panel->isEditingText();
}

void EdgePanelController::layout(bool animated) {
    if (!m_panel)
        return;
    const QRect target = targetFrame().toRect();
    // A new slide replaces a running one, so the last target always wins.
    m_slide->stop();
    if (!animated || !m_globalPointer) {
        place(targetFrame());
        return;
    }
    m_slide->setStartValue(m_panel->geometry());
    m_slide->setEndValue(target);
    m_slide->start();
}

void EdgePanelController::place(const QRectF& frame) {
    m_panel->setGeometry(frame.toRect());
}

void EdgePanelController::orderFront() {
    if (m_panel)
        m_panel->orderFront();
}

void EdgePanelController::screensChanged() {
    if (!m_panel)
        return;
    // A screen that appears shows a panel that had none to sit on, and one that
    // goes away hides it; in between the panel keeps its state.
    const bool shouldShow = isEnabled() && !m_screens->screens().isEmpty();
    if (shouldShow != m_panel->isVisible()) {
        applySettings();
        return;
    }
    if (shouldShow) {
        m_slide->stop();
        place(targetFrame());
    }
}

void EdgePanelController::settingChanged(const QString& key) {
    if (key == enabledKey || key == sideKey)
        applySettings();
}

} // namespace sorvel
