#pragma once

#include <QDialog>

namespace sorvel {

class AppRouter;
class ProjectStore;
class StudioButton;

// The sheet around the type editor: the editor above a bar whose "完成"
// (also Return) closes it by clearing the router's request.
class TypeEditorSheet final : public QDialog {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 480;
    static constexpr int sheetHeight = 460;

    TypeEditorSheet(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    StudioButton* doneButton() const { return m_done; }

private:
    StudioButton* m_done;
};

} // namespace sorvel
