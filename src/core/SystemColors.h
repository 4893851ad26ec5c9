#pragma once

// The platform's standard colours as the hex texts (RRGGBB) that records and
// settings store: type colours, the accent presets and the studio palette's
// system colours are spelled from these, so that a name means one colour.
namespace sorvel::SystemColors {

inline constexpr char blue[] = "007AFF";
inline constexpr char brown[] = "A2845E";
inline constexpr char gray[] = "8E8E93";
inline constexpr char green[] = "34C759";
inline constexpr char indigo[] = "5856D6";
inline constexpr char mint[] = "00C7BE";
inline constexpr char orange[] = "FF9500";
inline constexpr char pink[] = "FF2D55";
inline constexpr char purple[] = "AF52DE";
inline constexpr char red[] = "FF3B30";
inline constexpr char teal[] = "30B0C7";
inline constexpr char yellow[] = "FFCC00";

} // namespace sorvel::SystemColors
