#pragma once

#include <QDialog>
#include <QSet>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QScrollArea;

namespace sorvel {

class AppRouter;
class ProjectStore;
class Settings;
class SheetSection;
class SwitchToggle;

// The sheet that archives a set of projects; it closes itself only on success or cancel.
// One run per presentation: after a run with errors it lists every returned line, in
// the order returned, and offers only "关闭" — it never retries with other options.
class ArchiveSheet final : public QDialog {
    Q_OBJECT
public:
    // Asks for the archive base folder; none when cancelled.
    using DirectoryChooser = std::function<std::optional<QString>()>;

    ArchiveSheet(const QSet<QUuid>& ids, ProjectStore& store, AppRouter& router, Settings& settings,
                 QWidget* parent = nullptr);

    // Replaces the folder dialog (tests).
    void setDirectoryChooser(DirectoryChooser chooser) { m_chooseDirectory = std::move(chooser); }

    void chooseDirectory();
    // Archives through the store once; closes when no error came back.
    void archive();

    const QSet<QUuid>& ids() const { return m_ids; }
    const QStringList& errors() const { return m_errors; }

    // What the sheet shows (tests).
    QString titleText() const;
    QStringList projectNames() const;
    int unfinishedTagCount() const;
    QString pendingText() const; // empty while hidden
    QString directoryText() const;
    QString footerText() const;
    QStringList shownErrorLines() const;
    SwitchToggle* moveToggle() const { return m_moveToggle; }
    SwitchToggle* summaryToggle() const { return m_summaryToggle; }
    QPushButton* archiveButton() const { return m_archive; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeForm();
    QWidget* makeBottomBar();
    void refreshProjects();
    void refreshOptions();
    void refreshErrors();
    void fitForm();
    // Scrolls the form to the error lines, until it is scrolled by hand.
    void revealErrors();
    QString directorySetting() const;

    QSet<QUuid> m_ids;
    ProjectStore& m_store;
    Settings& m_settings;
    AppRouter& m_router;
    DirectoryChooser m_chooseDirectory;
    QStringList m_errors;
    bool m_ran = false;
    bool m_revealingErrors = false;

    QLabel* m_title = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_formContent = nullptr;
    SheetSection* m_projects = nullptr;
    SheetSection* m_options = nullptr;
    SheetSection* m_errorSection = nullptr;
    QLabel* m_directoryValue = nullptr;
    SwitchToggle* m_moveToggle = nullptr;
    SwitchToggle* m_summaryToggle = nullptr;
    QWidget* m_pending = nullptr;
    QLabel* m_pendingText = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_archive = nullptr;
    QList<QLabel*> m_errorLabels;
    QStringList m_projectNames;
    int m_unfinishedTags = 0;
};

} // namespace sorvel
