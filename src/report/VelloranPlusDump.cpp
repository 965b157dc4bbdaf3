// src/report/VelloranPlusDump.cpp
// The Velloran Studio Plus dump: twenty-two sections read from the settings keys of that edition.
#include "report/VelloranRegistryDump.h"

#include "report/VelloranDumpLines.h"
#include "report/VelloranValueReader.h"

#include <cstring>

namespace {

const char kMissingBang[] = " Key not found!";
const char kMissing[] = " Key not found";
const char kMissingCapital[] = " Key not Found";
const char kGeneralUnderline[] = " -------";
const char kUnderline[] = " -----------";

// Kinds of test that the verify and all-in-one settings name by code.
const VelloranChoice kCdTestKinds[] = {
    {0, "CD Read Test"},
    {1, "CD Read Transfer Rate Test"},
    {2, "CD C1/C2 Test"},
    {3, "CD Beta/Jitter Test"},
    {4, "CD Write Transfer Rate Test(Write Data)"},
    {5, "CD Write Transfer Rate Test(Write Audio)"},
    {6, "CD Write Transfer Rate Test(Simulate)"},
    {7, "CD FE/TE Test"},
};
const VelloranChoice kDvdTestKinds[] = {
    {0, "DVD Read Test"},
    {1, "DVD Read Transfer Rate Test"},
    {2, "DVD PI/PO Test"},
    {3, "DVD PI/PO SUM1 Test"},
    {4, "DVD PI/PO SUM8 Test"},
    {5, "DVD Beta/Jitter Test"},
    {6, "DVD TA Test"},
    {7, "DVD Write Transfer Rate Test (Write Data)"},
    {8, "DVD Write Transfer Rate Test (Simulate)"},
    {9, "DVD FE/TE Test"},
};

template <size_t N>
LPCSTR KindText(const VelloranChoice (&kinds)[N], long code)
{
    for (const VelloranChoice& kind : kinds)
        if (kind.code == code)
            return kind.text;
    return nullptr;
}

bool ReadNumber(VelloranLines& out, LPCSTR name, DWORD& value)
{
    return out.Reader().Number(out.Key(), name, value);
}

void WriteOptionLine(VelloranLines& out, DWORD code)
{
    out.Choice(
        long(code),
        {{0, " Write option : Simulate"}, {1, " Write option : Simulate and Write"}, {2, " Write option : Write"}});
}

void StrategyLine(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "Strategy", value))
        out.Choice(long(value), {{0, " Strategy : Report Errors only"},
                                 {1, " Strategy : Reduce the speed upon error"},
                                 {2, " Strategy : Read again upon error"},
                                 {3, " Strategy : Recover the best sector"},
                                 {4, " Strategy : Recover the best bytes per sector"}});
}

void MaxErrorsLine(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "MaxErrors", value)) {
        if (value == 0)
            out.Add(" Maximum errors : unlimited");
        else
            out.Line(" Maximum errors : %d", int(value));
    }
}

void FlagWhenOne(VelloranLines& out, LPCSTR name, LPCSTR label)
{
    DWORD value = 0;
    if (ReadNumber(out, name, value))
        out.Flag(label, value == 1);
}

// A count of 1/75-second frames as minutes, seconds and frames.
void MsfLine(VelloranLines& out, LPCSTR format, DWORD frames)
{
    out.Line(format, int(frames / 4500u), int((frames / 75u) % 60u), int(frames % 75u));
}

const VelloranChoice kExtractionFormats[] = {
    {0, " Audio format : PCM (WAVE)"},
    {1, " Audio format : PCM (WAVE)"},
    {2, " Audio format : MP3(Windows Codec)"},
    {3, " Audio format : MP3 L.A.M.E."},
    {4, " Audio format : Monkey's Audio"},
    {5, " Audio format : Ogg Vorbis"},
    {6, " Audio format : FLAC"},
};

void ExtractionFormatLine(VelloranLines& out, long code)
{
    if (LPCSTR text = KindText(kExtractionFormats, code))
        out.Add(text);
}

