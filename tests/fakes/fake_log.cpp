#include "tests/fakes/fake_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace fakes {
namespace {

std::map<std::string, int>& InjectedFailures() {
    static std::map<std::string, int> failures;
    return failures;
}

std::vector<void (*)()>& ResetHooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}

// Resets the fakes before every test, so no test sees another's state or log.
class ResetBeforeEachTest : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { ResetAll(); }
};

const bool listenerInstalled = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ResetBeforeEachTest);
    return true;
}();

}  // namespace

std::vector<std::string>& CallLog() {
    static std::vector<std::string> log;
    return log;
}

void Record(std::string call) { CallLog().push_back(std::move(call)); }

void FailNext(const std::string& operation, int times) { InjectedFailures()[operation] += times; }

bool ShouldFail(const std::string& operation) {
    auto found = InjectedFailures().find(operation);
    if (found == InjectedFailures().end() || found->second <= 0) return false;
    --found->second;
    return true;
}

void ResetAll() {
    CallLog().clear();
    InjectedFailures().clear();
    for (auto reset : ResetHooks()) reset();
}

ResetRegistration::ResetRegistration(void (*reset)()) { ResetHooks().push_back(reset); }

std::string Hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", value);
    return text;
}

}  // namespace fakes
