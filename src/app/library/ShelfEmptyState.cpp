#include "app/library/ShelfEmptyState.h"

#include "app/library/ShelfTexts.h"
#include "app/navigation/AppRouter.h"
#include "core/TypeRegistry.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/TapeWindow.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QVBoxLayout>

namespace sorvel {

ShelfEmptyState::ShelfEmptyState(AppRouter& router, const TypeRegistry& types, QWidget* parent)
    : QWidget(parent), m_router(router), m_types(types) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addStretch(1);

    auto* window = new TapeWindow(0, Studio::text3(), 44, false, this);
    window->setFixedSize(200, int(std::ceil(TapeWindow::naturalHeight(44))));
    auto* faded = new QGraphicsOpacityEffect(window);
    faded->setOpacity(0.6);
    window->setGraphicsEffect(faded);
    column->addWidget(window, 0, Qt::AlignHCenter);

    m_title = Studio::plainLabel(Studio::font(14, Studio::Weight::Medium), Studio::text2(), this);
    column->addWidget(m_title, 0, Qt::AlignHCenter);

    m_newTape = new StudioButton(QStringLiteral("新建磁带"), {true, false}, this);
    column->addWidget(m_newTape, 0, Qt::AlignHCenter);
    connect(m_newTape, &QAbstractButton::clicked, this, [this] { m_router.setShowingNewProject(true); });

    column->addStretch(1);
}

void ShelfEmptyState::refresh(bool reading) {
    m_title->setText(reading ? ShelfTexts::readingTitle() : ShelfTexts::emptyTitle(m_router.sidebar(), m_types));
    m_newTape->setVisible(!reading && m_router.sidebar() == SidebarItem::active());
}

QString ShelfEmptyState::title() const {
    return m_title->text();
}

bool ShelfEmptyState::offersNewTape() const {
    return !m_newTape->isHidden();
}

} // namespace sorvel
