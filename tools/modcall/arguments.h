// modcall's command line: the typed arguments an export is called with. Knows no Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modcall {

enum class ArgumentKind { Integer, Text, Null };

struct Argument {
    ArgumentKind kind = ArgumentKind::Null;
    uint32_t integer = 0;  // Integer: the 32-bit value (negative numbers in two's complement)
    std::string text;      // Text: the bytes handed over, zero-terminated by the caller's buffer
};

// Parses one argument: "i:N" (decimal, optionally signed, or 0x hex; must fit 32 bits), "s:TEXT" (any bytes,
// possibly empty) or "null". Returns false and fills `error` for anything else.
bool ParseArgument(const std::string& word, Argument& out, std::string& error);

enum class ResultKind { Integer, Text };

// How the result of `exportName` is shown when the caller does not say: text for the one export that returns
// text, a signed 32-bit integer for every other.
ResultKind DefaultResultKind(const std::string& exportName);

}  // namespace modcall
