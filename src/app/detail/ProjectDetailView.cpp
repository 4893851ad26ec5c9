#include "app/detail/ProjectDetailView.h"

#include "app/detail/CueSection.h"
#include "app/detail/DetailBanner.h"
#include "app/detail/DetailTopBar.h"
#include "app/detail/InfoSection.h"
#include "app/detail/LabelCard.h"
#include "app/detail/LogSection.h"
#include "app/detail/NotesSection.h"
#include "app/detail/ProgressSection.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "studio/SilentScrollColumn.h"
#include "studio/Studio.h"

#include <QApplication>
#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

ProjectDetailView::ProjectDetailView(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    m_topBar = new DetailTopBar(projectID, store, router, this);
    m_scroll = new SilentScrollColumn(this);
    QWidget* content = m_scroll->content();
    m_labelCard = new LabelCard(projectID, store, content);
    m_banner = new DetailBanner(projectID, store, router, content);
    m_progress = new ProgressSection(projectID, store, content);
    m_info = new InfoSection(projectID, store, content);
    m_cues = new CueSection(projectID, store, content);
    m_log = new LogSection(projectID, store, content);
    m_notes = new NotesSection(projectID, store, content);

    QVBoxLayout* column = m_scroll->column();
    column->setContentsMargins(20, 0, 20, 28);
    column->setSpacing(22); // a hidden banner takes no place and no gap
    for (QWidget* section :
         {static_cast<QWidget*>(m_labelCard), static_cast<QWidget*>(m_banner), static_cast<QWidget*>(m_progress),
          static_cast<QWidget*>(m_info), static_cast<QWidget*>(m_cues), static_cast<QWidget*>(m_log),
          static_cast<QWidget*>(m_notes)})
        column->addWidget(section);
    column->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_topBar);
    layout->addWidget(m_scroll, 1);

    connect(&m_store, &ProjectStore::projectsChanged, this, &ProjectDetailView::refresh);
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &ProjectDetailView::refresh);
    connect(&router, &AppRouter::detailExpandedChanged, this, &ProjectDetailView::refresh);
    // A field keeps its own text while it is typed in; once left it shows the
    // stored text again, should the project have changed meanwhile.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old && isAncestorOf(old))
            refresh();
    });
    refresh();
}

ProjectDetailView::~ProjectDetailView() {
    // Closing the window moves the focus while the sections are being torn down.
    disconnect(m_focusWatch);
}

bool ProjectDetailView::showsProject() const {
    return m_store.project(m_projectID) != nullptr;
}

void ProjectDetailView::refresh() {
    const AudioProject* project = m_store.project(m_projectID);
    m_topBar->setVisible(project != nullptr);
    m_scroll->setVisible(project != nullptr);
    if (!project)
        return;
    // Each section reads what it shows from this record and keeps no copy of it.
    const AudioProject current = *project;
    m_topBar->refresh(current);
    m_labelCard->refresh(current);
    m_banner->refresh(current);
    m_progress->refresh(current);
    m_info->refresh(current);
    m_cues->refresh(current);
    m_log->refresh(current);
    m_notes->refresh(current);
}

void ProjectDetailView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh(); // the relative modification time is read again when the pane comes back
}

void ProjectDetailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Studio::bg1());
}

} // namespace sorvel
