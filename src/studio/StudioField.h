#pragma once

class QLineEdit;
class QPlainTextEdit;

namespace sorvel {

// The shared text-field look: no system frame, text inset 9 × 7 points (8
// all round in multi-line fields), on
// the recessed well colour in a rounded rectangle of radius 7 with a 1-point
// line-coloured border inside it. Selections keep following the accent tint.
void studioField(QLineEdit* field);
void studioField(QPlainTextEdit* field);

} // namespace sorvel
