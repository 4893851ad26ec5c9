#include "app/detail/CueSection.h"

#include "app/detail/CueTable.h"
#include "studio/SectionTitle.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

namespace {

// The raised rounded plate the table lies on.
class TablePlate final : public QWidget {
public:
    explicit TablePlate(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Shapes::fillRounded(painter, rect(), 9, Studio::bg2());
    }
};

} // namespace

CueSection::CueSection(const QUuid& projectID, ProjectStore& store, QWidget* parent) : QWidget(parent) {
    m_title = new SectionTitle(QStringLiteral("Cue"), QStringLiteral("CUES"), std::nullopt, this);
    auto* plate = new TablePlate(this);
    m_table = new CueTable(store, projectID, true, plate);
    // The pane scrolls as a whole: the table always takes the height it asks for.
    m_table->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto* plateLayout = new QVBoxLayout(plate);
    plateLayout->setContentsMargins(0, 0, 0, 0);
    plateLayout->addWidget(m_table);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(m_title);
    column->addWidget(plate);
}

std::optional<QString> CueSection::summary(const AudioProject& project) {
    if (project.items.isEmpty())
        return std::nullopt;
    return project.cueSummary();
}

void CueSection::refresh(const AudioProject& project) {
    m_title->setTrailing(summary(project));
}

} // namespace sorvel
