#include "app/sheets/ArchiveSheet.h"

namespace sorvel {

ArchiveSheet::ArchiveSheet(const QSet<QUuid>& ids, ProjectStore& store, AppRouter& router, QWidget* parent)
    : QDialog(parent), m_ids(ids), m_store(store), m_router(router) {}

} // namespace sorvel
