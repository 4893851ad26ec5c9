#pragma once

#include "core/ProjectType.h"

#include <QList>
#include <QObject>

namespace sorvel {

// The ordered list of project types. There is no process-wide one: the
// application's store owns its registry and views reach it through the store;
// the widget carries the file's types with each entry it draws.
class TypeRegistry final : public QObject {
    Q_OBJECT
public:
    // The built-in types.
    TypeRegistry();

    const QList<ProjectType>& types() const { return m_types; }
    // Replaces the whole list; typesChanged fires only when it differs.
    void setTypes(const QList<ProjectType>& types);
    // The type with this id, else the first registered type, else the fallback.
    ProjectType type(const QUuid& id) const;

Q_SIGNALS:
    void typesChanged();

private:
    QList<ProjectType> m_types;
};

} // namespace sorvel
