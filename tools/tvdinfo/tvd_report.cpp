#include "tools/tvdinfo/tvd_report.h"

#include <cstdio>

namespace tvdinfo {
namespace {

constexpr size_t kMaxCandidatesShown = 64;

std::string Hex(uint64_t value, unsigned digits = 0) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", static_cast<int>(digits), static_cast<unsigned long long>(value));
    return text;
}

// Addresses print with the width of the file's words.
unsigned AddressDigits(const Decoded& decoded) { return decoded.layout ? decoded.layout->wordSize * 2u : 8u; }

const char* StatusName(Status status) {
    switch (status) {
        case Status::kComplete: return "complete";
        case Status::kMalformed: return "malformed";
        case Status::kNotDiagnostics: return "not-diagnostics";
    }
    return "";
}

// For access violations and in-page errors the first two parameters say what was done to which address.
struct AccessInfo {
    const char* kind;
    uint64_t address;
};
std::optional<AccessInfo> AccessOf(const ExceptionInfo& exception) {
    if ((exception.code != 0xC0000005 && exception.code != 0xC0000006) || exception.numberParameters < 2)
        return std::nullopt;
    const uint64_t kind = exception.parameters[0];
    return AccessInfo{kind == 0 ? "read" : kind == 1 ? "write" : kind == 8 ? "execute" : "unknown access",
                      exception.parameters[1]};
}

uint32_t ParametersShown(const ExceptionInfo& exception) {
    return exception.numberParameters < tvd::kExceptionMaximumParameters ? exception.numberParameters
                                                                          : tvd::kExceptionMaximumParameters;
}

const char* const kThreadBlockWordNames[tvd::kThreadBlockWords] = {
    "ExceptionList", "StackBase", "StackLimit", "SubSystemTib", "FiberData", "ArbitraryUserPointer", "Self",
    "EnvironmentPointer", "ProcessId", "ThreadId", "ActiveRpcHandle", "ThreadLocalStoragePointer",
    "ProcessEnvironmentBlock"};

void AppendHexDump(std::string& out, const Record& record, const char* indent) {
    for (size_t line = 0; line < record.length; line += 16) {
        char text[96];
        int used = std::snprintf(text, sizeof text, "%s%08zX ", indent, record.offset + 4 + line);
        out.append(text, static_cast<size_t>(used));
        std::string ascii;
        for (size_t i = line; i < line + 16; ++i) {
            if (i < record.length) {
                std::snprintf(text, sizeof text, " %02X", record.data[i]);
                out += text;
                ascii += record.data[i] >= 0x20 && record.data[i] < 0x7F ? static_cast<char>(record.data[i]) : '.';
            } else {
                out += "   ";
            }
        }
        out += "  |" + ascii + "|\n";
    }
}

std::string TextReport(const Decoded& decoded, const std::string& name, const ReportOptions& options) {
    const unsigned digits = AddressDigits(decoded);
    std::string out = "File: " + name + " (" + std::to_string(decoded.fileSize) + " bytes)\n";
    if (decoded.status == Status::kNotDiagnostics) return out + "Error: " + decoded.error + "\n";
    out += "Layout: ";
    out += decoded.layout ? decoded.layout->name : "unknown (no record tells it)";
    out += "\nRecords:";
    if (decoded.records.empty()) out += " none";
    out += "\n";
    for (const Record& record : decoded.records) {
        out += "  " + Hex(record.tag, 4) + " " + RecordName(record.tag) + " at offset " +
               std::to_string(record.offset) + ", " + std::to_string(record.length) + " bytes\n";
        if (options.hex) AppendHexDump(out, record, "      ");
    }

    if (decoded.exception) {
        const ExceptionInfo& exception = *decoded.exception;
        const char* codeName = ExceptionName(exception.code);
        out += "Exception:\n  code       " + Hex(exception.code, 8) + (codeName ? std::string(" ") + codeName : "") +
               "\n";
        out += "  flags      " + Hex(exception.flags, 8) + (exception.flags & 1 ? " (noncontinuable)" : "") + "\n";
        out += "  address    " + Hex(exception.address, digits) + "\n";
        out += "  nested     " + Hex(exception.nestedRecord, digits) + "\n";
        out += "  parameters " + std::to_string(exception.numberParameters);
        if (exception.numberParameters > tvd::kExceptionMaximumParameters) out += " (only 15 have room)";
        out += ":";
        for (uint32_t i = 0; i < ParametersShown(exception); ++i) out += " " + Hex(exception.parameters[i], digits);
        out += "\n";
        if (auto access = AccessOf(exception))
            out += std::string("  access     ") + access->kind + " of address " + Hex(access->address, digits) + "\n";
    }
    if (decoded.context) {
        out += std::string("Context (") + decoded.layout->name + "), flags " + Hex(decoded.context->contextFlags, 8) +
               ":\n";
        int column = 0;
        for (const Register& reg : decoded.context->registers) {
            char text[48];
            std::snprintf(text, sizeof text, "  %-6s %s", reg.name, Hex(reg.value, reg.width * 2u).c_str());
            std::string cell = text;
            if (++column % 3 == 0) {
                out += cell + "\n";
            } else {
                cell.resize(28, ' ');
                out += cell;
            }
        }
        if (column % 3 != 0) {
            while (!out.empty() && out.back() == ' ') out.pop_back();
            out += "\n";
        }
    }
    if (decoded.threadBlock) {
        out += "Thread block:\n";
        for (uint32_t i = 0; i < tvd::kThreadBlockWords; ++i) {
            std::string label = kThreadBlockWordNames[i];
            label.resize(26, ' ');
            out += "  " + label + Hex(decoded.threadBlock->words[i], digits) + "\n";
        }
    }
    if (decoded.stack) {
        const StackInfo& stack = *decoded.stack;
        out += "Stack:\n";
        if (stack.addressesKnown) {
            out += "  range      " + Hex(stack.start, digits) + " to " + Hex(stack.end, digits) + " (" +
                   std::to_string(stack.length) + " bytes, " +
                   (stack.whole ? "the whole committed stack" : "the part nearest StackBase of " +
                        std::to_string(decoded.threadBlock->stackBase() - decoded.threadBlock->stackLimit()) +
                        " committed bytes") + ")\n";
            if (decoded.context) {
                const uint64_t sp = decoded.context->stackPointer;
                out += "  stack pointer " + Hex(sp, digits) +
                       (sp >= stack.start && sp < stack.end ? " lies inside the range\n" : " lies outside the range\n");
            }
        } else {
            out += "  " + std::to_string(stack.length) + " bytes, place in memory unknown (no thread block)\n";
        }
        const auto candidates = CodeAddressCandidates(decoded);
        out += "Possible code addresses in the stack: " + std::to_string(candidates.size()) + "\n";
        out += std::string("  (heuristic: ") + kCodeAddressHeuristic + ")\n";
        for (size_t i = 0; i < candidates.size() && i < kMaxCandidatesShown; ++i) {
            const uint64_t fault = decoded.exception && decoded.exception->address
                                       ? decoded.exception->address
                                       : decoded.context->instructionPointer;
            const uint64_t value = candidates[i].value;
            out += "  at " + Hex(candidates[i].location, digits) + ": " + Hex(value, digits) + " (fault " +
                   (value >= fault ? "+" + Hex(value - fault) : "-" + Hex(fault - value)) + ")\n";
        }
        if (candidates.size() > kMaxCandidatesShown)
            out += "  ... " + std::to_string(candidates.size() - kMaxCandidatesShown) + " more\n";
    }
    if (decoded.status == Status::kComplete)
        out += "Result: complete\n";
    else
        out += "Error at offset " + std::to_string(decoded.errorOffset) + ": " + decoded.error + "\n";
    return out;
}

// JSON: addresses and register values as "0x..." strings (64-bit values do not survive as JSON numbers), sizes
// and offsets as numbers.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string HexString(const Record& record) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < record.length; ++i) {
        out += digits[record.data[i] >> 4];
        out += digits[record.data[i] & 15];
    }
    return out;
}

