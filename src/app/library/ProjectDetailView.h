#pragma once

#include <QUuid>
#include <QWidget>

namespace sorvel {

class AppRouter;
class ProjectStore;

// Placeholder for the detail pane of one project, which a later change
// provides; until then the drawer shows this empty pane.
class ProjectDetailView final : public QWidget {
    Q_OBJECT
public:
    ProjectDetailView(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    const QUuid& projectID() const { return m_projectID; }

private:
    QUuid m_projectID;
};

} // namespace sorvel
