// tests/capture/CaptureSettingsTest.cpp
// The TV channel list with its file, and a capture device's settings in the registry of a private prefix: values
// read back with their corrections, applied once per descriptor, written back, and the channel-list number kept.
#include "FakeFilters.h"

#include "capture/CaptureDevice.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/ChannelList.h"
#include "capture/MediaType.h"
#include "drive/DriveManager.h"
#include "framework/Registry.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <uuids.h>

#include <string>

using namespace capture_test;

namespace {

CChannel MakeChannel(LONG no, LONG pno, LONG freq, const char* name)
{
    CChannel channel;
    channel.m_nNumber = no;
    channel.m_nProgramNumber = pno;
    channel.m_nFrequency = freq;
    channel.m_nUserFrequency = freq + 1;
    channel.m_nOriginalFrequency = freq + 2;
    channel.m_strName = name;
    return channel;
}

class ChannelFile : public ::testing::Test {
protected:
    testsupport::ScratchFolder folder;
    CString Path(const char* name) const { return folder.Path(name).c_str(); }
};

TEST_F(ChannelFile, WrittenAsLinesAndReadBackWithEveryMember)
{
    CChannelList list;
    list.m_nListNumber = 3;
    list.AddChannel(MakeChannel(5, 1, 182250, "One"));
    list.AddChannel(MakeChannel(-7, 2, -1, "Info: News"));
    list.AddChannel(MakeChannel(12, 3, 0, ""));
    ASSERT_TRUE(list.SaveFile(Path("Channels3.kvc")));
    const std::string head("[DEVICE]\r\nindex: 3\r\n\r\n"
                           "[CHANNEL]\r\nPNo:1\r\nNo:5\r\nFreq:182250\r\nOrigFreq:182252\r\nUserFreq:182251\r\n"
                           "Name:One\r\n\r\n[CHANNEL]\r\n");
    EXPECT_EQ(head, testsupport::ReadText(folder.Path("Channels3.kvc")).substr(0, head.size()));

    CChannelList read;
    read.AddChannel(MakeChannel(99, 9, 9, "stale"));
    ASSERT_TRUE(read.LoadFile(Path("Channels3.kvc")));
    ASSERT_EQ(3, read.m_channels.GetSize());
    for (INT_PTR i = 0; i < 3; ++i) {
        const CChannel& a = list.m_channels[i];
        const CChannel& b = read.m_channels[i];
        EXPECT_EQ(a.m_nNumber, b.m_nNumber);
        EXPECT_EQ(a.m_nProgramNumber, b.m_nProgramNumber);
        EXPECT_EQ(a.m_nFrequency, b.m_nFrequency);
        EXPECT_EQ(a.m_nUserFrequency, b.m_nUserFrequency);
        EXPECT_EQ(a.m_nOriginalFrequency, b.m_nOriginalFrequency);
        EXPECT_STREQ(a.m_strName, b.m_strName);
    }
    // The list number belongs to the registry and the file name, not to the file.
    EXPECT_EQ(0, read.m_nListNumber);
}

TEST_F(ChannelFile, EmptyListIsTheDeviceSectionOnly)
{
    CChannelList list;
    list.m_nListNumber = 0;
    ASSERT_TRUE(list.SaveFile(Path("Channels0.kvc")));
    EXPECT_EQ("[DEVICE]\r\nindex: 0\r\n\r\n", testsupport::ReadText(folder.Path("Channels0.kvc")));
}

// One line after a channel's "[CHANNEL]" line, and the channel it gives. A line is a key line when it starts
// with a key, in any case; the value is the rest of the line. A key elsewhere in the line is part of the value,
// so a name that holds "No:" (the file's own "Name:Info: News") reads back as written.
TEST_F(ChannelFile, OneLineOfAChannel)
{
    struct Case {
        const char* line;
        LONG No, PNo, Freq, UserFreq, OrigFreq;
        const char* name;
    } const cases[] = {
        {"PNo:7", -1, 7, 0, 0, 0, ""},
        {"pno:  7", -1, 7, 0, 0, 0, ""},
        {"NO:-3", -3, 1, 0, 0, 0, ""},
        {"No:+12", 12, 1, 0, 0, 0, ""},
        {"Freq:182250", -1, 1, 182250, 0, 0, ""},
        {"freq:abc", -1, 1, 0, 0, 0, ""},
        {"Freq:", -1, 1, 0, 0, 0, ""},
        {"UserFreq:5", -1, 1, 0, 5, 0, ""},
        {"ORIGFREQ:6", -1, 1, 0, 0, 6, ""},
        {"Name:One", -1, 1, 0, 0, 0, "One"},
        {"name:Mixed Case", -1, 1, 0, 0, 0, "Mixed Case"},
        {"Name:Info: News", -1, 1, 0, 0, 0, "Info: News"},
        {"NAME:Studio NO:1", -1, 1, 0, 0, 0, "Studio NO:1"},
        {"Name:nO:te", -1, 1, 0, 0, 0, "nO:te"},
        {"Name:PNo:5", -1, 1, 0, 0, 0, "PNo:5"},
        {"Name:UserFreq:9", -1, 1, 0, 0, 0, "UserFreq:9"},
        {"Name: padded ", -1, 1, 0, 0, 0, " padded "},
        {"Name:", -1, 1, 0, 0, 0, ""},
        {"  PNo:7", -1, 1, 0, 0, 0, ""},
        {"XNo:4", -1, 1, 0, 0, 0, ""},
        {"Colour:red", -1, 1, 0, 0, 0, ""},
        {"index: 3", -1, 1, 0, 0, 0, ""},
        {"Nam", -1, 1, 0, 0, 0, ""},
        {"[DEVICE]", -1, 1, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        testsupport::WriteText(folder.Path("line.kvc"),
                               std::string("[DEVICE]\r\nindex: 0\r\n\r\n[CHANNEL]\r\n") + c.line + "\r\n");
        CChannelList list;
        ASSERT_TRUE(list.LoadFile(Path("line.kvc")));
        ASSERT_EQ(1, list.m_channels.GetSize()) << c.line;
        const CChannel& channel = list.m_channels[0];
        EXPECT_EQ(c.No, channel.m_nNumber) << c.line;
        EXPECT_EQ(c.PNo, channel.m_nProgramNumber) << c.line;
        EXPECT_EQ(c.Freq, channel.m_nFrequency) << c.line;
        EXPECT_EQ(c.UserFreq, channel.m_nUserFrequency) << c.line;
        EXPECT_EQ(c.OrigFreq, channel.m_nOriginalFrequency) << c.line;
        EXPECT_STREQ(c.name, channel.m_strName) << c.line;
    }
}

TEST_F(ChannelFile, ChannelsStartAtTheirOwnLineOnly)
{
    testsupport::WriteText(folder.Path("c.kvc"),
                           "pno:7\r\n" // before any channel: nothing to fill
                           "[channel]\r\npno:  7\r\n"
                           "[CHANNEL] \r\nNo:3\r\n" // not a channel line: the No belongs to the channel before
                           "[CHANNEL]\r\nUSERFREQ:+12\r\n"
                           "[CHANNEL]\r\nPNo:4\r\nNam"); // cut short
    CChannelList list;
    ASSERT_TRUE(list.LoadFile(Path("c.kvc")));
    ASSERT_EQ(3, list.m_channels.GetSize());
    EXPECT_EQ(7, list.m_channels[0].m_nProgramNumber);
    EXPECT_EQ(3, list.m_channels[0].m_nNumber);
    EXPECT_EQ(12, list.m_channels[1].m_nUserFrequency);
    EXPECT_EQ(1, list.m_channels[1].m_nProgramNumber);
    EXPECT_EQ(4, list.m_channels[2].m_nProgramNumber);
    EXPECT_STREQ("", list.m_channels[2].m_strName);
}

TEST_F(ChannelFile, MissingFileLeavesTheListAlone)
{
    CChannelList list;
    list.AddChannel(MakeChannel(1, 1, 0, "kept"));
    EXPECT_FALSE(list.LoadFile(Path("none.kvc")));
    EXPECT_EQ(1, list.m_channels.GetSize());
    EXPECT_FALSE(list.SaveFile(Path("no-such-folder\\c.kvc")));
}

TEST(ChannelList, LookupsFollowListPositions)
{
    CChannelList list;
    EXPECT_EQ(0, list.GetFirstProgramNumber());
    EXPECT_EQ(1, list.GetLastProgramNumber());
    list.AddChannel(MakeChannel(21, 5, 0, "A"));
    list.AddChannel(MakeChannel(22, -1, 0, "B"));
    list.AddChannel(MakeChannel(23, 2, 0, "C"));
    EXPECT_EQ(2, list.GetFirstProgramNumber());
    EXPECT_EQ(5, list.GetLastProgramNumber());
    EXPECT_EQ(-1, list.GetNextProgramNumber(5));
    EXPECT_EQ(2, list.GetNextProgramNumber(2)); // the last channel: unchanged
    EXPECT_EQ(5, list.GetPrevProgramNumber(5)); // the first channel: unchanged
    EXPECT_EQ(-1, list.GetPrevProgramNumber(2));
    EXPECT_EQ(23, list.GetChannelNumber(2));
    EXPECT_EQ(-1, list.GetChannelNumber(9));
    EXPECT_EQ(5, list.GetProgramNumber(21));
    EXPECT_EQ(0, list.GetProgramNumber(99));
    list.m_nSelectedChannel = 22;
    EXPECT_STREQ("B", list.GetChannelName(-1));
    EXPECT_STREQ("Channel not found", list.GetChannelName(99));
    EXPECT_EQ(-1, list.GetChannel(99).m_nNumber);
    EXPECT_STREQ("C", list.GetChannel(23).m_strName);
}

const char kProgramKey[] = "SOFTWARE\\Korvath\\TAVISK";
const char kDeviceKey[] = "SOFTWARE\\Korvath\\TAVISK\\Settings Cam\\usb#vid_1#2#{x}\\global";

// Counts the calls that applying settings makes.
class SettingsDevice : public CCaptureDevice {
public:
    explicit SettingsDevice(CCaptureFilterInfo* pInfo) : CCaptureDevice(pInfo, nullptr) {}
    HRESULT BuildBasicGraph() override { return E_NOTIMPL; }
    HRESULT Initialize() override { return E_NOTIMPL; }
    HRESULT BuildPreviewCaptureGraph() override { return E_NOTIMPL; }
    HRESULT ReadTunerState() override { return E_NOTIMPL; }
    void SetVideoStandard(LONG standard) override { standards.push_back(standard); }
    HRESULT SetVideoConfig(CVideoFormat format) override
    {
        configs.push_back(format);
        return S_OK;
    }
    HRESULT ReadCurrentVideoFormat() override
    {
        ++currentReads;
        m_videoFormat.Clear();
        m_videoFormat.m_formatType = FORMAT_VideoInfo;
        m_videoFormat.m_nCompression = MakeFourCC('D', 'X', '5', '0');
        m_videoFormat.m_arrFrameSizes.Add(CFrameSize());
        return S_OK;
    }
    std::vector<LONG> standards;
    std::vector<CVideoFormat> configs;
    int currentReads = 0;
};

class Settings : public ::testing::Test {
protected:
    FakeFilter* filter = nullptr;
    CCaptureFilterInfo* info = nullptr;
    testsupport::ScratchFolder folder;

    void SetUp() override
    {
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kProgramKey);
        filter = CreateFakeFilter(FakeFilterLayout());
        info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), "Settings Cam",
                                      "\\\\?\\usb#vid_1#2#{x}\\global");
    }
    void TearDown() override
    {
        info->Release();
        AsBaseFilter(filter)->Release();
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kProgramKey);
    }
    CRegistryKey DeviceKey()
    {
        CRegistryKey key;
        EXPECT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kDeviceKey));
        return key;
    }
};

