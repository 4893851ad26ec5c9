#pragma once

#include <QDialog>
#include <QSet>
#include <QUuid>

namespace sorvel {

class AppRouter;
class ProjectStore;

// The sheet that archives a set of projects; it closes itself only on success or cancel.
class ArchiveSheet final : public QDialog {
    Q_OBJECT
public:
    ArchiveSheet(const QSet<QUuid>& ids, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

private:
    QSet<QUuid> m_ids;
    ProjectStore& m_store;
    AppRouter& m_router;
};

} // namespace sorvel
