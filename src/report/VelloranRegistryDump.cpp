// src/report/VelloranRegistryDump.cpp
// The dump's line sink, the LAME block that both editions share, and the Velloran Studio dump.
#include "report/VelloranRegistryDump.h"

#include "report/VelloranDumpLines.h"
#include "report/VelloranValueReader.h"

#include <cstddef>
#include <cstring>

static_assert(sizeof(BE_CONFIG) == 331, "LAME configuration record in its LHV1 layout");
static_assert(offsetof(BE_CONFIG, dwSampleRate) == 12 && offsetof(BE_CONFIG, nPreset) == 32 &&
                  offsetof(BE_CONFIG, bPrivate) == 48 && offsetof(BE_CONFIG, nVBRQuality) == 72 &&
                  offsetof(BE_CONFIG, bStrictIso) == 88 && offsetof(BE_CONFIG, nQuality) == 92,
              "field offsets of the LHV1 layout");

CVelloranRegistryDump::CVelloranRegistryDump() : m_nMode(0) {}

CVelloranRegistryDump::~CVelloranRegistryDump() = default;

void CVelloranRegistryDump::AddLine(LPCTSTR pszLine)
{
    switch (m_nMode) {
    case kVelloranModeList:
        if (m_pListBox != nullptr && m_pListBox->m_hWnd != nullptr)
            ::SendMessageA(m_pListBox->m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszLine));
        break;
    case kVelloranModePrinter:
    case kVelloranModeTextFile:
    case kVelloranModeNoTarget:
        if (m_pLines != nullptr)
            m_pLines->Add(pszLine);
        break;
    default:
        break;
    }
}

namespace {

LPCSTR LamePresetText(LONG preset)
{
    switch (preset) {
    case -1:
        return "User Defined (Don't use presets)";
    case 4:
        return "R3Mix";
    case 6:
        return "--preset standard";
    case 7:
        return "--preset fast standard";
    case 8:
        return "--preset extreme";
    case 9:
        return "--preset fase extreme";
    case 10:
        return "--preset insane";
    case 11:
        return "--abr";
    case 12:
        return "--cbr";
    case 13:
        return "--preset medium";
    case 14:
        return "--preset fast medium";
    default:
        return "";
    }
}

LPCSTR LameMpegText(DWORD version)
{
    switch (version) {
    case 0:
        return "MPEG-2";
    case 1:
        return "MPEG-1";
    case 2:
        return "MPEG-2.5";
    default:
        return "";
    }
}

LPCSTR LameChannelText(LONG mode)
{
    switch (mode) {
    case 0:
        return "Stereo";
    case 1:
        return "Joint Stereo";
    case 3:
        return "Mono";
    default:
        return "";
    }
}

LPCSTR LameVbrText(LONG method)
{
    switch (method) {
    case -1:
        return "Don't use VBR";
    case 0:
        return "VBR (Default)";
    case 1:
        return "VBR (Old)";
    case 2:
        return "VBR (New)";
    case 4:
        return "ABR";
    default:
        return "";
    }
}

} // namespace

// Always fifteen lines; the four enumeration lines keep their label when the code has no text.
void CVelloranRegistryDump::DumpLameSettings(const BE_CONFIG* pConfig)
{
    if (pConfig == nullptr)
        return;
    const BE_CONFIG& c = *pConfig;
    VelloranLines out(*this);
    out.Line(" LAME Quality Preset : %s", LamePresetText(c.nPreset));
    out.Line(" LAME MPEG : %s", LameMpegText(c.dwMpegVersion));
    out.Line(" LAME Channel Mode : %s", LameChannelText(c.nMode));
    out.Line(" LAME VBR : %s", LameVbrText(c.nVbrMethod));
    if (c.dwSampleRate == 0)
        out.Add(" LAME Output Sample Rate : Auto");
    else
        out.Line(" LAME Output Sample Rate : %d", int(c.dwReSampleRate));
    out.Line(" LAME Constant/Minimum Bitrate: %d kbps", int(c.dwBitrate));
    out.Line(" LAME Maximum Bitrate: %d kbps", int(c.dwMaxBitrate));
    out.Line(" LAME ABR(kbps) : %d kbps", int(c.dwVbrAbr_bps / 1000u));
    out.Line(" LAME Quality : %d", int(c.nQuality));
    out.Line(" LAME VBR Quality : %d", int(c.nVBRQuality));
    out.Flag("LAME Checksum", c.bCRC != 0);
    out.Flag("LAME Copyright", c.bCopyright != 0);
    out.Flag("LAME Original", c.bOriginal != 0);
    out.Flag("LAME Private", c.bPrivate != 0);
    out.Flag("LAME Strict ISO encoding", c.bStrictIso != 0);
}

