#pragma once

#include "app/panel/CollapseTimer.h"
#include "app/panel/EdgeGeometry.h"
#include "app/panel/PointerSource.h"
#include "app/panel/ScreenSource.h"
#include "core/SettingsKeys.h"

#include <QObject>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

class QPropertyAnimation;

namespace sorvel {

class EdgePanel;
class ProjectStore;
class Settings;

// Owns the edge panel: its window, where it sits, whether it is open or
// pinned, the pointer tracking that opens and closes it, and the two settings
// that switch it on and choose its side. One per process.
class EdgePanelController final : public QObject {
    Q_OBJECT
public:
    using Side = PanelSide;

    static inline const QString enabledKey = QLatin1String(SettingsKeys::edgePanelEnabled);
    static inline const QString sideKey = QLatin1String(SettingsKeys::edgePanelSide);
    static constexpr int slideMs = 220;
    static constexpr int collapseDelayMs = 450;

    // What the controller asks of the desktop; tests hand in their own.
    struct Platform {
        std::unique_ptr<PointerSource> pointer;
        std::unique_ptr<ScreenSource> screens;
        std::unique_ptr<CollapseTimer> collapseTimer;
        // False where windows cannot be placed and the pointer is not seen
        // outside them (Wayland): the panel then opens when the pointer enters
        // its handle and closes when it leaves the panel.
        bool globalPointer = true;

        static Platform system();
    };

    EdgePanelController(ProjectStore& store, Settings& settings, Platform platform, QObject* parent = nullptr);
    ~EdgePanelController() override;

    // Builds the window once and applies the settings; later calls do nothing.
    void start();
    // The menu command: turns the panel on if it was off, then opens it pinned,
    // or closes an open one (pinned or not).
    void toggle();
    void expand();
    // Closes the panel unless it is pinned.
    void collapse();
    // Reads both settings again: shows, moves or hides the panel.
    void applySettings();

    bool isExpanded() const { return m_expanded; }
    bool isPinned() const { return m_pinned; }
    void setPinned(bool pinned);
    bool isEnabled() const;
    Side side() const;

    QRectF collapsedFrame() const;
    QRectF expandedFrame() const;
    // The frame the panel is at or sliding to.
    QRectF targetFrame() const { return m_expanded ? expandedFrame() : collapsedFrame(); }

    // Unpins and closes the panel, then hands a sorvel:// link to the application.
    void openLink(const QString& link);

    // Without a global pointer: the pointer entered the handle, or left or
    // re-entered the open panel.
    void pointerEnteredHandle();
    void pointerLeftPanel();
    void pointerEnteredPanel();

    ProjectStore& store() const { return m_store; }
    Settings& settings() const { return m_settings; }
    EdgePanel* panel() const { return m_panel.get(); }

Q_SIGNALS:
    void expandedChanged(bool expanded);
    void pinnedChanged(bool pinned);
    // A link for the application's router ("sorvel://main", a project link…).
    void linkRequested(const QString& link);

private:
    void setExpanded(bool expanded);
    std::optional<ScreenArea> edgeScreen() const;
    void pointerMoved();
    void scheduleCollapseIfPointerOutside();
    bool pointerNearPanel() const;
    bool isEditingText() const;
    void layout(bool animated);
    void place(const QRectF& frame);
    void orderFront();
    void screensChanged();
    void settingChanged(const QString& key);

    ProjectStore& m_store;
    Settings& m_settings;
    std::unique_ptr<PointerSource> m_pointer;
    std::unique_ptr<ScreenSource> m_screens;
    std::unique_ptr<CollapseTimer> m_collapseTimer;
    bool m_globalPointer = true;
    std::unique_ptr<EdgePanel> m_panel;
    QPropertyAnimation* m_slide = nullptr;
    bool m_expanded = false;
    bool m_pinned = false;
};

} // namespace sorvel
