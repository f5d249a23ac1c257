// The shared core of the fake platform: a call log that every fake operation appends to, failure injection by
// operation name, and a reset that returns every fake area to its defaults before each test.
#pragma once

#include <string>
#include <vector>

namespace fakes {

// Every fake platform operation records one line, "Name(arg, arg)", in call order.
std::vector<std::string>& CallLog();
void Record(std::string call);

// Makes the named operation fail on its next `times` calls (each fake documents what failing means for it).
void FailNext(const std::string& operation, int times = 1);
// True, consuming one injected failure, when the named operation is to fail now.
bool ShouldFail(const std::string& operation);

// Returns every fake area to its defaults and clears the log and the injected failures. Runs before every test.
void ResetAll();

// Each fake area registers how to reset itself: `static fakes::ResetRegistration r{[] { ... }};`
struct ResetRegistration {
    explicit ResetRegistration(void (*reset)());
};

// Formats values for the call log.
std::string Hex(unsigned long long value);

}  // namespace fakes
