// Fake threads, ids, waits, handles and last-error codes. A worker's procedure runs to its end inside
// StartThread (so it finishes before StartThread returns), or, with runOnRealThread, on a real thread that
// WaitForEnd joins. Each fake thread has its own id and its own last-error code. Handles of every fake area
// come from one table (OpenFakeHandle) so tests can see what was left open.
// Injected failure: "StartThread" (returns null with startThreadError as the last error).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/threads.h"

namespace fakes {

struct ThreadsState {
    uint32_t processId = 4242;
    uint32_t mainThreadId = 100;  // the id of the test's own thread
    uint32_t nextThreadId = 200;  // ids given to started threads, counting up
    bool runOnRealThread = false;
    uint32_t startThreadError = 8;  // ERROR_NOT_ENOUGH_MEMORY
    std::vector<uint32_t> startedThreadIds;
    std::map<uint32_t, uint32_t> exitCodes;  // by thread id
};

ThreadsState& Threads();

// The last-error code of a fake thread.
uint32_t LastErrorOf(uint32_t threadId);
void SetLastErrorOf(uint32_t threadId, uint32_t error);

// A new handle for `what` ("thread 200", "mapping MiniDumperParams", "file C:\x.dmp", ...).
platform::Handle OpenFakeHandle(const std::string& what);
// What an open handle stands for ("" when it is not open).
std::string HandleName(platform::Handle handle);
// The handles opened and not yet closed, by what they stand for.
std::vector<std::string> OpenHandleNames();

// Fake areas that keep state per handle hear of its closing (called before the handle leaves the table).
void AddCloseHook(void (*hook)(platform::Handle handle));

}  // namespace fakes
