#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QComboBox;

namespace sorvel {

class AccentSwatch;
class ColorWell;
class OpacitySlider;
class Settings;

// The "外观" tab: the accent colour, the edge panel's handle colour, tint and
// material, and the opacity of the main window and the panel. Every change is
// written to the settings at once; the windows follow through the settings'
// change signal.
class AppearanceSettings final : public QWidget {
    Q_OBJECT
public:
    static const QStringList& presets();

    explicit AppearanceSettings(Settings& settings, QWidget* parent = nullptr);

    // Writes the six keys with their defaults.
    void restoreDefaults();

    const QList<AccentSwatch*>& swatches() const { return m_swatches; } // the default first
    ColorWell* accentWell() const { return m_accentWell; }
    ColorWell* handleWell() const { return m_handleWell; }
    ColorWell* tintWell() const { return m_tintWell; }
    QAbstractButton* handleRevert() const { return m_handleRevert; }
    QAbstractButton* tintRevert() const { return m_tintRevert; }
    OpacitySlider* mainOpacity() const { return m_mainOpacity; }
    OpacitySlider* panelOpacity() const { return m_panelOpacity; }
    QComboBox* materialPicker() const { return m_material; }
    QAbstractButton* restoreButton() const { return m_restore; }

private:
    void refresh();

    Settings& m_settings;
    QList<AccentSwatch*> m_swatches;
    ColorWell* m_accentWell;
    ColorWell* m_handleWell;
    ColorWell* m_tintWell;
    QAbstractButton* m_handleRevert;
    QAbstractButton* m_tintRevert;
    OpacitySlider* m_mainOpacity;
    OpacitySlider* m_panelOpacity;
    QComboBox* m_material;
    QAbstractButton* m_restore;
};

} // namespace sorvel
