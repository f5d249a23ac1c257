// Offers a dump to the external reporter: publishes the request in the block "MiniDumperParams", starts
// Report.exe with the command line "Report -d", waits for it to end and reads its answer from the block.
#pragma once

#include "crash/dump_request.h"

namespace crash {

// The block's `result` as the reporter left it (nonzero: the reporter has written the dump), or 0 when no
// reporter was found, the block was not created or mapped, or the reporter was not started. Waits for the
// reporter without time limit. Lowers DumpBusyFlag on every way out; releases everything it obtained. Writes
// nothing into the request.
uint32_t HandOffToReporter(const DumpRequest* request);

}  // namespace crash
