// tests/emu/EmuProfiles.cpp
// The ready-made drive profiles: identity, mode pages and behaviour keys per kind of drive. Model numbers are the
// program's fictional ones; "VELDARO" is a fictional second maker.
#include "EmuProfiles.h"

#include <cstring>
#include <vector>

#include "drive/Cdb.h"

namespace {

// Behaviour bits of a profile.
enum : unsigned {
    kRefuse6 = 1u << 0,       // ATAPI or bridge: no six-byte mode commands
    kVendor = 1u << 1,        // answers the maker's vendor commands
    kCdWriter = 1u << 2,      // page 0x2A write bits CD-R/CD-RW
    kDvdWriter = 1u << 3,     // page 0x2A write bits DVD-R/DVD-RAM as well
    kTocOld = 1u << 4,        // TOC format in byte 9
    kTocBcd = 1u << 5,        // full TOC in BCD
    kNoConfig = 1u << 6,      // no GET CONFIGURATION
    kPage30Only = 1u << 7,    // BUF/BUFE only in vendor page 0x30
    kPieceOnly = 1u << 8,     // vendor block only in pieces
    kHeadE4 = 1u << 9,        // vendor block head E4 03 00
    kPerf1350 = 1u << 10,     // performance on a 1350 KB/s basis
    kPerfDataType = 1u << 11, // GET PERFORMANCE needs data type 0x10
    kPerfWriteOdd = 1u << 12, // write speeds 3245 and 5408
    kSpeedPage31 = 1u << 13,  // vendor speed page 0x31
    kSataCode = 1u << 14      // vendor block byte 49 = 1 (Serial ATA)
};

struct ProfileSpec {
    EmuProfileInfo info;
    unsigned flags;
    uint32_t dvdReadX; // the maker's DVD writer: current DVD read speed (fastest entry of its model's list)
};

const ProfileSpec kProfiles[kEmuProfileCount] = {
    {{"scsi-cdrom", "KORVATH ", "CDROM  QZ1240   ", "1.02"}, kVendor | kTocOld | kTocBcd | kNoConfig | kSpeedPage31},
    {{"atapi-cdrom", "KORVATH ", "CDROM  QZ1540   ", "1.10"}, kRefuse6 | kVendor | kTocOld | kTocBcd},
    {{"scsi-cd-writer", "KORVATH ", "CD-R   QZ2160   ", "1.04"}, kVendor | kCdWriter | kNoConfig},
    {{"atapi-cd-writer", "KORVATH ", "CD-R   QZ4120   ", "1.06"}, kRefuse6 | kVendor | kCdWriter},
    {{"page30-cd-writer", "KORVATH ", "CD-R   QZ3400   ", "1.03"}, kRefuse6 | kVendor | kCdWriter | kPage30Only},
    {{"late-jumper-cd-writer", "KORVATH ", "CD-R   QZ4320   ", "1.05"}, kRefuse6 | kVendor | kCdWriter},
    {{"early-jumper-cd-writer", "KORVATH ", "CD-R   QZ4320   ", "1.04"}, kRefuse6 | kVendor | kCdWriter},
    {{"bridged-cd-writer", "KORVATH ", "CD-R   QZ5280   ", "1.02"}, kRefuse6 | kVendor | kCdWriter},
    {{"four-family-dvd-writer", "KORVATH ", "DVDR   QZ7160   ", "1.05"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter | kPieceOnly,
     16},
    {{"fifth-family-dvd-writer", "KORVATH ", "DVDR   QZ7240   ", "1.07"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter,
     16},
    {{"sata-dvd-writer", "KORVATH ", "DVDR   QZ7300   ", "1.02"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter | kHeadE4 | kSataCode,
     16},
    {{"perf1350-dvd-writer", "KORVATH ", "DVDR   QZ6080   ", "1.01"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter | kPerf1350},
    {{"perf-datatype-dvd-writer", "KORVATH ", "DVDR   QZ6240   ", "1.02"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter | kPerfDataType},
    {{"perf-writespeed-dvd-writer", "KORVATH ", "DVDR   QZ6320   ", "1.02"},
     kRefuse6 | kVendor | kCdWriter | kDvdWriter | kPerfWriteOdd},
    {{"vendor-dvd-rom", "KORVATH ", "DVD    QZ8080   ", "1.03"}, kRefuse6 | kVendor | kTocOld | kTocBcd},
    {{"plain-dvd-rom", "KORVATH ", "DVD    QZ8240   ", "1.01"}, kRefuse6},
    {{"bcd-dvd-rom", "KORVATH ", "DVD    QZ8200   ", "1.01"}, kRefuse6 | kTocBcd},
    {{"other-scsi-cd-writer", "VELDARO ", "CD-R   XR-1600  ", "2.00"}, kCdWriter | kNoConfig},
    {{"other-dvd-writer", "VELDARO ", "DVD-RW XR-7700  ", "1.00"}, kRefuse6 | kCdWriter | kDvdWriter},
    {{"other-old-cd-rom", "VELDARO ", "CD-ROM XR-3200  ", "1.00"}, kTocOld | kNoConfig},
};

// Capabilities page 0x2A: write bits in byte 3, BUF in byte 4 bit 7, C2 in byte 5 bit 4, speeds in KB/s.
std::vector<uint8_t> CapabilitiesPage(unsigned flags)
{
    std::vector<uint8_t> page(32, 0);
    page[0] = 0x2A;
    page[1] = uint8_t(page.size() - 2);
    page[2] = 0x3B;
    page[3] = uint8_t(((flags & kCdWriter) ? 0x03 : 0) | ((flags & kDvdWriter) ? 0x30 : 0));
    page[4] = uint8_t(((flags & (kCdWriter | kDvdWriter)) && !(flags & kPage30Only)) ? 0x80 : 0);
    page[5] = 0x10;
    SetBe16(&page[8], 40 * 176);
    SetBe16(&page[14], 40 * 176);
    if (flags & (kCdWriter | kDvdWriter)) {
        SetBe16(&page[18], 24 * 176);
        SetBe16(&page[20], 24 * 176);
        SetBe16(&page[28], 24 * 176);
    }
    return page;
}

// Write parameters page 5: write type 1 (track at once) with BUFE (byte 2 bit 6) unless the drive keeps it in the
// vendor page.
std::vector<uint8_t> WriteParametersPage(unsigned flags)
{
    std::vector<uint8_t> page(52, 0);
    page[0] = 0x05;
    page[1] = 0x32;
    page[2] = uint8_t(0x01 | ((flags & kPage30Only) ? 0 : 0x40));
    page[3] = 0x04;
    page[4] = 0x08;
    SetBe16(&page[18], 0x0096);
    return page;
}

void SetPage(IEmuMachine* pMachine, int nDrive, const char* pszKey, const std::vector<uint8_t>& page)
{
    pMachine->SetBytes(nDrive, pszKey, page.data(), uint32_t(page.size()));
}

} // namespace

const EmuProfileInfo& EmuGetProfileInfo(int nProfile)
{
    return kProfiles[nProfile].info;
}

int EmuAddProfileDrive(IEmuMachine* pMachine, int nProfile)
{
    const ProfileSpec& spec = kProfiles[nProfile];
    unsigned flags = spec.flags;
    int nDrive = pMachine->AddDrive(spec.info.pszVendor, spec.info.pszProduct, spec.info.pszRevision);

    pMachine->SetInt(nDrive, "mode.refuse6", (flags & kRefuse6) ? 1 : 0);
    pMachine->SetInt(nDrive, "vendor", (flags & kVendor) ? 1 : 0);
    pMachine->SetInt(nDrive, "toc.oldPlacement", (flags & kTocOld) ? 1 : 0);
    pMachine->SetInt(nDrive, "toc.bcd", (flags & kTocBcd) ? 1 : 0);
    pMachine->SetInt(nDrive, "config.refuse", (flags & kNoConfig) ? 1 : 0);
    pMachine->SetInt(nDrive, "vendor.f1.pieceOnly", (flags & kPieceOnly) ? 1 : 0);
    pMachine->SetInt(nDrive, "vendor.blockHead", (flags & kHeadE4) ? 0xE4 : 0xF3);
    pMachine->SetInt(nDrive, "perf.requireDataType10", (flags & kPerfDataType) ? 1 : 0);
    pMachine->SetInt(nDrive, EMU_KEY_INQUIRY_B7, (flags & kRefuse6) ? 0 : 0x10);

    static const uint8_t kErrorRecovery[12] = {0x01, 0x0A, 0x00, 0x05};
    pMachine->SetBytes(nDrive, "mode.page.01", kErrorRecovery, sizeof(kErrorRecovery));
    SetPage(pMachine, nDrive, "mode.page.2A", CapabilitiesPage(flags));
    if (flags & (kCdWriter | kDvdWriter))
        SetPage(pMachine, nDrive, "mode.page.05", WriteParametersPage(flags));
    if ((flags & kVendor) && (flags & (kCdWriter | kDvdWriter))) {
        std::vector<uint8_t> vendorPage(16, 0);
        vendorPage[0] = 0x30;
        vendorPage[1] = 0x0E;
        vendorPage[2] = 0x01; // BUF
        vendorPage[3] = 0x01; // BUFE
        SetPage(pMachine, nDrive, "mode.page.30", vendorPage);
    }
    if (flags & kSpeedPage31) {
        // Index 5: the last entry of the model's six-entry list (10-24X CAV).
        static const uint8_t kSpeedPage[4] = {0x31, 0x02, 0x05, 0x00};
        pMachine->SetBytes(nDrive, "mode.page.31", kSpeedPage, sizeof(kSpeedPage));
    }

    if (spec.dvdReadX != 0)
        pMachine->SetInt(nDrive, "speed.dvdPageRead", int64_t(spec.dvdReadX) * 1385);

    if (flags & kSataCode) {
        std::vector<uint8_t> info(512, 0);
        info[49] = 1;
        pMachine->SetBytes(nDrive, "vendor.info", info.data(), uint32_t(info.size()));
    }
    if (flags & (kPerf1350 | kPerfDataType | kPerfWriteOdd)) {
        // Type 0: one read descriptor from LBA 0 to the end, 2X to 8X on the drive's own basis.
        uint32_t nBasis = (flags & kPerf1350) ? 1350 : 1385;
        std::vector<uint8_t> read(16, 0);
        SetBe32(&read[4], 2 * nBasis);
        SetBe32(&read[8], 2295103);
        SetBe32(&read[12], 8 * nBasis);
        pMachine->SetBytes(nDrive, "perf.type0", read.data(), uint32_t(read.size()));
        // Type 3: write speed descriptors (read speed at 8-11, write speed at 12-15).
        static const uint32_t kOdd[3] = {3245, 5408, 2770};
        static const uint32_t kPlain[3] = {3324, 5540, 2770};
        const uint32_t* speeds = (flags & kPerfWriteOdd) ? kOdd : kPlain;
        std::vector<uint8_t> write(3 * 16, 0);
        for (int i = 0; i < 3; ++i) {
            SetBe32(&write[16 * i + 4], 2295103);
            SetBe32(&write[16 * i + 8], 11080);
            SetBe32(&write[16 * i + 12], speeds[i]);
        }
        pMachine->SetBytes(nDrive, "perf.type3", write.data(), uint32_t(write.size()));
    }
    return nDrive;
}
