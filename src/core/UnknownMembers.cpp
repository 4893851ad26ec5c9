#include "core/UnknownMembers.h"

namespace sorvel {

namespace {

// Each member is three texts (the member it follows, its key, its value),
// each its length in 7-bit groups then its bytes: a date member of a cue
// takes three bytes more than its text.
void putLength(QByteArray& text, size_t length) {
    while (length >= 0x80) {
        text.append(char(0x80 | (length & 0x7f)));
        length >>= 7;
    }
    text.append(char(length));
}

void putText(QByteArray& text, std::string_view piece) {
    putLength(text, piece.size());
    text.append(piece.data(), qsizetype(piece.size()));
}

QByteArrayView takeText(const char*& at) {
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(*at++);
        length |= size_t(byte & 0x7f) << shift;
        if (byte < 0x80)
            break;
    }
    const QByteArrayView piece(at, qsizetype(length));
    at += length;
    return piece;
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

UnknownMember UnknownMemberText::toMember() const {
    return {QString::fromUtf8(key), json.toByteArray(), after.toByteArray()};
}

UnknownMembers::UnknownMembers(std::initializer_list<UnknownMember> members)
    : UnknownMembers(QList<UnknownMember>(members)) {}

UnknownMembers::UnknownMembers(const QList<UnknownMember>& members) {
    if (members.isEmpty())
        return;
    Writer writer;
    for (const UnknownMember& member : members)
        writer.add(viewOf(member.after), viewOf(member.key.toUtf8()), viewOf(member.json));
    writer.close();
    *this = writer.make().first();
}

QByteArrayView UnknownMembers::text() const {
    if (!m_block)
        return {};
    return QByteArrayView(m_block->text.constData() + m_from, m_length);
}

qsizetype UnknownMembers::size() const {
    return qsizetype(std::distance(begin(), end()));
}

QList<UnknownMember> UnknownMembers::toList() const {
    QList<UnknownMember> members;
    for (const UnknownMemberText member : *this)
        members.append(member.toMember());
    return members;
}

void UnknownMembers::append(const UnknownMember& member) {
    QList<UnknownMember> members = toList();
    members.append(member);
    *this = UnknownMembers(members);
}

UnknownMembers::const_iterator UnknownMembers::begin() const {
    return const_iterator(text().data());
}

UnknownMembers::const_iterator UnknownMembers::end() const {
    const QByteArrayView held = text();
    return const_iterator(held.data() + held.size());
}

UnknownMemberText UnknownMembers::const_iterator::operator*() const {
    const char* at = m_at;
    UnknownMemberText member;
    member.after = takeText(at);
    member.key = takeText(at);
    member.json = takeText(at);
    return member;
}

UnknownMembers::const_iterator& UnknownMembers::const_iterator::operator++() {
    for (int piece = 0; piece < 3; ++piece)
        takeText(m_at);
    return *this;
}

void UnknownMembers::Writer::add(std::string_view after, std::string_view key, std::string_view json) {
    putText(m_text, after);
    putText(m_text, key);
    putText(m_text, json);
}

void UnknownMembers::Writer::close() {
    m_ranges.append({quint32(m_open), quint32(m_text.size() - m_open)});
    m_open = m_text.size();
}

QList<UnknownMembers> UnknownMembers::Writer::make() {
    QList<UnknownMembers> made;
    made.reserve(m_ranges.size());
    QExplicitlySharedDataPointer<Block> block(new Block);
    m_text.squeeze();
    block->text = std::move(m_text);
    for (const auto& [from, length] : m_ranges) {
        if (length == 0)
            made.append(UnknownMembers());
        else
            made.append(UnknownMembers(block, from, length));
    }
    *this = Writer();
    return made;
}

} // namespace sorvel
