// tests/report_sections/VelloranPlusDumpTest.cpp
// The Velloran Studio Plus dump over registry fixtures: its skeletons, and each section with its values.
#include "VelloranTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace sectiontest;

// clang-format off
namespace {

const char kPlusKey[] = "Software\\Korvath\\QRVMZ";

std::string PlusKey(const std::string& section)
{
    return std::string(kPlusKey) + "\\" + section;
}

TEST(VelloranPlusDump, WithoutTheProductTwoLines)
{
    RegistryRoot root;
    const std::vector<std::string> expected = {" Velloran Studio Plus Registry Information",
                                               " ------------------------------"};
    EXPECT_EQ(expected, RunDump(root.Key(), Edition::Plus));
    // The Studio edition's key is not the Plus edition's.
    root.Write("SOFTWARE\\Korvath\\Velloran\\General", {Text("Version", "3.0")});
    EXPECT_EQ(expected, RunDump(root.Key(), Edition::Plus));
}

// The product key without its section keys: twenty-two headings with their underlines and missing-key lines (the
// three spellings as the sections have them, none for "Disc Info"), two empty lines between sections, none at
// the end.
TEST(VelloranPlusDump, ProductKeyWithoutSectionsGivesTheSkeleton)
{
    RegistryRoot root;
    root.Write(kPlusKey);
    struct Section {
        const char* heading;
        const char* missing;
    };
    const Section sections[] = {
        {" General", " Key not found!"},          {" Drive Settings", " Key not found!"},
        {" freedb", " Key not found!"},           {" Disc Info", nullptr},
        {" Disc Copy", " Key not found!"},        {" Audio CD Player", " Key not found!"},
        {" Audio CD Maker", " Key not found!"},   {" Beta/Jitter Test", " Key not found!"},
        {" C1/C2 Test", " Key not found"},        {" Disc Extraction", " Key not found"},
        {" Disc Maker", " Key not found"},        {" FETE Test", " Key not found"},
        {" PIPO Test", " Key not found"},         {" TA Test", " Key not found"},
        {" Transfer Rate Test", " Key not found"}, {" Verify Options", " Key not found"},
        {" All-In-One Test", " Key not found"},   {" Audio Capture", " Key not found"},
        {" Video Capture", " Key not found"},     {" Video Capture Camera", " Key not found"},
        {" Multi Video Capture", " Key not Found"}, {" Benchmark Test", " Key not Found"},
    };
    std::vector<std::string> expected = {" Velloran Studio Plus Registry Information",
                                         " ------------------------------", ""};
    bool first = true;
    for (const Section& s : sections) {
        if (!first) {
            expected.push_back("");
            expected.push_back("");
        }
        first = false;
        expected.push_back(s.heading);
        expected.push_back(std::string(s.heading) == " General" ? " -------" : " -----------");
        if (s.missing != nullptr)
            expected.push_back(s.missing);
    }
    EXPECT_EQ(expected, RunDump(root.Key(), Edition::Plus));
}

std::string WaveFormat(unsigned channels, DWORD rate, unsigned bits)
{
    unsigned char w[18] = {};
    w[0] = 1;
    w[2] = BYTE(channels);
    for (int i = 0; i < 4; ++i)
        w[4 + i] = BYTE(rate >> (8 * i));
    w[14] = BYTE(bits);
    return std::string(reinterpret_cast<char*>(w), sizeof w);
}

std::vector<std::string> Repeat(const char* format, const char* text, int count)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n) {
        char line[200];
        snprintf(line, sizeof line, format, n, text);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct SectionCase {
    const char* name;
    const char* subkey;
    std::vector<FixtureValue> values;
    const char* heading;
    std::vector<std::string> expected;
};

void RunSectionCases(const std::vector<SectionCase>& cases)
{
    for (const SectionCase& c : cases) {
        RegistryRoot root;
        root.Write(PlusKey(c.subkey), c.values);
        const std::vector<std::string> lines = RunDump(root.Key(), Edition::Plus);
        EXPECT_EQ(c.expected, SectionOf(lines, c.heading)) << c.name;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(" Key not Found", lines.back()) << c.name;
    }
}

TEST(VelloranPlusDump, GeneralDrivesAndFreedb)
{
    std::vector<FixtureValue> general = {
        Dword("Parameter", 0x3), Dword("Parameter2", 0x4), Dword("Parameter3", 1), Dword("Upd", 20061231),
        Dword("Parameter4", 1), Dword("BufferSize", 4096), Text("InstallPath", "C:\\Program Files\\QRVMZ"),
        Text("CurrentLanguage", " "), Dword("Parameter7", 1)};
    std::vector<std::string> generalLines = {
        " SaveSettings : true", " Minimise : true", " Create icon in taskbar : false", " Autorun : false",
        " Set trayicon after close : false", " Read disc information : false",
        " Check for updates on startup : false", " Check for updates : true", " Check for updates : Once a week",
        " Latest Update : 20061231", " Check for media changes when AIN is disabled : true", " Buffer Size : 4096",
        " Install path : C:\\Program Files\\QRVMZ", " Current Language : Default(English)"};
    const char* places[] = {"DLeft", "DRight", "DTop", "DBottom", "FLeft", "FRight", "FTop", "FBottom", "MLeft",
                            "MRight", "MTop", "MBottom", "SHeight", "SWidth", "VideoOption", "HDDOption",
                            "ODDOption"};
    int n = 0;
    for (const char* place : places) {
        general.push_back(Dword(place, DWORD(n)));
        generalLines.push_back(std::string(" ") + place + " : " + std::to_string(n));
        ++n;
    }
    generalLines.push_back(" Use Scheduler : 1");

    RunSectionCases({
        {"General", "General", general, " General", generalLines},
        {"General, empty texts", "General",
         {Dword("Parameter3", 3), {"InstallPath", REG_SZ, ""}, Text("CurrentLanguage", "Deutsch"),
          Dword("DTop", DWORD(-5))},
         " General", {" Current Language : Deutsch", " DTop : -5"}},
        {"Drive Settings 0", "Drive Settings", {Dword("Parameter", 2), Dword("Parameter2", 0)}, " Drive Settings",
         {" Lock Channels : true", " Show Densamode warning : true", " Show Hushamode warning : true",
          " Show Pulsamode warning : true"}},
        {"Drive Settings 0xE0", "Drive Settings", {Dword("Parameter", 0), Dword("Parameter2", 0xE0)},
         " Drive Settings",
         {" Lock Channels : false", " Show Densamode warning : false", " Show Hushamode warning : false",
          " Show Pulsamode warning : false"}},
        {"freedb", "freedb",
         {Dword("UseLocalDB", 0), Dword("AutoSearch", 1), Dword("AutoSave", 0), Dword("AutoRetrieve", 5),
          Dword("AutoFirst", 0), Dword("OverWrite", 1), Text("LocalDbPath", "C:\\cddb"),
          Text("FreedbPath", "C:\\freedb"), Text("server", "freedb.example"), Text("cgipath", "/~cddb/cddb.cgi"),
          Dword("Port", 8880), Dword("Proxy", 1), Text("puser", "anna"), Text("ppass", "s3cr%et"),
          Text("pserver", "proxy.example"), Dword("pport", 3128), Dword("SubmitFreedb", 1),
          Text("emailsubmit", "submit@freedb.example"), Dword("email", 1), Text("emailuser", "anna@example.org"),
          Dword("Hide", 0)},
         " freedb",
         {" Use freedb server : true", " Use local database : false", " AutoSearch on freedb server : true",
          " AutoSave to user database : false", " AutoRetrieve when an audiocd is inserted : true",
          " AutoSelect the first entry : false", " Overwrite existing entries in local database : true",
          " Location of user database : C:\\cddb", " Location of freedb database : C:\\freedb",
          " Server : freedb.example", " Cgi-path : /~cddb/cddb.cgi", " Port : 8880", " Use Proxy : true",
          " Proxy user : anna", " Proxy password : ********", " Proxy server : proxy.example",
          " Proxy port : 3128", " Submit to freedb server : true", " Save to user database : false",
          " Submit email address : submit@freedb.example", " Submit through : Email",
          " User email address : anna@example.org", " Hide freedb status window : false"}},
        // An empty stored password is shown as it is; values of size 0 are left out where the dump asks for data.
        {"freedb, empty texts", "freedb",
         {Dword("UseLocalDB", 3), Text("ppass", ""), {"puser", REG_SZ, ""}, Dword("SubmitFreedb", 0),
          Dword("email", 0)},
         " freedb",
         {" Use freedb server : false", " Use local database : true", " Proxy password : ",
          " Submit to freedb server : false", " Save to user database : true", " Submit through : HTTP"}},
        {"Disc Info", "Disc Info", {Dword("Parameter", 1)}, " Disc Info",
         {" DisplayMSF : true", " DisplayISRC : false"}},
    });
}

TEST(VelloranPlusDump, CopyPlayerMakerAndTests)
{
    RunSectionCases({
        {"Disc Copy", "Disc Copy",
         {Dword("Parameter0", 0x7FF), Dword("Parameter1", 0x32), Dword("Parameter2", 0x6), Dword("usefreedb", 1),
          Dword("Strategy", 4), Dword("ReadRetry", 20), Dword("ReduceSpeed", 2), Dword("MaxErrors", 0),
          Dword("ErrorLog", 1), Text("ImagePath", "C:\\img"), Text("SoundPath", "C:\\s.wav"),
          Text("SourcePath", "E:"), Text("DestinationPath", "F:"), Text("Source", "KORVATH DRW-7100"),
          Dword("SourceSpeed", 48), Text("Destination", "KORVATH DRW-7100"), Dword("DestinationSpeed", 16)},
         " Disc Copy",
         {" Allow overburning : true", " Eject destination disc after completion : true", " Copy on the fly : true",
          " Read C2 error : true", " Include ISRC : true", " Include UPC/EAN : true",
          " Play sound after completion : true", " Include CD+G : true", " Leave disc open : true",
          " Enable Verify : true", " Write option : Write", " Number of copies : 3",
          " Eject source disc after completion : false", " Use timestamp in logfile : true",
          " Reset starttime to zero : true", " Get CD TEXT from : freedb",
          " Strategy : Recover the best bytes per sector", " Number of retries : 20", " Allow SpeedDown : false",
          " Maximum errors : unlimited", " Error log : true", " Image path : C:\\img", " Sound path : C:\\s.wav",
          " Source path : E:", " Destination path : F:", " Source : KORVATH DRW-7100", " Source speed : 48X",
          " Destination : KORVATH DRW-7100", " Destination speed : 16X"}},
        {"Disc Copy, other codes", "Disc Copy",
         {Dword("Parameter1", 0x4), Dword("Parameter2", 0), Dword("usefreedb", 2), Dword("Strategy", 5),
          Dword("MaxErrors", 12), Dword("ReduceSpeed", 1)},
         " Disc Copy",
         {" Number of copies : 1", " Eject source disc after completion : false",
          " Use timestamp in logfile : false", " Use actual time : true", " Get CD TEXT from : CD",
          " Allow SpeedDown : true", " Maximum errors : 12"}},
        {"Audio CD Player", "AudioCD Player", {Dword("Parameter0", 1), Dword("CDG", 2)}, " Audio CD Player",
         {" Use freedb : true", " Digital Playback : false", " Show CD+G : true"}},
        {"Audio CD Maker", "AudioCD Maker",
         {Dword("Parameter", 0x301), Dword("DestinationSpeed", 24), Dword("Copies", 2)}, " Audio CD Maker",
         {" Write option : Simulate and Write", " Write CD Text : true", " Write UPC/EAN code : true",
          " Write ISRC code : false", " Recording speed : 24X", " Number of copies : 2"}},
        {"Audio CD Maker, maximum speed", "AudioCD Maker", {Dword("Parameter", 3), Dword("DestinationSpeed", 65535)},
         " Audio CD Maker", {" Write CD Text : false", " Write UPC/EAN code : false", " Write ISRC code : false"}},
        {"Beta/Jitter", "BetaJitter Test",
         {Dword("SampleLength", 2), Dword("TimeLimit", 80), Dword("BetaLimit", 1000), Dword("SampleLengthDVD", 16),
          Dword("TimeLimitDVD", 5), Dword("BetaLimitDVD", 50), Dword("ShowWarning", 1)},
         " Beta/Jitter Test",
         {" Sample length : 1 Minute", " Time length indication : 80 Minutes", " Beta scale limit : -0,1 - +0,1",
          " Sample length DVD : 16 ECC Blocks", " Capacity indication DVD : 5 GB",
          " Beta scale limit DVD : -0,05 - +0,05", " Show warning : true"}},
        {"Beta/Jitter, codes without text", "BetaJitter Test",
         {Dword("SampleLength", 5), Dword("BetaLimit", 100), Dword("BetaLimitDVD", 1000)}, " Beta/Jitter Test", {}},
        {"C1/C2", "C1C2 Test",
         {Dword("C1Limit", 220), Dword("TimeLimit", 74), Dword("Tracks", 1), Dword("ShowWarning", 0)},
         " C1/C2 Test",
         {" Scale limit : 220", " Time length indication : 74 Minutes", " Track selection : Include All Tracks",
          " Show warning : false"}},
        {"FETE", "FETE Test",
         {Dword("Limit", 60), Dword("Start", 4500), Dword("End", 4499), Dword("TimeLimit", 79),
          Dword("LimitDVD", 40), Dword("StartDVD", 0), Dword("EndDVD", 2295104), Dword("TimeLimitDVD", 4),
          Dword("ShowWarning", 3)},
         " FETE Test",
         {" Scale limit : 60", " Start Position : 001:00.00 MSF", " End Postition : 000:59.74 MSF",
          " Time length indication : 79 Minutes", " DVD Scale limit : 40", " DVD Start Position : 0 LBA",
          " DVD End Postition : 2295104 LBA", " DVD Capacity indication : 4 GB", " Show warning : true"}},
        {"PIPO", "PIPO Test",
         {Dword("ErrorLimit", 280), Dword("TimeLimit", 8), Dword("TrackSelection", 0), Dword("Tracks", 0),
          Dword("Start", 196608), Dword("End", 2490368), Dword("Accuracy", 3), Dword("ShowWarning", 1)},
         " PIPO Test",
         {" Error limit : 280", " Capapcity indication : 8 GB", " Track Selection : Range-Based",
          " Tracks : Include Selected Tracks", " Start position : 196608 LSN", " End position : 2490368 LSN",
          " Test interval length : Lower Accuracy", " Show warning : true"}},
        {"TA", "TA Test", {Dword("ShowWarning", 0)}, " TA Test", {" Show warning : false"}},
    });
}

TEST(VelloranPlusDump, ExtractionAndDiscMaker)
{
    RunSectionCases({
        {"Disc Extraction", "Disc Extraction",
         {Dword("Parameter1", 0x20000), Text("Filename", "%N - %T"), Text("CueFilename", "%a.cue"),
          Text("PlayListFilename", "%a.m3u"), Dword("Parameter2", 1), Binary("Parameter3", WaveFormat(2, 44100, 16)),
          Dword("MAC_Parameter", 1), Dword("OGG_Parameter", 6), Dword("FLAC_Parameter", 5),
          Text("EXT_Program", "C:\\enc.exe"), Text("EXT_Params", "-q %s"), Text("EXT_Extension", "ogg"),
          Dword("EXT_Tag", 1), Dword("WMA_SampleRate", 44100), Dword("WMA_Channels", 2),
          Dword("WMA_BitsPerSample", 16), Dword("WMA_BitRate", 128000), Dword("Parameter4", 0x0100),
          Dword("Parameter0", 0x10B), Dword("Strategy", 1), Dword("ReadRetry", 3), Dword("MaxErrors", 9),
          Dword("ErrorLog", 0), Dword("CDTEXT", 2), Dword("MP3_Parameter", 0x3),
          Dword("ID3V2_Parameter", 0x201), Text("Path", "D:\\Rips"), Text("Radio", " 3")},
         " Disc Extraction",
         {" Spaces : Replace by underscore", " Filename Construction : %N - %T", " CueSheet Filename : %a.cue",
          " PlayList Filename : %a.m3u", " Audio format : PCM (WAVE)", " Options : 44100 Hz, 16 Bit, Stereo",
          " Monkey's Audio Compression Level : Normal", " Ogg Vorbis Quality Mode : 6", " FLAC Quality Mode : 5",
          " External Encoder: Program: C:\\enc.exe", " External Encoder: Parameters: -q %s",
          " External Encoder: Extension: ogg", " Tag information included in arguments: true",
          " WMA: Sample Rate: 44100", " WMA: Channels: 2", " WMA: Bits Per Sample: 16", " WMA: Bitrate: 128000",
          " Extract one channel only : false", " Channel : right channel", " Check Pause : true",
          " Exclude Pause : false", " Use PreGap : true", " Use audio error detection : false",
          " Allow speed down : true", " Strategy : Reduce the speed upon error", " Retries : 3",
          " Maximum errors : 9", " Error log : false", " Use for filename construction : TAG",
          " ID3V1: Apply to all tracks (Artist) : true", " ID3V1: Apply to all tracks (Album) : true",
          " ID3V1: Apply to all tracks (Comments) : false", " ID3V1: Apply to all tracks (Year) : false",
          " ID3V1: Apply to all tracks (Genre) : false", " ID3V2: Apply to all tracks (Artist) = true",
          " ID3V2: Apply to all tracks (Album) = false", " ID3V2: Apply to all tracks (Comments) = false",
          " ID3V2: Apply to all tracks (Year) = false", " ID3V2: Apply to all tracks (Genre) = false",
          " ID3V2: Apply to all tracks (Composer) = false", " ID3V2: Apply to all tracks (Original Artist) = false",
          " ID3V2: Apply to all tracks (Copyright) = false", " ID3V2: Apply to all tracks (URL) = false",
          " ID3V2: Apply to all tracks (Encoded By) = true", " Output path : D:\\Rips",
          " Audio format : MP3 L.A.M.E."}},
        // Format 4 skips the wave options; a short wave record, a 2-byte channel setting and an unknown radio
        // format give nothing.
        {"Disc Extraction, Monkey's Audio", "Disc Extraction",
         {Dword("Parameter1", 0x30000), Dword("Parameter2", 4), Binary("Parameter3", WaveFormat(1, 22050, 8)),
          Dword("EXT_Tag", 0), Dword("Parameter4", 0x7), Dword("Parameter0", 0), Text("Radio", "x")},
         " Disc Extraction",
         {" Audio format : Monkey's Audio", " Tag information included in arguments: false",
          " Extract one channel only : true", " Channel : left channel", " Check Pause : false",
          " Exclude Pause : true", " Use PreGap : false", " Use audio error detection : false",
          " Allow speed down : false", " Audio format : PCM (WAVE)"}},
        {"Disc Extraction, options without format", "Disc Extraction",
         {Binary("Parameter3", WaveFormat(1, 22050, 8)), Text("Radio", "7")}, " Disc Extraction",
         {" Options : 22050 Hz, 8 Bit, Mono"}},
        {"Disc Extraction, short wave record", "Disc Extraction",
         {Dword("Parameter2", 2), Binary("Parameter3", WaveFormat(2, 44100, 16).substr(0, 12))}, " Disc Extraction",
         {" Audio format : MP3(Windows Codec)"}},
        {"Disc Maker", "Disc Maker",
         {Dword("CharSet", 6), Dword("ISOLevel", 2), Dword("UseJoliet", 1), Dword("JolietFileLen", 0),
          Dword("ViewMode", 16), Dword("CharMode", 4), Dword("VolNameParameter2", 0xA0000000u | (2u << 21) |
                                                                           (1u << 19) | (3u << 17) | (2u << 15) |
                                                                           (1u << 13) | (3u << 11) | 2u),
          Text("DefaultVolName", "BACKUP"), Text("ImagePath", "C:\\iso"), Dword("ShowWarning", 1)},
         " Disc Maker",
         {" Character Set : DOS", " ISO Level : Level2(31 Characters)", " Write joliet file system : true",
          " Allow more than 64 characters : true", " View Mode : Joliet", " Character Mode : ASCII",
          " Volume Name : User Defined(2)", " User Defined Text(1) : true", " User Defined Date(1) : false",
          " User Defined Time(1) : true", " User Defined Text(2) : false", " User Defined Date(2) : false",
          " User Defined Time(2) : false", " User Defined Text(3) : false", " User Defined Date(3) : false",
          " User Defined Time(3) : false", " User Defined Date Format(1) : yymmdd",
          " User Defined Time Format(1) : 13:00", " User Defined Time Format(2) : 01:00",
          " User Defined Date Format(3) : mmddyy", " User Defined Default Volume Name : BACKUP",
          " Image path : C:\\iso", " Show warning : true"}},
    });
}

TEST(VelloranPlusDump, TransferVerifyAllInOneCaptureAndBenchmark)
{
    RunSectionCases({
        {"Transfer Rate", "TransferRate Test",
         {Dword("SampleLength", 3), Dword("TestInterval", 4), Dword("MaxSpeed", 52), Dword("MaxSpeedDVD", 16),
          Dword("TimeLength", 80), Dword("TimeLengthDVD", 5), Binary("Simulate", std::string("\x01", 1)),
          Dword("TestIntervalWrite", 0), Dword("FormatParameters", 0x10), Dword("Overburn", 1),
          Dword("OverburnLength", 360000 + 75 * 30 + 5), Dword("OverburnDVD", 0), Dword("OverburnLengthDVD", 4500),
          Dword("MaxSpeedWrite", 48), Dword("MaxSpeedWriteDVD", 8), Dword("TimeLengthWrite", 74),
          Dword("TimeLengthWriteDVD", 4)},
         " Transfer Rate Test",
         {" Read sample length : 30 Seconds", " Read test every : 15 Seconds", " Max read speed indication : 52",
          " Max DVD read speed indication : 16", " Read CD length indication : 80 Minutes",
          " Read DVD length indication : 5 GB", " Simulate : true", " Write test every : 5 Minutes",
          " Data format : Internal Buffer (CD-DA)", " Overburn CD: true", " Overburn CD Length : 080:30.05",
          " Overburn DVD: false", " Overburn DVD Length : 001:00.00", " Max CD write speed indication : 48",
          " Max DVD write speed indication : 8", " Write CD length indication : 74 Minutes",
          " Write DVD length indication : 4 GB"}},
        {"Verify Options", "Disc Copy",
         {Dword("Parameter3", 0x80201), Text("Parameter4", "01234567890123456789"), Dword("Parameter2", 0x28)},
         " Verify Options",
         Concat({{" Verify CD Test 1 : true", " Verify CD Test 2 : false", " Verify CD Test 3 : false",
                  " Verify CD Test 4 : false", " Verify CD Test 5 : false", " Verify CD Test 6 : false",
                  " Verify CD Test 7 : false", " Verify CD Test 8 : false", " Verify CD Test 9 : false",
                  " Verify CD Test 10 : true", " Verify DVD Test 1 : false", " Verify DVD Test 2 : false",
                  " Verify DVD Test 3 : false", " Verify DVD Test 4 : false", " Verify DVD Test 5 : false",
                  " Verify DVD Test 6 : false", " Verify DVD Test 7 : false", " Verify DVD Test 8 : false",
                  " Verify DVD Test 9 : false", " Verify DVD Test 10 : true"},
                 {" Verify CD Test 1: CD Read Test", " Verify CD Test 2: CD Read Transfer Rate Test",
                  " Verify CD Test 3: CD C1/C2 Test", " Verify CD Test 4: CD Beta/Jitter Test",
                  " Verify CD Test 5: CD Write Transfer Rate Test(Write Data)",
                  " Verify CD Test 6: CD Write Transfer Rate Test(Write Audio)",
                  " Verify CD Test 7: CD Write Transfer Rate Test(Simulate)", " Verify CD Test 8: CD FE/TE Test",
                  " Verify DVD Test 1: DVD Read Test", " Verify DVD Test 2: DVD Read Transfer Rate Test",
                  " Verify DVD Test 3: DVD PI/PO Test", " Verify DVD Test 4: DVD PI/PO SUM1 Test",
                  " Verify DVD Test 5: DVD PI/PO SUM8 Test", " Verify DVD Test 6: DVD Beta/Jitter Test",
                  " Verify DVD Test 7: DVD TA Test", " Verify DVD Test 8: DVD Write Transfer Rate Test (Write Data)",
                  " Verify DVD Test 9: DVD Write Transfer Rate Test (Simulate)",
                  " Verify DVD Test 10: DVD FE/TE Test"},
                 {" Compare Source and Target Data : true",
                  " Run automated diagnostic tests on recorded disc : false",
                  " Run automated diagnostic test on a blank disc : true"}})},
        {"Verify Options, twenty zeros", "Disc Copy", {Text("Parameter4", std::string(20, '0'))}, " Verify Options",
         Concat({Repeat(" Verify CD Test %d: %s", "CD Read Test", 10),
                 Repeat(" Verify DVD Test %d: %s", "DVD Read Test", 10)})},
        // A stored text shorter than twenty characters names no kind beyond its end.
        {"Verify Options, short text", "Disc Copy", {Unterminated("Parameter4", "123")}, " Verify Options",
         {" Verify CD Test 1: CD Read Transfer Rate Test", " Verify CD Test 2: CD C1/C2 Test",
          " Verify CD Test 3: CD Beta/Jitter Test"}},
        {"All-In-One", "AllInOne Test", {Text("CD", "0102"), Text("DVD", "09 810")}, " All-In-One Test",
         {" All-In-One CD Test 1: CD Read Transfer Rate Test", " All-In-One CD Test 2: CD C1/C2 Test",
          " All-In-One DVD Test 1: DVD FE/TE Test", " All-In-One DVD Test 2: DVD Write Transfer Rate Test (Simulate)"}},
        {"All-In-One, odd length", "AllInOne Test", {Text("CD", "07083"), Unterminated("DVD", "05")},
         " All-In-One Test", {" All-In-One CD Test 1: CD FE/TE Test", " All-In-One DVD Test 1: DVD Beta/Jitter Test"}},
        {"Audio Capture", "Audio Capture",
         {Text("FileName", "C:\\Capture"), Dword("RecMinutes", 90), Dword("LimitRec", 1)}, " Audio Capture",
         {" Target Folder : C:\\Capture", " Capturing Time : 90", " Limit Capturing Time : true"}},
        {"Video Capture", "Video Capture",
         {Text("FileName", "C:\\Video"), Dword("RecMinutes", 60), Dword("LimitRec", 0), Dword("SplitFiles", 1),
          Dword("SplitTime", 15), Dword("SplitTime2", 0), Dword("CaptureAudio", 1), Dword("PreviewCapture", 0),
          Text("FileName2", "C:\\Camera"), Dword("SplitFilesC", 0), Dword("SplitTimeC", 2), Dword("SplitTime2C", 1)},
         " Video Capture",
         {" Target Folder : C:\\Video", " Capturing Time : 60", " Limit Capturing Time : false",
          " Split file every : true", " Split Time : 15", " Split Time Unit : Minutes", " Include Audio : true",
          " Disable Preview during capturing : false"}},
        {"Video Capture Camera", "Video Capture",
         {Text("FileName2", "C:\\Camera"), Dword("RecMinutes", 60), Dword("LimitRec", 1), Dword("SplitFilesC", 0),
          Dword("SplitTimeC", 2), Dword("SplitTime2C", 1)},
         " Video Capture Camera",
         {" Target Folder : C:\\Camera", " Capturing Time : 60", " Limit Capturing Time : true",
          " Split file every : false", " Split Time : 2", " Split Time Unit : Hours"}},
        {"Multi Video Capture", "Multi Video Capture",
         {Dword("RecMinutes", 30), Dword("LimitRec", 1), Dword("SplitFiles", 0), Dword("SplitTime", 1),
          Dword("SplitTime2", 7)},
         " Multi Video Capture",
         {" Capturing Time : 30", " Limit Capturing Time : true", " Split file every : false", " Split Time : 1",
          " Split Time Unit : Hours"}},
    });

    RegistryRoot root;
    root.Write(PlusKey("Benchmark Test"), {Dword("SampleLength", 4), Dword("TestInterval", 64),
                                           Dword("SampleLengthUnit", 0), Dword("TestIntervalUnit", 2)});
    const std::vector<std::string> lines = RunDump(root.Key(), Edition::Plus);
    const std::vector<std::string> tail = {" Benchmark Test", " -----------", " Sample Length : 4",
                                           " Test Every : 64", " Sample Length Unit : GB",
                                           " Test Interval Unit : KB"};
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(tail, std::vector<std::string>(lines.end() - tail.size(), lines.end()));
}

} // namespace
// clang-format on
