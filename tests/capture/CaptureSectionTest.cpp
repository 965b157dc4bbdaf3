// tests/capture/CaptureSectionTest.cpp — the report's capture-device lines from registry fixtures below a private
// root: the sibling product's settings for a table of stored values, and the driver data of a device path
#include "CaptureTestSupport.h"
#include "support/RegistryFixture.h"
#include "support/StringLists.h"

#include "capture/CaptureSection.h"
#include "capture/CountryTable.h"
#include "capture/MediaType.h"

#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <functional>

using namespace capture_test;
using testsupport::Binary;
using testsupport::Dword;
using testsupport::Lines;
using testsupport::RegistryRoot;
using testsupport::Text;

namespace {

const char kDeviceKey[] = "usb#vid_1234&pid_5678&mi_00#6&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
                          "\\global";
const std::string kSettings = std::string("Software\\Korvath\\QRVMZ\\USB Camera\\") + kDeviceKey;

std::vector<std::string> Dump(RegistryRoot& root)
{
    CStringArray lines;
    lines.Add("before");
    DumpVelloranCaptureSettings("USB Camera", kDeviceKey, lines, root.Key());
    std::vector<std::string> result = Lines(lines);
    result.erase(result.begin());
    return result;
}

TEST(SiblingSettings, EveryValueGivesItsLine)
{
    RegistryRoot root;
    root.Write(kSettings,
               {Dword("VideoSource", 16), Dword("Country", 82), Dword("Input", 5), Dword("AnalogVideoStandard", 0x10),
                Dword("Parameter", 3), Dword("width", 720), Dword("height", 576), Dword("FrameRate", 400000),
                Dword("BitRate", 4000000), Dword("Compression", 0), Binary("FormatType", &FORMAT_MPEG2Video, 16),
                Binary("SubType", &MEDIASUBTYPE_RGB24, 16), Dword("AudioCompression", 4)});
    const std::vector<std::string> expected = {
        " Video Source : TV Tuner",  " TV Country : Germany",    " TV Input : Antenna", " TV Format : PAL_B",
        " Use Frame Rate : true",    " Resolution : 720 X 576",  " FrameRate : 25.0",   " Maximum BitRate : 4000000",
        " Compression Mode : MPEG2", " Audio Compression : MP3",
    };
    EXPECT_EQ(expected, Dump(root));
}

// One stored value (or a few) per case, and the lines they give.
TEST(SiblingSettings, TableOfStoredValues)
{
    const DWORD mjpg = MakeFourCC('M', 'J', 'P', 'G');
    struct Case {
        const char* what;
        std::function<void(RegistryRoot&)> store;
        std::vector<std::string> lines;
    } const cases[] = {
        {"country 0",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("Country", 0)}); },
         {" TV Country : Afghanistan"}},
        {"country 231", [](RegistryRoot& r) { r.Write(kSettings, {Dword("Country", 231)}); }, {" TV Country : USA"}},
        {"country 239",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("Country", 239)}); },
         {" TV Country : Zimbabwe"}},
        {"country 240 is outside the table", [](RegistryRoot& r) { r.Write(kSettings, {Dword("Country", 240)}); }, {}},
        {"country 78",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("Country", 78)}); },
         {" TV Country : F.Y.R.O.M. (Former Yugoslav Republic of Macedonia"}},
        {"country stored in two bytes",
         [](RegistryRoot& r) {
             const WORD two = 231;
             r.Write(kSettings, {Binary("Country", &two, 2)});
         },
         {}},
        {"video source 19 has no text",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("VideoSource", 19)});
             r.Write(kSettings, {Dword("Country", 38)});
         },
         {" TV Country : Canada"}},
        {"composite and S-Video",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("VideoSource", 18)}); },
         {" Video Source : S-Video"}},
        {"cable", [](RegistryRoot& r) { r.Write(kSettings, {Dword("Input", 0)}); }, {" TV Input : Cable"}},
        {"PAL_G has no text", [](RegistryRoot& r) { r.Write(kSettings, {Dword("AnalogVideoStandard", 0x40)}); }, {}},
        {"PAL_N_COMBO",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("AnalogVideoStandard", 0x100000)}); },
         {" TV Format : PAL_N_COMBO"}},
        {"SECAM_L1",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("AnalogVideoStandard", 0x80000)}); },
         {" TV Format : SECAM_L1"}},
        {"frame rate off",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Parameter", 2)});
             r.Write(kSettings, {Dword("FrameRate", 400000)});
         },
         {" Use Frame Rate : false"}},
        {"NTSC frame rate",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Parameter", 1)});
             r.Write(kSettings, {Dword("FrameRate", 333666)});
         },
         {" Use Frame Rate : true", " FrameRate : 30.0"}},
        {"frame interval 0",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Parameter", 1)});
             r.Write(kSettings, {Dword("FrameRate", 0)});
         },
         {" Use Frame Rate : true"}},
        {"frame rate without the parameter",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("FrameRate", 400000)}); },
         {}},
        {"width without height",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("width", 720)}); },
         {" Resolution : 720 X 0"}},
        {"height without width", [](RegistryRoot& r) { r.Write(kSettings, {Dword("height", 576)}); }, {}},
        {"missing format type",
         [mjpg](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Compression", mjpg)});
             r.Write(kSettings, {Binary("SubType", &MEDIASUBTYPE_MJPG, 16)});
         },
         {}},
        {"format type cut short",
         [mjpg](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Compression", mjpg)});
             r.Write(kSettings, {Binary("FormatType", &FORMAT_VideoInfo, 8)});
             r.Write(kSettings, {Binary("SubType", &MEDIASUBTYPE_MJPG, 16)});
         },
         {}},
        {"a format type without a name",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Compression", 0)});
             r.Write(kSettings, {Binary("FormatType", &FORMAT_VideoInfo2, 16)});
             r.Write(kSettings, {Binary("SubType", &MEDIASUBTYPE_RGB24, 16)});
         },
         {" Compression Mode : "}},
        {"uncompressed by subtype",
         [](RegistryRoot& r) {
             r.Write(kSettings, {Dword("Compression", 0)});
             r.Write(kSettings, {Binary("FormatType", &FORMAT_VideoInfo, 16)});
             r.Write(kSettings, {Binary("SubType", &MEDIASUBTYPE_YUY2, 16)});
         },
         {" Compression Mode : YUY2"}},
        {"MP2 audio",
         [](RegistryRoot& r) { r.Write(kSettings, {Dword("AudioCompression", 2)}); },
         {" Audio Compression : MP2"}},
        {"other audio", [](RegistryRoot& r) { r.Write(kSettings, {Dword("AudioCompression", 3)}); }, {}},
        {"a text where a number belongs",
         [](RegistryRoot& r) { r.Write(kSettings, {Text("BitRate", "1234")}); },
         {" Maximum BitRate : 875770417"}},
        {"no settings key at all", [](RegistryRoot&) {}, {}},
    };
    for (const Case& c : cases) {
        RegistryRoot root;
        c.store(root);
        EXPECT_EQ(c.lines, Dump(root)) << c.what;
    }
}

