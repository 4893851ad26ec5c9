#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace sorvel {

// How a symbol's drawing is inked: as outlines, filled solid, or filled with
// its last stroke cut out of the fill (a check in a disc).
enum class SymbolFill { Outline, Solid, Knockout };

struct SymbolEntry {
    const char* symbol; // the name used in the interface and the data file
    const char* icon; // the drawing shipped in the resources
    SymbolFill fill;
};

// The one table from symbol names to icon drawings. A symbol name is only
// ever looked up here; it never becomes part of a path.
namespace SymbolTable {

// The entry of a name, exactly as written (case-sensitive); none when unknown.
const SymbolEntry* find(const QString& symbol);
// The drawing shown for every name that is not in the table.
const SymbolEntry& fallback();
const QList<SymbolEntry>& entries();
// The 42 names offered by the symbol picker, in display order.
const QStringList& pickerSymbols();

} // namespace SymbolTable

} // namespace sorvel
