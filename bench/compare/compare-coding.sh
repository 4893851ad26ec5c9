#!/usr/bin/env bash
# Decoding figures of this checkout beside earlier versions, on the same two
# files in one run: a file where every cue holds a member no record reads, and
# the same file with that member under a name a record reads.
#
#   bench/compare/compare-coding.sh REF...
#
# Each REF (a commit) is checked out in its own worktree beside this one
# (../bench-REF), its sorvel_core built there, and CodingFigures.cpp built
# against it; this checkout's own ./build is measured as "this".
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
qt_flags=$(pkg-config --cflags --libs Qt6Core)

# The figures program built against the sorvel_core of SOURCE's build BUILD.
figures_for() { # NAME SOURCE BUILD
    local name=$1 source=$2 build=$3
    cmake --build "$build" --target sorvel_core >/dev/null
    # shellcheck disable=SC2086
    g++ -std=c++20 -O2 -fPIC -I"$source/src" -I"$here" "$here/bench/compare/CodingFigures.cpp" \
        "$build/src/core/libsorvel_core.a" $qt_flags -lsimdjson -o "$work/figures-$name"
}

names=(this)
figures_for this "$here" "$here/build" &
for ref in "$@"; do
    tree=$(dirname "$here")/bench-$ref
    [ -d "$tree" ] || git -C "$here" worktree add --detach "$tree" "$ref" >/dev/null
    [ -f "$tree/build/build.ninja" ] || cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
    figures_for "$ref" "$tree" "$tree/build" &
    names+=("$ref")
done
python3 "$here/bench/compare/cue_member_files.py" "$work"
wait
for file in unknown control; do
    for name in "${names[@]}"; do
        # Each figure in a process of its own, the versions taking turns.
        printf '%-8s %-10s time   %s\n' "$file" "$name" "$("$work/figures-$name" time "$work/$file.json" 2>/dev/null)"
        "$work/figures-$name" memory "$work/$file.json" 2>/dev/null |
            while read -r line; do printf '%-8s %-10s memory %s\n' "$file" "$name" "$line"; done
    done
done
