#include "app/settings/SettingsForm.h"

#include "app/sheets/SheetSection.h"
#include "studio/Studio.h"

#include <QComboBox>
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>

namespace sorvel::SettingsForm {

QScrollArea* page(const QList<SheetSection*>& sections, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* column = new QWidget(scroll);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(18);
    for (SheetSection* section : sections) {
        section->setParent(column);
        layout->addWidget(section);
    }
    layout->addStretch(1);
    scroll->setWidget(column);
    // The window's background shows through.
    scroll->viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    return scroll;
}

QComboBox* choice(const QStringList& titles, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(titles);
    box->setFont(Studio::font(13));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace sorvel::SettingsForm
