#pragma once

#include <QObject>

class QWidget;

namespace sorvel {

// Keeps the keyboard with the modal window that blocks `window`. Some window
// managers hand focus to a blocked window when it is clicked; its keys would
// then go nowhere and the sheet above it could not be answered by Return or
// Escape. Whenever `window` becomes active while a visible modal window blocks
// it, the modal window is activated instead.
class ModalFocusRelay final : public QObject {
    Q_OBJECT
public:
    explicit ModalFocusRelay(QWidget* window);

    // The visible modal window that blocks `window`, if any: an application-modal
    // one, or a window-modal one whose parent chain leads to `window`.
    static QWidget* blockingModal(const QWidget* window);

Q_SIGNALS:
    // The keyboard was handed from the window to `modal`.
    void handedOver(QWidget* modal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void relay();

    QWidget* m_window;
};

} // namespace sorvel
