#include "core/TypeRegistry.h"

namespace sorvel {

TypeRegistry::TypeRegistry() : m_types(ProjectType::defaults()) {}

void TypeRegistry::setTypes(const QList<ProjectType>& types) {
    const bool changed = types != m_types;
    m_types = types;
    if (changed)
        Q_EMIT typesChanged();
}

ProjectType TypeRegistry::type(const QUuid& id) const {
    return ProjectType::find(m_types, id);
}

} // namespace sorvel
