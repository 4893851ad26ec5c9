#pragma once

#include <QSet>
#include <QUuid>
#include <QWidget>

namespace sorvel {

class AppRouter;
class ProjectStore;

// The drawer's content while two or more tapes are selected.
class MultiSelectionView final : public QWidget {
    Q_OBJECT
public:
    MultiSelectionView(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);
    void setIDs(const QSet<QUuid>& ids);

private:
    ProjectStore& m_store;
    AppRouter& m_router;
    QSet<QUuid> m_ids;
};

} // namespace sorvel