TEST(SiblingSettings, CountryTableRows)
{
    ASSERT_NE(nullptr, GetCountryRow(0));
    EXPECT_STREQ("Afghanistan", GetCountryRow(0)->name);
    EXPECT_EQ(93, GetCountryRow(0)->dialingCode);
    EXPECT_EQ(2, GetCountryRow(38)->dialingCode);
    EXPECT_EQ(DWORD(AnalogVideo_NTSC_M_J), GetCountryRow(112)->standard);
    EXPECT_STREQ("United Kingdom", GetCountryRow(228)->name);
    EXPECT_STREQ("Zimbabwe", GetCountryRow(239)->name);
    EXPECT_EQ(nullptr, GetCountryRow(240));
    EXPECT_EQ(nullptr, GetCountryRow(0xFFFFFFFF));
}

std::string WindowsDirectory()
{
    char szDir[MAX_PATH] = {};
    GetWindowsDirectoryA(szDir, MAX_PATH);
    return szDir;
}

// The driver lines of three devices: a service with a path below "\SystemRoot\", one with an NT path, and a
// device that reported no path ("default").
TEST(CaptureDriverLines, FromEnumServicesAndClassKeys)
{
    RegistryRoot root;
    const std::string enumKey = "SYSTEM\\CurrentControlSet\\Enum\\";
    const std::string classKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{6bdd1fc6-810f-11d0-bec7-08002be2092f}";
    root.Write(enumKey + "pci\\ven_1&dev_2\\3&4", {Text("Service", "tvcap")});
    root.Write(enumKey + "pci\\ven_1&dev_2\\3&4", {Text("Driver", "{6bdd1fc6-810f-11d0-bec7-08002be2092f}\\0001")});
    root.Write("SYSTEM\\CurrentControlSet\\Services\\tvcap",
               {Text("ImagePath", "\\SystemRoot\\System32\\drivers\\tv.sys")});
    root.Write(classKey + "\\0001", {Text("DriverDesc", "TV Card")});
    root.Write(classKey + "\\0001", {Text("ProviderName", "Maker")});
    root.Write(enumKey + "usb\\vid_9\\5", {Text("Service", "ntcam")});
    root.Write("SYSTEM\\CurrentControlSet\\Services\\ntcam", {Text("ImagePath", "\\??\\D:\\drivers\\ntcam.sys")});

    CStringArray lines;
    AppendCaptureDeviceLines(lines, "TV Card", "\\\\?\\pci#ven_1&dev_2#3&4#{65e8773d-8f56-11d0-a3b9-00a0c9223196}",
                             root.Key());
    AppendCaptureDeviceLines(lines, "NT Camera", "usb#vid_9#5", root.Key());
    AppendCaptureDeviceLines(lines, "Virtual Camera", "default", root.Key());
    const std::vector<std::string> expected = {
        "TV CARD",
        " Device Path : pci#ven_1&dev_2#3&4#{65e8773d-8f56-11d0-a3b9-00a0c9223196}",
        " Port Driver: ",
        " Provider: Maker",
        " Description: TV Card",
        " Location: " + WindowsDirectory() + "\\System32\\drivers\\tv.sys",
        " Version: ",
        " Date: ",
        "",
        "NT CAMERA",
        " Device Path : usb#vid_9#5",
        " Port Driver: ",
        " Provider: ",
        " Description: ",
        " Location: D:\\drivers\\ntcam.sys",
        " Version: ",
        " Date: ",
        "",
        "VIRTUAL CAMERA",
        " Device Path : default",
        " Port Driver: ",
        " Provider: ",
        " Description: ",
        " Location: ",
        " Version: ",
        " Date: ",
        "",
    };
    EXPECT_EQ(expected, Lines(lines));

    // Paths without the usual parts give empty driver lines, never a stray key.
    for (const char* odd : {"\\\\?\\", "##", "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}", "\\", ""}) {
        CStringArray oddLines;
        AppendCaptureDeviceLines(oddLines, "Odd", odd, root.Key());
        ASSERT_EQ(9, oddLines.GetSize()) << odd;
        EXPECT_STREQ(" Location: ", oddLines[5]) << odd;
    }
}

} // namespace
