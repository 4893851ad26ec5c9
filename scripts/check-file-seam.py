#!/usr/bin/env python3
"""The data file's code touches the disk only through FileSystem.

Fails when one of the files below calls the system's file functions itself
(::open, ::unlink, ...) or a Qt call that goes to the disk (QFile's open and
remove, QDir's listing and mkpath, QFileInfo's exists, ...). Only
src/core/FileSystem.cpp (PosixFileSystem) makes those calls, so that a test
can run this very code on a file system of its own.

Usage: check-file-seam.py [--src <the src folder>]
"""

import argparse
import pathlib
import re
import sys

GUARDED = [
    "core/Storage.cpp",
    "core/RegularFile.cpp",
    "core/FolderLock.cpp",
    "core/LegacyMigration.cpp",
    "app/store/RescueCopy.cpp",
    "app/store/PendingRescues.cpp",
]

SYSTEM_CALLS = (
    "open|openat|creat|read|pread|write|pwrite|fsync|fdatasync|sync|syncfs|close|fstat|fstatat|stat|lstat|"
    "statx|access|faccessat|link|linkat|unlink|unlinkat|rename|renameat|renameat2|mkostemp|mkstemp|mkdtemp|"
    "flock|lockf|fchmod|chmod|fchown|chown|lchown|futimens|utimensat|utimes|fcntl|readlink|readlinkat|symlink|"
    "symlinkat|mkdir|mkdirat|rmdir|opendir|fdopendir|readdir|closedir|remove|truncate|ftruncate|fopen|realpath"
)

FORBIDDEN = [
    (re.compile(r"(?<![\w:.>])::(%s)\s*\(" % SYSTEM_CALLS), "a system file call"),
    (re.compile(r"\b(QSaveFile|QTemporaryFile|QDirIterator|QLockFile|QFileSystemWatcher|QStorageInfo)\b"),
     "a Qt class that works on the disk"),
    (re.compile(r"\bQFile\s+\w+\s*[({]"), "a QFile"),
    (re.compile(r"\bQFile::(?!encodeName\b|decodeName\b)\w+\s*\("), "a QFile call on the disk"),
    (re.compile(r"\bQFileInfo::exists\b"), "a QFileInfo call on the disk"),
    (re.compile(r"\bQDir\s*\(\s*[^)]*\)\s*\.\s*(?!filePath\b|path\b|absolutePath\b|absoluteFilePath\b|"
                r"relativeFilePath\b|dirName\b)\w+\s*\("), "a QDir call on the disk"),
    (re.compile(r"(?<!files)\.\s*(entryList|entryInfoList|mkpath|mkdir|rmdir|removeRecursively|exists|isSymLink|isFile|isDir|"
                r"symLinkTarget|lastModified|lastRead|birthTime|canonicalFilePath|canonicalPath|isReadable|"
                r"isWritable|isExecutable|permissions|setPermissions|readAll|refresh)\s*\("),
     "a QDir or QFileInfo call on the disk"),
    (re.compile(r"\bQFileInfo\s*\([^;]*\)\s*\.\s*size\s*\("), "a QFileInfo call on the disk"),
]


def code_of(line):
    """The line without its comment and the text of its strings."""
    line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
    return line.split("//", 1)[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", default=str(pathlib.Path(__file__).resolve().parent.parent / "src"))
    src = pathlib.Path(parser.parse_args().src)
    problems = []
    for name in GUARDED:
        path = src / name
        if not path.is_file():
            problems.append(f"{path}: missing (the check guards it)")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            code = code_of(line)
            for pattern, what in FORBIDDEN:
                found = pattern.search(code)
                if found:
                    problems.append(f"src/{name}:{number}: {what} ({found.group(0).strip()}) goes to the disk itself; "
                                    "go through the FileSystem it is handed")
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
