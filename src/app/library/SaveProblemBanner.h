#pragma once

#include <QStatusBar>

class QLabel;

namespace sorvel {

class ProjectStore;

// A line along the bottom of the main window, shown only while the store's
// changes cannot be written (it names the cause and says that the changes are
// kept in memory and tried again) or while another program holds the data folder.
class SaveProblemBanner final : public QStatusBar {
    Q_OBJECT
public:
    explicit SaveProblemBanner(ProjectStore& store, QWidget* parent = nullptr);

    QString message() const;

private:
    void sync();

    ProjectStore& m_store;
    QLabel* m_label = nullptr;
};

} // namespace sorvel
