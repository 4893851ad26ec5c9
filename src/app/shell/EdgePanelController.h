#pragma once

#include <QObject>

namespace sorvel {

// Placeholder until the edge panel is built: starting and toggling do nothing.
class EdgePanelController final : public QObject {
    Q_OBJECT
public:
    static EdgePanelController& shared();

    void start();
    void toggle();

private:
    EdgePanelController() = default;
};

} // namespace sorvel
