#include "app/settings/TypeEditor.h"

#include "app/settings/TypeList.h"
#include "app/settings/TypeRow.h"
#include "app/sheets/SheetPlate.h"
#include "app/store/ProjectStore.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace sorvel {

namespace {

// The last item of the list: a plus in the accent tint and "添加类型".
class AddTypeButton final : public QAbstractButton {
public:
    explicit AddTypeButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("添加类型"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

    QSize sizeHint() const override { return {200, 26 + 2 * 4 + 6}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.7 : 1.0);
        const qreal left = 10 + Symbols::sideForFontSize(11) + 10; // under the rows' drag handles
        const QRectF plus(left, 0, 26, height());
        Symbols::paintForFont(painter, plus.center(), 11, QStringLiteral("plus"), Studio::tint(this),
                              Studio::Weight::Bold);
        painter.setFont(Studio::font(13));
        painter.setPen(Studio::text2());
        painter.drawText(QRectF(plus.right() + 10, 0, width() - plus.right() - 10, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
    }
};

QList<QUuid> idsOf(const QList<ProjectType>& types) {
    QList<QUuid> ids;
    for (const ProjectType& type : types)
        ids << type.id;
    return ids;
}

} // namespace

TypeEditor::TypeEditor(ProjectStore& store, QWidget* parent) : QWidget(parent), m_store(store) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* plate = new SheetPlate(this);
    m_list = new TypeList(plate);
    auto* inPlate = new QVBoxLayout(plate);
    inPlate->setContentsMargins(0, 4, 0, 4);
    inPlate->addWidget(m_list);
    auto* inset = new QVBoxLayout;
    inset->setContentsMargins(16, 14, 16, 0);
    inset->addWidget(plate);
    column->addLayout(inset, 1);
    connect(m_list, &TypeList::moveRequested, &m_store, &ProjectStore::moveTypes);

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(16, 10, 16, 10);
    m_footer = Studio::plainLabel(QStringLiteral("拖动调整顺序。删除类型后，其中的项目会移到列表里的第一个类型。"),
                                  Studio::font(11), Studio::text2(), this);
    m_footer->setWordWrap(true);
    footer->addWidget(m_footer, 1);
    m_reset = new PlainSymbolButton(QString(), QStringLiteral("恢复默认"), Studio::font(11), this);
    connect(m_reset, &QAbstractButton::clicked, &m_store, &ProjectStore::resetTypes);
    footer->addWidget(m_reset);
    column->addLayout(footer);

    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &TypeEditor::sync);
    connect(&m_store, &ProjectStore::projectsChanged, this, &TypeEditor::sync);
    rebuild();
}

QUuid TypeEditor::addType() {
    const QUuid id = m_store.addType();
    // The new row exists now; the keyboard moves into it once this turn is over.
    QTimer::singleShot(0, this, [this, id] {
        setFocusedType(id);
        if (TypeRow* added = row(id))
            m_list->scrollToItem(m_list->item(rows().indexOf(added)));
    });
    return id;
}

void TypeEditor::deleteType(ProjectStore& store, const QUuid& id) {
    for (const ProjectType& type : store.registry().types()) {
        if (type.id != id) {
            store.deleteType(id, type.id);
            return;
        }
    }
}

TypeRow* TypeEditor::row(const QUuid& id) const {
    for (TypeRow* candidate : rows()) {
        if (candidate->type().id == id)
            return candidate;
    }
    return nullptr;
}

QList<TypeRow*> TypeEditor::rows() const {
    QList<TypeRow*> found;
    for (int i = 0; i < m_list->typeRowCount(); ++i) {
        if (auto* typeRow = qobject_cast<TypeRow*>(m_list->itemWidget(m_list->item(i))))
            found << typeRow;
    }
    return found;
}

void TypeEditor::setFocusedType(const std::optional<QUuid>& id) {
    const std::optional<QUuid> old = m_focused;
    m_focused = id;
    if (id) {
        if (TypeRow* target = row(*id))
            target->titleField()->setFocus(Qt::OtherFocusReason);
        else
            m_focused.reset();
    } else if (QWidget* focus = QApplication::focusWidget(); focus && m_list->isAncestorOf(focus)) {
        m_list->setFocus(Qt::OtherFocusReason);
    }
    if (old != m_focused)
        leave(old);
}

