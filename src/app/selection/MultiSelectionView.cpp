#include "app/selection/MultiSelectionView.h"

#include "app/navigation/AppRouter.h"
#include "app/selection/CassetteFan.h"
#include "app/store/ProjectStore.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

MultiSelectionView::MultiSelectionView(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {
    m_fan = new CassetteFan(m_store.registry(), this);

    m_count = Studio::plainLabel(Studio::font(18, Studio::Weight::Bold), Studio::text(), this);
    m_count->setAlignment(Qt::AlignCenter);

    m_markDone = new StudioButton(QStringLiteral("标记为完成"), StudioButtonStyle{false, false}, this);
    m_archive = new StudioButton(QStringLiteral("归档…"), StudioButtonStyle{true, false}, this);
    auto* clear = new PlainSymbolButton(QString(), QStringLiteral("取消选择"), Studio::font(12), this);
    clear->setColor(Studio::text3());
    m_clear = clear;
    connect(m_markDone, &QPushButton::clicked, this, &MultiSelectionView::markDone);
    connect(m_archive, &QPushButton::clicked, this, &MultiSelectionView::requestArchive);
    connect(m_clear, &QAbstractButton::clicked, this, &MultiSelectionView::clearSelection);

    auto* actions = new QHBoxLayout;
    actions->setSpacing(8);
    actions->addStretch(1);
    actions->addWidget(m_markDone);
    actions->addWidget(m_archive);
    actions->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(18);
    layout->addStretch(1);
    layout->addWidget(m_fan, 0, Qt::AlignHCenter);
    layout->addWidget(m_count);
    layout->addLayout(actions);
    layout->addWidget(m_clear, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(&m_store, &ProjectStore::projectsChanged, this, &MultiSelectionView::refresh);
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &MultiSelectionView::refresh);
    refresh();
}

void MultiSelectionView::setIDs(const QSet<QUuid>& ids) {
    m_ids = ids;
    refresh();
}

QList<AudioProject> MultiSelectionView::selectedProjects() const {
    QList<AudioProject> selected;
    for (const AudioProject& project : m_store.projects()) {
        if (m_ids.contains(project.id))
            selected << project;
    }
    return selected;
}

QSet<QUuid> MultiSelectionView::openIDs() const {
    QSet<QUuid> open;
    for (const AudioProject& project : selectedProjects()) {
        if (!project.archivedAt)
            open.insert(project.id);
    }
    return open;
}

void MultiSelectionView::markDone() {
    const QSet<QUuid> open = openIDs();
    if (!open.isEmpty())
        m_store.markDone(open);
}

void MultiSelectionView::requestArchive() {
    const QSet<QUuid> open = openIDs();
    if (!open.isEmpty())
        m_router.setArchiveRequest(open);
}

void MultiSelectionView::clearSelection() {
    m_router.setSelection({});
}

QString MultiSelectionView::countText() const {
    return m_count->text();
}

void MultiSelectionView::refresh() {
    const QList<AudioProject> selected = selectedProjects();
    m_fan->setProjects(selected);
    m_count->setText(QStringLiteral("已选择 %1 盒磁带").arg(selected.size()));
    const bool anyOpen = !openIDs().isEmpty();
    m_markDone->setEnabled(anyOpen);
    m_archive->setEnabled(anyOpen);
}

void MultiSelectionView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Studio::bg1());
}

} // namespace sorvel
