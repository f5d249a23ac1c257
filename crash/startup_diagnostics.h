// The startup diagnostics file (".tvd"): a compact file of the module's own format with the fault's exception
// record, processor context, the start of the thread's environment block and its stack. crash/tvd_format.h
// holds the layout; docs/formats/tvd.md describes it.
#pragma once

#include "crash/tvd_format.h"
#include "platform/diagnostics_io.h"
#include "platform/types.h"

namespace crash {

// Writes the file for the fault described by `exceptionPointers`, on the faulting thread, under the structured-
// exception guard: any fault inside ends the operation silently, keeping what was written (the file is still
// closed). True when the file was created and every record was written.
bool WriteStartupDiagnostics(platform::ExceptionPointers* exceptionPointers);

// Creates "<LocationPrefix or temporary directory>Tarvelon <time>.tvd" (replacing a file of that name) and
// writes the 24-byte header; the header writes' results are not looked at. The open file, or
// kNoDiagnosticsFile when the name block or the file could not be had. The caller closes the file.
platform::DiagnosticsFile CreateTvdFile();

// Writes records 0xC000 to 0xC003 for the calling thread, with the record sizes of `layout` (the module's own by
// default). Stops at the first of 0xC001..0xC003 whose memory is unreadable; a failed tag or length write skips
// the rest of that record only. True when all four records were written whole.
bool WriteTvdRecords(platform::ExceptionPointers* exceptionPointers, platform::DiagnosticsFile file,
                     const tvd::Layout& layout = tvd::kNativeLayout);

}  // namespace crash
