#include "tools/modcall/arguments.h"

#include <cerrno>
#include <cstdlib>

namespace modcall {

namespace {

bool ParseInteger(const std::string& digits, uint32_t& out) {
    if (digits.empty()) return false;
    const bool negative = digits[0] == '-';
    const std::string magnitude = (negative || digits[0] == '+') ? digits.substr(1) : digits;
    if (magnitude.empty() || magnitude[0] == '-' || magnitude[0] == '+' || magnitude[0] == ' ') return false;
    const bool hex = magnitude.size() > 2 && magnitude[0] == '0' && (magnitude[1] == 'x' || magnitude[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(magnitude.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || end == magnitude.c_str() || *end != '\0') return false;
    if (negative) {
        if (value > 0x80000000ull) return false;
        out = static_cast<uint32_t>(0u - static_cast<uint32_t>(value));
        return true;
    }
    if (value > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

bool ParseArgument(const std::string& word, Argument& out, std::string& error) {
    if (word == "null") {
        out = Argument{};
        out.kind = ArgumentKind::Null;
        return true;
    }
    if (word.rfind("s:", 0) == 0) {
        out = Argument{};
        out.kind = ArgumentKind::Text;
        out.text = word.substr(2);
        return true;
    }
    if (word.rfind("i:", 0) == 0) {
        out = Argument{};
        out.kind = ArgumentKind::Integer;
        if (ParseInteger(word.substr(2), out.integer)) return true;
        error = "'" + word + "' is not a 32-bit integer (i:42, i:-1, i:0x7F)";
        return false;
    }
    error = "'" + word + "' has no type: write i:NUMBER, s:TEXT or null";
    return false;
}

ResultKind DefaultResultKind(const std::string& exportName) {
    return exportName == "GetFileDescription" ? ResultKind::Text : ResultKind::Integer;
}

}  // namespace modcall
