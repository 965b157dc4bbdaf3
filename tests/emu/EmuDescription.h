// tests/emu/EmuDescription.h
// Machine descriptions: a small text that lists the ASPI host adapters and the drives of an emulated machine
// (by profile or identity), with their addresses, drive letters and discs. A description is read into a
// machine; for the ASPI start-up of Windows 95/98/Me it can also write the registry entries through which the
// program finds the drives.
//
// The test ASPI library applies a description when it is loaded, so that a program started normally (Tavisk.exe
// under scripts/run, or an end-to-end test) sees emulated drives: the file named by the environment variable
// TAVISK_EMU_DESCRIPTION, else "wnaspi32.emu" beside the library. Without either the library stays empty, as
// the test programs that configure it through EmuGetAspiMachine expect.
//
// Syntax, one statement per line, '#' starts a comment, texts in double quotes:
//   aspi-status N                    GetASPI32SupportInfo status (default 1, "completed")
//   adapter HA [scsi-id N] [max-targets N] [class scsi] [manager "TEXT"] [identifier "TEXT"]
//                                    class scsi: on Windows 9x a SCSI adapter (class entry whose port driver is
//                                    the identifier, lower case, and ".mpd"); max-targets: byte 3 of its unique
//                                    bytes
//   drive PROFILE [OPTIONS]          a drive of a ready-made profile (EmuProfiles.h names, e.g.
//                                    "fifth-family-dvd-writer")
//   drive "VENDOR" "PRODUCT" "REVISION" [OPTIONS]
//       options: aspi HA:TARGET[:LUN]        the drive's ASPI address (the adapter count follows)
//                letter X                    its drive letter (Windows 9x registry, pass-through letter device)
//                port PORT:PATH:TARGET:LUN   its pass-through port address
//                usb                         behind a USB bridge (Windows 9x registry)
//                ieee1394                    behind an IEEE 1394 bridge: its ASPI adapter is the bridge's port
//                                            (identifier "EMU1394" unless the adapter statement gives one) and
//                                            the Windows 9x storage class lists that port, so every drive on the
//                                            adapter is on IEEE 1394; not together with usb
//   Statements that act on the last drive:
//   disc none | disc cd [BLOCKS] | disc dvd-rom [BLOCKS] | disc dvd-r [BLOCKS] [code "MAKER" "TYPE"]
//   disc-image ... and the other disc-... statements: a disc backed by image files (EmuDisc.h)
//   interface-code N                 byte 49 of the vendor information block (1 Serial ATA, 8 USB product)
//   set KEY NUMBER                   a drive key (Emu.h and the handler files list them)
//   bytes KEY HEX...                 a byte key, e.g. bytes vendor.jumper 40 00 00 00
//   log FILE                         the library writes its command log there when it is unloaded
#ifndef TAVISK_TESTS_EMU_EMUDESCRIPTION_H
#define TAVISK_TESTS_EMU_EMUDESCRIPTION_H

#include <string>
#include <utility>
#include <vector>

#include "Emu.h"

struct EmuDescribedDrive {
    int nDrive = -1;
    std::string strVendor;  // padded to 8, as the INQUIRY answer gives it
    std::string strProduct; // padded to 16
    int nAspiAdapter = -1, nAspiTarget = -1, nAspiLun = 0;
    int nLetter = -1; // 0 = A:
    bool bUsb = false;
    bool bIeee1394 = false;
};

struct EmuDescription {
    std::vector<EmuDescribedDrive> drives;
    std::vector<std::string> ieee1394Ports; // identifiers of the ASPI adapters that are IEEE 1394 bridges
    std::vector<std::pair<int, std::string>> scsiAdapters; // SCSI adapters: number and identifier
    std::string strLogPath;
};

// Reads the description into the machine (which is reset first). On error the machine holds what was read up
// to the faulty line and `error` says which line and why.
bool EmuParseDescription(const std::string& text, IEmuMachine* pMachine, EmuDescription& description,
                         std::string& error);
bool EmuLoadDescriptionFile(const char* pszPath, IEmuMachine* pMachine, EmuDescription& description,
                            std::string& error);

// The Windows 95/98/Me entries of the drives that have an ASPI address and a letter: a volatile
// HKEY_DYN_DATA "Config Manager\Enum" node naming the device, and the HKEY_LOCAL_MACHINE key
// "Enum\SCSI\<device>\<instance>" with the letter and the target; a USB drive's instance names the USB bridge
// enumerator, any other drive's the emulated PCI IDE controller (function = adapter), whose Enum key and hdc class
// entry are written too. Each IEEE 1394 port gets an entry "EMUnnnn" of the storage class
// ("System\CurrentControlSet\Services\Class\Storage") whose port driver contains the adapter's identifier;
// such entries of an earlier description are removed first.
void EmuWriteWin9xRegistry(const EmuDescription& description);

// One line per request of the machine's log: "aspi HA:T:L op XX status S" or "letter X op XX status S".
bool EmuWriteCommandLog(IEmuMachine* pMachine, const std::string& path);

// The description of the module that holds this code: the file the environment variable names, else the file
// of that name beside the module; applied to the machine, with the Windows 9x registry entries when asked. False
// when there is none or it could not be read (then `error` is not empty). The test ASPI library uses
// TAVISK_EMU_DESCRIPTION and "wnaspi32.emu".
bool EmuApplyModuleDescription(IEmuMachine* pMachine, const char* pszVariable, const char* pszFileName,
                               bool bWriteRegistry, EmuDescription& description, std::string& error);

#endif
