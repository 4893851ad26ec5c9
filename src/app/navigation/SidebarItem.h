#pragma once

#include "core/AudioProject.h"

#include <QString>
#include <QUuid>

namespace sorvel {

class TypeRegistry;

// A destination of the library window's sidebar.
struct SidebarItem {
    enum class Kind { Active, Done, Archived, Calendar, Type };

    Kind kind = Kind::Active;
    QUuid typeID; // only for Kind::Type

    static SidebarItem active() { return {Kind::Active, {}}; }
    static SidebarItem done() { return {Kind::Done, {}}; }
    static SidebarItem archived() { return {Kind::Archived, {}}; }
    static SidebarItem calendar() { return {Kind::Calendar, {}}; }
    static SidebarItem type(const QUuid& id) { return {Kind::Type, id}; }

    bool operator==(const SidebarItem& other) const {
        return kind == other.kind && (kind != Kind::Type || typeID == other.typeID);
    }

    // What the sidebar shows; a type's destination takes its face from `types`.
    QString title(const TypeRegistry& types) const;
    QString symbol(const TypeRegistry& types) const;
    bool includes(const AudioProject& project) const;
};

} // namespace sorvel
