// What fontrev prints: a revision in three spellings, and why a file gave none.
#pragma once

#include <cstdint>
#include <string>

namespace fontrev {

// "131449 0x00020979 2.037": the signed integer the module compares, its 32 bits, and the 16.16 version.
std::string DescribeRevision(int32_t revision);

// Why ReadFontRevision gives 0 for this file ("cannot open: ...", "shorter than its offset table", "no head
// table", ...), or the empty text when the file carries a revision the reader reads in full.
std::string WhyNoRevision(const char* path);

}  // namespace fontrev
