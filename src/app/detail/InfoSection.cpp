#include "app/detail/InfoSection.h"

#include "app/desktop/FolderDialog.h"
#include "app/detail/DetailEdit.h"
#include "app/detail/InfoRow.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/DateChip.h"
#include "studio/PlainSymbolButton.h"
#include "studio/SectionTitle.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

#include <QFontMetrics>

#include <QVBoxLayout>

namespace sorvel {

InfoSection::InfoSection(const QUuid& projectID, ProjectStore& store, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    m_deadline = new DateChip(std::nullopt, QStringLiteral("点击设置"), true,
                              Studio::font(12, Studio::Weight::Regular, true), this);
    connect(m_deadline, &DateChip::dateChosen, this, &InfoSection::setDeadline);
    auto* deadlineRow = new InfoRow(QStringLiteral("截止日期"), this);
    deadlineRow->addContent(m_deadline);

    m_folderLink = new PlainSymbolButton(QStringLiteral("folder"), QString(), Studio::font(12), this);
    m_folderButton = new StudioButton(QStringLiteral("选择"), StudioButtonStyle{false, true}, this);
    ProjectStore* storePtr = &store;
    connect(m_folderLink, &QAbstractButton::clicked, this,
            [storePtr, projectID] { storePtr->revealFolder(projectID); });
    connect(m_folderButton, &QPushButton::clicked, this, [storePtr, projectID] { storePtr->chooseFolder(projectID); });
    auto* folderRow = new InfoRow(QStringLiteral("工程文件夹"), this);
    folderRow->addContent(m_folderLink);
    folderRow->addContent(m_folderButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionTitle(QStringLiteral("信息"), QStringLiteral("INFO"), std::nullopt, this));
    column->addWidget(deadlineRow);
    column->addWidget(folderRow);
}

QString InfoSection::folderName(const QString& path) {
    return path.isEmpty() ? QString() : UserText::singleLine(FolderDialog::displayName(path));
}

void InfoSection::refresh(const AudioProject& project) {
    m_deadline->setDate(project.deadline);
    const QString path = project.folderPath.value_or(QString());
    m_folderLink->setVisible(project.folderPath.has_value());
    m_folderLink->setText(
        QFontMetrics(m_folderLink->font()).elidedText(folderName(path), Qt::ElideMiddle, widestFolderName));
    m_folderLink->setToolTip(Studio::plainToolTip(path));
    m_folderButton->setText(project.folderPath ? QStringLiteral("更改") : QStringLiteral("选择"));
}

void InfoSection::setDeadline(const std::optional<QDateTime>& deadline) {
    DetailEdit::stamped(m_store, m_projectID, [&](AudioProject& p) { p.deadline = deadline; });
}

} // namespace sorvel
