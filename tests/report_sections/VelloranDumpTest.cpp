// tests/report_sections/VelloranDumpTest.cpp
// The sibling product's Velloran Studio dump over registry fixtures, the dump's line sink and the LAME block.
#include "VelloranTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace sectiontest;

// clang-format off
namespace {

const char kStudioKey[] = "SOFTWARE\\Korvath\\Velloran";

std::string StudioKey(const std::string& section)
{
    return std::string(kStudioKey) + "\\" + section;
}

std::string Bytes(const void* data, size_t size)
{
    return std::string(static_cast<const char*>(data), size);
}

// Without any key of the product: title, rule, an empty line, five sections each missing, two empty lines between
// sections and two at the end: 28 lines.
TEST(VelloranStudioDump, WithoutTheProductTwentyEightLines)
{
    RegistryRoot root;
    const std::vector<std::string> expected = {
        " Velloran Studio Registry Information", " ------------------------------", "",
        " General", " -------", " Key not found!", "", "",
        " CD Info", " -----------", " Key not found!", "", "",
        " Digital Audio Extraction", " ------------------------", " Key not found!", "", "",
        " CD Copy", " -------", " Key not found!", "", "",
        " AudioCD Maker", " ------------------", " Key not found!", "", "",
    };
    ASSERT_EQ(28u, expected.size());
    EXPECT_EQ(expected, RunDump(root.Key(), Edition::Studio));

    // The product key present but none of its section keys: the same lines.
    root.Write(kStudioKey);
    EXPECT_EQ(expected, RunDump(root.Key(), Edition::Studio));
}

// Modes 10, 11 and 12 append to the array; mode 4 adds to the list box; 0, 2 and 13 drop every line, while the
// registry is still read.
TEST(VelloranStudioDump, LineSinkByMode)
{
    RegistryRoot root;
    for (int mode : {0, 2, 13, 3, 10, 11, 12}) {
        std::vector<std::string> lines = RunDump(root.Key(), Edition::Studio, mode);
        EXPECT_EQ(mode >= 10 && mode <= 12 ? 28u : 0u, lines.size()) << mode;
    }

    HWND hList = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hList);
    CWnd list;
    list.m_hWnd = hList;
    CStringArray untouched;
    CVelloranRegistryDump dump;
    dump.m_pListBox = &list;
    dump.m_pLines = &untouched;
    dump.m_nMode = kVelloranModeList;
    dump.m_hMachineRoot = root.Key();
    dump.DumpVelloranSettings();
    dump.DumpVelloranPlusSettings();
    EXPECT_EQ(30, int(SendMessageA(hList, LB_GETCOUNT, 0, 0)));
    EXPECT_EQ(0, int(untouched.GetSize()));
    char first[100] = {};
    SendMessageA(hList, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(" Velloran Studio Registry Information", first);
    list.m_hWnd = nullptr;
    DestroyWindow(hList);
}

BE_CONFIG LameConfig()
{
    BE_CONFIG c;
    memset(&c, 0, sizeof c);
    c.dwStructVersion = 1;
    c.dwStructSize = sizeof c;
    c.dwSampleRate = 44100;
    c.dwReSampleRate = 48000;
    c.nMode = 1;
    c.dwBitrate = 128;
    c.dwMaxBitrate = 320;
    c.nPreset = 6;
    c.dwMpegVersion = 1;
    c.bPrivate = 0;
    c.bCRC = 1;
    c.bCopyright = 0;
    c.bOriginal = 1;
    c.nVBRQuality = 4;
    c.dwVbrAbr_bps = 192000;
    c.nVbrMethod = 4;
    c.bStrictIso = 7;
    c.nQuality = 2;
    return c;
}

const std::vector<std::string> kLameLines = {
    " LAME Quality Preset : --preset standard",
    " LAME MPEG : MPEG-1",
    " LAME Channel Mode : Joint Stereo",
    " LAME VBR : ABR",
    " LAME Output Sample Rate : 48000",
    " LAME Constant/Minimum Bitrate: 128 kbps",
    " LAME Maximum Bitrate: 320 kbps",
    " LAME ABR(kbps) : 192 kbps",
    " LAME Quality : 2",
    " LAME VBR Quality : 4",
    " LAME Checksum : true",
    " LAME Copyright : false",
    " LAME Original : true",
    " LAME Private : false",
    " LAME Strict ISO encoding : true",
};

std::vector<std::string> LameLines(const BE_CONFIG& config)
{
    CStringArray lines;
    CVelloranRegistryDump dump;
    dump.m_pLines = &lines;
    dump.m_nMode = kVelloranModePrinter;
    dump.DumpLameSettings(&config);
    return Lines(lines);
}

// Always fifteen lines; a code without a text leaves the label alone; the printed sample rate is the output rate
// but "Auto" is decided by the input rate; the ABR rate is shown in whole kbit/s, rounded down.
TEST(VelloranLameBlock, FifteenLinesByField)
{
    EXPECT_EQ(kLameLines, LameLines(LameConfig()));

    struct Case {
        const char* name;
        void (*change)(BE_CONFIG&);
        size_t line;
        const char* expected;
    };
    const Case cases[] = {
        {"preset 0", [](BE_CONFIG& c) { c.nPreset = 0; }, 0, " LAME Quality Preset : "},
        {"preset -1", [](BE_CONFIG& c) { c.nPreset = -1; }, 0, " LAME Quality Preset : User Defined (Don't use presets)"},
        {"preset 9", [](BE_CONFIG& c) { c.nPreset = 9; }, 0, " LAME Quality Preset : --preset fase extreme"},
        {"preset 14", [](BE_CONFIG& c) { c.nPreset = 14; }, 0, " LAME Quality Preset : --preset fast medium"},
        {"preset 15", [](BE_CONFIG& c) { c.nPreset = 15; }, 0, " LAME Quality Preset : "},
        {"MPEG-2", [](BE_CONFIG& c) { c.dwMpegVersion = 0; }, 1, " LAME MPEG : MPEG-2"},
        {"MPEG-2.5", [](BE_CONFIG& c) { c.dwMpegVersion = 2; }, 1, " LAME MPEG : MPEG-2.5"},
        {"MPEG 3", [](BE_CONFIG& c) { c.dwMpegVersion = 3; }, 1, " LAME MPEG : "},
        {"stereo", [](BE_CONFIG& c) { c.nMode = 0; }, 2, " LAME Channel Mode : Stereo"},
        {"channel 2", [](BE_CONFIG& c) { c.nMode = 2; }, 2, " LAME Channel Mode : "},
        {"mono", [](BE_CONFIG& c) { c.nMode = 3; }, 2, " LAME Channel Mode : Mono"},
        {"no VBR", [](BE_CONFIG& c) { c.nVbrMethod = -1; }, 3, " LAME VBR : Don't use VBR"},
        {"VBR 3", [](BE_CONFIG& c) { c.nVbrMethod = 3; }, 3, " LAME VBR : "},
        {"VBR new", [](BE_CONFIG& c) { c.nVbrMethod = 2; }, 3, " LAME VBR : VBR (New)"},
        {"input 0", [](BE_CONFIG& c) { c.dwSampleRate = 0; c.dwReSampleRate = 44100; }, 4,
         " LAME Output Sample Rate : Auto"},
        {"output 0", [](BE_CONFIG& c) { c.dwSampleRate = 44100; c.dwReSampleRate = 0; }, 4,
         " LAME Output Sample Rate : 0"},
        {"ABR 999", [](BE_CONFIG& c) { c.dwVbrAbr_bps = 999; }, 7, " LAME ABR(kbps) : 0 kbps"},
        {"ABR 1000", [](BE_CONFIG& c) { c.dwVbrAbr_bps = 1000; }, 7, " LAME ABR(kbps) : 1 kbps"},
        {"ABR above 2^31", [](BE_CONFIG& c) { c.dwVbrAbr_bps = 0xFFFFFFFFu; }, 7, " LAME ABR(kbps) : 4294967 kbps"},
        {"quality 16 bits", [](BE_CONFIG& c) { c.nQuality = 0xFFFF; }, 8, " LAME Quality : 65535"},
        {"private", [](BE_CONFIG& c) { c.bPrivate = 2; }, 13, " LAME Private : true"},
    };
    for (const Case& c : cases) {
        BE_CONFIG config = LameConfig();
        c.change(config);
        std::vector<std::string> lines = LameLines(config);
        ASSERT_EQ(15u, lines.size()) << c.name;
        EXPECT_EQ(c.expected, lines[c.line]) << c.name;
    }
}

// The stored record of another size: a short one fills the record as far as it goes (the rest reads as 0), a long
// one is cut to the record; an empty one still gives the fifteen lines of a zero record.
TEST(VelloranLameBlock, StoredRecordOfAnotherSize)
{
    const BE_CONFIG full = LameConfig();
    std::string longer = Bytes(&full, sizeof full) + std::string(100, '\x7F');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    };
    std::vector<std::string> shortLines = {
        " LAME Quality Preset : ", " LAME MPEG : MPEG-2", " LAME Channel Mode : Joint Stereo",
        " LAME VBR : VBR (Default)", " LAME Output Sample Rate : 48000", " LAME Constant/Minimum Bitrate: 128 kbps",
        " LAME Maximum Bitrate: 0 kbps", " LAME ABR(kbps) : 0 kbps", " LAME Quality : 0", " LAME VBR Quality : 0",
        " LAME Checksum : false", " LAME Copyright : false", " LAME Original : false", " LAME Private : false",
        " LAME Strict ISO encoding : false",
    };
    const Case cases[] = {
        {"exact", Bytes(&full, sizeof full), kLameLines},
        {"longer", longer, kLameLines},
        {"28 bytes", Bytes(&full, 28), shortLines},
    };
    for (const Case& c : cases) {
        RegistryRoot root;
        root.Write(StudioKey("Digital Audio Extraction"), {Binary("LameConfig", c.bytes), Text("Path", "C:\\Rips")});
        std::vector<std::string> expected = c.expected;
        expected.push_back(" Path : C:\\Rips");
        EXPECT_EQ(expected, SectionOf(RunDump(root.Key(), Edition::Studio), " Digital Audio Extraction")) << c.name;
    }
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

// Every section of Velloran Studio with its values, and the readings the sections decide on.
TEST(VelloranStudioDump, SectionsWithTheirValues)
{
    const BE_CONFIG lame = LameConfig();
    struct Case {
        const char* name;
        const char* subkey;
        std::vector<FixtureValue> values;
        const char* heading;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"General", "General", {Text("Version", "3.2.0.14"), Dword("Parameter", 0x29)}, " General",
         {" Velloran version : 3.2.0.14", " SaveSettings : true", " Minimize : false",
          " Create icon in taskbar : false", " Autorun : true", " Set trayicon after close : false",
          " Read disc information : true"}},
        {"General without Version", "General", {Dword("Parameter", 0x12)}, " General",
         {" Velloran version : n/a", " SaveSettings : false", " Minimize : true", " Create icon in taskbar : false",
          " Autorun : false", " Set trayicon after close : true", " Read disc information : false"}},
        {"General, Parameter of two bytes", "General", {Binary("Parameter", std::string("\x3F\x00", 2))}, " General",
         {" Velloran version : n/a"}},
        {"General, Version without terminator", "General", {Unterminated("Version", "3.1")}, " General",
         {" Velloran version : 3.1"}},
        {"CD Info", "CD Info", {Dword("Parameter", 2)}, " CD Info", {" DisplayMSF : false", " DisplayISRC : true"}},
        {"Digital Audio Extraction", "Digital Audio Extraction",
         {Dword("Parameter0", 0x5), Dword("Parameter1", 0x10000), Dword("Parameter2", 0x0102),
          Binary("LameConfig", Bytes(&lame, sizeof lame)), Dword("MAC_Parameter", 3), Dword("OGG_Parameter", 5),
          Dword("FLAC_Parameter", 8), Dword("MP3Parameter", 0x11), Text("Path", "D:\\Music"),
          Text("Filename", "%N - %T (%a)")},
         " Digital Audio Extraction",
         [] {
             std::vector<std::string> e = {" DetectPregap : true", " IncludePregap : false",
                                           " Use audio error detection : true", " Allow Speed Down : false",
                                           " Spaces : Replace by underscore",
                                           " Audio Format : MP3 (Windows Encoder)"};
             e.insert(e.end(), kLameLines.begin(), kLameLines.end());
             std::vector<std::string> tail = {
                 " Monkey's Audio Compression Level : Extra High", " Ogg Vorbis Quality Mode : 5",
                 " FLAC Quality Mode : 8", " ID3V1: Apply to all tracks (Artist) : true",
                 " ID3V1: Apply to all tracks (Album) : false", " ID3V1: Apply to all tracks (Comments) : false",
                 " ID3V1: Apply to all tracks (Year) : false", " ID3V1: Apply to all tracks (Genre) : true",
                 " Path : D:\\Music", " Filename : %N - %T (%a)"};
             e.insert(e.end(), tail.begin(), tail.end());
             return e;
         }()},
        {"Extraction without Path", "Digital Audio Extraction", {Dword("Parameter2", 3), Dword("MAC_Parameter", 4)},
         " Digital Audio Extraction", {" Path : " + CurrentFolder()}},
        {"Extraction formats", "Digital Audio Extraction", {Dword("Parameter1", 0), Dword("Parameter2", 0x0002)},
         " Digital Audio Extraction",
         {" Spaces : Include", " Audio Format : MP3 (LAME)", " Path : " + CurrentFolder()}},
        {"Extraction format 7", "Digital Audio Extraction", {Dword("Parameter2", 0x0007), Text("Path", "")},
         " Digital Audio Extraction", {" Path : "}},
        {"CD Copy", "CD Copy",
         {Dword("Parameter0", 0x2A5), Dword("Parameter2", 1), Dword("Parameter1", 0x21),
          Text("ImagePath", "C:\\Temp"), Text("SoundPath", "C:\\done.wav"), Text("SourcePath", "E:"),
          Text("DestinationPath", "F:")},
         " CD Copy",
         {" Allow Overburning : true", " CopyOnTheFly : true", " Use audio error detection : false", " ISRC : true",
          " UPC : false", " CD+G : false", " LeaveDiscOpen : true", " PlaySound : true",
          " Eject destination disc : false", " Eject source disc : true", " WriteOption : Simulate + Write",
          " Copies : 2", " Temp. path : C:\\Temp", " sound path : C:\\done.wav", " source path : E:",
          " destination path : F:"}},
        {"CD Copy, option 5", "CD Copy", {Dword("Parameter1", 5)}, " CD Copy", {" Copies : 1"}},
        // Texts stored as bytes without a terminator end with the value; a zero byte ends them earlier.
        {"CD Copy, texts as bytes", "CD Copy",
         {Binary("ImagePath", "C:\\Temp"), Binary("SoundPath", std::string("a.wav\0junk", 10))}, " CD Copy",
         {" Temp. path : C:\\Temp", " sound path : a.wav"}},
        {"CD Copy, simulate", "CD Copy", {Dword("Parameter1", 0x30)}, " CD Copy",
         {" WriteOption : Simulate ", " Copies : 3"}},
        {"AudioCD Maker", "AudioCD Maker",
         {Dword("Parameter", 0x502), Dword("DestinationSpeed", 1764), Dword("Copies", 3)}, " AudioCD Maker",
         {" WriteOption : Write", " CDText : true", " UPC : false", " ISRC : true", " WriteSpeed : 9",
          " Copies : 3"}},
        {"AudioCD Maker 177", "AudioCD Maker", {Dword("Parameter", 3), Dword("DestinationSpeed", 177)},
         " AudioCD Maker", {" CDText : false", " UPC : false", " ISRC : false", " WriteSpeed : 1"}},
        {"AudioCD Maker 176", "AudioCD Maker", {Dword("Parameter", 0), Dword("DestinationSpeed", 176)},
         " AudioCD Maker",
         {" WriteOption : Simulate ", " CDText : false", " UPC : false", " ISRC : false", " WriteSpeed : 0"}},
        {"AudioCD Maker maximum", "AudioCD Maker", {Dword("Parameter", 1), Dword("DestinationSpeed", 65535)},
         " AudioCD Maker",
         {" WriteOption : Simulate + Write", " CDText : false", " UPC : false", " ISRC : false",
          " WriteSpeed : maximum"}},
        // Read in one call into the buffer of the value before: a longer value does not fit and is left out.
        {"AudioCD Maker, Copies too long", "AudioCD Maker",
         {Dword("Parameter", 0x100), Binary("Copies", std::string("\x02\0\0\0\0\0", 6))}, " AudioCD Maker",
         {" WriteOption : Simulate ", " CDText : true", " UPC : false", " ISRC : false"}},
    };
    for (const Case& c : cases) {
        RegistryRoot root;
        root.Write(StudioKey(c.subkey), c.values);
        const std::vector<std::string> lines = RunDump(root.Key(), Edition::Studio);
        EXPECT_EQ(c.expected, SectionOf(lines, c.heading)) << c.name;
        EXPECT_EQ("", lines[lines.size() - 1]) << c.name;
        EXPECT_EQ("", lines[lines.size() - 2]) << c.name;
    }
}

} // namespace
// clang-format on
