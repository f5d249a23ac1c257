// The guard on real faults: each one ends the guarded work and leaves the thread able to go on.
#include "platform/structured_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile int seven = 7;  // both operands unknown, so the compiler must emit a real division

void ReadNull(void*) { (void)*nowhere; }
void WriteNull(void*) { *nowhere = 1; }
void DivideByZero(void* result) { *static_cast<int*>(result) = seven / zero; }
void RaiseCustom(void*) { RaiseException(0xE0DEAD01, 0, 0, nullptr); }
void Finish(void* flag) { *static_cast<bool*>(flag) = true; }

TEST(StructuredGuard, TurnsRealFaultsIntoAPlainFailure) {
    int result = 0;
    EXPECT_FALSE(platform::RunGuarded(ReadNull, nullptr));
    EXPECT_FALSE(platform::RunGuarded(WriteNull, nullptr));
    EXPECT_FALSE(platform::RunGuarded(DivideByZero, &result));
    EXPECT_FALSE(platform::RunGuarded(RaiseCustom, nullptr));
    bool finished = false;
    EXPECT_TRUE(platform::RunGuarded(Finish, &finished));
    EXPECT_TRUE(finished);
}

TEST(StructuredGuard, TheInnermostGuardCatchesAndTheOuterOneGoesOn) {
    struct Outer {
        bool innerResult = true;
        bool afterInner = false;
    } outer;
    EXPECT_TRUE(platform::RunGuarded(
        [](void* context) {
            auto* state = static_cast<Outer*>(context);
            state->innerResult = platform::RunGuarded(WriteNull, nullptr);
            state->afterInner = true;
        },
        &outer));
    EXPECT_FALSE(outer.innerResult);
    EXPECT_TRUE(outer.afterInner);
}

TEST(StructuredGuard, GuardsEveryThreadOnItsOwn) {
    bool results[4] = {true, true, true, true};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] = std::thread([&results, i] {
            for (int round = 0; round < 100 && results[i]; ++round)
                results[i] = !platform::RunGuarded(ReadNull, nullptr);
        });
    for (auto& thread : threads) thread.join();
    for (bool ok : results) EXPECT_TRUE(ok);
}

TEST(StructuredGuard, LetsCppExceptionsPassToTheirOwnHandlers) {
    bool caught = false;
    try {
        platform::RunGuarded([](void*) { throw std::runtime_error("through"); }, nullptr);
    } catch (const std::runtime_error&) {
        caught = true;
    }
    EXPECT_TRUE(caught);
}

}  // namespace
