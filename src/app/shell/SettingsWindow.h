#pragma once

#include <QWidget>

namespace sorvel {

// Placeholder until the settings are built: an empty window titled "设置".
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    void bringToFront();
};

} // namespace sorvel