const VelloranChoice kSampleLengths[] = {
    {0, "5 Minutes"}, {1, "2 Minutes"}, {2, "1 Minute"}, {3, "30 Seconds"}, {4, "15 Seconds"},
};

void SampleLengthLine(VelloranLines& out, LPCSTR name, LPCSTR prefix)
{
    DWORD value = 0;
    if (ReadNumber(out, name, value))
        if (LPCSTR text = KindText(kSampleLengths, long(value)))
            out.Line("%s%s", prefix, text);
}

void SplitUnitLine(VelloranLines& out, LPCSTR name)
{
    DWORD value = 0;
    if (ReadNumber(out, name, value))
        out.Add(value == 0 ? " Split Time Unit : Minutes" : " Split Time Unit : Hours");
}

// -- the sections ------------------------------------------------------------------------------------------------

void General(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "Parameter", value))
        out.Flags(value, {{0, "SaveSettings"},
                          {1, "Minimise"},
                          {2, "Create icon in taskbar"},
                          {3, "Autorun"},
                          {4, "Set trayicon after close"},
                          {5, "Read disc information"}});
    if (ReadNumber(out, "Parameter2", value))
        out.Flags(value, {{0, "Check for updates on startup"}, {2, "Check for updates"}});
    if (ReadNumber(out, "Parameter3", value))
        out.Choice(long(value), {{0, " Check for updates : Once a day"},
                                 {1, " Check for updates : Once a week"},
                                 {2, " Check for updates : Once a month"}});
    out.Number("Upd", " Latest Update : %d");
    if (ReadNumber(out, "Parameter4", value))
        out.Flags(value, {{0, "Check for media changes when AIN is disabled"}});
    out.Number("BufferSize", " Buffer Size : %d");
    out.Text("InstallPath", " Install path : %s", true);
    CString language;
    if (out.Reader().Text(out.Key(), "CurrentLanguage", language, true)) {
        if (language == " ")
            out.Add(" Current Language : Default(English)");
        else
            out.Line(" Current Language : %s", static_cast<LPCSTR>(language));
    }
    static const char* const kPlaces[] = {"DLeft",   "DRight",  "DTop",        "DBottom",   "FLeft",    "FRight",
                                          "FTop",    "FBottom", "MLeft",       "MRight",    "MTop",     "MBottom",
                                          "SHeight", "SWidth",  "VideoOption", "HDDOption", "ODDOption"};
    for (const char* name : kPlaces) {
        if (ReadNumber(out, name, value))
            out.Line(" %s : %d", name, int(value));
    }
    out.Number("Parameter7", " Use Scheduler : %d");
}

void DriveSettings(VelloranLines& out)
{
    out.FlagWhenNotZero("Parameter", "Lock Channels");
    DWORD value = 0;
    if (ReadNumber(out, "Parameter2", value)) {
        out.Flag("Show Densamode warning", !VelloranBit(value, 7));
        out.Flag("Show Hushamode warning", !VelloranBit(value, 6));
        out.Flag("Show Pulsamode warning", !VelloranBit(value, 5));
    }
}

void Freedb(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "UseLocalDB", value)) {
        out.Flag("Use freedb server", value == 0);
        out.Flag("Use local database", value != 0);
    }
    out.FlagWhenNotZero("AutoSearch", "AutoSearch on freedb server");
    out.FlagWhenNotZero("AutoSave", "AutoSave to user database");
    out.FlagWhenNotZero("AutoRetrieve", "AutoRetrieve when an audiocd is inserted");
    out.FlagWhenNotZero("AutoFirst", "AutoSelect the first entry");
    out.FlagWhenNotZero("OverWrite", "Overwrite existing entries in local database");
    out.Text("LocalDbPath", " Location of user database : %s");
    out.Text("FreedbPath", " Location of freedb database : %s");
    out.Text("server", " Server : %s");
    out.Text("cgipath", " Cgi-path : %s", true);
    out.Number("Port", " Port : %d");
    out.FlagWhenNotZero("Proxy", "Use Proxy");
    out.Text("puser", " Proxy user : %s", true);
    // The stored proxy password is not copied into a report that goes to paper and to support.
    CString password;
    if (out.Reader().Text(out.Key(), "ppass", password, true))
        out.Line(" Proxy password : %s", password.IsEmpty() ? "" : "********");
    out.Text("pserver", " Proxy server : %s", true);
    out.Number("pport", " Proxy port : %d");
    if (ReadNumber(out, "SubmitFreedb", value)) {
        out.Flag("Submit to freedb server", value != 0);
        out.Flag("Save to user database", value == 0);
    }
    out.Text("emailsubmit", " Submit email address : %s");
    if (ReadNumber(out, "email", value))
        out.Add(value == 0 ? " Submit through : HTTP" : " Submit through : Email");
    out.Text("emailuser", " User email address : %s");
    out.FlagWhenNotZero("Hide", "Hide freedb status window");
}

