#pragma once

#include "core/ProjectType.h"

#include <QList>
#include <QObject>

namespace sorvel {

// The ordered list of project types, one per process.
class TypeRegistry final : public QObject {
    Q_OBJECT
public:
    static TypeRegistry& shared();

    const QList<ProjectType>& types() const { return m_types; }
    // Replaces the whole list; typesChanged fires only when it differs.
    void setTypes(const QList<ProjectType>& types);
    // The type with this id, else the first registered type, else the fallback.
    ProjectType type(const QUuid& id) const;

Q_SIGNALS:
    void typesChanged();

private:
    TypeRegistry();
    QList<ProjectType> m_types;
};

} // namespace sorvel
