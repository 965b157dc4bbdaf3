// tests/emu/EmuProfiles.h
// Ready-made emulated drives: one profile per kind of drive whose answers send the program down a different
// model-dependent path (six- or ten-byte forms, TOC format placement and number form, vendor pages, GET
// PERFORMANCE quirks, vendor block forms). A profile sets identity, mode pages and behaviour keys only; tests add
// media and answers of their own on top.
#ifndef TAVISK_TESTS_EMU_EMUPROFILES_H
#define TAVISK_TESTS_EMU_EMUPROFILES_H

#include "Emu.h"

enum EmuProfile {
    kEmuScsiCdRom,             // maker's old SCSI CD-ROM: six-byte forms, vendor pages 0x31, TOC format in byte 9, BCD
    kEmuAtapiCdRom,            // maker's ATAPI CD-ROM of the fixed speed table: ten-byte forms only
    kEmuScsiCdWriter,          // maker's old SCSI CD recorder: six-byte forms
    kEmuAtapiCdWriter,         // maker's ATAPI CD-RW with four-byte jumper bits
    kEmuPage30CdWriter,        // maker's CD-RW reporting BUF/BUFE only in vendor page 0x30
    kEmuLateJumperCdWriter,    // maker's CD-RW with four-byte jumper bits from firmware 5 (revision 1.05)
    kEmuEarlyJumperCdWriter,   // the same family, revision 1.04
    kEmuBridgedCdWriter,       // maker's CD-RW mechanism of a USB product
    kEmuFourFamilyDvdWriter,   // maker's DVD writer of the four-family group: piece-form vendor block only
    kEmuFifthFamilyDvdWriter,  // maker's DVD writer of the fifth family (E4 head behind USB and IEEE 1394)
    kEmuSataDvdWriter,         // maker's Serial ATA DVD writer (E4 head, interface code 1)
    kEmuPerf1350DvdWriter,     // maker's DVD writer reporting performance on a 1350 KB/s basis; ready by disc info
    kEmuPerfDataTypeDvdWriter, // maker's DVD writer expecting data type 0x10 in GET PERFORMANCE
    kEmuPerfWriteSpeedDvdWriter, // maker's DVD writer reporting write speeds 3245 and 5408
    kEmuVendorDvdRom,            // maker's DVD-ROM with vendor information: TOC format in byte 9, BCD full TOC
    kEmuPlainDvdRom,             // maker's DVD-ROM without vendor information: TOC format in byte 2, binary full TOC
    kEmuBcdDvdRom,               // maker's DVD-ROM without vendor information answering the full TOC in BCD
    kEmuOtherScsiCdWriter,       // another maker's SCSI CD recorder ("CD-R " product prefix)
    kEmuOtherDvdWriter,          // another maker's ATAPI DVD writer
    kEmuOtherOldCdRom,           // another maker's old CD-ROM: no GET CONFIGURATION, TOC format in byte 9
    kEmuProfileCount
};

struct EmuProfileInfo {
    const char* pszName;
    const char* pszVendor;
    const char* pszProduct; // 16 characters, blank padded
    const char* pszRevision;
};

const EmuProfileInfo& EmuGetProfileInfo(int nProfile);

// Adds a drive of the profile to the machine and returns its id.
int EmuAddProfileDrive(IEmuMachine* pMachine, int nProfile);

#endif
