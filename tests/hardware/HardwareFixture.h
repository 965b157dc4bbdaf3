// tests/hardware/HardwareFixture.h
// An emulated Windows XP machine for the report's hardware tests: the maker's ATAPI CD writer on the primary IDE
// channel (port 0, E:), another maker's DVD writer on the secondary channel (port 1, F:), both channels served by
// the port driver "atapi", with the registry of Windows XP (device map, service, channel devices, class keys,
// mounted devices) and the port driver file with its version resource. The same machine as Windows 98 keeps the
// Config Manager tree and the Enum and class keys of that family.
#ifndef TAVISK_TESTS_HARDWARE_HARDWAREFIXTURE_H
#define TAVISK_TESTS_HARDWARE_HARDWAREFIXTURE_H

#include <windows.h>

#include <string>

#include "support/DiscoveryFixtures.h"
#include "drive/DriveManager.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

namespace hardware_test {

const char kIdeClassGuid[] = "{4D36E96A-E325-11CE-BFC1-08002BE10318}";
const char kPrimaryChannel[] = "4&2c2e5c2&0&0";
const char kSecondaryChannel[] = "4&2c2e5c2&0&1";
const char kChannelControlKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96A-E325-11CE-BFC1-08002BE10318}";
const char kWin98HardwareKey[] =
    "SCSI\\KORVATH_CD-R___QZ4120___\\PCI&VEN_8086&DEV_7111&SUBSYS_00000000&REV_01&BUS_00&DEV_07&FUNC_0100";
const char kWin98ScsiKey[] =
    "Enum\\SCSI\\KORVATH_CD-R___QZ4120___\\PCI&VEN_8086&DEV_7111&SUBSYS_00000000&REV_01&BUS_00&DEV_07&FUNC_0100";

using testsupport::DeleteRegistryValue;
using testsupport::Dword;
using testsupport::WriteRegistryKey;

std::string SystemDirectory();

class HardwareMachine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The drive manager's record of the drive with the letter (E: the maker's writer, F: the other maker's).
    CDeviceRecord Record(char chLetter);

    IEmuMachine* m_pMachine = nullptr;
    CFakeDeviceTree m_Tree;
    CDriveManager m_Manager;
    CDriveManager* m_pPrevious = nullptr;
};

} // namespace hardware_test

#endif
