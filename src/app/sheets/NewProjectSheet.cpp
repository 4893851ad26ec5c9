#include "app/sheets/NewProjectSheet.h"

namespace sorvel {

NewProjectSheet::NewProjectSheet(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QDialog(parent), m_store(store), m_router(router) {}

} // namespace sorvel
