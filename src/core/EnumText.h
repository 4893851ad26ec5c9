#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace sorvel {

// One case of a stored enumeration: the text it is stored as and the title views show.
template <typename Enum>
struct EnumText {
    Enum value;
    QStringView stored;
    QStringView title;
};

// The cases of an enumeration in declaration order, with their texts. Each
// enumeration keeps one table, so its stored texts, titles and case list
// cannot drift apart.
template <typename Enum, std::size_t Count>
class EnumTable {
public:
    constexpr explicit EnumTable(const std::array<EnumText<Enum>, Count>& rows) : m_rows(rows) {}

    QList<Enum> cases() const {
        QList<Enum> all;
        all.reserve(qsizetype(Count));
        for (const EnumText<Enum>& row : m_rows)
            all.append(row.value);
        return all;
    }

    QString storedText(Enum value) const { return rowOf(value).stored.toString(); }
    QString title(Enum value) const { return rowOf(value).title.toString(); }

    std::optional<Enum> fromStoredText(const QString& text) const {
        for (const EnumText<Enum>& row : m_rows) {
            if (row.stored == text)
                return row.value;
        }
        return std::nullopt;
    }

private:
    const EnumText<Enum>& rowOf(Enum value) const {
        for (const EnumText<Enum>& row : m_rows) {
            if (row.value == value)
                return row;
        }
        return m_rows.front(); // unreachable while every case has its row
    }

    std::array<EnumText<Enum>, Count> m_rows;
};

} // namespace sorvel
