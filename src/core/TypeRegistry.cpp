#include "core/TypeRegistry.h"

namespace sorvel {

TypeRegistry::TypeRegistry() : m_types(ProjectType::defaults()) {}

TypeRegistry& TypeRegistry::shared() {
    static TypeRegistry registry;
    return registry;
}

void TypeRegistry::setTypes(const QList<ProjectType>& types) {
    const bool changed = types != m_types;
    m_types = types;
    if (changed)
        Q_EMIT typesChanged();
}

ProjectType TypeRegistry::type(const QUuid& id) const {
    for (const ProjectType& candidate : m_types) {
        if (candidate.id == id)
            return candidate;
    }
    if (!m_types.isEmpty())
        return m_types.first();
    return ProjectType::fallback();
}

} // namespace sorvel