// ---------------------------------------------------------------------------------------------------------------
// Velloran Studio

namespace {

const char kStudioMissing[] = " Key not found!";

void WriteOptionLine(VelloranLines& out, DWORD code)
{
    out.Choice(long(code),
               {{0, " WriteOption : Simulate "}, {1, " WriteOption : Simulate + Write"}, {2, " WriteOption : Write"}});
}

void StudioGeneral(VelloranLines& out)
{
    CString version;
    if (out.Reader().Text(out.Key(), "Version", version))
        out.Line(" Velloran version : %s", static_cast<LPCSTR>(version));
    else
        out.Add(" Velloran version : n/a");
    DWORD value = 0;
    if (out.Reader().Number(out.Key(), "Parameter", value))
        out.Flags(value, {{0, "SaveSettings"},
                          {1, "Minimize"},
                          {2, "Create icon in taskbar"},
                          {3, "Autorun"},
                          {4, "Set trayicon after close"},
                          {5, "Read disc information"}});
}

void StudioCdInfo(VelloranLines& out)
{
    DWORD value = 0;
    if (out.Reader().Number(out.Key(), "Parameter", value))
        out.Flags(value, {{0, "DisplayMSF"}, {1, "DisplayISRC"}});
}

void StudioExtraction(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    DWORD value = 0;
    if (r.Number(out.Key(), "Parameter0", value))
        out.Flags(
            value,
            {{0, "DetectPregap"}, {1, "IncludePregap"}, {2, "Use audio error detection"}, {3, "Allow Speed Down"}});
    if (r.Number(out.Key(), "Parameter1", value))
        out.Add(VelloranBits(value, 16, 17) == 0 ? " Spaces : Include" : " Spaces : Replace by underscore");
    if (r.Number(out.Key(), "Parameter2", value)) {
        const DWORD format = VelloranBits(value, 0, 7);
        if (format == 2)
            out.Choice(long(VelloranBits(value, 8, 15)),
                       {{1, " Audio Format : MP3 (Windows Encoder)"}, {0, " Audio Format : MP3 (LAME)"}});
        else
            out.Choice(long(format), {{0, " Audio Format : MP3"},
                                      {1, " Audio Format : PCM"},
                                      {4, " Audio Format : Monkey's Audio"},
                                      {5, " Audio Format : Ogg Vorbis"},
                                      {6, " Audio Format : FLAC"}});
    }
    out.Lame("LameConfig");
    if (r.Number(out.Key(), "MAC_Parameter", value))
        out.Choice(long(value), {{0, " Monkey's Audio Compression Level : Fast"},
                                 {1, " Monkey's Audio Compression Level : Normal"},
                                 {2, " Monkey's Audio Compression Level : High"},
                                 {3, " Monkey's Audio Compression Level : Extra High"}});
    out.Number("OGG_Parameter", " Ogg Vorbis Quality Mode : %d");
    out.Number("FLAC_Parameter", " FLAC Quality Mode : %d");
    if (r.Number(out.Key(), "MP3Parameter", value))
        out.Flags(value, {{0, "ID3V1: Apply to all tracks (Artist)"},
                          {1, "ID3V1: Apply to all tracks (Album)"},
                          {2, "ID3V1: Apply to all tracks (Comments)"},
                          {3, "ID3V1: Apply to all tracks (Year)"},
                          {4, "ID3V1: Apply to all tracks (Genre)"}});
    // Without a stored path the program's current folder stands in its place (empty when it cannot be had).
    CString path;
    if (!r.Text(out.Key(), "Path", path)) {
        char folder[200];
        DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
        path = (length > 0 && length < sizeof folder) ? CString(folder) : CString();
    }
    out.Line(" Path : %s", static_cast<LPCSTR>(path));
    out.Text("Filename", " Filename : %s");
}

void StudioCdCopy(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    DWORD value = 0;
    if (r.Number(out.Key(), "Parameter0", value))
        out.Flags(value, {{0, "Allow Overburning"},
                          {2, "CopyOnTheFly"},
                          {3, "Use audio error detection"},
                          {5, "ISRC"},
                          {6, "UPC"},
                          {8, "CD+G"},
                          {9, "LeaveDiscOpen"},
                          {7, "PlaySound"},
                          {1, "Eject destination disc"}});
    if (r.Number(out.Key(), "Parameter2", value))
        out.Flags(value, {{0, "Eject source disc"}});
    if (r.Number(out.Key(), "Parameter1", value)) {
        WriteOptionLine(out, VelloranBits(value, 0, 3));
        out.Line(" Copies : %d", int((value < 16 ? 16u : value) >> 4));
    }
    out.Text("ImagePath", " Temp. path : %s");
    out.Text("SoundPath", " sound path : %s");
    out.Text("SourcePath", " source path : %s");
    out.Text("DestinationPath", " destination path : %s");
}

void StudioAudioCdMaker(VelloranLines& out)
{
    CVelloranValueReader& r = out.Reader();
    DWORD value = 0;
    if (r.Number(out.Key(), "Parameter", value)) {
        WriteOptionLine(out, VelloranBits(value, 0, 1));
        out.Flags(value, {{8, "CDText"}, {9, "UPC"}, {10, "ISRC"}});
    }
    if (r.NumberOneCall(out.Key(), "DestinationSpeed", value)) {
        if (value == 0xFFFF)
            out.Add(" WriteSpeed : maximum");
        else
            out.Line(" WriteSpeed : %d", int(value / 177u));
    }
    if (r.NumberOneCall(out.Key(), "Copies", value))
        out.Line(" Copies : %d", int(value));
}

} // namespace