TEST_F(Settings, StoredValuesWithTheirCorrections)
{
    {
        CRegistryKey key = DeviceKey();
        key.SetDword("VideoSource", 5);
        key.SetDword("AudioCompression", DWORD(-1));
        key.SetDword("Parameter", 1);
        key.SetDword("FrameRate", 400000);
        key.SetDword("width", 720);
        key.SetDword("height", 576);
        key.SetDword("AnalogVideoStandard", AnalogVideo_NTSC_M);
        const WORD shortCountry = 44; // two bytes only: read as far as it goes
        key.SetBinary("Country", &shortCountry, sizeof shortCountry);
        key.SetBinary("FormatType", &FORMAT_MPEG2Video, sizeof(GUID));
    }
    SettingsDevice device(info);
    device.LoadSettings();
    EXPECT_EQ(17, device.m_nVideoSource);
    EXPECT_EQ(2, device.m_nAudioCompression);
    EXPECT_EQ(44, device.m_nCountry);
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEG2Video, device.m_videoFormat.m_formatType));
    ASSERT_EQ(1, device.m_videoFormat.m_arrFrameSizes.GetSize());
    const CFrameSize& size = device.m_videoFormat.m_arrFrameSizes[0];
    EXPECT_EQ(720, size.m_nWidth);
    EXPECT_EQ(576, size.m_nHeight);
    ASSERT_EQ(1, size.m_arrFrameIntervals.GetSize());
    EXPECT_EQ(400000, size.m_arrFrameIntervals[0]);
    // Applied: the standard, then the format.
    EXPECT_EQ(std::vector<LONG>{AnalogVideo_NTSC_M}, device.standards);
    ASSERT_EQ(1u, device.configs.size());
    EXPECT_EQ(720, device.configs[0].m_arrFrameSizes[0].m_nWidth);
    EXPECT_EQ(0, device.currentReads);
    EXPECT_EQ(1, info->IsSettingsApplied());
}

