#include "app/library/TypeEditorSheet.h"

#include "app/navigation/AppRouter.h"
#include "app/settings/TypeEditor.h"
#include "studio/StudioButton.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace sorvel {

TypeEditorSheet::TypeEditorSheet(ProjectStore& store, AppRouter& router, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("管理类型"));
    setFixedSize(sheetWidth, sheetHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new TypeEditor(store, this), 1);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(16, 16, 16, 16);
    bar->addStretch(1);
    m_done = new StudioButton(QStringLiteral("完成"), {true, false}, this);
    m_done->setDefault(true);
    bar->addWidget(m_done);
    column->addLayout(bar);

    connect(m_done, &QAbstractButton::clicked, this, [&router] { router.setShowingTypeEditor(false); });
}

} // namespace sorvel
