#include "app/sheets/SheetChrome.h"

#include "studio/Studio.h"

#include <QDialog>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvel::SheetChrome {

void apply(QDialog* sheet) {
    sheet->setWindowModality(Qt::WindowModal);
    const QColor accent = Studio::tint(sheet->parentWidget());
    QPalette palette = Studio::palette(accent);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, Studio::bg1());
    sheet->setPalette(palette);
}

void paintBackground(QWidget* sheet) {
    QPainter painter(sheet);
    painter.fillRect(sheet->rect(), Studio::bg1());
}

void setMainButton(QDialog* sheet, QPushButton* main) {
    for (QPushButton* button : sheet->findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    if (main)
        main->setDefault(true);
}

void setContent(QDialog* sheet, int width, const QList<QWidget*>& parts, QPushButton* main) {
    auto* content = new QWidget(sheet);
    content->setFixedWidth(width);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);
    for (QWidget* part : parts)
        contentLayout->addWidget(part);

    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);

    setMainButton(sheet, main);
}

} // namespace sorvel::SheetChrome
