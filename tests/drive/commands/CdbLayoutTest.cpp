// tests/drive/commands/CdbLayoutTest.cpp
// Every command of the command set against the emulator's log: CDB bytes, data direction and transfer length.
#include <functional>
#include <map>
#include <string>

#include "support/DriveTestFixture.h"

// clang-format off
namespace {

using Operation = std::function<void(CDriveManager&, CDeviceRecord&, BYTE*)>;

struct CdbCase {
    const char* name;
    int profile;                    // the drive
    int bus;                        // its record's bus type
    Operation op;
    std::vector<uint8_t> cdb;       // expected CDB, as long as the transport sends it
    int direction;                  // EmuDirection
    uint32_t length;                // transfer length
};

const int kAtapi = kEmuAtapiCdWriter;   // ten-byte forms
const int kScsi = kEmuScsiCdWriter;     // six-byte forms

std::vector<CdbCase> Cases()
{
    using M = CDriveManager;
    using R = CDeviceRecord;
    const int in = kEmuDirIn, out = kEmuDirOut, none = kEmuDirNone;
    static const BYTE kFive[5] = { 1, 2, 3, 4, 5 };
    static const BYTE kCdb[12] = { 0xBB, 0, 0xFF, 0xFF, 0xFF, 0xFF };
    return {
        // Standard commands
        { "TestUnitReady", kAtapi, 0, [](M& m, R& r, BYTE*) { m.TestUnitReady(r); },
          { 0x00, 0, 0, 0, 0, 0 }, none, 0 },
        { "RezeroUnit", kAtapi, 0, [](M& m, R& r, BYTE*) { m.RezeroUnit(r); }, { 0x01, 0, 0, 0, 0, 0 }, none, 0 },
        { "RequestSenseData", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.RequestSenseData(r, b); },
          { 0x03, 0, 0, 0, 18, 0 }, in, 18 },
        { "RequestSense", kAtapi, 0, [](M& m, R& r, BYTE*) { m.RequestSense(r); },
          { 0x03, 0, 0, 0, 18, 0 }, in, 18 },
        { "FormatUnit", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.FormatUnit(r, 0x11, 12, b); },
          { 0x04, 0x11, 0, 0, 0, 0 }, out, 12 },
        { "Reserve6", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Reserve6(r, 3, 3); },
          { 0x16, 0x16, 0, 0, 8, 0 }, none, 0 },
        { "Release6", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Release6(r, 0, 5); },
          { 0x17, 0x0A, 0, 0, 8, 0 }, none, 0 },
        { "StartStopUnit", kAtapi, 0, [](M& m, R& r, BYTE*) { m.StartStopUnit(r, 3, 3, 2); },
          { 0x1B, 0x01, 0, 0, 0x02, 0 }, none, 0 },
        { "EjectMedium", kAtapi, 0, [](M& m, R& r, BYTE*) { m.EjectMedium(r); },
          { 0x1B, 0, 0, 0, 0x02, 0 }, none, 0 },
        { "LoadMedium", kAtapi, 0, [](M& m, R& r, BYTE*) { m.LoadMedium(r); },
          { 0x1B, 0, 0, 0, 0x03, 0 }, none, 0 },
        { "ReceiveDiagnosticResults", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReceiveDiagnosticResults(r, b); },
          { 0x1C, 0, 0, 0, 8, 0 }, in, 8 },
        { "SendDiagnostic self test", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendDiagnostic(r, 1, b); },
          { 0x1D, 0x04, 0, 0, 0, 0 }, none, 0 },
        { "SendDiagnostic page", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendDiagnostic(r, 0, b); },
          { 0x1D, 0, 0, 0, 8, 0 }, out, 8 },
        { "LockMedium", kAtapi, 0, [](M& m, R& r, BYTE*) { m.LockMedium(r); }, { 0x1E, 0, 0, 0, 1, 0 }, none, 0 },
        { "UnlockMedium", kAtapi, 0, [](M& m, R& r, BYTE*) { m.UnlockMedium(r); },
          { 0x1E, 0, 0, 0, 0, 0 }, none, 0 },
        { "ReadFormatCapacities", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadFormatCapacities(r, 100, b); },
          { 0x23, 0, 0, 0, 0, 0, 0, 0, 100, 0 }, in, 100 },
        { "ReadCapacity", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCapacity(r, b); },
          { 0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, in, 8 },
        { "ExecCdb", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ExecCdb(r, kCdb, nullptr, 0); },
          { 0xBB, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0 }, none, 0 },

        // Reads and writes
        { "Read10", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Read10(r, 0x12345, 2, b); },
          { 0x28, 0, 0x00, 0x01, 0x23, 0x45, 0, 0, 2, 0 }, in, 4096 },
        { "Read10Sized", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Read10Sized(r, 5, 3, 2352, b); },
          { 0x28, 0, 0, 0, 0, 5, 0, 0, 3, 0 }, in, 7056 },
        { "Read10Fua", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Read10Fua(r, 5, 1, 2048, 1, b); },
          { 0x28, 0x08, 0, 0, 0, 5, 0, 0, 1, 0 }, in, 2048 },
        { "ReadUdfVolumeDescriptors", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.ReadUdfVolumeDescriptors(r, 256, 0, b); },
          { 0x28, 0, 0, 0, 0x01, 0x00, 0, 0, 6, 0 }, in, 12288 },
        { "Write10 lead-in", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write10(r, -150, 1, 2048, b); },
          { 0x2A, 0, 0xFF, 0xFF, 0xFF, 0x6A, 0, 0, 1, 0 }, out, 2048 },
        { "Write10Raw", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write10Raw(r, 10, 2, b); },
          { 0x2A, 0, 0, 0, 0, 10, 0, 0, 2, 0 }, out, 4704 },
        { "Seek10", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Seek10(r, 0x01123456); },
          { 0x2B, 0, 0, 0x12, 0x34, 0x56, 0, 0, 0, 0 }, none, 0 },
        { "Verify10", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Verify10(r, 0x01123456, 7); },
          { 0x2F, 0, 0, 0x12, 0x34, 0x56, 0, 0, 7, 0 }, none, 0 },
        { "SynchronizeCache", kAtapi, 0, [](M& m, R& r, BYTE*) { m.SynchronizeCache(r, 1, 0, 0, nullptr); },
          { 0x35, 0x02, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "WriteBufferData", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.WriteBufferData(r, 0x0F, 2, 0x010203, 0x20, b); },
          { 0x3B, 0x07, 0x02, 0x01, 0x02, 0x03, 0, 0, 0x20, 0 }, out, 0x24 },
        { "WriteBuffer", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.WriteBuffer(r, 0x03, 2, 0x10, 0x20, b); },
          { 0x3B, 0x01, 0x02, 0, 0, 0x10, 0, 0, 0x20, 0 }, out, 0x20 },
        { "ReadBufferData", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadBufferData(r, 0x0F, 0x10, 0x20, b); },
          { 0x3C, 0x07, 0, 0, 0, 0x10, 0, 0, 0x20, 0 }, in, 0x24 },
        { "ReadBuffer", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadBuffer(r, 0x02, 1, 0x10, 0x20, b); },
          { 0x3C, 0x00, 0x01, 0, 0, 0x10, 0, 0, 0x20, 0 }, in, 0x20 },
        { "Read12", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Read12(r, 0x100, 2, b); },
          { 0xA8, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 2, 0, 0 }, in, 4096 },
        { "Write12 streaming", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write12(r, 0x10, 32, 2048, 1, b); },
          { 0xAA, 0, 0, 0, 0, 0x10, 0, 0, 0, 32, 0x80, 0 }, out, 65536 },
        { "Write12Sized", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write12Sized(r, 0x10, 2, 2352, b); },
          { 0xAA, 0, 0, 0, 0, 0x10, 0, 0, 0, 2, 0, 0 }, out, 4704 },
        { "Write12Blocks2048", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write12Blocks2048(r, 0x01123456, 0x10, b); },
          { 0xAA, 0, 0, 0x12, 0x34, 0x56, 0, 0, 0, 0x10, 0, 0 }, out, 32768 },
        { "Write12Subcode", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.Write12Subcode(r, 0, 4, b); },
          { 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0 }, out, 384 },
        { "Verify12", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Verify12(r, 0x10, 0x20); },
          { 0xAF, 0, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 0, 0 }, none, 0 },
        { "ReadCd raw lead-in", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCd(r, 0xF8, 0, -30000, 1, 2352, b); },
          { 0xBE, 0, 0xFF, 0xFF, 0x8A, 0xD0, 0, 0, 1, 0xF8, 0, 0 }, in, 2352 },
        { "ReadCdHeader", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCdHeader(r, 0x20, 1, 5, 1, b); },
          { 0xBE, 0, 0, 0, 0, 5, 0, 0, 1, 0x20, 1, 0 }, in, 12 },

        // MMC commands
        { "ReadSubChannel", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadSubChannel(r, 1, 1, 2, 5, 24, b); },
          { 0x42, 0x02, 0x40, 0x02, 0, 0, 5, 0, 24, 0 }, in, 24 },
        { "ReadCdText", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCdText(r, 1000, b); },
          { 0x43, 0, 0x05, 0, 0, 0, 0, 0x03, 0xE8, 0 }, in, 1000 },
        { "ReadHeader", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadHeader(r, 1, 0x10, 2, b); },
          { 0x44, 0x02, 0, 0, 0, 0x10, 0, 0, 2, 0 }, in, 16 },
        { "PlayAudio10", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayAudio10(r, 0x100, 0x200); },
          { 0x45, 0, 0, 0, 0x01, 0x00, 0, 0x02, 0x00, 0 }, none, 0 },
        { "GetConfiguration", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.GetConfiguration(r, 0x0108, 2, 40, b); },
          { 0x46, 0x02, 0x01, 0x08, 0, 0, 0, 0, 40, 0 }, in, 40 },
        { "PlayAudioMsf", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayAudioMsf(r, 0, 2, 0, 1, 2, 3); },
          { 0x47, 0, 0, 0, 2, 0, 1, 2, 3, 0 }, none, 0 },
        { "PlayAudioTrackIndex", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayAudioTrackIndex(r, 2, 1, 5); },
          { 0x48, 0, 0, 0, 2, 1, 0, 5, 1, 0 }, none, 0 },
        { "PlayTrackRelative10", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayTrackRelative10(r, 3, 0x10, 0x20); },
          { 0x49, 0, 0, 0, 0, 0x10, 3, 0, 0x20, 0 }, none, 0 },
        { "GetEventStatusNotification", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.GetEventStatusNotification(r, 5, 0x10, 8, b); },
          { 0x4A, 0x01, 0, 0, 0x10, 0, 0, 0, 8, 0 }, in, 8 },
        { "PauseAudio", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PauseAudio(r); },
          { 0x4B, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "ResumeAudio", kAtapi, 0, [](M& m, R& r, BYTE*) { m.ResumeAudio(r); },
          { 0x4B, 0, 0, 0, 0, 0, 0, 0, 1, 0 }, none, 0 },
        { "ReadDiscInformation", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadDiscInformation(r, 34, b); },
          { 0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0 }, in, 34 },
        { "ReadDiscInfo", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadDiscInfo(r, 40, b); },
          { 0x51, 0, 0, 0, 0, 0, 0, 0, 40, 0 }, in, 40 },
        { "IsDiscBlank", kAtapi, 0, [](M& m, R& r, BYTE*) { m.IsDiscBlank(r); },
          { 0x51, 0, 0, 0, 0, 0, 0, 0, 8, 0 }, in, 8 },
        { "ReadTrackInformation", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadTrackInformation(r, 1, 0xFF, 36, b); },
          { 0x52, 0x01, 0, 0, 0, 0xFF, 0, 0, 36, 0 }, in, 36 },
        { "ReserveTrack", kAtapi, 0, [](M& m, R& r, BYTE*) { m.ReserveTrack(r, 0x01012345); },
          { 0x53, 0, 0, 0, 0, 0, 0x01, 0x23, 0x45, 0 }, none, 0 },
        { "SendOpcInformation", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendOpcInformation(r, 1, 8, b); },
          { 0x54, 0x01, 0, 0, 0, 0, 0, 0, 8, 0 }, out, 8 },
        { "RepairTrack", kAtapi, 0, [](M& m, R& r, BYTE*) { m.RepairTrack(r, 0x105); },
          { 0x58, 0, 0, 0, 0, 0x05, 0, 0, 0, 0 }, none, 0 },
        { "ModeSense10", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ModeSense10(r, 0x2A, 60, b); },
          { 0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 60, 0 }, in, 60 },
        { "CloseTrackSession", kAtapi, 0, [](M& m, R& r, BYTE*) { m.CloseTrackSession(r, 5, 2, 0x0102); },
          { 0x5B, 0x01, 0x02, 0, 0x01, 0x02, 0, 0, 0, 0 }, none, 0 },
        { "CloseTrackSessionOnce", kAtapi, 0, [](M& m, R& r, BYTE*) { m.CloseTrackSessionOnce(r, 1, 1, 3); },
          { 0x5B, 0, 0x03, 0, 0, 0x03, 0, 0, 0, 0 }, none, 0 },
        { "ReadBufferCapacity", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadBufferCapacity(r, b); },
          { 0x5C, 0, 0, 0, 0, 0, 0, 0, 12, 0 }, in, 12 },
        { "SendCueSheet", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendCueSheet(r, 32, b); },
          { 0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0 }, out, 32 },
        { "Blank", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Blank(r, 0, 1); },
          { 0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "BlankNoImmed", kAtapi, 0, [](M& m, R& r, BYTE*) { m.BlankNoImmed(r, 0x10, 1); },
          { 0xA1, 0x01, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "BlankNoImmed2", kAtapi, 0, [](M& m, R& r, BYTE*) { m.BlankNoImmed2(r, 0x10, 0); },
          { 0xA1, 0x00, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "SendKey", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendKey(r, 0x11, 0x40, 12, b); },
          { 0xA3, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0x51, 0 }, out, 12 },
        { "ReportKey", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReportKey(r, 0x10, 0x05, 0x80, 0x02, 8, b); },
          { 0xA4, 0, 0, 0, 0, 0x10, 0, 0x02, 0, 8, 0x85, 0 }, in, 8 },
        { "PlayAudio12", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayAudio12(r, 0x100, 0x10203); },
          { 0xA5, 0, 0, 0, 0x01, 0x00, 0, 0x01, 0x02, 0x03, 0, 0 }, none, 0 },
        { "PlayTrackRelative12", kAtapi, 0, [](M& m, R& r, BYTE*) { m.PlayTrackRelative12(r, 4, 0x10, 0x20); },
          { 0xA9, 0, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 4, 0 }, none, 0 },
        { "GetPerformance", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.GetPerformance(r, 0x100, 0, 7, 0, b); },
          { 0xAC, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 7, 0, 0 }, in, 124 },
        { "GetPerformance data type family", kEmuPerfDataTypeDvdWriter, 0,
          [](M& m, R& r, BYTE* b) { m.GetPerformance(r, 0, 4, 1, 3, b); },
          { 0xAC, 0x14, 0, 0, 0, 0, 0, 0, 0, 1, 3, 0 }, in, 28 },
        { "ReadDiscStructure", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.ReadDiscStructure(r, 0x11, 1, 0x30000, 2052, b); },
          { 0xAD, 0, 0, 0x03, 0, 0, 1, 0x11, 0x08, 0x04, 0, 0 }, in, 2052 },
        { "DvdLbaToPhysicalSector", kAtapi, 0, [](M& m, R& r, BYTE*) { m.DvdLbaToPhysicalSector(r, 5); },
          { 0xAD, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x2C, 0, 0 }, in, 300 },
        { "SetStreaming", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SetStreaming(r, 28, b); },
          { 0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28, 0 }, out, 28 },
        { "SendDiscStructure", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SendDiscStructure(r, 0x0F, 22, b); },
          { 0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0 }, out, 22 },

        // Mode pages, six- and ten-byte forms, TOC
        { "ModeSense six-byte", kScsi, 3, [](M& m, R& r, BYTE* b) { m.ModeSense(r, 0x2A, 34, b); },
          { 0x1A, 0, 0x2A, 0, 34, 0 }, in, 34 },
        { "ModeSense ten-byte", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ModeSense(r, 0x2A, 34, b); },
          { 0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 34, 0 }, in, 34 },
        { "ModeSelect six-byte", kEmuScsiCdRom, 3,
          [](M& m, R& r, BYTE* b) { std::memset(b, 0, 12); b[3] = 8; b[10] = 0x08; m.ModeSelect(r, 12, b); },
          { 0x15, 0, 0, 0, 12, 0 }, out, 12 },
        { "ModeSelect ten-byte", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { std::memset(b, 0, 16); b[4] = 0x01; b[5] = 0x0A; m.ModeSelect(r, 16, b); },
          { 0x55, 0x10, 0, 0, 0, 0, 0, 0, 20, 0 }, out, 20 },
        { "ReadBlocks six-byte", kScsi, 3, [](M& m, R& r, BYTE* b) { m.ReadBlocks(r, 0x123456, 2, b); },
          { 0x08, 0x12, 0x34, 0x56, 2, 0 }, in, 4096 },
        { "ReadBlocks ten-byte", kAtapi, 3, [](M& m, R& r, BYTE* b) { m.ReadBlocks(r, 0x123456, 2, b); },
          { 0x28, 0, 0, 0x12, 0x34, 0x56, 0, 0, 2, 0 }, in, 4096 },
        { "ReadSectors READ(6)", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadSectors(r, 0x10, 3, 2352, 0, b); },
          { 0x08, 0, 0, 0x10, 3, 0 }, in, 7056 },
        { "ReadSectors raw", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadSectors(r, 0x10, 3, 2352, 1, b); },
          { 0xBE, 0, 0, 0, 0, 0x10, 0, 0, 3, 0xF8, 0, 0 }, in, 7056 },
        { "ReadSectors user data", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadSectors(r, 0x10, 3, 2048, 1, b); },
          { 0xBE, 0, 0, 0, 0, 0x10, 0, 0, 3, 0x10, 0, 0 }, in, 6144 },
        { "Seek six-byte", kScsi, 3, [](M& m, R& r, BYTE*) { m.Seek(r, 0x123456); },
          { 0x0B, 0x12, 0x34, 0x56, 0, 0 }, none, 0 },
        { "Seek ten-byte", kAtapi, 0, [](M& m, R& r, BYTE*) { m.Seek(r, 0x123456); },
          { 0x2B, 0, 0, 0x12, 0x34, 0x56, 0, 0, 0, 0 }, none, 0 },
        { "ReadTocPmaAtip", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadTocPmaAtip(r, 4, 1, 28, b); },
          { 0x43, 0, 0x04, 0, 0, 0, 1, 0, 28, 0 }, in, 28 },
        { "ReadToc writer", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadToc(r, 2, 1000, b); },
          { 0x43, 0, 0x02, 0, 0, 0, 0, 0x03, 0xE8, 0 }, in, 1000 },
        { "ReadToc older drive", kEmuScsiCdRom, 3, [](M& m, R& r, BYTE* b) { m.ReadToc(r, 2, 1000, b); },
          { 0x43, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0x80 }, in, 1000 },

        // Vendor commands
        { "VendorCd", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorCd(r, 1, 5, 0x123456, 3); },
          { 0xCD, 0x15, 0, 0x12, 0x34, 0x56, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "VendorCd two bytes", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorCd(r, 0, 0x0F, 0x123456, 2); },
          { 0xCD, 0x07, 0, 0, 0, 0x56, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "ReadCdda", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCdda(r, 0x10, 25, 0, 58800, b); },
          { 0xD8, 0, 0, 0, 0, 0x10, 0, 0, 0, 25, 0, 0 }, in, 58800 },
        { "ReadCddaMsf 150 frames", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCddaMsf(r, 0x000200, 0x000400, 0, b); },
          { 0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x04, 0x00, 0, 0 }, in, 150 * 2352 },
        { "ReadCddaMsf format 3", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadCddaMsf(r, 0x000200, 0x010200, 3, b); },
          { 0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x01, 0x02, 0x00, 3, 0 }, in, 4500 * 96 },
        { "ReadJumperBits", kScsi, 3, [](M& m, R& r, BYTE* b) { m.ReadJumperBits(r, b); },
          { 0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, in, 2 },
        { "ReadVendorDf", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorDf(r, 2, b); },
          { 0xDF, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0 }, in, 192 },
        { "ReadVendorE0", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorE0(r, 0x30, b); },
          { 0xE0, 0, 0, 0, 0, 0, 0, 0, 0, 0x30, 0, 0 }, in, 0x30 },
        { "VendorE1", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorE1(r); },
          { 0xE1, 0x04, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "WriteVendorE2", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.WriteVendorE2(r, 7, 0x01020304, 16, b); },
          { 0xE2, 0x07, 0x01, 0x02, 0x03, 0x04, 0, 0, 0, 16, 0, 0 }, out, 16 },
        { "ReadVendorE3", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorE3(r, 0x100, 32, b); },
          { 0xE3, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 32, 0, 0 }, in, 32 },
        { "VendorE3Control", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorE3Control(r, 4); },
          { 0xE3, 0x06, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "ReadVendorE4", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorE4(r, b); },
          { 0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, in, 2 },
        { "StratafitCommand set", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.StratafitCommand(r, 0, 3, 1, 8, b); },
          { 0xE4, 0, 0x13, 0, 0, 0, 0, 0, 0, 0, 8, 0 }, in, 8 },
        { "StratafitCommand database", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.StratafitCommand(r, 2, 1, 0, 0x400, b); },
          { 0xE4, 2, 0x01, 0, 0, 0, 0, 0, 0, 0x04, 0x00, 0 }, in, 0x400 },
        { "VendorE5A", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorE5A(r, 9, b); },
          { 0xE5, 0, 0, 0, 9, 0, 0, 0, 12, 0, 0, 0 }, out, 12 },
        { "VendorE5B", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorE5B(r, 9, b); },
          { 0xE5, 0, 0, 0, 0, 9, 0, 0, 12, 0, 0, 0 }, out, 12 },
        { "VendorE5C", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorE5C(r, 2, 0x20, b); },
          { 0xE5, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0 }, out, 0x20 },
        { "VendorE9Command", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorE9Command(r, 1, 0x21, 1, 2, 3, 0, nullptr); },
          { 0xE9, 0x10, 0x21, 0x01, 0x02, 0x03, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "VendorModeQuery", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorModeQuery(r, 0xD5, 10, b); },
          { 0xE9, 0, 0xD5, 0, 0, 0, 0, 0, 0, 0, 10, 0 }, in, 10 },
        { "VendorEaCommand", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.VendorEaCommand(r, 0x01020304, 3, 1, 0x02, 2, 8, 0x120, b); },
          { 0xEA, 0x01, 0x22, 0x03, 0x01, 0x02, 0x03, 0x04, 0x08, 0, 0x20, 0 }, in, 0x120 },
        { "VendorEaRead", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorEaRead(r, 1, 1, 8, 9, 16, b); },
          { 0xEA, 0x01, 0x10, 0, 0, 0, 0, 0, 0x08, 0x09, 16, 0 }, in, 16 },
        { "VendorEbRead", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.VendorEbRead(r, 1, 2, 1, 1, 16, b); },
          { 0xEB, 0x01, 0x02, 0x03, 0, 0, 0, 0, 0, 16, 0, 0 }, in, 16 },
        { "SpeedamodeCommand read", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SpeedamodeCommand(r, 0, 1, 8, b); },
          { 0xED, 0x00, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0 }, in, 8 },
        { "SpeedamodeCommand off", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SpeedamodeCommand(r, 1, 0, 8, b); },
          { 0xED, 0x10, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0 }, in, 8 },
        { "SpeedamodeCommand on", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.SpeedamodeCommand(r, 1, 1, 8, b); },
          { 0xED, 0x11, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0 }, in, 8 },
        { "WriteVendorF0", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.WriteVendorF0(r, 0x100, 16, b); },
          { 0xF0, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 16, 0, 0 }, out, 16 },
        { "ReadVendorF1", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorF1(r, 0x10, 0x0203, 128, b); },
          { 0xF1, 0x01, 0, 0, 0, 0x10, 0x02, 0x03, 0, 0x80, 0, 0 }, in, 128 },
        { "VendorF3Command option", kAtapi, 0,
          [](M& m, R& r, BYTE*) { m.VendorF3Command(r, 0, 0x15, 0x1F, 0x16, 0, 0, nullptr); },
          { 0xF3, 0x1F, 0x16, 0x15, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "VendorF3Command", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.VendorF3Command(r, 0x01020304, 3, 1, 2, 8, 0x110, b); },
          { 0xF3, 0x01, 0x02, 0x03, 0x01, 0x02, 0x03, 0x04, 0x08, 0, 0x10, 0 }, in, 0x110 },
        { "VendorF3Range MSF", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF3Range(r, 4576, 9000, 1, 2, 3, 0); },
          { 0xF3, 1, 2, 3, 1, 1, 1, 2, 0, 0, 0, 0 }, none, 0 },
        { "VendorF3Range LBA", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF3Range(r, 0x123456, 0x234567, 1, 2, 3, 1); },
          { 0xF3, 1, 2, 3, 0x12, 0x34, 0x56, 0x23, 0x45, 0x67, 0, 0 }, none, 0 },
        { "VendorF3Simple", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF3Simple(r, 0x1F, 0x22); },
          { 0xF3, 0x1F, 0x22, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "VendorF3Write5", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF3Write5(r, kFive); },
          { 0xF3, 0x1F, 0x02, 0, 1, 2, 3, 4, 5, 0, 1, 0 }, none, 0 },
        { "ReadSerialBytes", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadSerialBytes(r, b, 6); },
          { 0xF3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, in, 6 },
        { "ReadVendorBlock", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorBlock(r, 0x100, 1, 7, 64, b); },
          { 0xF3, 0x1F, 0x23, 0x10, 0, 0, 0x01, 0x00, 0, 64, 7, 0 }, in, 64 },
        { "ReadVendorBlock Serial ATA", kEmuSataDvdWriter, 2,
          [](M& m, R& r, BYTE* b) { m.ReadVendorBlock(r, 0x100, 0, 7, 64, b); },
          { 0xE4, 0x03, 0x00, 0, 0, 0, 0x01, 0x00, 0, 64, 7, 0 }, in, 64 },
        { "ReadVendorFloat", kAtapi, 0, [](M& m, R& r, BYTE*) { double d; m.ReadVendorFloat(r, &d); },
          { 0xF3, 0x1F, 0x23, 0x40, 0, 0, 0, 0, 0, 8, 0, 0 }, in, 8 },
        { "ReadVendorF5", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorF5(r, 3, 1, 4, 16, b); },
          { 0xF5, 0, 0, 0x03, 0x06, 0, 0, 0, 0, 16, 0, 0 }, in, 16 },
        { "ReadVendorF6", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorF6(r, 1, 0, 1, 0x100, 0x20, 9, b); },
          { 0xF6, 0x05, 0, 0, 0x01, 0x00, 0, 0, 0, 0x20, 9, 0 }, in, 0x20 },
        { "VendorF7", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF7(r, 3, 1, 2, 0x0304, 0x0506); },
          { 0xF7, 0x01, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0, 0, 0 }, none, 0 },
        { "ReadVendorF8", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorF8(r, 1, 2, 3, 0x0405, b); },
          { 0xF8, 0x01, 0x02, 0x03, 0x04, 0x05, 0, 0, 0, 0, 0, 0 }, in, 2 },
        { "VendorF9", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorF9(r, 3); },
          { 0xF9, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "VendorFa", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorFa(r, 0xFF); },
          { 0xFA, 0, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, none, 0 },
        { "ReadVendorFb", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorFb(r, b); },
          { 0xFB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, in, 8 },
        { "ReadVendorFc", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadVendorFc(r, 3, 0x10, 32, b); },
          { 0xFC, 0x01, 0, 0, 0, 0x10, 0, 0, 0, 32, 0, 0 }, in, 32 },
        { "VendorFd", kAtapi, 0, [](M& m, R& r, BYTE*) { m.VendorFd(r, 0x10, 5); },
          { 0xFD, 0, 0, 0, 0, 0x10, 0, 0, 0, 5, 0, 0 }, none, 0 },
        { "ReadRidCode", kAtapi, 0, [](M& m, R& r, BYTE* b) { m.ReadRidCode(r, reinterpret_cast<char*>(b)); },
          { 0xBE, 0, 0xFF, 0xFF, 0x8A, 0xD0, 0, 0, 1, 0xF8, 0, 0 }, in, 2352 },
        { "ReadRidCodeDelayed", kAtapi, 0,
          [](M& m, R& r, BYTE* b) { m.ReadRidCodeDelayed(r, reinterpret_cast<char*>(b)); },
          { 0xBE, 0, 0xFF, 0xFF, 0xB1, 0xE0, 0, 0, 1, 0xF8, 0, 0 }, in, 2352 },
    };
}

