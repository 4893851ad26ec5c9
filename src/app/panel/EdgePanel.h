#pragma once

#include <QWidget>

namespace sorvel {

class EdgePanelController;
class EdgeRootView;

// The panel's window: frameless, above other windows, on every workspace,
// outside the taskbar, shown without taking the keyboard; a click into one of
// its fields still gives that field the typing. Only the controller places it.
class EdgePanel final : public QWidget {
    Q_OBJECT
public:
    explicit EdgePanel(EdgePanelController& controller);

    // Shows and raises the window without activating it.
    void orderFront();
    void orderOut();
    // Whether one of the panel's text fields has the keyboard.
    bool isEditingText() const;
    // Takes the keyboard from the panel's fields (ends any editing).
    void endEditing();

    EdgeRootView& root() const { return *m_root; }

Q_SIGNALS:
    // The panel stopped being the window that has the keyboard.
    void resignedKey();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void cutToOutline();

    EdgePanelController& m_controller;
    EdgeRootView* m_root;
    bool m_composited = true; // as found when last shown
};

} // namespace sorvel
