#include "app/sheets/SheetSection.h"

#include "app/sheets/SheetPlate.h"

#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr int rowInsetH = 12;
constexpr int rowInsetV = 8;

class Hairline final : public QWidget {
public:
    explicit Hairline(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect().adjusted(rowInsetH, 0, -rowInsetH, 0), Studio::faded(Studio::line(), 0.7));
    }
};

} // namespace

SheetSection::SheetSection(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_header = Studio::plainLabel(Studio::font(12, Studio::Weight::Semibold), Studio::text2(), this);
    m_header->setIndent(rowInsetH);
    m_header->hide();
    m_plate = new SheetPlate(this);
    m_plateLayout = new QVBoxLayout(m_plate);
    m_plateLayout->setContentsMargins(0, 2, 0, 2);
    m_plateLayout->setSpacing(0);
    m_plate->hide();
    m_footer = Studio::plainLabel(Studio::font(11), Studio::text3(), this);
    m_footer->setIndent(rowInsetH);
    m_footer->setWordWrap(true);
    m_footer->hide();
    layout->addWidget(m_header);
    layout->addWidget(m_plate);
    layout->addWidget(m_footer);
}

void SheetSection::setHeader(const QString& text) {
    m_header->setText(text);
    m_header->setVisible(!text.isEmpty());
    sizeChanged();
}

void SheetSection::setFooter(const QString& text) {
    m_footer->setText(text);
    m_footer->setVisible(!text.isEmpty());
    sizeChanged();
}

QString SheetSection::footer() const {
    return m_footer->text();
}

void SheetSection::addSeparatorIfNeeded() {
    if (m_rows > 0)
        m_plateLayout->addWidget(new Hairline(m_plate));
    ++m_rows;
    m_plate->show();
}

void SheetSection::addRow(const QString& label, QWidget* value) {
    auto* content = new QWidget;
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(Studio::plainLabel(label, Studio::font(13), Studio::text(), content));
    layout->addStretch(1);
    layout->addWidget(value);
    addRow(content);
}

void SheetSection::addRow(QWidget* content) {
    addSeparatorIfNeeded();
    auto* row = new QWidget(m_plate);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(rowInsetH, rowInsetV, rowInsetH, rowInsetV);
    layout->addWidget(content); // while the row is still hidden, so the content shows with it
    m_plateLayout->addWidget(row);
    row->show(); // now, not from the event loop: the owner measures right away
    sizeChanged();
}

void SheetSection::sizeChanged() {
    // Nested layouts otherwise report their old size until the event loop runs.
    m_plate->updateGeometry();
    updateGeometry();
}

void SheetSection::clearRows() {
    while (QLayoutItem* item = m_plateLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_rows = 0;
    m_plate->hide();
    sizeChanged();
}

} // namespace sorvel
