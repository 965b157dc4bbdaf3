// tests/drive/discovery/Nt4MachineTest.cpp
// The pass-through start-up on a Windows NT 4.0 machine (an IDE disk and CD-ROM drive, a SCSI adapter with a
// writer and a scanner, and two ports without devices), and the passes of the start-up one at a time: failure
// without drives, the INQUIRY clean-up, device types, letter slots that run out and port data that lies.
#include <algorithm>
#include <cstring>

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

// One entry of hand-made port inquiry data.
struct RawEntry {
    uint8_t nPathId, nTarget, nLun;
    uint8_t nPeripheral;
    const char* pszVendor;   // copied byte for byte into 8 bytes (blank padded)
    const char* pszProduct;  // 16 bytes
    const char* pszRevision; // 4 bytes
};

void PutLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

void PutText(uint8_t* p, const char* pszText, size_t nWidth)
{
    std::memset(p, ' ', nWidth);
    std::memcpy(p, pszText, std::min(std::strlen(pszText), nWidth));
}

// A reply of IOCTL_SCSI_GET_INQUIRY_DATA with one bus holding the entries in order (36 INQUIRY bytes each).
std::vector<uint8_t> PortReply(const std::vector<RawEntry>& entries)
{
    const size_t kEntrySize = 12 + 36;
    std::vector<uint8_t> reply(12 + entries.size() * kEntrySize, 0);
    reply[0] = 1;
    reply[4] = uint8_t(entries.size());
    reply[5] = 7;
    for (size_t i = 0; i < entries.size(); ++i) {
        size_t nAt = 12 + i * kEntrySize;
        PutLe32(i == 0 ? &reply[8] : &reply[nAt - kEntrySize + 8], uint32_t(nAt));
        uint8_t* pEntry = &reply[nAt];
        pEntry[0] = entries[i].nPathId;
        pEntry[1] = entries[i].nTarget;
        pEntry[2] = entries[i].nLun;
        PutLe32(pEntry + 4, 36);
        uint8_t* pInquiry = pEntry + 12;
        pInquiry[0] = entries[i].nPeripheral;
        PutText(pInquiry + 8, entries[i].pszVendor, 8);
        PutText(pInquiry + 16, entries[i].pszProduct, 16);
        PutText(pInquiry + 32, entries[i].pszRevision, 4);
    }
    return reply;
}

class Nt4Machine : public NtMachineTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartMachine(4, "Windows NT 4.0"));
        m_Tree.Install(); // NT 4.0 has no USB or IEEE 1394 devices
    }

    void BuildMachine()
    {
        IEmuMachine& m = *m_pMachine;
        int nDisk = Drive("QZDISK", "QZ-HD20", "0.5", 0);
        int nCdrom = Drive("QZTECH", "CDROM  QZ3200", "3.10");
        int nScanner = Drive("QZTECH", "SCANNER QZ10", "1.0", 6);
        int nWriter = Drive("KORVATH", "CD-R   QZ4816", "1.00");
        AddPorts(4);
        m.AttachPort(nDisk, 0, 0, 0, 0);
        m.AttachPort(nCdrom, 0, 0, 1, 0);
        m.AttachPort(nScanner, 1, 0, 2, 0);
        m.AttachPort(nWriter, 1, 0, 4, 0);
        Letter(C, DRIVE_FIXED, nDisk, 0, 0, 0);
        Letter(E, DRIVE_CDROM, nCdrom, 0, 0, 1);
        Letter(F, DRIVE_CDROM, nWriter, 1, 0, 4);
        SetDeviceMapDriver(0, "atapi");
        SetDeviceMapDriver(1, "qzscsi");
        SetDeviceMapDriver(2, "QZESDI"); // port 3 has no device map entry
    }
};

} // namespace

// NT 4.0 reads only the port driver names: "atapi" and any name with "esdi" are IDE channels, the SCSI
// miniport and a port without a name SCSI adapters. The scanner gets the first letter slot no drive uses (D:).
TEST_F(Nt4Machine, StartUpBuildsTheTable)
{
    BuildMachine();
    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const std::vector<ExpectedAdapter> adapters = {
        {kBusTypeIdeChannel, 0, "\\\\.\\SCSI0:", 1},
        {kBusTypeScsi, 1, "\\\\.\\SCSI1:", 1},
        {kBusTypeIdeChannel, 2, "\\\\.\\SCSI2:", 1},
        {kBusTypeScsi, 3, "\\\\.\\SCSI3:", 1},
    };
    const std::vector<ExpectedRecord> records = {
        {0, 0, 0, 0, 0, C, kBusTypeIdeChannel, 0, "QZDISK", "QZ-HD20", "0.5", nullptr, -1, -1, -1, -1},
        {0, 0, 1, 0, 0, E, kBusTypeIdeChannel, 5, "QZTECH", "CDROM  QZ3200", "3.10", nullptr, -1, -1, -1, -1},
        {1, 0, 2, 0, 0, D, kBusTypeScsi, 6, "QZTECH", "SCANNER QZ10", "1.0", nullptr, -1, -1, -1, -1},
        {1, 0, 4, 0, 0, F, kBusTypeScsi, 5, "KORVATH", "CD-R   QZ4816", "1.00", nullptr, -1, -1, -1, -1},
    };
    ExpectStartUpList(adapters, records);
}

