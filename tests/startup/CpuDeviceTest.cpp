// tests/startup/CpuDeviceTest.cpp
// Processor devices of the system section. Wine lists none, so this program (run in a private copy of the
// prefix) registers two root-enumerated processor devices, one with a friendly name and one without.
#include "report/SystemInfo.h"

#include <gtest/gtest.h>

#include <devguid.h>

#include <cstring>
#include <string>
#include <vector>
#include "support/StringLists.h"

namespace {

using testsupport::Lines;

bool RegisterProcessor(const char* instanceId, const char* friendlyName)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PROCESSOR, nullptr);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    bool ok = SetupDiCreateDeviceInfoA(set, instanceId, &GUID_DEVCLASS_PROCESSOR, nullptr, nullptr, 0, &device) != 0;
    if (ok && friendlyName != nullptr)
        ok = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME,
                                               reinterpret_cast<const BYTE*>(friendlyName),
                                               static_cast<DWORD>(strlen(friendlyName) + 1)) != 0;
    if (ok)
        ok = SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr) != 0;
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

void RemoveProcessor(const char* instanceId)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PROCESSOR, nullptr);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    if (SetupDiOpenDeviceInfoA(set, instanceId, nullptr, 0, &device))
        SetupDiRemoveDevice(set, &device);
    SetupDiDestroyDeviceInfoList(set);
}

const char kNamedProcessor[] = "Root\\TAVISKCPU\\0000";
const char kUnnamedProcessor[] = "Root\\TAVISKCPU\\0001";

// The devices are removed again afterwards, so that even a run in the shared prefix leaves it as it was.
class CpuDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RemoveProcessor(kNamedProcessor);
        RemoveProcessor(kUnnamedProcessor);
        s_registered = RegisterProcessor(kNamedProcessor, "Fixture Processor 3000 @ 3.00GHz") &&
                       RegisterProcessor(kUnnamedProcessor, nullptr);
    }
    static void TearDownTestSuite()
    {
        RemoveProcessor(kNamedProcessor);
        RemoveProcessor(kUnnamedProcessor);
    }
    void SetUp() override
    {
        if (!s_registered)
            GTEST_SKIP() << "this Wine cannot register processor devices";
    }
    static bool s_registered;
};
bool CpuDeviceTest::s_registered = false;

} // namespace

TEST_F(CpuDeviceTest, FriendlyNamesOfEachProcessorDevice)
{
    HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PROCESSOR, nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    CStringArray first, second, past;
    EXPECT_EQ(1, GetCpuFriendlyName(set, 0, first));
    EXPECT_EQ(1, GetCpuFriendlyName(set, 1, second));
    EXPECT_EQ(0, GetCpuFriendlyName(set, 2, past));
    SetupDiDestroyDeviceInfoList(set);

    EXPECT_EQ(std::vector<std::string>{"CPU Name: Fixture Processor 3000 @ 3.00GHz"}, Lines(first));
    EXPECT_EQ(std::vector<std::string>{"SPDRP_FRIENDLYNAME  : SPDRP_FRIENDLYNAME not available!"}, Lines(second));
    EXPECT_TRUE(Lines(past).empty());
}

// With processor devices listed, their blocks replace the brand-string line.
TEST_F(CpuDeviceTest, SectionListsTheDevices)
{
    CStringArray lines;
    AppendProcessorAndMemoryLines(lines);
    std::vector<std::string> text = Lines(lines);
    ASSERT_EQ(8u, text.size());
    EXPECT_EQ("CPU 1:", text[0]);
    EXPECT_EQ("CPU Name: Fixture Processor 3000 @ 3.00GHz", text[1]);
    EXPECT_EQ("CPU 2:", text[2]);
    EXPECT_EQ("SPDRP_FRIENDLYNAME  : SPDRP_FRIENDLYNAME not available!", text[3]);
    EXPECT_EQ(0u, text[4].find("CPU Speed: ")) << text[4];
    EXPECT_EQ(0u, text[5].find("Installed RAM: ")) << text[5];
}

// An empty set has no processor and no line; a handle that is no device set reports the error as a line.
TEST(CpuFriendlyName, EmptyAndInvalidSets)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PROCESSOR, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    CStringArray lines;
    EXPECT_EQ(0, GetCpuFriendlyName(set, 0, lines));
    EXPECT_EQ(0, lines.GetSize());
    SetupDiDestroyDeviceInfoList(set);

    EXPECT_EQ(0, GetCpuFriendlyName(INVALID_HANDLE_VALUE, 0, lines));
    ASSERT_EQ(1, lines.GetSize());
    EXPECT_EQ(0, strncmp("SetupDiEnumDeviceInfo failed with error: ", lines[0], 41)) << lines[0];
}
