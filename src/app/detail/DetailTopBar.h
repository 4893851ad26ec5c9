#pragma once

#include "core/AudioProject.h"

#include <QUuid>
#include <QWidget>

class QLabel;

namespace sorvel {

class AppRouter;
class SymbolTileButton;
class ProjectStore;

// The fixed bar above the detail: the "TAPE" tag with the short identifier,
// then the focus star, the folder (when the project has a folder path), the
// expand or collapse toggle and the close button.
class DetailTopBar final : public QWidget {
    Q_OBJECT
public:
    DetailTopBar(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // The first four characters of the identifier, upper-case hexadecimal.
    static QString shortID(const QUuid& id);

    void refresh(const AudioProject& project);

    QLabel* idLabel() const { return m_id; }
    SymbolTileButton* focusButton() const { return m_focus; }
    SymbolTileButton* folderButton() const { return m_folder; }
    SymbolTileButton* expandButton() const { return m_expand; }
    SymbolTileButton* closeButton() const { return m_close; }

private:
    QUuid m_projectID;
    AppRouter& m_router;
    QLabel* m_id;
    SymbolTileButton* m_focus;
    SymbolTileButton* m_folder;
    SymbolTileButton* m_expand;
    SymbolTileButton* m_close;
};

} // namespace sorvel
