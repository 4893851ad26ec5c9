#include "app/detail/LogSection.h"

#include "app/detail/DeleteReveal.h"
#include "app/detail/LogRow.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/PlainSymbolButton.h"
#include "studio/SectionTitle.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace sorvel {

LogSection::LogSection(const QUuid& projectID, ProjectStore& store, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    m_field = new QLineEdit(this);
    studioField(m_field);
    m_field->setPlaceholderText(QStringLiteral("记一笔今天做了什么…"));
    m_add = new StudioButton(QStringLiteral("记录"), StudioButtonStyle{false, false}, this);
    connect(m_field, &QLineEdit::textChanged, this, &LogSection::updateAddButton);
    connect(m_field, &QLineEdit::returnPressed, this, &LogSection::addLog);
    connect(m_add, &QPushButton::clicked, this, &LogSection::addLog);
    updateAddButton();

    auto* inputRow = new QHBoxLayout;
    inputRow->setSpacing(6);
    inputRow->addWidget(m_field, 1);
    inputRow->addWidget(m_add);

    m_list = new QVBoxLayout;
    m_list->setContentsMargins(0, 0, 0, 0);
    m_list->setSpacing(0);

    // In the window's tint, its colour being left unset.
    m_toggle = new PlainSymbolButton(QString(), QString(), Studio::font(11), this);
    connect(m_toggle, &QPushButton::clicked, this, &LogSection::toggleShowAll);
    m_toggle->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionTitle(QStringLiteral("进度记录"), QStringLiteral("LOG"), std::nullopt, this));
    column->addLayout(inputRow);
    column->addLayout(m_list);
    column->addWidget(m_toggle, 0, Qt::AlignLeft);
}

QList<LogEntry> LogSection::visibleEntries(const QList<LogEntry>& log, bool showAll) {
    if (showAll || log.size() <= shortLength)
        return log;
    return log.first(shortLength);
}

std::optional<QString> LogSection::toggleTitle(qsizetype entryCount, bool showAll) {
    if (entryCount <= shortLength)
        return std::nullopt;
    if (showAll)
        return QStringLiteral("收起");
    return QStringLiteral("显示全部 %1 条").arg(entryCount);
}

void LogSection::refresh(const AudioProject& project) {
    const QColor color = Studio::typeColor(m_store.registry().type(project.typeID));
    showEntries(visibleEntries(project.log, m_showAll), color);
    updateToggle(project.log.size());
}

void LogSection::addLog() {
    // For the project this pane was opened for, or for none when it is gone;
    // a blank text stays in the field.
    if (m_store.addLogNote(m_projectID, m_field->text()))
        m_field->clear();
}

void LogSection::deleteEntry(const QUuid& entryID) {
    m_store.update(m_projectID, [&](AudioProject& p) {
        p.log.removeIf([&](const LogEntry& entry) { return entry.id == entryID; });
    });
}

void LogSection::toggleShowAll() {
    m_showAll = !m_showAll;
    if (const AudioProject* project = m_store.project(m_projectID))
        refresh(*project);
}

void LogSection::updateAddButton() {
    m_add->setEnabled(!UserText::isBlank(m_field->text()));
}

void LogSection::showEntries(const QList<LogEntry>& entries, const QColor& color) {
    // Rows are made again only when what they show changed, so a row under
    // the pointer keeps its delete button while other parts of the project change.
    if (entries == m_shownEntries && color == m_shownColor)
        return;
    m_shownEntries = entries;
    m_shownColor = color;
    // Later: the row whose delete button was pressed is still handling that click.
    for (LogRow* row : std::as_const(m_rows)) {
        DeleteReveal::takeKeyboardAway(row);
        m_list->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    m_rows.clear();
    const int dateWidth = LogRow::dateColumnWidth(entries);
    for (const LogEntry& entry : entries) {
        auto* row = new LogRow(entry, color, dateWidth, this);
        connect(row, &LogRow::deleteRequested, this, &LogSection::deleteEntry);
        m_list->addWidget(row);
        m_rows.append(row);
    }
    // Widgets take Tab in the order they were made: rows made after the
    // toggle below them would be reached after everything else in the pane.
    QList<QWidget*> stops{m_add};
    for (LogRow* row : std::as_const(m_rows))
        stops << row << row->deleteButton();
    stops << m_toggle;
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

void LogSection::updateToggle(qsizetype entryCount) {
    const std::optional<QString> title = toggleTitle(entryCount, m_showAll);
    m_toggle->setVisible(title.has_value());
    if (title)
        m_toggle->setText(*title);
}

} // namespace sorvel
