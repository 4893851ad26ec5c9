#pragma once

#include "app/navigation/SidebarItem.h"

#include <QWidget>

class QLabel;

namespace sorvel {

class AppRouter;
class TypeRegistry;
class StudioButton;

// The page shown when the current destination has no tapes: an empty
// cassette window, the page's title and, on the active page only, "新建磁带".
// Before the data file has been read it says that the tapes are coming.
class ShelfEmptyState final : public QWidget {
    Q_OBJECT
public:
    ShelfEmptyState(AppRouter& router, const TypeRegistry& types, QWidget* parent = nullptr);

    // `reading`: the data file has not been read yet, so no page is known to be empty.
    void refresh(bool reading);
    QString title() const;
    bool offersNewTape() const;
    StudioButton* newTapeButton() const { return m_newTape; }

private:
    AppRouter& m_router;
    const TypeRegistry& m_types;
    QLabel* m_title;
    StudioButton* m_newTape;
};

} // namespace sorvel