std::string JsonReport(const Decoded& decoded, const std::string& name, const ReportOptions& options) {
    const unsigned digits = AddressDigits(decoded);
    auto address = [&](uint64_t value) { return Quote(Hex(value, digits)); };
    std::string out = "{\"file\":" + Quote(name) + ",\"size\":" + std::to_string(decoded.fileSize) +
                      ",\"status\":" + Quote(StatusName(decoded.status));
    out += ",\"layout\":" + (decoded.layout ? Quote(decoded.layout->name) : std::string("null"));
    out += ",\"records\":[";
    for (size_t i = 0; i < decoded.records.size(); ++i) {
        const Record& record = decoded.records[i];
        out += std::string(i ? "," : "") + "{\"tag\":" + Quote(Hex(record.tag, 4)) + ",\"name\":" +
               Quote(RecordName(record.tag)) + ",\"offset\":" + std::to_string(record.offset) +
               ",\"length\":" + std::to_string(record.length);
        if (options.hex) out += ",\"hex\":" + Quote(HexString(record));
        out += "}";
    }
    out += "]";
    if (decoded.exception) {
        const ExceptionInfo& exception = *decoded.exception;
        const char* codeName = ExceptionName(exception.code);
        out += ",\"exception\":{\"code\":" + Quote(Hex(exception.code, 8)) +
               ",\"name\":" + (codeName ? Quote(codeName) : std::string("null")) +
               ",\"flags\":" + Quote(Hex(exception.flags, 8)) + ",\"address\":" + address(exception.address) +
               ",\"nested\":" + address(exception.nestedRecord) +
               ",\"numberParameters\":" + std::to_string(exception.numberParameters) + ",\"parameters\":[";
        for (uint32_t i = 0; i < ParametersShown(exception); ++i)
            out += std::string(i ? "," : "") + address(exception.parameters[i]);
        out += "]";
        if (auto access = AccessOf(exception))
            out += ",\"access\":{\"kind\":" + Quote(access->kind) + ",\"address\":" + address(access->address) + "}";
        out += "}";
    }
    if (decoded.context) {
        out += ",\"context\":{\"flags\":" + Quote(Hex(decoded.context->contextFlags, 8)) + ",\"registers\":{";
        bool first = true;
        for (const Register& reg : decoded.context->registers) {
            out += std::string(first ? "" : ",") + Quote(reg.name) + ":" + Quote(Hex(reg.value, reg.width * 2u));
            first = false;
        }
        out += "}}";
    }
    if (decoded.threadBlock) {
        out += ",\"threadBlock\":{";
        for (uint32_t i = 0; i < tvd::kThreadBlockWords; ++i)
            out += std::string(i ? "," : "") + Quote(kThreadBlockWordNames[i]) + ":" +
                   address(decoded.threadBlock->words[i]);
        out += "}";
    }
    if (decoded.stack) {
        const StackInfo& stack = *decoded.stack;
        out += ",\"stack\":{\"length\":" + std::to_string(stack.length);
        if (stack.addressesKnown) {
            out += ",\"start\":" + address(stack.start) + ",\"end\":" + address(stack.end) +
                   ",\"whole\":" + (stack.whole ? "true" : "false");
            if (decoded.context) {
                const uint64_t sp = decoded.context->stackPointer;
                out += ",\"stackPointerInside\":" + std::string(sp >= stack.start && sp < stack.end ? "true" : "false");
            }
        }
        out += ",\"codeAddressHeuristic\":" + Quote(kCodeAddressHeuristic) + ",\"codeAddressCandidates\":[";
        const auto candidates = CodeAddressCandidates(decoded);
        for (size_t i = 0; i < candidates.size(); ++i)
            out += std::string(i ? "," : "") + "{\"at\":" + address(candidates[i].location) +
                   ",\"value\":" + address(candidates[i].value) + "}";
        out += "]}";
    }
    if (decoded.status != Status::kComplete)
        out += ",\"error\":{\"offset\":" + std::to_string(decoded.errorOffset) + ",\"message\":" +
               Quote(decoded.error) + "}";
    else
        out += ",\"error\":null";
    return out + "}\n";
}

}  // namespace

std::string FormatReport(const Decoded& decoded, const std::string& name, const ReportOptions& options) {
    return options.json ? JsonReport(decoded, name, options) : TextReport(decoded, name, options);
}

int ExitCodeFor(const Decoded& decoded) {
    switch (decoded.status) {
        case Status::kComplete: return 0;
        case Status::kMalformed: return 1;
        case Status::kNotDiagnostics: return 2;
    }
    return 1;
}

}  // namespace tvdinfo
