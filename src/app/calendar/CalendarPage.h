#pragma once

#include <QWidget>

namespace sorvel {

class AppRouter;
class ProjectStore;

// The library window's month calendar of deadlines and cue dates.
class CalendarPage final : public QWidget {
    Q_OBJECT
public:
    CalendarPage(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

private:
    ProjectStore& m_store;
    AppRouter& m_router;
};

} // namespace sorvel