void TypeEditor::titleFocusEntered(const QUuid& id) {
    if (m_rebuilding || m_focused == id)
        return;
    const std::optional<QUuid> old = m_focused;
    m_focused = id;
    leave(old);
}

void TypeEditor::titleFocusLost(const QUuid& id) {
    if (m_rebuilding || m_focused != id)
        return;
    m_focused.reset();
    leave(id);
}

void TypeEditor::leave(const std::optional<QUuid>& id) {
    if (!id)
        return;
    if (TypeRow* left = row(*id))
        left->focusLeft();
}

void TypeEditor::hideEvent(QHideEvent* event) {
    // Closing the sheet or switching tabs takes the keyboard out of the
    // fields: an unnamed type is handled as when its field is left.
    if (!event->spontaneous())
        setFocusedType(std::nullopt);
    QWidget::hideEvent(event);
}

void TypeEditor::sync() {
    const QList<ProjectType>& types = m_store.registry().types();
    const QList<TypeRow*> current = rows();
    QList<QUuid> shown;
    for (const TypeRow* typeRow : current)
        shown << typeRow->type().id;
    if (shown != idsOf(types)) {
        rebuild();
        return;
    }
    const bool canDelete = types.size() >= 2;
    for (int i = 0; i < types.size(); ++i) {
        const ProjectType& type = types.at(i);
        current.at(i)->setValues(type, m_store.projectCount(type.id), canDelete, m_focused == type.id);
    }
}

void TypeEditor::rebuild() {
    m_rebuilding = true;
    std::optional<QString> typing;
    if (m_focused) {
        if (const TypeRow* focused = row(*m_focused))
            typing = focused->titleField()->text();
    }
    std::optional<QUuid> selected;
    if (const QList<QListWidgetItem*> items = m_list->selectedItems(); !items.isEmpty()) {
        if (const auto* typeRow = qobject_cast<TypeRow*>(m_list->itemWidget(items.first())))
            selected = typeRow->type().id;
    }
    if (QWidget* focus = QApplication::focusWidget(); focus && m_list->isAncestorOf(focus))
        m_list->setFocus(Qt::OtherFocusReason);
    const int scrolled = m_list->verticalScrollBar()->value();

    m_list->clear();
    const QList<ProjectType>& types = m_store.registry().types();
    const bool canDelete = types.size() >= 2;
    for (const ProjectType& type : types) {
        auto* item = new QListWidgetItem(m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        auto* typeRow = new TypeRow(m_store, type, m_store.projectCount(type.id), canDelete);
        item->setSizeHint(typeRow->sizeHint());
        m_list->setItemWidget(item, typeRow);
        connect(typeRow, &TypeRow::titleFocusEntered, this, &TypeEditor::titleFocusEntered);
        connect(typeRow, &TypeRow::titleFocusLost, this, &TypeEditor::titleFocusLost);
        connect(typeRow, &TypeRow::returnPressed, this, [this] { setFocusedType(std::nullopt); });
        // Deferred: the request may come from inside the row's own focus change.
        ProjectStore* store = &m_store;
        connect(typeRow, &TypeRow::deleteRequested, this,
                [store](const QUuid& id) { QTimer::singleShot(0, store, [store, id] { deleteType(*store, id); }); });
        if (type.id == selected)
            item->setSelected(true);
    }
    auto* addItem = new QListWidgetItem(m_list);
    addItem->setFlags(Qt::ItemIsEnabled);
    m_add = new AddTypeButton(nullptr);
    connect(m_add, &QAbstractButton::clicked, this, &TypeEditor::addType);
    addItem->setSizeHint(m_add->sizeHint());
    m_list->setItemWidget(addItem, m_add);
    m_list->verticalScrollBar()->setValue(scrolled);

    if (m_focused) {
        if (TypeRow* focused = row(*m_focused)) {
            if (typing)
                focused->titleField()->setText(*typing);
            focused->titleField()->setFocus(Qt::OtherFocusReason);
        } else {
            m_focused.reset();
        }
    }
    m_rebuilding = false;
}

} // namespace sorvel
