#include "app/library/ProjectDetailView.h"

namespace sorvel {

ProjectDetailView::ProjectDetailView(const QUuid& projectID, ProjectStore&, AppRouter&, QWidget* parent)
    : QWidget(parent), m_projectID(projectID) {}

} // namespace sorvel
