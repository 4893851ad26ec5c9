#pragma once

#include "core/UnknownMembers.h"

#include <QList>
#include <QString>
#include <QUuid>

namespace sorvel {

// A user-editable kind of project. colorHex is RRGGBB or RRGGBBAA without "#".
struct ProjectType {
    QUuid id;
    QString title;
    QString symbol;
    QString colorHex;
    UnknownMembers unknown = {};

    bool operator==(const ProjectType&) const = default;

    static const QUuid musicID;
    static const QUuid sfxID;
    static const QUuid ambienceID;
    static const QUuid voiceID;
    static const QUuid otherID;

    // The five built-in types every new data file starts with.
    static const QList<ProjectType>& defaults();
    // Shown only when no type is registered at all.
    static const ProjectType& fallback();
    // The type with this id among `types`, else the first of them, else the fallback.
    static ProjectType find(const QList<ProjectType>& types, const QUuid& id);
    // Maps a project kind of the earlier record format to a type identifier.
    static QUuid legacyID(const QString& kind);
};

} // namespace sorvel
