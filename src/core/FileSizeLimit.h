#pragma once

namespace sorvel::FileSizeLimit {

// A write past the process's file-size limit (a quota, a limited service)
// raises SIGXFSZ, whose default ends the program with its unsaved changes and
// a half-written temporary file. Ignored, the write fails with EFBIG instead,
// which every writer handles like a full disk. Once per process, from any
// thread; each program calls it at its start, and every write of a file does
// before it writes, so that code run without a program's start is covered too.
void failWritesWithError();

} // namespace sorvel::FileSizeLimit
