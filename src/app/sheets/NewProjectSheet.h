#pragma once

#include <QDialog>

namespace sorvel {

class AppRouter;
class ProjectStore;

// The sheet that creates a project; it closes itself (accept on create, reject on cancel).
class NewProjectSheet final : public QDialog {
    Q_OBJECT
public:
    NewProjectSheet(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

private:
    ProjectStore& m_store;
    AppRouter& m_router;
};

} // namespace sorvel