void DiscInfo(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "Parameter", value))
        out.Flags(value, {{0, "DisplayMSF"}, {1, "DisplayISRC"}});
}

void DiscCopy(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "Parameter0", value))
        out.Flags(value, {{0, "Allow overburning"},
                          {1, "Eject destination disc after completion"},
                          {2, "Copy on the fly"},
                          {3, "Read C2 error"},
                          {5, "Include ISRC"},
                          {6, "Include UPC/EAN"},
                          {7, "Play sound after completion"},
                          {8, "Include CD+G"},
                          {9, "Leave disc open"},
                          {10, "Enable Verify"}});
    if (ReadNumber(out, "Parameter1", value)) {
        WriteOptionLine(out, VelloranBits(value, 0, 3));
        out.Line(" Number of copies : %d", int((value < 16 ? 16u : value) >> 4));
    }
    if (ReadNumber(out, "Parameter2", value)) {
        out.Flags(value, {{0, "Eject source disc after completion"}, {1, "Use timestamp in logfile"}});
        out.Add(VelloranBit(value, 2) ? " Reset starttime to zero : true" : " Use actual time : true");
    }
    if (ReadNumber(out, "usefreedb", value))
        out.Add(VelloranBit(value, 0) ? " Get CD TEXT from : freedb" : " Get CD TEXT from : CD");
    StrategyLine(out);
    out.Number("ReadRetry", " Number of retries : %d");
    FlagWhenOne(out, "ReduceSpeed", "Allow SpeedDown");
    MaxErrorsLine(out);
    FlagWhenOne(out, "ErrorLog", "Error log");
    out.Text("ImagePath", " Image path : %s");
    out.Text("SoundPath", " Sound path : %s");
    out.Text("SourcePath", " Source path : %s");
    out.Text("DestinationPath", " Destination path : %s");
    out.Text("Source", " Source : %s");
    out.Number("SourceSpeed", " Source speed : %dX");
    out.Text("Destination", " Destination : %s");
    out.Number("DestinationSpeed", " Destination speed : %dX");
}

void AudioCdPlayer(VelloranLines& out)
{
    out.FlagWhenNotZero("Parameter0", "Use freedb");
    DWORD value = 0;
    if (ReadNumber(out, "CDG", value))
        out.Flags(value, {{0, "Digital Playback"}, {1, "Show CD+G"}});
}

void AudioCdMaker(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "Parameter", value)) {
        WriteOptionLine(out, VelloranBits(value, 0, 1));
        out.Flags(value, {{8, "Write CD Text"}, {9, "Write UPC/EAN code"}, {10, "Write ISRC code"}});
    }
    if (ReadNumber(out, "DestinationSpeed", value) && value != 0xFFFF)
        out.Line(" Recording speed : %dX", int(value));
    out.Number("Copies", " Number of copies : %d");
}

