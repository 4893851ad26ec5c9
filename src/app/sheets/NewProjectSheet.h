#pragma once

#include "core/ProjectStatus.h"

#include <QDateTime>
#include <QDialog>
#include <QUuid>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sorvel {

class AppRouter;
class DateChip;
class ProjectStore;
class SegmentedPicker;

// The sheet that creates a project; it closes itself (accept on create, reject on cancel).
// Nothing reaches the store before "创建": then the whole record, cues included, is added
// at the front of the store and shown alone.
class NewProjectSheet final : public QDialog {
    Q_OBJECT
public:
    // Asks for a project folder; none when cancelled.
    using FolderChooser = std::function<std::optional<QString>()>;

    NewProjectSheet(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // Replaces the folder dialog (tests).
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    QUuid typeID() const { return m_typeID; }
    ProgressMode progressMode() const { return m_mode; }
    void setProgressMode(ProgressMode mode);
    std::optional<QDateTime> deadline() const;
    // What the deadline chip reports: a date sets the deadline, none clears it.
    void setDeadline(const std::optional<QDateTime>& date);
    std::optional<QString> folderPath() const { return m_folderPath; }

    void chooseFolder();
    // Creates the project unless the trimmed name is empty; returns whether it did.
    bool create();

    QLineEdit* nameField() const { return m_name; }
    QComboBox* typePicker() const { return m_typePicker; }
    DateChip* deadlineChip() const { return m_deadlineChip; }
    QLabel* folderLabel() const { return m_folderLabel; }
    QPushButton* folderButton() const { return m_folderButton; }
    QPlainTextEdit* itemsEditor() const { return m_items; }
    QPushButton* createButton() const { return m_create; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeForm();
    QWidget* makeBottomBar();
    void updateFolderRow();
    void updateCreateButton();

    ProjectStore& m_store;
    AppRouter& m_router;
    FolderChooser m_chooseFolder;

    QUuid m_typeID;
    ProgressMode m_mode = ProgressMode::Auto;
    std::optional<QString> m_folderPath;
    bool m_hasDeadline = false;
    QDateTime m_deadline;
    bool m_created = false;

    QLineEdit* m_name = nullptr;
    QComboBox* m_typePicker = nullptr;
    SegmentedPicker* m_modePicker = nullptr;
    DateChip* m_deadlineChip = nullptr;
    QLabel* m_folderLabel = nullptr;
    QPushButton* m_folderButton = nullptr;
    QPlainTextEdit* m_items = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace sorvel
