#include "app/detail/LabelCard.h"

#include "app/detail/CueTextField.h"
#include "app/detail/DetailChip.h"
#include "app/detail/DetailEdit.h"
#include "app/detail/StoredText.h"
#include "app/detail/TypeMenuButton.h"
#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/RelativeDate.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/TypedTextWrite.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

namespace {

// The rule across the card.
class CardRule final : public QWidget {
public:
    explicit CardRule(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Studio::labelLine());
    }
};

QLineEdit* makeNameField(QWidget* parent) {
    // A name wider than the card ends in "…" until it is typed in.
    auto* field = new CueTextField(Studio::font(22, Studio::Weight::Bold), QStringLiteral("磁带名称"),
                                   Qt::AlignLeft | Qt::AlignVCenter, parent);
    // Ink straight on the paper: the window's style would fill the field with its base colour.
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; color: %1; }")
                             .arg(Studio::labelInk().name()));
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, Studio::faded(Studio::labelInk(), 0.35));
    field->setPalette(palette);
    return field;
}

} // namespace

LabelCard::LabelCard(const QUuid& projectID, ProjectStore& store, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_type = new TypeMenuButton(store.registry(), this);
    connect(m_type, &TypeMenuButton::typeChosen, this, &LabelCard::chooseType);
    m_modified = Studio::plainLabel(Studio::font(10, Studio::Weight::Regular, true),
                                    Studio::faded(Studio::labelInk(), 0.5), this);

    m_name = makeNameField(this);
    // Only the user's own edits are written; texts shown from the store are not.
    m_nameWrite = new TypedTextWrite(
        [this](const QString& text) {
            DetailEdit::stamped(m_store, m_projectID, [&](AudioProject& p) { p.name = text; });
        },
        this);
    connect(m_name, &QLineEdit::textEdited, m_nameWrite, &TypedTextWrite::changed);

    auto* typeRow = new QHBoxLayout;
    typeRow->setSpacing(6);
    typeRow->addWidget(m_type);
    typeRow->addStretch(1);
    typeRow->addWidget(m_modified);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(4);
    const DetailChip::Look selected{Studio::label(), Studio::labelInk()};
    const DetailChip::Look idle{Studio::faded(Studio::labelInk(), 0.65), Studio::faded(Studio::labelLine(), 0.45)};
    // The arrows move between the chips of one row.
    auto* statusGroup = new QButtonGroup(this);
    statusGroup->setExclusive(false);
    for (const ProjectStatus status : allProjectStatuses()) {
        auto* chip = new DetailChip(title(status), Studio::font(11, Studio::Weight::Medium), QMargins(9, 4, 9, 4), 5,
                                    selected, idle, this);
        connect(chip, &QAbstractButton::clicked, this, [this, status] { chooseStatus(status); });
        statusRow->addWidget(chip);
        statusGroup->addButton(chip);
        m_statusChips.append(chip);
    }
    statusRow->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);
    column->addLayout(typeRow);
    column->addWidget(m_name);
    column->addWidget(new CardRule(this));
    column->addLayout(statusRow);
}

QString LabelCard::modifiedText(const QDateTime& updatedAt, const QDateTime& now) {
    return QStringLiteral("更新 ") + RelativeDate::text(updatedAt, now);
}

void LabelCard::refresh(const AudioProject& project) {
    m_type->setType(m_store.registry().type(project.typeID));
    m_modified->setText(modifiedText(project.updatedAt, Clock::now()));
    if (!m_nameWrite->isPending()) // the typed name goes to the store first
        StoredText::show(m_name, project.name);
    for (int i = 0; i < m_statusChips.size(); ++i)
        m_statusChips.at(i)->setSelected(allProjectStatuses().at(i) == project.status);
}

void LabelCard::chooseType(const QUuid& typeID) {
    DetailEdit::stamped(m_store, m_projectID, [&](AudioProject& p) { p.typeID = typeID; });
}

void LabelCard::chooseStatus(ProjectStatus status) {
    m_store.update(m_projectID, [status](AudioProject& p) { p.setStatus(status); });
}

void LabelCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect(), 10, Studio::label());
}

} // namespace sorvel
