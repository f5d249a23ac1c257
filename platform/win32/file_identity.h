// Recognising one file under two names, for the platform units that must not trust a comparison of texts.
#pragma once

#include <windows.h>

#include <optional>

namespace platform::win32 {

// Whether both paths name the same file (same volume, same file index); nullopt when either cannot be opened
// for its identity.
std::optional<bool> SameFileIdentity(const char* first, const char* second);
std::optional<bool> SameFileIdentity(const wchar_t* first, const wchar_t* second);

}  // namespace platform::win32
