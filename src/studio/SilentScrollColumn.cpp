#include "studio/SilentScrollColumn.h"

#include <QVBoxLayout>

namespace sorvel {

SilentScrollColumn::SilentScrollColumn(QWidget* parent)
    : QScrollArea(parent), m_content(new QWidget), m_column(new QVBoxLayout(m_content)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    setWidget(m_content);
    m_content->setAutoFillBackground(false); // setWidget() turns it on
}

} // namespace sorvel
