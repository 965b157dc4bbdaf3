// tests/drive/discovery/VistaMachineTest.cpp
// The pass-through start-up on a Windows Vista machine: an IDE writer, a Serial ATA disk on the AHCI port, a USB
// writer on the USB storage port (whose MountedDevices name also matches a USB child), an IEEE 1394 writer found
// only through MountedDevices and a card reader reached only through its letter. Vista takes the bus types from
// the port driver names alone, as NT 4.0 does.
#include <gtest/gtest.h>

#include "support/DiscoveryFixtures.h"
#include "Emu.h"

namespace {

enum Letter {
    C = 2,
    D,
    E,
    F,
    G,
    H
};

const char kMountedF[] = "USBSTOR#CdRom&Ven_KORVATH&Prod_CD-R___QZ5224U&Rev_1.02#QZ0001&0"
                         "#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const char kMountedG[] = "SBP2#KORVATH&DVDR___QZ6820B&LUN0#1&0123456789abcdef&0"
                         "#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

class VistaMachine : public NtMachineTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartMachine(6, "Windows Vista"));

        IEmuMachine& m = *m_pMachine;
        int nWriter = Drive("KORVATH", "DVDR   QZ6820S", "2.05", 5);
        int nDisk = Drive("QZDISK", "QZ-SATA320", "3.0", 0);
        int nUsbWriter = Drive("KORVATH", "CD-R   QZ5224U", "1.02", 5);
        int n1394Writer = Drive("KORVATH", "DVDR   QZ6820B", "2.05", 5);
        int nCardReader = Drive("QZTECH", "CARD READER", "1.1", 0);
        AddPorts(3);
        m.AttachPort(nWriter, 0, 0, 0, 0);
        m.AttachPort(nDisk, 1, 0, 0, 0);
        m.AttachPort(nUsbWriter, 2, 0, 0, 0);
        Letter(C, DRIVE_FIXED, nDisk, 1);
        Letter(E, DRIVE_CDROM, nWriter, 0);
        Letter(F, DRIVE_CDROM, nUsbWriter, 2);
        Letter(G, DRIVE_CDROM, n1394Writer);
        Letter(H, DRIVE_REMOVABLE, nCardReader);

        SetDeviceMapDriver(0, "atapi");
        SetDeviceMapDriver(1, "msahci");
        SetDeviceMapDriver(2, "USBSTOR");
        SetMountedDevice(F, (std::string("\\??\\") + kMountedF).c_str());
        SetMountedDevice(G, (std::string("\\??\\") + kMountedG).c_str());

        m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9210\\QZ0001",
                                    "USBSTOR",
                                    "{36fc9e60-c465-11cf-8056-444553540000}\\0001",
                                    "USB Mass Storage Device",
                                    {"USBSTOR\\CdRom&Ven_KORVATH&Prod_CD-R___QZ5224U&Rev_1.02\\QZ0001&0"}});
        m_Tree.AddDevice(kGuidSbp2, {"1394\\KORVATH&DVDR___QZ6820B\\1&0123456789ABCDEF",
                                     "sbp2port",
                                     "{d48179be-ec20-11d1-b6b8-00c04fa372a7}\\0000",
                                     "KORVATH DVDR QZ6820B",
                                     {"SBP2\\KORVATH&DVDR___QZ6820B&LUN0\\1&0123456789ABCDEF&0"}});
        m_Tree.Install();
    }
};

} // namespace

// "atapi" is an IDE channel; the AHCI and USB storage ports, whose names hold none of the IDE words, count as
// SCSI adapters. The USB writer stays on its port (one record for F:).
TEST_F(VistaMachine, StartUpBuildsTheTable)
{
    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const std::vector<ExpectedAdapter> adapters = {
        {kBusTypeIdeChannel, 0, "\\\\.\\SCSI0:", 1},
        {kBusTypeScsi, 1, "\\\\.\\SCSI1:", 1},
        {kBusTypeScsi, 2, "\\\\.\\SCSI2:", 1},
        {kBusType1394, -1, "", 1},
        {kBusTypeLetterOnly, -1, "", 1},
    };
    const std::vector<ExpectedRecord> records = {
        {0, 0, 0, 0, 0, E, kBusTypeIdeChannel, 5, "KORVATH", "DVDR   QZ6820S", "2.05", nullptr, -1, -1, -1, -1},
        {1, 0, 0, 0, 0, C, kBusTypeScsi, 0, "QZDISK", "QZ-SATA320", "3.0", nullptr, -1, -1, -1, -1},
        {2, 0, 0, 0, 0, F, kBusTypeScsi, 5, "KORVATH", "CD-R   QZ5224U", "1.02", nullptr, -1, -1, -1, -1},
        {3, 0, 0, 0, 0, G, kBusType1394, 5, "KORVATH", "DVDR   QZ6820B", "2.05", kMountedG, -1, -1, -1, -1},
        {4, 0, 0, 0, 0, H, kBusTypeLetterOnly, 0, "QZTECH", "CARD READER", "1.1", nullptr, -1, -1, -1, -1},
    };
    ExpectStartUpList(adapters, records);
}
