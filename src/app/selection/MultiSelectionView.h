#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QSet>
#include <QUuid>
#include <QWidget>

class QLabel;
class QAbstractButton;
class QPushButton;

namespace sorvel {

class AppRouter;
class CassetteFan;
class ProjectStore;

// The drawer's content while two or more tapes are selected: a fan of their cards, the
// count, and actions on the selection's unarchived projects.
class MultiSelectionView final : public QWidget {
    Q_OBJECT
public:
    MultiSelectionView(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);
    void setIDs(const QSet<QUuid>& ids);
    const QSet<QUuid>& ids() const { return m_ids; }

    // The selected projects that exist, in the store's order (archived ones included).
    QList<AudioProject> selectedProjects() const;
    // Those of them not archived: what both actions act on.
    QSet<QUuid> openIDs() const;

    void markDone();
    void requestArchive();
    void clearSelection();

    QString countText() const;
    CassetteFan* fan() const { return m_fan; }
    QPushButton* markDoneButton() const { return m_markDone; }
    QPushButton* archiveButton() const { return m_archive; }
    QAbstractButton* clearButton() const { return m_clear; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    ProjectStore& m_store;
    AppRouter& m_router;
    QSet<QUuid> m_ids;
    CassetteFan* m_fan = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_markDone = nullptr;
    QPushButton* m_archive = nullptr;
    QAbstractButton* m_clear = nullptr;
};

} // namespace sorvel
