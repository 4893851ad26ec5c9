#pragma once

#include <QUuid>
#include <QWidget>

namespace sorvel {

class AppRouter;
class CueSection;
class DetailBanner;
class DetailTopBar;
class InfoSection;
class LabelCard;
class LogSection;
class NotesSection;
class ProgressSection;
class ProjectStore;
class SilentScrollColumn;

// The detail of one project in the drawer: a fixed top bar over a scrolling
// column of label card, banner, progress, information, cues, log and notes.
// It holds no copy of the project: at every change of the store it reads the
// record by identifier and shows it, and every edit goes through the store.
// While no project has the identifier (deleted, or gone after a reload) the
// pane is empty and nothing it writes reaches any project.
class ProjectDetailView final : public QWidget {
    Q_OBJECT
public:
    ProjectDetailView(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);
    ~ProjectDetailView() override;

    const QUuid& projectID() const { return m_projectID; }
    // Whether the project exists and is shown.
    bool showsProject() const;

    DetailTopBar* topBar() const { return m_topBar; }
    LabelCard* labelCard() const { return m_labelCard; }
    DetailBanner* banner() const { return m_banner; }
    ProgressSection* progressSection() const { return m_progress; }
    InfoSection* infoSection() const { return m_info; }
    LogSection* logSection() const { return m_log; }
    NotesSection* notesSection() const { return m_notes; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    QUuid m_projectID;
    ProjectStore& m_store;
    QMetaObject::Connection m_focusWatch;
    DetailTopBar* m_topBar;
    SilentScrollColumn* m_scroll;
    LabelCard* m_labelCard;
    DetailBanner* m_banner;
    ProgressSection* m_progress;
    InfoSection* m_info;
    CueSection* m_cues;
    LogSection* m_log;
    NotesSection* m_notes;
};

} // namespace sorvel
