#include "app/selection/MultiSelectionView.h"

namespace sorvel {

MultiSelectionView::MultiSelectionView(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {}

void MultiSelectionView::setIDs(const QSet<QUuid>& ids) { m_ids = ids; }

} // namespace sorvel
