#include "crash/diagnostic_file_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_temp_directory.h"

namespace {

constexpr char kName[] = "Tarvelon 2005_11_25 14_03_07_042";

class DiagnosticFileName : public testing::Test {
protected:
    void SetUp() override { fakes::Clock().now = platform::LocalTime{2005, 11, 25, 14, 3, 7, 42}; }

    std::string Make(const char* prefix, bool useTempDir, uint32_t maxLength = 256) {
        std::memset(buffer_, 'x', sizeof buffer_);
        crash::MakeDiagnosticFileName(prefix, buffer_, maxLength, useTempDir);
        return buffer_;
    }
    char buffer_[300];
};

struct NamingCase {
    const char* prefix;
    bool useTempDir;
    bool tempFails;
    std::string expected;
};

TEST_F(DiagnosticFileName, PlacesTheNameAfterThePrefixTheTempDirectoryOrNothing) {
    const NamingCase cases[] = {
        {"", true, false, std::string("C:\\Temp\\") + kName},
        {nullptr, true, false, std::string("C:\\Temp\\") + kName},
        {"D:\\Logs\\App-", true, false, std::string("D:\\Logs\\App-") + kName},
        {"D:\\Logs\\App-", false, false, std::string("D:\\Logs\\App-") + kName},
        {"D:\\Logs\\", true, true, std::string("D:\\Logs\\") + kName},
        {"D:\\Logs\\", false, false, std::string("D:\\Logs\\") + kName},
        {"", false, false, kName},
        {nullptr, false, false, kName},
        {"", true, true, kName},
    };
    for (const NamingCase& c : cases) {
        fakes::TempDirectory().fails = c.tempFails;
        EXPECT_EQ(Make(c.prefix, c.useTempDir), c.expected)
            << (c.prefix ? c.prefix : "(null)") << " useTempDir=" << c.useTempDir;
    }
}

TEST_F(DiagnosticFileName, APrefixDoesNotConsultTheTempDirectory) {
    Make("D:\\Logs\\", true);
    for (const std::string& call : fakes::CallLog()) EXPECT_EQ(call.find("TempDirectory"), std::string::npos);
}

TEST_F(DiagnosticFileName, KeepsLeadingZerosInEveryField) {
    fakes::Clock().now = platform::LocalTime{2006, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Make(nullptr, false), "Tarvelon 2006_01_02 03_04_05_006");
}

TEST_F(DiagnosticFileName, KeepsTheFortyFourByteReservationFreeBehindTheLocation) {
    const std::string fits(211, 'p'), tooLong(212, 'p');
    EXPECT_EQ(Make(fits.c_str(), false), fits + kName);
    EXPECT_EQ((fits + kName).size(), 243u);
    EXPECT_EQ(Make(tooLong.c_str(), true), std::string("C:\\Temp\\") + kName);
    EXPECT_EQ(Make(tooLong.c_str(), false), kName);

    fakes::TempDirectory().path = "C:\\" + std::string(207, 't') + "\\";  // 211 bytes
    EXPECT_EQ(Make(nullptr, true), fakes::TempDirectory().path + kName);
    fakes::TempDirectory().path = "C:\\" + std::string(208, 't') + "\\";  // 212 bytes
    EXPECT_EQ(Make(nullptr, true), kName);
}

TEST_F(DiagnosticFileName, ATempDirectoryLargerThanTheBufferGivesTheBareName) {
    fakes::TempDirectory().path = "C:\\" + std::string(300, 't') + "\\";
    EXPECT_EQ(Make(nullptr, true), kName);
}

TEST_F(DiagnosticFileName, NeverWritesBeyondASmallBuffer) {
    for (uint32_t maxLength : {1u, 10u, 32u, 33u}) {
        EXPECT_EQ(Make(nullptr, true, maxLength), std::string(kName).substr(0, maxLength - 1)) << maxLength;
        EXPECT_EQ(buffer_[maxLength], 'x') << maxLength;
    }
    std::memset(buffer_, 'x', sizeof buffer_);
    crash::MakeDiagnosticFileName(nullptr, buffer_, 0, true);
    EXPECT_EQ(buffer_[0], 'x');
}

TEST_F(DiagnosticFileName, TwoCallsInTheSameMillisecondGiveTheSamePath) {
    EXPECT_EQ(Make(nullptr, true), Make(nullptr, true));
}

}  // namespace
