#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace sorvel {

// Hands the text a user types into a field on to the store once the field has
// finished the keystroke or paste that changed it. Writing from inside the
// field's own change signal would run every view's refresh (rows rebuilt,
// layouts redone, the pane scrolled, the field's text compared or replaced)
// while the field is still in the middle of inserting, which Qt's text
// controls do not survive. Changes within one turn of the event loop make one
// write of the latest text. The write is queued before anything the user does
// next reaches the program, so nothing overtakes it.
class TypedTextWrite final : public QObject {
    Q_OBJECT
public:
    using Write = std::function<void(const QString&)>;

    // Lives as long as `parent` (the field or the view that holds it).
    TypedTextWrite(Write write, QObject* parent);

    void changed(const QString& text);
    // Whether typed text still waits to be written: the field keeps it, and
    // shows no other text meanwhile.
    bool isPending() const { return m_pending.has_value(); }

private:
    void writePending();

    Write m_write;
    std::optional<QString> m_pending;
};

} // namespace sorvel