TEST_F(Settings, AppliedOncePerDescriptor)
{
    DeviceKey().SetDword("VideoSource", 18);
    SettingsDevice first(info);
    first.LoadSettings();
    SettingsDevice second(info);
    second.LoadSettings();
    EXPECT_EQ(18, second.m_nVideoSource); // read again ...
    EXPECT_EQ(1u, first.configs.size());
    EXPECT_TRUE(second.configs.empty()); // ... but not applied again
    EXPECT_TRUE(second.standards.empty());
}

TEST_F(Settings, DeviceWithoutSettingsReadsItsCurrentFormat)
{
    CRegistryKey program;
    ASSERT_EQ(ERROR_SUCCESS, program.Create(HKEY_LOCAL_MACHINE, kProgramKey));
    SettingsDevice device(info);
    device.LoadSettings();
    EXPECT_EQ(1, device.currentReads);
    ASSERT_EQ(1u, device.configs.size());
    EXPECT_EQ(4500000u, device.configs[0].m_arrFrameSizes[0].m_nMaxBitRate);
}

TEST_F(Settings, SavedSettingsLoadBack)
{
    CRegistryKey program;
    ASSERT_EQ(ERROR_SUCCESS, program.Create(HKEY_LOCAL_MACHINE, kProgramKey));
    SettingsDevice saved(info);
    saved.m_nVideoSource = 16;
    saved.m_nTVFormat = AnalogVideo_SECAM_B;
    saved.m_nAudioCompression = 4;
    saved.m_videoFormat.m_formatType = FORMAT_VideoInfo;
    saved.m_videoFormat.m_subType = MEDIASUBTYPE_MJPG;
    saved.m_videoFormat.m_nCompression = MakeFourCC('M', 'J', 'P', 'G');
    saved.m_videoFormat.m_bFrameRate = 1;
    saved.m_videoFormat.m_arrFrameSizes[0].m_nWidth = 352;
    saved.m_videoFormat.m_arrFrameSizes[0].m_nHeight = 288;
    saved.m_videoFormat.m_arrFrameSizes[0].m_arrFrameIntervals.Add(333666);
    saved.SaveSettings();

    SettingsDevice loaded(info);
    loaded.LoadSettings();
    EXPECT_EQ(16, loaded.m_nVideoSource);
    EXPECT_EQ(DWORD(AnalogVideo_SECAM_B), loaded.m_nTVFormat);
    EXPECT_EQ(4, loaded.m_nAudioCompression);
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_MJPG, loaded.m_videoFormat.m_subType));
    EXPECT_EQ(1, loaded.m_videoFormat.m_bFrameRate);
    ASSERT_EQ(1, loaded.m_videoFormat.m_arrFrameSizes.GetSize());
    EXPECT_EQ(352, loaded.m_videoFormat.m_arrFrameSizes[0].m_nWidth);
    ASSERT_EQ(1, loaded.m_videoFormat.m_arrFrameSizes[0].m_arrFrameIntervals.GetSize());
    EXPECT_EQ(333666, loaded.m_videoFormat.m_arrFrameSizes[0].m_arrFrameIntervals[0]);

    // A device without a tuner writes no tuner values; without a frame size no sizes.
    CRegistryKey key = DeviceKey();
    DWORD value = 0;
    EXPECT_NE(ERROR_SUCCESS, key.QueryDword("Country", value));
    saved.m_videoFormat.m_arrFrameSizes.RemoveAll();
    key.DeleteValue("width");
    saved.SaveSettings();
    EXPECT_NE(ERROR_SUCCESS, key.QueryDword("width", value));
}

