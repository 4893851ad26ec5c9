#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QExplicitlySharedDataPointer>
#include <QList>
#include <QSharedData>
#include <QString>

#include <initializer_list>
#include <string_view>

namespace sorvel {

// A member of a stored object that this program does not read: a newer
// version's field, or a note the user put into the file. It is kept as it
// stood, so that a write puts it back: its key, its value's JSON text byte for
// byte, and the member this program reads that stood before it (empty: none
// did). A write puts it right after that member, or where that member would
// stand among the ones written.
struct UnknownMember {
    QString key;
    QByteArray json;
    QByteArray after;

    bool operator==(const UnknownMember&) const = default;
};

// One member as it is held: views into its record's text, valid while the
// UnknownMembers it came from lives. The key is UTF-8, not escaped.
struct UnknownMemberText {
    QByteArrayView key;
    QByteArrayView json;
    QByteArrayView after;

    UnknownMember toMember() const;
};

// The unknown members of one record, in the order they are written: by the
// member they follow, then as they stood. A file can hold one in every record;
// so they are held as a range of a block of text that a decode shares among
// the records of a whole project, rather than as a list of texts each: a record
// costs a pointer and a range, a copy of it a reference count, and reading
// them makes one allocation per block.
class UnknownMembers {
public:
    class const_iterator;

    UnknownMembers() = default;
    UnknownMembers(std::initializer_list<UnknownMember> members);
    explicit UnknownMembers(const QList<UnknownMember>& members);

    bool isEmpty() const { return m_length == 0; }
    qsizetype size() const;
    QList<UnknownMember> toList() const;

    // Changes make a block of this record's own: they are rare (a test, a
    // rescue copy's own members), reading is not.
    void append(const UnknownMember& member);
    void clear() { *this = UnknownMembers(); }
    template <typename Predicate>
    qsizetype removeIf(Predicate remove) {
        QList<UnknownMember> members = toList();
        const qsizetype removed = members.removeIf(remove);
        if (removed > 0)
            *this = UnknownMembers(members);
        return removed;
    }

    const_iterator begin() const;
    const_iterator end() const;

    // The same members in the same order, wherever their text is held.
    bool operator==(const UnknownMembers& other) const { return text() == other.text(); }

    class Writer;

private:
    struct Block : QSharedData {
        QByteArray text;
    };

    UnknownMembers(QExplicitlySharedDataPointer<const Block> block, quint32 from, quint32 length)
        : m_block(std::move(block)), m_from(from), m_length(length) {}
    QByteArrayView text() const;

    QExplicitlySharedDataPointer<const Block> m_block;
    quint32 m_from = 0;
    quint32 m_length = 0;
};

class UnknownMembers::const_iterator {
public:
    using value_type = UnknownMemberText;
    using difference_type = std::ptrdiff_t;

    const_iterator() = default;
    explicit const_iterator(const char* at) : m_at(at) {}

    UnknownMemberText operator*() const;
    const_iterator& operator++();
    const_iterator operator++(int) {
        const const_iterator was = *this;
        ++*this;
        return was;
    }
    bool operator==(const const_iterator&) const = default;

private:
    const char* m_at = nullptr;
};

// Writes the members of several records into one block: add() the members of
// a record, then close() it; the ranges closed are given out once the block is
// made (make()), each as the members of its record.
class UnknownMembers::Writer {
public:
    void add(std::string_view after, std::string_view key, std::string_view json);
    // Ends a record: the members added since the last close() are its own.
    void close();
    bool isEmpty() const { return m_text.isEmpty(); }

    // Makes the block; the records' members in the order they were closed.
    QList<UnknownMembers> make();

private:
    QByteArray m_text;
    qsizetype m_open = 0;
    QList<std::pair<quint32, quint32>> m_ranges;
};

} // namespace sorvel
