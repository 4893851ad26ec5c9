#include "app/detail/DetailTopBar.h"

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/SymbolTileButton.h"

#include <QHBoxLayout>
#include <QLabel>

namespace sorvel {

DetailTopBar::DetailTopBar(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_router(router) {
    QFont tagFont = Studio::font(10, Studio::Weight::Semibold, true);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    auto* tag = Studio::plainLabel(QStringLiteral("TAPE"), tagFont, Studio::text3(), this);
    m_id =
        Studio::plainLabel(shortID(projectID), Studio::font(10, Studio::Weight::Regular, true), Studio::text3(), this);

    constexpr qreal symbolSize = 12;
    const QString focusHelp = QStringLiteral("设为焦点项目，小号小组件会优先显示它");
    m_focus = new SymbolTileButton(QStringLiteral("star"), symbolSize, focusHelp, this);
    m_folder = new SymbolTileButton(QStringLiteral("folder"), symbolSize, QStringLiteral("在文件管理器中显示"), this);
    m_expand = new SymbolTileButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), symbolSize, QString(), this);
    m_close = new SymbolTileButton(QStringLiteral("xmark"), symbolSize, QStringLiteral("关闭"), this);
    m_focus->setActiveColor(Studio::systemYellow()); // the focus mark

    ProjectStore* storePtr = &store;
    connect(m_focus, &QAbstractButton::clicked, this, [storePtr, projectID] {
        // For an id that names no project the store would clear every other project's mark.
        if (storePtr->project(projectID))
            storePtr->setFocus(projectID);
    });
    connect(m_folder, &QAbstractButton::clicked, this, [storePtr, projectID] { storePtr->revealFolder(projectID); });
    connect(m_expand, &QAbstractButton::clicked, this,
            [this] { m_router.setDetailExpanded(!m_router.detailExpanded()); });
    connect(m_close, &QAbstractButton::clicked, this, [this] { m_router.setSelection({}); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 34, 16, 10);
    row->setSpacing(6);
    row->addWidget(tag);
    row->addWidget(m_id);
    row->addStretch(1);
    row->addWidget(m_focus);
    row->addWidget(m_folder);
    row->addWidget(m_expand);
    row->addWidget(m_close);
}

QString DetailTopBar::shortID(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).left(4).toUpper();
}

void DetailTopBar::refresh(const AudioProject& project) {
    m_focus->setSymbol(project.isFocused ? QStringLiteral("star.fill") : QStringLiteral("star"));
    m_focus->setActive(project.isFocused);
    m_folder->setVisible(project.folderPath.has_value());
    const bool expanded = m_router.detailExpanded();
    m_expand->setSymbol(expanded ? QStringLiteral("arrow.down.right.and.arrow.up.left")
                                 : QStringLiteral("arrow.up.left.and.arrow.down.right"));
    m_expand->setHelp(expanded ? QStringLiteral("收起") : QStringLiteral("展开，Cue 表格看得更全"));
}

} // namespace sorvel
