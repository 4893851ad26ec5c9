#include "app/settings/TypeRow.h"

#include "app/settings/ColorWell.h"
#include "app/settings/KindBadgeButton.h"
#include "app/settings/SymbolButton.h"
#include "app/settings/SymbolPicker.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/PointerHover.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace sorvel {

namespace {

constexpr int badgeSize = 26;

QLabel* dragHandle(QWidget* parent) {
    auto* handle = new QLabel(parent);
    handle->setPixmap(Symbols::pixmap(QStringLiteral("line.3.horizontal"), Symbols::sideForFontSize(11),
                                      Studio::text3(), parent->devicePixelRatioF()));
    // A label ignores presses, so they reach the list, which starts the drag;
    // it still takes the pointer's help request.
    handle->setToolTip(QStringLiteral("拖动排序"));
    return handle;
}

QLineEdit* plainTitleField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setFrame(false);
    field->setPlaceholderText(QStringLiteral("类型名称"));
    field->setFont(Studio::font(13));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Studio::text());
    palette.setColor(QPalette::PlaceholderText, Studio::text3());
    field->setPalette(palette);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // A style sheet of the window would otherwise give the field a plate.
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    return field;
}

} // namespace

TypeRow::TypeRow(ProjectStore& store, const ProjectType& type, qint64 count, bool canDelete, QWidget* parent)
    : QWidget(parent), m_store(store), m_type(type), m_count(count), m_canDelete(canDelete) {
    // Inside a list the row would take the view's Base role, which turns its
    // labels' ink into the list's text colour instead of their own.
    setBackgroundRole(QPalette::Window);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 3, 10, 3);
    row->setSpacing(10);

    row->addWidget(dragHandle(this));

    m_badge = new KindBadgeButton(type, badgeSize, this);
    m_badge->setToolTip(QStringLiteral("更换图标"));
    connect(m_badge, &QAbstractButton::clicked, this, &TypeRow::openSymbolPicker);
    row->addWidget(m_badge);

    m_title = plainTitleField(this);
    m_title->setText(type.title);
    showTitleStart();
    m_title->installEventFilter(this);
    connect(m_title, &QLineEdit::textChanged, this, &TypeRow::commitTitle);
    row->addWidget(m_title, 1);

    m_countLabel = Studio::plainLabel(countText(count), Studio::font(11), Studio::text2(), this);
    row->addWidget(m_countLabel);

    m_well = new ColorWell(false, this);
    m_well->setColor(Studio::typeColor(type));
    connect(m_well, &ColorWell::colorPicked, this, &TypeRow::storeColor);
    row->addWidget(m_well);

    m_delete = new SymbolButton(QStringLiteral("minus.circle.fill"), Studio::systemRed(), 18, this);
    QSizePolicy keepSpace = m_delete->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_delete->setSizePolicy(keepSpace);
    connect(m_delete, &QAbstractButton::clicked, this, [this] { Q_EMIT deleteRequested(m_type.id); });
    row->addWidget(m_delete);
    m_hover = new PointerHover(this);
    connect(m_hover, &PointerHover::hoveringChanged, this, &TypeRow::updateDeleteButton);
    updateDeleteButton();
}

QString TypeRow::countText(qint64 count) {
    return QStringLiteral("%1 个项目").arg(count);
}

QString TypeRow::deleteToolTip(qint64 count) {
    return count > 0 ? QStringLiteral("删除类型，%1 个项目会移到第一个类型").arg(count) : QStringLiteral("删除类型");
}

void TypeRow::setValues(const ProjectType& type, qint64 count, bool canDelete, bool titleFocused) {
    const bool titleChanged = type.title != m_type.title;
    m_type = type;
    m_count = count;
    m_canDelete = canDelete;
    m_badge->setKind(type);
    m_well->setColor(Studio::typeColor(type));
    m_countLabel->setText(countText(count));
    updateDeleteButton();
    if (titleChanged && !titleFocused) {
        m_title->setText(type.title);
        showTitleStart();
    }
}

void TypeRow::showTitleStart() {
    // A line edit scrolls to its cursor, which setText and typing leave at the
    // end; a title read rather than edited is read from its first word.
    m_title->setCursorPosition(0);
}

void TypeRow::commitTitle() {
    const QString title = UserText::trimmed(m_title->text());
    if (title.isEmpty() || title == m_type.title)
        return;
    m_store.updateType(m_type.id, [&title](ProjectType& type) { type.title = title; });
}

void TypeRow::focusLeft() {
    if (UserText::trimmed(m_title->text()).isEmpty()) {
        if (m_count == 0 && m_canDelete) {
            Q_EMIT deleteRequested(m_type.id);
            return;
        }
        m_title->setText(m_type.title);
    }
    showTitleStart();
}

void TypeRow::chooseSymbol(const QString& symbol) {
    m_store.updateType(m_type.id, [&symbol](ProjectType& type) { type.symbol = symbol; });
    if (m_picker)
        m_picker->close();
}

SymbolPicker* TypeRow::openSymbolPicker() {
    if (m_picker)
        m_picker->close();
    m_picker = new SymbolPicker(m_type.symbol, Studio::typeColor(m_type), this);
    connect(m_picker, &SymbolPicker::chosen, this, &TypeRow::chooseSymbol);
    m_picker->popUpBelow(m_badge);
    return m_picker;
}

void TypeRow::storeColor(const QColor& color) {
    const QString hex = Studio::hexString(color);
    m_store.updateType(m_type.id, [&hex](ProjectType& type) { type.colorHex = hex; });
}

bool TypeRow::isHovering() const {
    return m_hover->isHovering();
}

void TypeRow::updateDeleteButton() {
    m_delete->setVisible(isHovering() && m_canDelete);
    m_delete->setToolTip(deleteToolTip(m_count));
}

bool TypeRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_title) {
        switch (event->type()) {
        case QEvent::FocusIn: Q_EMIT titleFocusEntered(m_type.id); break;
        case QEvent::FocusOut: {
            // A dialog or popup taking the keyboard for a while is no leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Q_EMIT titleFocusLost(m_type.id);
            break;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Q_EMIT returnPressed(m_type.id);
                return true;
            }
            break;
        }
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace sorvel
