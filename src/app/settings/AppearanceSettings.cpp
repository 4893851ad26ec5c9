#include "app/settings/AppearanceSettings.h"

#include "app/settings/AccentSwatch.h"
#include "app/settings/ColorWell.h"
#include "app/settings/OpacitySlider.h"
#include "app/settings/SettingsForm.h"
#include "app/sheets/SheetSection.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SystemColors.h"
#include "studio/AppearanceHost.h"
#include "studio/PanelMaterial.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace sorvel {

namespace {

QWidget* row(const QList<QWidget*>& parts, int spacing) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* part : parts)
        layout->addWidget(part);
    return box;
}

} // namespace

const QStringList& AppearanceSettings::presets() {
    static const QStringList hexes = {SystemColors::blue,  SystemColors::purple, SystemColors::pink,
                                      SystemColors::red,   SystemColors::orange, SystemColors::yellow,
                                      SystemColors::green, SystemColors::teal,   SystemColors::gray};
    return hexes;
}

AppearanceSettings::AppearanceSettings(Settings& settings, QWidget* parent) : QWidget(parent), m_settings(settings) {
    auto* colours = new SheetSection;
    colours->setHeader(QStringLiteral("颜色"));
    QList<QWidget*> accentParts;
    m_swatches << new AccentSwatch(std::nullopt);
    for (const QString& hex : presets())
        m_swatches << new AccentSwatch(hex);
    for (AccentSwatch* swatch : m_swatches) {
        accentParts << swatch;
        connect(swatch, &QAbstractButton::clicked, this,
                [this, swatch] { m_settings.setValue(AppearanceHost::accentKey, swatch->hex().value_or(QString())); });
    }
    m_accentWell = new ColorWell(false);
    accentParts << m_accentWell;
    colours->addRow(QStringLiteral("强调色"), row(accentParts, 6));

    m_handleWell = new ColorWell(false);
    m_handleRevert = new PlainSymbolButton(QString(), QStringLiteral("还原"), Studio::font(12));
    colours->addRow(QStringLiteral("侧边面板把手"), row({m_handleRevert, m_handleWell}, 8));
    m_tintWell = new ColorWell(true);
    m_tintRevert = new PlainSymbolButton(QString(), QStringLiteral("还原"), Studio::font(12));
    colours->addRow(QStringLiteral("侧边面板底色"), row({m_tintRevert, m_tintWell}, 8));

    auto* opacity = new SheetSection;
    opacity->setHeader(QStringLiteral("透明度"));
    m_mainOpacity = new OpacitySlider(AppearanceHost::minimumOpacity(AppearanceHost::Target::Main), 1.0);
    opacity->addRow(QStringLiteral("主窗口"), m_mainOpacity);
    m_panelOpacity = new OpacitySlider(AppearanceHost::minimumOpacity(AppearanceHost::Target::Panel), 1.0);
    opacity->addRow(QStringLiteral("侧边面板"), m_panelOpacity);
    QStringList materials;
    for (PanelMaterial material : allPanelMaterials())
        materials << title(material);
    m_material = SettingsForm::choice(materials, nullptr);
    opacity->addRow(QStringLiteral("侧边面板材质"), m_material);

    auto* reset = new SheetSection;
    m_restore = new StudioButton(QStringLiteral("恢复默认外观"), StudioButtonStyle{false, true});
    auto* restoreRow = row({m_restore}, 0);
    static_cast<QHBoxLayout*>(restoreRow->layout())->addStretch(1);
    reset->addRow(restoreRow);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(SettingsForm::page({colours, opacity, reset}, this));

    connect(m_accentWell, &ColorWell::colorPicked, this,
            [this](const QColor& color) { m_settings.setValue(AppearanceHost::accentKey, Studio::hexString(color)); });
    connect(m_handleWell, &ColorWell::colorPicked, this, [this](const QColor& color) {
        m_settings.setValue(QLatin1String(SettingsKeys::handleColor), Studio::hexString(color));
    });
    connect(m_tintWell, &ColorWell::colorPicked, this, [this](const QColor& color) {
        m_settings.setValue(QLatin1String(SettingsKeys::panelTint), Studio::hexString(color));
    });
    connect(m_handleRevert, &QAbstractButton::clicked, this,
            [this] { m_settings.setValue(QLatin1String(SettingsKeys::handleColor), QString()); });
    connect(m_tintRevert, &QAbstractButton::clicked, this,
            [this] { m_settings.setValue(QLatin1String(SettingsKeys::panelTint), QString()); });
    connect(m_mainOpacity, &OpacitySlider::moved, this,
            [this](double value) { m_settings.setValue(AppearanceHost::mainOpacityKey, value); });
    connect(m_panelOpacity, &OpacitySlider::moved, this,
            [this](double value) { m_settings.setValue(AppearanceHost::panelOpacityKey, value); });
    connect(m_material, &QComboBox::activated, this, [this](int index) {
        m_settings.setValue(QLatin1String(SettingsKeys::panelMaterial), storedText(allPanelMaterials().at(index)));
    });
    connect(m_restore, &QAbstractButton::clicked, this, &AppearanceSettings::restoreDefaults);
    connect(&m_settings, &Settings::changed, this, &AppearanceSettings::refresh);
    refresh();
}

void AppearanceSettings::restoreDefaults() {
    m_settings.setValue(AppearanceHost::accentKey, QString());
    m_settings.setValue(AppearanceHost::mainOpacityKey, 1.0);
    m_settings.setValue(AppearanceHost::panelOpacityKey, 1.0);
    m_settings.setValue(QLatin1String(SettingsKeys::panelTint), QString());
    m_settings.setValue(QLatin1String(SettingsKeys::handleColor), QString());
    m_settings.setValue(QLatin1String(SettingsKeys::panelMaterial), storedText(PanelMaterial::Popover));
}

void AppearanceSettings::refresh() {
    const QString accentHex = m_settings.string(AppearanceHost::accentKey);
    for (AccentSwatch* swatch : m_swatches)
        swatch->setSelected(swatch->hex().value_or(QString()) == accentHex);
    const QColor accent = AppearanceHost::accentColor(m_settings);
    m_accentWell->setColor(accent);

    const QString handleHex = m_settings.string(QLatin1String(SettingsKeys::handleColor));
    m_handleWell->setColor(Studio::color(handleHex, accent));
    m_handleRevert->setVisible(!handleHex.isEmpty());
    const QString tintHex = m_settings.string(QLatin1String(SettingsKeys::panelTint));
    m_tintWell->setColor(Studio::color(tintHex, Studio::faded(accent, 0.15)));
    m_tintRevert->setVisible(!tintHex.isEmpty());

    m_mainOpacity->setValue(AppearanceHost::opacityFor(m_settings, AppearanceHost::Target::Main));
    m_panelOpacity->setValue(AppearanceHost::opacityFor(m_settings, AppearanceHost::Target::Panel));
    const std::optional<PanelMaterial> material = panelMaterialFromText(
        m_settings.string(QLatin1String(SettingsKeys::panelMaterial), storedText(PanelMaterial::Popover)));
    SettingsForm::quietly(m_material, [&material](QComboBox* picker) {
        picker->setCurrentIndex(material ? int(allPanelMaterials().indexOf(*material)) : -1);
    });
}

} // namespace sorvel