void BetaJitter(VelloranLines& out)
{
    SampleLengthLine(out, "SampleLength", " Sample length : ");
    out.Number("TimeLimit", " Time length indication : %d Minutes");
    DWORD value = 0;
    if (ReadNumber(out, "BetaLimit", value))
        out.Choice(long(value), {{500, " Beta scale limit : -0,05 - +0,05"},
                                 {1000, " Beta scale limit : -0,1 - +0,1"},
                                 {5000, " Beta scale limit : -0,5 - +0,5"}});
    out.Number("SampleLengthDVD", " Sample length DVD : %d ECC Blocks");
    out.Number("TimeLimitDVD", " Capacity indication DVD : %d GB");
    if (ReadNumber(out, "BetaLimitDVD", value))
        out.Choice(long(value), {{50, " Beta scale limit DVD : -0,05 - +0,05"},
                                 {100, " Beta scale limit DVD : -0,1 - +0,1"},
                                 {500, " Beta scale limit DVD : -0,5 - +0,5"}});
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void C1C2(VelloranLines& out)
{
    out.Number("C1Limit", " Scale limit : %d");
    out.Number("TimeLimit", " Time length indication : %d Minutes");
    DWORD value = 0;
    if (ReadNumber(out, "Tracks", value))
        out.Add(value == 0 ? " Track selection : Include Selected Tracks" : " Track selection : Include All Tracks");
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void DiscExtraction(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    DWORD value = 0;
    if (ReadNumber(out, "Parameter1", value))
        out.Choice(long(VelloranBits(value, 16, 17)),
                   {{0, " Spaces : Include"}, {1, " Spaces : Remove"}, {2, " Spaces : Replace by underscore"}});
    out.Text("Filename", " Filename Construction : %s");
    out.Text("CueFilename", " CueSheet Filename : %s");
    out.Text("PlayListFilename", " PlayList Filename : %s");
    bool waveOptions = true;
    if (ReadNumber(out, "Parameter2", value)) {
        const DWORD format = VelloranBits(value, 0, 7);
        ExtractionFormatLine(out, long(format));
        waveOptions = format <= 2;
    }
    // The wave format record: channels at offset 2, samples per second at 4, bits per sample at 14.
    if (waveOptions && r.Read(out.Key(), "Parameter3") && r.Size() >= 16) {
        const BYTE* wave = r.Data();
        const unsigned channels = wave[2] | (wave[3] << 8);
        const DWORD rate = DWORD(wave[4]) | (DWORD(wave[5]) << 8) | (DWORD(wave[6]) << 16) | (DWORD(wave[7]) << 24);
        const unsigned bits = wave[14] | (wave[15] << 8);
        out.Line(" Options : %d Hz, %d Bit, %s", int(rate), int(bits), channels > 1 ? "Stereo" : "Mono");
    }
    out.Lame("LameConfig");
    if (ReadNumber(out, "MAC_Parameter", value))
        out.Choice(long(value), {{0, " Monkey's Audio Compression Level : Fast"},
                                 {1, " Monkey's Audio Compression Level : Normal"},
                                 {2, " Monkey's Audio Compression Level : High"},
                                 {3, " Monkey's Audio Compression Level : Extra High"}});
    out.Number("OGG_Parameter", " Ogg Vorbis Quality Mode : %d");
    out.Number("FLAC_Parameter", " FLAC Quality Mode : %d");
    out.Text("EXT_Program", " External Encoder: Program: %s");
    out.Text("EXT_Params", " External Encoder: Parameters: %s");
    out.Text("EXT_Extension", " External Encoder: Extension: %s");
    if (ReadNumber(out, "EXT_Tag", value))
        out.Add(value != 0 ? " Tag information included in arguments: true"
                           : " Tag information included in arguments: false");
    out.Number("WMA_SampleRate", " WMA: Sample Rate: %d");
    if (r.NumberOneCall(out.Key(), "WMA_Channels", value))
        out.Line(" WMA: Channels: %d", int(value));
    if (r.NumberOneCall(out.Key(), "WMA_BitsPerSample", value))
        out.Line(" WMA: Bits Per Sample: %d", int(value));
    if (r.NumberOneCall(out.Key(), "WMA_BitRate", value))
        out.Line(" WMA: Bitrate: %d", int(value));
    if (ReadNumber(out, "Parameter4", value)) {
        out.Flag("Extract one channel only", VelloranBits(value, 0, 7) != 0);
        out.Add(VelloranBits(value, 8, 15) != 0 ? " Channel : right channel" : " Channel : left channel");
    }
    if (ReadNumber(out, "Parameter0", value)) {
        out.Flag("Check Pause", VelloranBit(value, 0));
        out.Flag("Exclude Pause", !VelloranBit(value, 1));
        out.Flag("Use PreGap", VelloranBit(value, 8));
        out.Flag("Use audio error detection", VelloranBit(value, 2));
        out.Flag("Allow speed down", VelloranBit(value, 3));
    }
    StrategyLine(out);
    out.Number("ReadRetry", " Retries : %d");
    MaxErrorsLine(out);
    FlagWhenOne(out, "ErrorLog", "Error log");
    if (ReadNumber(out, "CDTEXT", value))
        out.Choice(long(value), {{0, " Use for filename construction : CD TEXT"},
                                 {1, " Use for filename construction : freedb"},
                                 {2, " Use for filename construction : TAG"}});
    if (ReadNumber(out, "MP3_Parameter", value))
        out.Flags(value, {{0, "ID3V1: Apply to all tracks (Artist)"},
                          {1, "ID3V1: Apply to all tracks (Album)"},
                          {2, "ID3V1: Apply to all tracks (Comments)"},
                          {3, "ID3V1: Apply to all tracks (Year)"},
                          {4, "ID3V1: Apply to all tracks (Genre)"}});
    if (ReadNumber(out, "ID3V2_Parameter", value)) {
        static const char* const kTags[] = {"Artist",   "Album",           "Comments",  "Year", "Genre",
                                            "Composer", "Original Artist", "Copyright", "URL",  "Encoded By"};
        for (int bit = 0; bit < 10; ++bit)
            out.Line(" ID3V2: Apply to all tracks (%s) = %s", kTags[bit], VelloranBit(value, bit) ? "true" : "false");
    }
    out.Text("Path", " Output path : %s");
    CString radio;
    if (r.Text(out.Key(), "Radio", radio))
        ExtractionFormatLine(out, ParseVelloranDecimal(radio, radio.GetLength()));
}

void DiscMaker(VelloranLines& out)
{
    DWORD value = 0;
    if (ReadNumber(out, "CharSet", value)) {
        if (VelloranBit(value, 0))
            out.Add(" Character Set : ISO 9660");
        else if (VelloranBit(value, 1))
            out.Add(" Character Set : DOS");
        else if (VelloranBit(value, 2))
            out.Add(" Character Set : ASCII");
    }
    if (ReadNumber(out, "ISOLevel", value))
        out.Choice(long(value),
                   {{1, " ISO Level : Level1(8+3 Characters)"}, {2, " ISO Level : Level2(31 Characters)"}});
    if (out.Reader().NumberOneCall(out.Key(), "UseJoliet", value))
        out.Flag("Write joliet file system", value != 0);
    if (ReadNumber(out, "JolietFileLen", value))
        out.Flag("Allow more than 64 characters", value == 0);
    if (ReadNumber(out, "ViewMode", value))
        out.Choice(long(value), {{0, " View Mode : ISO 9660"}, {16, " View Mode : Joliet"}, {32, " View Mode : UDF"}});
    if (ReadNumber(out, "CharMode", value))
        out.Choice(long(value),
                   {{1, " Character Mode : ISO 9660"}, {2, " Character Mode : DOS"}, {4, " Character Mode : ASCII"}});
    if (ReadNumber(out, "VolNameParameter2", value)) {
        switch (VelloranBits(value, 0, 2)) {
        case 1:
            out.Add(" Volume Name : User Defined(1)");
            break;
        case 2:
            out.Add(" Volume Name : User Defined(2)");
            break;
        case 3:
            out.Add(" Volume Name : User Defined(3)");
            break;
        default:
            out.Add(" Volume Name : Default (NEW_VOLUME)");
            break;
        }
        out.Flags(value, {{31, "User Defined Text(1)"},
                          {30, "User Defined Date(1)"},
                          {29, "User Defined Time(1)"},
                          {28, "User Defined Text(2)"},
                          {27, "User Defined Date(2)"},
                          {26, "User Defined Time(2)"},
                          {25, "User Defined Text(3)"},
                          {24, "User Defined Date(3)"},
                          {23, "User Defined Time(3)"}});
        static const char* const kDateFormats[] = {"ddmmyy", "mmddyy", "yymmdd"};
        static const char* const kTimeFormats[] = {"01:00PM", "13:00", "01:00"};
        static const int kDateBits[] = {21, 17, 13};
        static const int kTimeBits[] = {19, 15, 11};
        for (int n = 1; n <= 3; ++n) {
            const DWORD date = VelloranBits(value, kDateBits[n - 1], kDateBits[n - 1] + 1);
            if (date < 3)
                out.Line(" User Defined Date Format(%d) : %s", n, kDateFormats[date]);
            const DWORD time = VelloranBits(value, kTimeBits[n - 1], kTimeBits[n - 1] + 1);
            if (time < 3)
                out.Line(" User Defined Time Format(%d) : %s", n, kTimeFormats[time]);
        }
    }
    out.Text("DefaultVolName", " User Defined Default Volume Name : %s");
    out.Text("ImagePath", " Image path : %s");
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void FeteTest(VelloranLines& out)
{
    out.Number("Limit", " Scale limit : %d");
    DWORD value = 0;
    if (ReadNumber(out, "Start", value))
        MsfLine(out, " Start Position : %03d:%02d.%02d MSF", value);
    if (ReadNumber(out, "End", value))
        MsfLine(out, " End Postition : %03d:%02d.%02d MSF", value);
    out.Number("TimeLimit", " Time length indication : %d Minutes");
    out.Number("LimitDVD", " DVD Scale limit : %d");
    out.Number("StartDVD", " DVD Start Position : %d LBA");
    out.Number("EndDVD", " DVD End Postition : %d LBA");
    out.Number("TimeLimitDVD", " DVD Capacity indication : %d GB");
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void PipoTest(VelloranLines& out)
{
    out.Number("ErrorLimit", " Error limit : %d");
    out.Number("TimeLimit", " Capapcity indication : %d GB");
    DWORD value = 0;
    if (ReadNumber(out, "TrackSelection", value))
        out.Add(value == 0 ? " Track Selection : Range-Based" : " Track Selection : Track-Based");
    if (ReadNumber(out, "Tracks", value))
        out.Add(value == 0 ? " Tracks : Include Selected Tracks" : " Tracks : Include All Tracks");
    out.Number("Start", " Start position : %d LSN");
    out.Number("End", " End position : %d LSN");
    if (ReadNumber(out, "Accuracy", value))
        out.Choice(long(value), {{0, " Test interval length : High Accuracy"},
                                 {1, " Test interval length : Good Accuracy"},
                                 {2, " Test interval length : Middle Accuracy"},
                                 {3, " Test interval length : Lower Accuracy"},
                                 {4, " Test interval length : Lowest Accuracy"}});
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void TaTest(VelloranLines& out)
{
    out.FlagWhenNotZero("ShowWarning", "Show warning");
}

void TransferRateTest(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    SampleLengthLine(out, "SampleLength", " Read sample length : ");
    SampleLengthLine(out, "TestInterval", " Read test every : ");
    out.Number("MaxSpeed", " Max read speed indication : %d");
    out.Number("MaxSpeedDVD", " Max DVD read speed indication : %d");
    out.Number("TimeLength", " Read CD length indication : %d Minutes");
    out.Number("TimeLengthDVD", " Read DVD length indication : %d GB");
    if (r.Read(out.Key(), "Simulate") && r.Size() >= 1)
        out.Flag("Simulate", r.Data()[0] != 0);
    SampleLengthLine(out, "TestIntervalWrite", " Write test every : ");
    DWORD value = 0;
    if (ReadNumber(out, "FormatParameters", value))
        out.Add(VelloranBits(value, 0, 3) == 0 ? " Data format : Internal Buffer (CD-DA)"
                                               : " Data format : Internal Buffer (Mode1)");
    if (ReadNumber(out, "Overburn", value))
        out.Add(value != 0 ? " Overburn CD: true" : " Overburn CD: false");
    if (ReadNumber(out, "OverburnLength", value))
        MsfLine(out, " Overburn CD Length : %03d:%02d.%02d", value);
    if (r.NumberOneCall(out.Key(), "OverburnDVD", value))
        out.Add(value != 0 ? " Overburn DVD: true" : " Overburn DVD: false");
    if (r.NumberOneCall(out.Key(), "OverburnLengthDVD", value))
        MsfLine(out, " Overburn DVD Length : %03d:%02d.%02d", value);
    out.Number("MaxSpeedWrite", " Max CD write speed indication : %d");
    out.Number("MaxSpeedWriteDVD", " Max DVD write speed indication : %d");
    out.Number("TimeLengthWrite", " Write CD length indication : %d Minutes");
    out.Number("TimeLengthWriteDVD", " Write DVD length indication : %d GB");
}

// Twenty decimal characters name the kinds of the ten CD and ten DVD verify tests; positions beyond the stored
// text write no line.
void VerifyOptions(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    DWORD value = 0;
    if (ReadNumber(out, "Parameter3", value)) {
        for (int n = 1; n <= 10; ++n)
            out.Line(" Verify CD Test %d : %s", n, VelloranBit(value, n - 1) ? "true" : "false");
        for (int n = 1; n <= 10; ++n)
            out.Line(" Verify DVD Test %d : %s", n, VelloranBit(value, n + 9) ? "true" : "false");
    }
    CString kinds;
    if (r.Text(out.Key(), "Parameter4", kinds)) {
        for (int n = 1; n <= 10 && n <= kinds.GetLength(); ++n) {
            if (LPCSTR text = KindText(kCdTestKinds, ParseVelloranDecimal(LPCSTR(kinds) + n - 1, 1)))
                out.Line(" Verify CD Test %d: %s", n, text);
        }
        for (int n = 1; n <= 10 && n + 10 <= kinds.GetLength(); ++n) {
            if (LPCSTR text = KindText(kDvdTestKinds, ParseVelloranDecimal(LPCSTR(kinds) + n + 9, 1)))
                out.Line(" Verify DVD Test %d: %s", n, text);
        }
    }
    if (ReadNumber(out, "Parameter2", value))
        out.Flags(value, {{3, "Compare Source and Target Data"},
                          {4, "Run automated diagnostic tests on recorded disc"},
                          {5, "Run automated diagnostic test on a blank disc"}});
}

template <size_t N>
void AllInOneTests(VelloranLines& out, LPCSTR name, LPCSTR format, const VelloranChoice (&kinds)[N])
{
    CString codes;
    if (!out.Reader().Text(out.Key(), name, codes))
        return;
    for (int k = 1; k <= codes.GetLength() / 2; ++k) {
        if (LPCSTR text = KindText(kinds, ParseVelloranDecimal(LPCSTR(codes) + 2 * (k - 1), 2)))
            out.Line(format, k, text);
    }
}

void AllInOne(VelloranLines& out)
{
    AllInOneTests(out, "CD", " All-In-One CD Test %d: %s", kCdTestKinds);
    AllInOneTests(out, "DVD", " All-In-One DVD Test %d: %s", kDvdTestKinds);
}

void CapturingTimeLines(VelloranLines& out)
{
    out.Number("RecMinutes", " Capturing Time : %d");
    out.FlagWhenNotZero("LimitRec", "Limit Capturing Time");
}

// The split settings of a capture section; the camera's values carry a "C" after their names.
void SplitLines(VelloranLines& out, LPCSTR splitName, LPCSTR timeName, LPCSTR unitName)
{
    out.FlagWhenNotZero(splitName, "Split file every");
    out.Number(timeName, " Split Time : %d");
    SplitUnitLine(out, unitName);
}

void AudioCapture(VelloranLines& out)
{
    out.Text("FileName", " Target Folder : %s");
    CapturingTimeLines(out);
}

void VideoCapture(VelloranLines& out)
{
    out.Text("FileName", " Target Folder : %s");
    CapturingTimeLines(out);
    SplitLines(out, "SplitFiles", "SplitTime", "SplitTime2");
    out.FlagWhenNotZero("CaptureAudio", "Include Audio");
    out.FlagWhenNotZero("PreviewCapture", "Disable Preview during capturing");
}

void VideoCaptureCamera(VelloranLines& out)
{
    out.Text("FileName2", " Target Folder : %s");
    CapturingTimeLines(out);
    SplitLines(out, "SplitFilesC", "SplitTimeC", "SplitTime2C");
}

void MultiVideoCapture(VelloranLines& out)
{
    CapturingTimeLines(out);
    SplitLines(out, "SplitFiles", "SplitTime", "SplitTime2");
}

void Benchmark(VelloranLines& out)
{
    out.Number("SampleLength", " Sample Length : %d");
    out.Number("TestInterval", " Test Every : %d");
    DWORD value = 0;
    if (ReadNumber(out, "SampleLengthUnit", value))
        out.Choice(long(value),
                   {{0, " Sample Length Unit : GB"}, {1, " Sample Length Unit : MB"}, {2, " Sample Length Unit : KB"}});
    if (ReadNumber(out, "TestIntervalUnit", value))
        out.Choice(long(value),
                   {{0, " Test Interval Unit : GB"}, {1, " Test Interval Unit : MB"}, {2, " Test Interval Unit : KB"}});
}

struct PlusSection {
    LPCSTR heading;
    LPCSTR subkey;
    LPCSTR missing;
    void (*write)(VelloranLines&);
};

const PlusSection kPlusSections[] = {
    {" General", "General", kMissingBang, General},
    {" Drive Settings", "Drive Settings", kMissingBang, DriveSettings},
    {" freedb", "freedb", kMissingBang, Freedb},
    {" Disc Info", "Disc Info", nullptr, DiscInfo},
    {" Disc Copy", "Disc Copy", kMissingBang, DiscCopy},
    {" Audio CD Player", "AudioCD Player", kMissingBang, AudioCdPlayer},
    {" Audio CD Maker", "AudioCD Maker", kMissingBang, AudioCdMaker},
    {" Beta/Jitter Test", "BetaJitter Test", kMissingBang, BetaJitter},
    {" C1/C2 Test", "C1C2 Test", kMissing, C1C2},
    {" Disc Extraction", "Disc Extraction", kMissing, DiscExtraction},
    {" Disc Maker", "Disc Maker", kMissing, DiscMaker},
    {" FETE Test", "FETE Test", kMissing, FeteTest},
    {" PIPO Test", "PIPO Test", kMissing, PipoTest},
    {" TA Test", "TA Test", kMissing, TaTest},
    {" Transfer Rate Test", "TransferRate Test", kMissing, TransferRateTest},
    {" Verify Options", "Disc Copy", kMissing, VerifyOptions},
    {" All-In-One Test", "AllInOne Test", kMissing, AllInOne},
    {" Audio Capture", "Audio Capture", kMissing, AudioCapture},
    {" Video Capture", "Video Capture", kMissing, VideoCapture},
    {" Video Capture Camera", "Video Capture", kMissing, VideoCaptureCamera},
    {" Multi Video Capture", "Multi Video Capture", kMissingCapital, MultiVideoCapture},
    {" Benchmark Test", "Benchmark Test", kMissingCapital, Benchmark},
};

} // namespace

// Without the product key only the title and the rule are written. Sections are separated by two empty lines;
// the dump ends with the last line of its last section.
void CVelloranRegistryDump::DumpVelloranPlusSettings()
{
    VelloranLines out(*this);
    out.Add(" Velloran Studio Plus Registry Information");
    out.Add(" ------------------------------");
    CRegKeyOwner product;
    if (!OpenVelloranKey(m_hMachineRoot, "Software\\Korvath\\QRVMZ", product))
        return;
    out.Add("");
    bool first = true;
    for (const PlusSection& section : kPlusSections) {
        if (!first) {
            out.Add("");
            out.Add("");
        }
        first = false;
        const LPCSTR underline = section.write == General ? kGeneralUnderline : kUnderline;
        if (out.OpenSection(product, section.heading, underline, section.subkey, section.missing))
            section.write(out);
        out.CloseSection();
    }
}
