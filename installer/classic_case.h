// Case folding as the module's runtime does it in the classic ("C") locale, whatever the system's language:
// only the ASCII letters change; every byte from 0x80 up keeps its value.
#pragma once

namespace installer {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace installer