TEST_F(Settings, NothingIsWrittenWithoutTheProgramsKey)
{
    SettingsDevice device(info);
    device.SaveSettings();
    CRegistryKey key;
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kProgramKey));
}

TEST_F(Settings, ChannelListNumberIsTakenOnceAndKept)
{
    {
        CRegistryKey general;
        ASSERT_EQ(ERROR_SUCCESS, general.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\TAVISK\\General"));
        general.SetString("InstallPath", (folder.Path() + "\\").c_str());
        general.SetDword("VideoDeviceIndex", 4);
        DeviceKey().SetDword("SelectedChannel", 9);
    }
    CDriveManager manager;
    g_pDriveManager = &manager;
    struct Reset {
        ~Reset() { g_pDriveManager = nullptr; }
    } reset;
    SettingsDevice device(info);
    EXPECT_FALSE(device.LoadChannelSettings()); // no file yet
    EXPECT_EQ(4, device.m_channelList.m_nListNumber);
    EXPECT_EQ(9, device.m_channelList.m_nSelectedChannel);
    EXPECT_STREQ((folder.Path() + "\\Channels4.kvc").c_str(), device.GetChannelListPath());

    device.m_channelList.AddChannel(MakeChannel(9, 1, 0, "Nine"));
    device.SaveChannelList();
    ASSERT_TRUE(testsupport::FileExists(folder.Path("Channels4.kvc")));

    // The next load finds the same file, and the counter moved on once.
    SettingsDevice again(info);
    EXPECT_TRUE(again.LoadChannelSettings());
    EXPECT_EQ(4, again.m_channelList.m_nListNumber);
    EXPECT_STREQ("Nine", again.m_channelList.GetChannelName(-1));
    CRegistryKey general;
    ASSERT_EQ(ERROR_SUCCESS, general.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\TAVISK\\General"));
    DWORD next = 0;
    ASSERT_EQ(ERROR_SUCCESS, general.QueryDword("VideoDeviceIndex", next));
    EXPECT_EQ(5u, next);
    DWORD kept = 0;
    ASSERT_EQ(ERROR_SUCCESS, DeviceKey().QueryDword("ChannelList", kept));
    EXPECT_EQ(4u, kept);

    // A second device with settings of its own takes the next number: the two never share a file.
    CRegistryKey other;
    ASSERT_EQ(ERROR_SUCCESS, other.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\TAVISK\\Other Cam\\usb#vid_3#4#{y}"));
    FakeFilter* otherFilter = CreateFakeFilter(FakeFilterLayout());
    CCaptureFilterInfo* otherInfo =
        new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(otherFilter)), "Other Cam", "\\\\?\\usb#vid_3#4#{y}");
    {
        SettingsDevice second(otherInfo);
        EXPECT_FALSE(second.LoadChannelSettings());
        EXPECT_EQ(5, second.m_channelList.m_nListNumber);
        EXPECT_EQ(0, second.m_channelList.m_channels.GetSize());
    }
    otherInfo->Release();
    AsBaseFilter(otherFilter)->Release();
    ASSERT_EQ(ERROR_SUCCESS, general.QueryDword("VideoDeviceIndex", next));
    EXPECT_EQ(6u, next);
}

} // namespace
