#pragma once

#include "core/Library.h"

#include <QList>
#include <QStringList>
#include <QUuid>

namespace sorvel {

// The steps of manual progress ("+" and "−") made in the application and not
// written yet. A step adds to the value it finds: when another program moved a
// project's progress meanwhile, a merge carries the steps onto that program's
// value, instead of weighing the stepped value against it as one field. A
// value set outright (the slider, a typed field) is no step: where the steps
// alone do not lead from the merge's base to the value held here, the field
// rule of LibraryMerge decides as for any other field.
class ProgressSteps {
public:
    struct Step {
        QUuid project;
        double delta = 0;
        quint64 revision = 0;
    };

    // `revision` counts the store's changes: the one this step was.
    void add(const QUuid& project, double delta, quint64 revision);
    // The changes up to `revision` have reached the file.
    void written(quint64 revision);
    // The steps up to `revision` have reached the file by another way than
    // the library a merge starts from (an earlier rescue copy of the same
    // run): they still lead from the base to the value held, but are not
    // carried onto the file's value again.
    void landed(quint64 revision);
    // In the order they were made.
    const QList<Step>& steps() const { return m_steps; }
    // Those a merge carries onto the file's value: the steps after the ones landed.
    QList<Step> notLanded() const;

    // LibraryMerge::merge, with these steps carried onto `theirs`.
    Library merge(Library base, const Library& theirs, Library mine, QStringList* notes) const;
    // The same, with the notes written to the log.
    Library merge(const Library& base, const Library& theirs, const Library& mine) const;

private:
    // `from` moved by this project's steps after `since`, in the order they were made.
    double stepped(const QUuid& project, double from, quint64 since = 0) const;
    void carry(Library& base, const Library& theirs, Library& mine) const;

    QList<Step> m_steps;
    quint64 m_landed = 0;
};

} // namespace sorvel