class CdbLayoutTest : public DriveTest {};

TEST_F(CdbLayoutTest, EveryCommandAsTheDriveReceivesIt)
{
    std::vector<BYTE> buffer(512 * 1024, 0);
    std::map<std::pair<int, int>, CDeviceRecord> records;
    for (const CdbCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        auto key = std::make_pair(c.profile, c.bus);
        if (records.find(key) == records.end())
            records[key] = AddProfile(c.profile, c.bus);
        CDeviceRecord& record = records[key];
        m_pMachine->ClearLog();
        c.op(m_Manager, record, buffer.data());

        const EmuLogEntry* sent = nullptr;
        std::vector<EmuLogEntry> log = Commands();
        for (const EmuLogEntry& entry : log) {
            if (entry.cdb[0] == c.cdb[0])
                sent = &entry;
        }
        ASSERT_NE(nullptr, sent) << "no command 0x" << std::hex << int(c.cdb[0]);
        ASSERT_EQ(int(c.cdb.size()), sent->nCdbLength);
        EXPECT_EQ(c.cdb, std::vector<uint8_t>(sent->cdb, sent->cdb + sent->nCdbLength));
        EXPECT_EQ(c.direction, sent->nDirection);
        EXPECT_EQ(c.length, sent->nTransferLength);
    }
}

} // namespace
// clang-format on
