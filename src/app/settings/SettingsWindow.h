#pragma once

#include <QWidget>

class QTabWidget;

namespace sorvel {

class AppearanceSettings;
class GeneralSettings;
class ProjectStore;
class Settings;
class TypeEditor;
class UpdateChecker;

// The settings window: one dark window of fixed size with the tabs 通用, 外观
// and 类型, tinted with the current accent colour: read again each time it is
// shown, and followed while it is open.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int windowWidth = 520;
    static constexpr int windowHeight = 500;

    SettingsWindow(ProjectStore& store, Settings& settings, UpdateChecker& updates, QWidget* parent = nullptr);

    void bringToFront();

    QTabWidget* tabs() const { return m_tabs; }
    GeneralSettings* general() const { return m_general; }
    AppearanceSettings* appearance() const { return m_appearance; }
    TypeEditor* typeEditor() const { return m_types; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyAccent();

    Settings& m_settings;
    QTabWidget* m_tabs;
    GeneralSettings* m_general;
    AppearanceSettings* m_appearance;
    TypeEditor* m_types;
    bool m_placed = false;
};

} // namespace sorvel
