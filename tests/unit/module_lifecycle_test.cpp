#include "installer/module_lifecycle.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_system.h"

namespace {

platform::FilterResult SETUPAID_STDCALL HostFilter(platform::ExceptionPointers*) { return 0; }
platform::FilterResult SETUPAID_STDCALL OtherFilter(platform::ExceptionPointers*) { return 1; }

TEST(ModuleLifecycle, RecordsTheFilterInForceWithoutChangingIt) {
    fakes::System().processFilter = HostFilter;
    installer::FilterInForceBeforeLoad keeper;
    EXPECT_EQ(keeper.recorded(), &HostFilter);
    EXPECT_EQ(fakes::System().processFilter, &HostFilter);
}

TEST(ModuleLifecycle, SetsTheRecordedFilterAgainAtUnloadWhateverWasInstalledMeanwhile) {
    fakes::System().processFilter = HostFilter;
    {
        installer::FilterInForceBeforeLoad keeper;
        fakes::System().processFilter = OtherFilter;
    }
    EXPECT_EQ(fakes::System().processFilter, &HostFilter);
}

TEST(ModuleLifecycle, RestoresNoFilterWhenThereWasNone) {
    {
        installer::FilterInForceBeforeLoad keeper;
        EXPECT_EQ(keeper.recorded(), nullptr);
        fakes::System().processFilter = OtherFilter;
    }
    EXPECT_EQ(fakes::System().processFilter, nullptr);
    EXPECT_EQ(fakes::CallLog().back(), "SetProcessExceptionFilter(null)");
}

}  // namespace
