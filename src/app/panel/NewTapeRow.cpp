#include "app/panel/NewTapeRow.h"

#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/KindBadge.h"
#include "studio/Studio.h"
#include "studio/StudioField.h"
#include "studio/Symbols.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace sorvel {

NewTapeRow::NewTapeRow(ProjectStore& store, const QUuid& typeID, QWidget* parent)
    : QWidget(parent), m_store(store), m_typeID(typeID), m_menu(new QMenu(this)), m_name(new QLineEdit(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);

    auto* menuButton = new QToolButton(this);
    menuButton->setAutoRaise(true);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    menuButton->setMenu(m_menu);
    menuButton->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"
                                             "QToolButton::menu-indicator { image: none; width: 0; }"));
    menuButton->setToolTip(QStringLiteral("磁带类型"));
    menuButton->setCursor(Qt::PointingHandCursor);
    menuButton->setFocusPolicy(Qt::NoFocus);
    auto* badgeBox = new QHBoxLayout(menuButton);
    badgeBox->setContentsMargins(0, 0, 0, 0);
    m_badge = new KindBadge(store.registry().type(typeID), 24, menuButton);
    m_badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    badgeBox->addWidget(m_badge);
    menuButton->setFixedSize(24, 24);
    row->addWidget(menuButton);

    m_name->setPlaceholderText(QStringLiteral("磁带名称，回车创建"));
    m_name->setFont(Studio::font(12));
    studioField(m_name);
    connect(m_name, &QLineEdit::returnPressed, this, &NewTapeRow::createRequested);
    row->addWidget(m_name, 1);

    fillMenu();
    connect(&store.registry(), &TypeRegistry::typesChanged, this, [this] {
        fillMenu();
        showType();
    });
}

void NewTapeRow::setTypeID(const QUuid& typeID) {
    m_typeID = typeID;
    showType();
}

void NewTapeRow::fillMenu() {
    m_menu->clear();
    for (const ProjectType& type : m_store.registry().types()) {
        QAction* item = m_menu->addAction(Symbols::icon(type.symbol, Studio::text()), UserText::menuText(type.title));
        const QUuid id = type.id;
        connect(item, &QAction::triggered, this, [this, id] { setTypeID(id); });
    }
}

void NewTapeRow::showType() {
    m_badge->setKind(m_store.registry().type(m_typeID));
}

} // namespace sorvel
