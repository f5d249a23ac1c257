// The block shared with Report.exe: both layouts are pinned in crash/reporter_block.h; this unit makes every
// Windows build compile them, and checks that each build picks the layout of its own width.
#include "crash/reporter_block.h"

#include <cstddef>

static_assert(sizeof(crash::ReporterBlock) == 292, "the block is 292 bytes in every build");
static_assert(sizeof(crash::ReporterBlock::exceptionPointers) == sizeof(void*),
              "the exception pointers' address is as wide as the process's pointers");
static_assert(offsetof(crash::ReporterBlock, exceptionPointers) == 284, "at offset 284 in every build");
