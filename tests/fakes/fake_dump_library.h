// A fake debugging-help library and dump files. The library is found already loaded, loaded from the system
// directory, or not at all; its MiniDumpWriteDump answers from `answers` (then `defaultAnswer`), asks the
// callback about every thread of `processThreads` plus the calling thread, and on success writes into the file a
// line listing the threads it kept. Injected failure: "CreateDumpFile" (null, last error createFileError).
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/dump_library.h"

namespace fakes {

struct DumpCall {
    uint32_t callingThreadId;
    platform::Handle process;
    uint32_t processId;
    std::string file;  // what the file handle stands for
    uint32_t dumpType;
    bool hasExceptionInformation;
    uint32_t exceptionThreadId;
    void* exceptionPointers;
    int32_t clientPointers;
    bool hasUserStreams;
    std::vector<uint32_t> threadsKept;
};

struct DumpLibraryState {
    bool alreadyLoaded = false;
    bool inSystemDirectory = true;
    bool hasEntry = true;
    std::deque<int32_t> answers;
    int32_t defaultAnswer = 1;
    uint32_t failedCallError = 0x8007001F;  // the last error a failing call leaves
    bool asksIncludeThread = true;  // false: like Wine, only ThreadCallback is asked
    std::vector<uint32_t> processThreads{100, 300};
    uint32_t createFileError = 5;
    std::vector<DumpCall> calls;
    std::map<std::string, std::string> files;  // dump files by path, with what was written
};

DumpLibraryState& DumpLibrary();

}  // namespace fakes