void CVelloranRegistryDump::DumpVelloranSettings()
{
    CRegKeyOwner software;
    CRegKeyOwner maker;
    CRegKeyOwner product;
    if (OpenVelloranKey(m_hMachineRoot, "SOFTWARE", software) && OpenVelloranKey(software, "Korvath", maker))
        OpenVelloranKey(maker, "Velloran", product);

    VelloranLines out(*this);
    out.Add(" Velloran Studio Registry Information");
    out.Add(" ------------------------------");
    out.Add("");

    struct Section {
        LPCSTR heading;
        LPCSTR underline;
        LPCSTR subkey;
        void (*write)(VelloranLines&);
    };
    static const Section sections[] = {
        {" General", " -------", "General", StudioGeneral},
        {" CD Info", " -----------", "CD Info", StudioCdInfo},
        {" Digital Audio Extraction", " ------------------------", "Digital Audio Extraction", StudioExtraction},
        {" CD Copy", " -------", "CD Copy", StudioCdCopy},
        {" AudioCD Maker", " ------------------", "AudioCD Maker", StudioAudioCdMaker},
    };
    bool first = true;
    for (const Section& section : sections) {
        if (!first) {
            out.Add("");
            out.Add("");
        }
        first = false;
        if (out.OpenSection(product, section.heading, section.underline, section.subkey, kStudioMissing))
            section.write(out);
        out.CloseSection();
    }
    out.Add("");
    out.Add("");
}
