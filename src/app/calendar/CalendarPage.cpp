#include "app/calendar/CalendarPage.h"

namespace sorvel {

CalendarPage::CalendarPage(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {}

} // namespace sorvel
