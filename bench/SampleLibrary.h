#pragma once

#include "core/Library.h"

namespace sorvel::bench {

// A library of made-up projects for benchmarks: each project has the given
// number of cues (with a version each and varied stages and dates) and log
// entries. The same arguments give records of the same shape every time.
Library sampleLibrary(int projectCount, int cuesPerProject, int logEntriesPerProject);

} // namespace sorvel::bench