// Ports alone do not make a start-up: without a letter that answers the address query and without drives
// reached through letters the start-up fails, the scanned ports are dropped and a loaded ASPI library unloaded.
TEST_F(Nt4Machine, StartUpWithoutDrivesFails)
{
    int nDisk = Drive("QZDISK", "QZ-HD20", "0.5", 0);
    m_pMachine->AddPort(0);
    m_pMachine->AttachPort(nDisk, 0, 0, 0, 0);
    m_pMachine->SetLetter(E, DRIVE_CDROM, -1); // a CD-ROM letter without an address and without a name
    SetDeviceMapDriver(0, "atapi");
    m_Transport.m_hAspiDll.Attach(LoadLibraryA("kernel32.dll"));

    EXPECT_EQ(kAccessModeNone, m_Transport.InitSpti());
    EXPECT_EQ(kAccessModeNone, m_Transport.GetAccessMode());
    EXPECT_EQ(0, m_Transport.m_Adapters.GetSize());
    EXPECT_FALSE(m_Transport.m_hAspiDll.IsCreated());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

// Port data with a character outside 0x20-0x7E: on a CD-ROM letter the letter is switched to INQUIRY through
// the letter and the letter's answer is stored; when the letter does not answer, the port data's strings (with
// blanks for the odd characters) stay, and the device type then reads 0. On a hard-disk letter the character
// becomes a blank.
TEST_F(Nt4Machine, InquiryCleanUpByDriveType)
{
    int nDisk = Drive("QZDISK", "QZ-HD20", "0.5", 0);
    int nCdrom = Drive("QZTECH", "CDROM  QZ3200", "3.10");
    m_pMachine->AddPort(0);
    std::vector<uint8_t> reply = PortReply({
        {0, 0, 0, 0x00,
         "QZ\x01"
         "DISK",
         "QZ-HD20", "0.5"},
        {0, 1, 0, 0x05,
         "QZ\x01"
         "TECH",
         "CDROM  QZ3200", "3.10"},
        {0, 2, 0, 0x05,
         "QZ\x7f"
         "TECH",
         "CDROM  QZ32\xa9"
         "0",
         "3.10"},
    });
    m_pMachine->SetPortInquiryData(0, reply.data(), uint32_t(reply.size()));
    Letter(C, DRIVE_FIXED, nDisk, 0, 0, 0);
    Letter(E, DRIVE_CDROM, nCdrom, 0, 0, 1);
    Letter(F, DRIVE_CDROM, -1, 0, 0, 2);
    SetDeviceMapDriver(0, "atapi");

    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const std::vector<ExpectedAdapter> adapters = {{kBusTypeIdeChannel, 0, "\\\\.\\SCSI0:", 1}};
    const std::vector<ExpectedRecord> records = {
        {0, 0, 0, 0, 0, C, kBusTypeIdeChannel, 0, "QZ DISK", "QZ-HD20", "0.5", nullptr, -1, -1, -1, -1},
        {0, 0, 1, 0, 0, E, kBusTypeIdeChannel, 5, "QZTECH", "CDROM  QZ3200", "3.10", nullptr, -1, -1, -1, -1},
        {0, 0, 2, 0, 0, F, kBusTypeIdeChannel, 0, "QZ TECH", "CDROM  QZ32 0", "3.10", nullptr, -1, -1, -1, -1},
    };
    ExpectAdapterTable(m_Transport.m_Adapters, adapters, records);
    EXPECT_EQ(0, m_Transport.m_Letters[C].m_bInquireViaLetter);
    EXPECT_EQ(1, m_Transport.m_Letters[E].m_bInquireViaLetter);
    EXPECT_EQ(1, m_Transport.m_Letters[F].m_bInquireViaLetter);
}

// Peripheral bytes above 11 (qualifier bits set) are corrected by the letter's drive type: a CD-ROM letter
// gives 5, a fixed or removable letter 0; on a letter slot without a root directory the byte stays.
TEST_F(Nt4Machine, DeviceTypeAboveElevenIsCorrectedByTheDriveType)
{
    m_pMachine->AddPort(0);
    std::vector<uint8_t> reply = PortReply({
        {0, 0, 0, 0x25, "QZTECH", "CDROM  QZ3200", "3.10"},
        {0, 1, 0, 0x7F, "QZDISK", "QZ-HD20", "0.5"},
        {0, 2, 0, 0x60, "QZTECH", "CARD READER", "1.1"},
        {0, 3, 0, 0x7F, "QZTECH", "SCANNER QZ10", "1.0"},
    });
    m_pMachine->SetPortInquiryData(0, reply.data(), uint32_t(reply.size()));
    Letter(C, DRIVE_CDROM, -1, 0, 0, 0);
    Letter(D, DRIVE_FIXED, -1, 0, 0, 1);
    Letter(E, DRIVE_REMOVABLE, -1, 0, 0, 2);
    SetDeviceMapDriver(0, "qzscsi");

    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const CArray<CDeviceRecord>& group = m_Transport.m_Adapters[0].m_Targets[0];
    ASSERT_EQ(4, group.GetSize());
    EXPECT_EQ(5, group[0].m_nDeviceType);
    EXPECT_EQ(0, group[1].m_nDeviceType);
    EXPECT_EQ(0, group[2].m_nDeviceType);
    EXPECT_EQ(F, group[3].m_nDriveLetter);
    EXPECT_EQ(0x7F, group[3].m_nDeviceType);
}

// Devices without a letter take the free slots from C: in list order; when C: to Z: are all used the rest keep
// index 1 (no letter).
TEST_F(Nt4Machine, LetterSlotsRunOut)
{
    m_pMachine->AddPort(0);
    for (int i = 0; i < 26; ++i) {
        int nDrive = Drive("QZTECH", "CDROM  QZ3200", "3.10");
        m_pMachine->AttachPort(nDrive, 0, i / 16, i % 16, 0);
        if (i == 0)
            Letter(C, DRIVE_CDROM, nDrive, 0, 0, 0);
    }
    SetDeviceMapDriver(0, "qzscsi");

    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const CHostAdapter& adapter = m_Transport.m_Adapters[0];
    ASSERT_EQ(2, adapter.m_Targets.GetSize());
    std::vector<int> letters;
    for (INT_PTR g = 0; g < adapter.m_Targets.GetSize(); ++g) {
        for (INT_PTR p = 0; p < adapter.m_Targets[g].GetSize(); ++p)
            letters.push_back(adapter.m_Targets[g][p].m_nDriveLetter);
    }
    ASSERT_EQ(26u, letters.size());
    EXPECT_EQ(C, letters[0]);
    for (int i = 1; i <= 23; ++i)
        EXPECT_EQ(C + i, letters[size_t(i)]) << "device " << i;
    EXPECT_EQ(kDriveLetterNone, letters[24]);
    EXPECT_EQ(kDriveLetterNone, letters[25]);
    for (int nLetter = kFirstDriveLetterSlot; nLetter <= kLastDriveLetterSlot; ++nLetter)
        EXPECT_EQ(1, m_Transport.m_Letters[nLetter].m_bClaimed);
}

// Port data whose offsets point outside the reply or back into the chain, or that claims more buses than the
// reply holds, is read within the bytes returned: each entry once, no group beyond the reply.
TEST_F(Nt4Machine, PortDataThatLiesIsReadWithinItsBytes)
{
    m_pMachine->AddPort(0);
    m_pMachine->AddPort(1);
    std::vector<uint8_t> cyclic = PortReply({
        {0, 0, 0, 0x05, "QZTECH", "CDROM  QZ3200", "3.10"},
        {0, 1, 0, 0x05, "QZTECH", "CDROM  QZ3200", "3.10"},
    });
    PutLe32(&cyclic[12 + 48 + 8], 12); // the second entry points back to the first
    m_pMachine->SetPortInquiryData(0, cyclic.data(), uint32_t(cyclic.size()));
    std::vector<uint8_t> manyBuses = PortReply({{0, 0, 0, 0x05, "QZTECH", "CDROM  QZ3200", "3.10"}});
    manyBuses[0] = 200;
    PutLe32(&manyBuses[12 + 8], 0x7FFFFFF0); // and its entry points far outside
    m_pMachine->SetPortInquiryData(1, manyBuses.data(), uint32_t(manyBuses.size()));

    CHostAdapterArray adapters;
    ASSERT_EQ(2, CScsiTransport::ScanScsiPorts(adapters));
    ASSERT_EQ(1, adapters[0].m_Targets.GetSize());
    EXPECT_EQ(2, adapters[0].m_Targets[0].GetSize());
    // 60 bytes hold the header and seven bus records (whose offsets, read from the entry's bytes, may make
    // entries of their own, but only from bytes inside the reply)
    EXPECT_EQ(7, adapters[1].m_Targets.GetSize());
    EXPECT_EQ(1, adapters[1].m_Targets[0].GetSize());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

// Drive letters whose device cannot be opened are left out by every pass.
TEST_F(Nt4Machine, LettersThatCannotBeOpenedAreSkipped)
{
    BuildMachine();
    int nUsbDisk = Drive("QZDISK", "QZ-USB160", "2.1", 0);
    m_pMachine->SetLetter(G, DRIVE_FIXED, nUsbDisk);
    m_pMachine->SetLetter(H, DRIVE_REMOVABLE, nUsbDisk);
    m_pMachine->SetLetterOpenFails(H, true);
    m_pMachine->SetLetterOpenFails(E, true);

    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const CHostAdapterArray& adapters = m_Transport.m_Adapters;
    ASSERT_EQ(5, adapters.GetSize()) << DescribeAdapters(adapters);
    ASSERT_EQ(1, adapters[4].m_Targets[0].GetSize());
    EXPECT_EQ(G, adapters[4].m_Targets[0][0].m_nDriveLetter);
    // E: did not answer the address query, so its CD-ROM drive got the first free slot instead.
    EXPECT_EQ(D, adapters[0].m_Targets[0][1].m_nDriveLetter);
}
