#include "studio/TypedTextWrite.h"

#include <utility>

namespace sorvel {

TypedTextWrite::TypedTextWrite(Write write, QObject* parent) : QObject(parent), m_write(std::move(write)) {}

void TypedTextWrite::changed(const QString& text) {
    const bool queued = isPending();
    m_pending = text;
    if (!queued)
        QMetaObject::invokeMethod(this, &TypedTextWrite::writePending, Qt::QueuedConnection);
}

void TypedTextWrite::writePending() {
    if (!m_pending)
        return;
    const QString text = *std::exchange(m_pending, std::nullopt);
    m_write(text);
}

} // namespace sorvel
