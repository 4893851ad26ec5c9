#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QComboBox;
class QLabel;

namespace sorvel {

class ElidedLine;
class Settings;
class StudioButton;
class SwitchToggle;
class UpdateChecker;

// The "通用" tab: the edge panel's place, the archive folder, the data folder
// and the update checks. Every value lives in the settings (or the update
// checker); changes are written at once and changes made elsewhere show here.
class GeneralSettings final : public QWidget {
    Q_OBJECT
public:
    // What the tab asks of the desktop; replaced in tests so no dialog opens.
    struct Desktop {
        std::function<std::optional<QString>(QWidget* parent)> chooseFolder;
        std::function<void(const QString& directory)> openFolder;
    };
    static Desktop systemDesktop();

    GeneralSettings(Settings& settings, UpdateChecker& updates, Desktop desktop, QWidget* parent = nullptr);

    // The update row's status for the checker's state.
    static QString updateStatus(const UpdateChecker& updates);
    // Shows the data folder, made first when it does not exist yet.
    void revealDataFolder();
    void chooseArchiveFolder();

    SwitchToggle* panelToggle() const { return m_panelToggle; }
    QComboBox* sidePicker() const { return m_sidePicker; }
    ElidedLine* archiveLabel() const { return m_archiveLabel; }
    QAbstractButton* chooseButton() const;
    QAbstractButton* revealButton() const;
    SwitchToggle* autoCheckToggle() const { return m_autoCheckToggle; }
    QLabel* statusLabel() const { return m_status; }
    StudioButton* updateButton() const { return m_updateButton; }

private:
    void refresh();
    void refreshUpdates();

    Settings& m_settings;
    UpdateChecker& m_updates;
    Desktop m_desktop;
    SwitchToggle* m_panelToggle;
    QComboBox* m_sidePicker;
    ElidedLine* m_archiveLabel;
    StudioButton* m_choose;
    StudioButton* m_reveal;
    SwitchToggle* m_autoCheckToggle;
    QLabel* m_status;
    StudioButton* m_updateButton;
};

} // namespace sorvel
