#pragma once

#include <QPainterPath>
#include <QWidget>

namespace sorvel {

class EdgeHandle;
class EdgePanelController;
class EdgePanelView;

// The panel window's content: the handle while collapsed, the panel view
// while expanded, under the panel's appearance host. The panel view is built
// anew at every expansion, so its tab, open tape and new-tape row start fresh.
class EdgeRootView final : public QWidget {
    Q_OBJECT
public:
    EdgeRootView(EdgePanelController& controller, QWidget* parent = nullptr);

    EdgeHandle* handle() const { return m_handle; }
    EdgePanelView* panelView() const { return m_view; }
    // What the content draws on, in this view's coordinates: the handle's
    // capsule or the open panel's rounded plate.
    QPainterPath outline() const;

Q_SIGNALS:
    void outlineChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showContent();
    void placeContent();
    void placeViews();

    EdgePanelController& m_controller;
    EdgeHandle* m_handle = nullptr;
    EdgePanelView* m_view = nullptr;
};

} // namespace sorvel
