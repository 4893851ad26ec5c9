#pragma once

#include <QUuid>

namespace sorvel {

// One focusable text cell of a cue table: the number or title of one cue.
struct CueFocus {
    enum class Field { Number, Title };

    QUuid id;
    Field field = Field::Title;

    bool operator==(const CueFocus&) const = default;
};

} // namespace sorvel
