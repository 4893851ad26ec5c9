#include "app/settings/GeneralSettings.h"

#include "app/desktop/DesktopServices.h"
#include "app/desktop/FolderDialog.h"
#include "app/settings/SettingsForm.h"
#include "app/settings/UpdateChecker.h"
#include "app/sheets/SheetSection.h"
#include "app/sheets/SwitchToggle.h"
#include "app/store/ArchiveSettings.h"
#include "core/DataFolder.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/UserText.h"
#include "studio/ElidedLine.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace sorvel {

namespace {

const QStringList sideValues = {QStringLiteral("left"), QStringLiteral("right")};

StudioButton* compactButton(const QString& title, QWidget* parent) {
    auto* button = new StudioButton(title, StudioButtonStyle{false, true}, parent);
    button->setAutoDefault(false);
    return button;
}

QWidget* hbox(const QList<QWidget*>& parts, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (QWidget* part : parts)
        layout->addWidget(part, part->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding ? 1 : 0);
    return box;
}

} // namespace

GeneralSettings::Desktop GeneralSettings::systemDesktop() {
    return {[](QWidget* parent) {
                return FolderDialog::choose(parent, QStringLiteral("选择归档目录"), QStringLiteral("选择"));
            },
            &DesktopServices::openFolder};
}

GeneralSettings::GeneralSettings(Settings& settings, UpdateChecker& updates, Desktop desktop, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_updates(updates), m_desktop(std::move(desktop)) {
    auto* panel = new SheetSection;
    panel->setHeader(QStringLiteral("侧边面板"));
    m_panelToggle = new SwitchToggle;
    panel->addRow(QStringLiteral("在屏幕边缘显示侧边面板"), m_panelToggle);
    m_sidePicker = SettingsForm::choice({QStringLiteral("屏幕左侧"), QStringLiteral("屏幕右侧")}, nullptr);
    panel->addRow(QStringLiteral("位置"), m_sidePicker);
    const QString shortcut = QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Backslash).toString(QKeySequence::NativeText);
    panel->setFooter(QStringLiteral("鼠标移到屏幕边缘的小把手上即可展开，%1 也可以切换。").arg(shortcut));

    auto* archive = new SheetSection;
    archive->setHeader(QStringLiteral("归档"));
    m_archiveLabel = new ElidedLine(ElidedLine::Elide::Middle, Studio::font(12), Studio::text2());
    m_choose = compactButton(QStringLiteral("选择…"), nullptr);
    archive->addRow(QStringLiteral("归档目录"), hbox({m_archiveLabel, m_choose}, nullptr));

    auto* data = new SheetSection;
    data->setHeader(QStringLiteral("数据"));
    m_reveal = compactButton(QStringLiteral("在文件管理器中显示"), nullptr);
    data->addRow(QStringLiteral("数据文件"), m_reveal);

    auto* updatesSection = new SheetSection;
    updatesSection->setHeader(QStringLiteral("更新"));
    m_autoCheckToggle = new SwitchToggle;
    updatesSection->addRow(QStringLiteral("自动检查更新"), m_autoCheckToggle);
    m_status = Studio::plainLabel(Studio::font(12), Studio::text2(), nullptr);
    m_updateButton = compactButton(QStringLiteral("检查更新"), nullptr);
    updatesSection->addRow(QStringLiteral("当前版本 ") + UpdateChecker::currentVersion(),
                           hbox({m_status, m_updateButton}, nullptr));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(SettingsForm::page({panel, archive, data, updatesSection}, this));

    connect(m_panelToggle, &QAbstractButton::toggled, this,
            [this](bool on) { m_settings.setValue(QLatin1String(SettingsKeys::edgePanelEnabled), on); });
    connect(m_sidePicker, &QComboBox::activated, this, [this](int index) {
        m_settings.setValue(QLatin1String(SettingsKeys::edgePanelSide), sideValues.value(index));
    });
    connect(m_choose, &QAbstractButton::clicked, this, &GeneralSettings::chooseArchiveFolder);
    connect(m_reveal, &QAbstractButton::clicked, this, &GeneralSettings::revealDataFolder);
    connect(m_autoCheckToggle, &QAbstractButton::toggled, this,
            [this](bool on) { m_settings.setValue(UpdateChecker::autoCheckKey, on); });
    connect(m_updateButton, &QAbstractButton::clicked, this, [this] {
        if (m_updates.state() == UpdateChecker::State::Available)
            m_updates.presentAvailable();
        else
            m_updates.check(true);
    });
    connect(&m_settings, &Settings::changed, this, &GeneralSettings::refresh);
    connect(&m_updates, &UpdateChecker::stateChanged, this, &GeneralSettings::refreshUpdates);
    refresh();
    refreshUpdates();
}

QAbstractButton* GeneralSettings::chooseButton() const {
    return m_choose;
}

QAbstractButton* GeneralSettings::revealButton() const {
    return m_reveal;
}

QString GeneralSettings::updateStatus(const UpdateChecker& updates) {
    switch (updates.state()) {
    case UpdateChecker::State::Available:
        return QStringLiteral("发现新版本 ") + UserText::singleLine(updates.availableVersion().value_or(QString()));
    case UpdateChecker::State::Idle: return {};
    case UpdateChecker::State::Checking: return QStringLiteral("正在检查…");
    case UpdateChecker::State::UpToDate: return QStringLiteral("已是最新");
    case UpdateChecker::State::Failed: return QStringLiteral("检查失败");
    }
    return {};
}

void GeneralSettings::refresh() {
    SettingsForm::quietly(m_panelToggle, [this](SwitchToggle* toggle) {
        toggle->setChecked(m_settings.boolean(QLatin1String(SettingsKeys::edgePanelEnabled), true));
    });
    SettingsForm::quietly(m_sidePicker, [this](QComboBox* picker) {
        picker->setCurrentIndex(int(sideValues.indexOf(
            m_settings.string(QLatin1String(SettingsKeys::edgePanelSide), QStringLiteral("right")))));
    });
    const QString archive = m_settings.string(QString::fromLatin1(ArchiveSettings::directoryKey));
    m_archiveLabel->setText(archive.isEmpty() ? QStringLiteral("未设置") : archive);
    SettingsForm::quietly(m_autoCheckToggle, [this](SwitchToggle* toggle) {
        toggle->setChecked(m_settings.boolean(UpdateChecker::autoCheckKey, true));
    });
}

void GeneralSettings::refreshUpdates() {
    m_status->setText(updateStatus(m_updates));
    const std::optional<QString> available = m_updates.availableVersion();
    // The version comes from the feed: one line, and no "&" turns into a mnemonic.
    m_updateButton->setText(available ? UserText::menuText(QStringLiteral("下载 ") + *available + QStringLiteral("…"))
                                      : QStringLiteral("检查更新"));
    m_updateButton->setEnabled(m_updates.state() != UpdateChecker::State::Checking);
    m_updateButton->updateGeometry();
}

void GeneralSettings::chooseArchiveFolder() {
    if (const std::optional<QString> chosen = m_desktop.chooseFolder(this); chosen && !chosen->isEmpty())
        m_settings.setValue(QString::fromLatin1(ArchiveSettings::directoryKey), *chosen);
}

void GeneralSettings::revealDataFolder() {
    // Before the first save there is no data file to point at; the folder
    // where it will be is shown instead, made first.
    const QString folder = DataFolder::directory();
    QDir().mkpath(folder);
    m_desktop.openFolder(folder);
}

} // namespace sorvel
