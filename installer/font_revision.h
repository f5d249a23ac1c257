// Reads the revision a TrueType font file carries: the raw 32 bits of fontRevision in its "head" table.
#pragma once

#include <cstdio>

#include "platform/types.h"

// The fontRevision of the font file at fontPath (a 16.16 number, returned unconverted as a signed integer), or
// 0 when the file cannot be opened, has no "head" record among its numTables records, or ends before the value
// has been read in full. Reads only the offset table, the records up to the first "head" record and 8 bytes of
// that table. The file is closed on every path.
int32_t ReadFontRevision(const char* fontPath);

// The same reading from an open binary stream positioned at the font's first byte; the stream stays open.
int32_t ReadFontRevisionFrom(std::FILE* font);
