#pragma once

#include "core/AudioProject.h"

#include <QUuid>
#include <QWidget>

namespace sorvel {

class DateChip;
class PlainSymbolButton;
class ProjectStore;
class StudioButton;

// The project's deadline (set or cleared with a date chip) and its project
// folder on disk (shown, revealed in the file manager, chosen or changed).
class InfoSection final : public QWidget {
    Q_OBJECT
public:
    static constexpr int widestFolderName = 300;

    InfoSection(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    // The name shown for a folder path: its last component, on one line.
    static QString folderName(const QString& path);

    void refresh(const AudioProject& project);

    void setDeadline(const std::optional<QDateTime>& deadline);

    DateChip* deadlineChip() const { return m_deadline; }
    // The folder's name (cut in the middle when long) with the full path as its tooltip.
    PlainSymbolButton* folderLink() const { return m_folderLink; }
    StudioButton* folderButton() const { return m_folderButton; }

private:
    QUuid m_projectID;
    ProjectStore& m_store;
    DateChip* m_deadline;
    PlainSymbolButton* m_folderLink;
    StudioButton* m_folderButton;
};

} // namespace sorvel
