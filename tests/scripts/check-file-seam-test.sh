#!/usr/bin/env bash
# The file-seam check on copies of this tree: the tree as it is passes, and a
# direct call to the disk planted in the data file's code fails it.
# Usage: check-file-seam-test.sh <path of scripts/check-file-seam.py>
set -uo pipefail
check=$1
repo=$(cd "$(dirname "$check")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# shellcheck source=expect-outcome.sh
source "$(dirname "${BASH_SOURCE[0]}")/expect-outcome.sh"

copy_of_src() { # <name>: a copy of this tree's src under $scratch/<name>
  mkdir -p "$scratch/$1"
  cp -r "$repo/src" "$scratch/$1/src"
  echo "$scratch/$1/src"
}

expect() { # <pass|fail> <description> <src> [what the failure must say]
  expect_outcome "$1" "$2" "${4:-}" python3 "$check" --src "$3"
}

expect pass "the tree as it is" "$(copy_of_src as-is)"

t=$(copy_of_src unlink)
printf 'void dropDraft(const char* name) {\n    ::unlink(name);\n}\n' >>"$t/core/Storage.cpp"
expect fail "an unlink of its own in Storage" "$t" "src/core/Storage.cpp:.*a system file call (::unlink("

t=$(copy_of_src qfile)
printf 'bool dropCopy(const QString& path) {\n    return QFile::remove(path);\n}\n' >>"$t/app/store/RescueCopy.cpp"
expect fail "a QFile::remove in the rescue copies" "$t" "src/app/store/RescueCopy.cpp:.*QFile::remove("

t=$(copy_of_src listing)
printf 'QStringList names(const QDir& folder) {\n    return folder.entryList(QDir::Files);\n}\n' >>"$t/core/LegacyMigration.cpp"
expect fail "a QDir listing in the takeover" "$t" "src/core/LegacyMigration.cpp:.*entryList("

t=$(copy_of_src commented)
printf '// ::unlink(name) is never called here: FileSystem does it.\n' >>"$t/core/FolderLock.cpp"
expect pass "a call named in a comment only" "$t"

[ "$failures" -eq 0 ]
