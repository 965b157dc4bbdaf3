// tests/startup/EmuDescriptionTest.cpp
// Machine descriptions of the emulated drives: what a description puts into a machine, the errors it reports,
// and the test ASPI library that applies "wnaspi32.emu" when it is loaded, so that the ASPI start-up of a
// Windows 98 program finds the described drives (this program runs pinned to Windows 98 with the library
// beside it, in a private copy of the prefix).
#include <windows.h>

#include "EmuDescription.h"
#include "StartupTestSupport.h"
#include "drive/DriveManager.h"
#include "support/PinnedWindowsVersion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace startup_test;

namespace {

const char kMachine[] = "# two adapters, three drives\n"
                        "adapter 0 scsi-id 7 identifier \"EMU IDE CHANNEL\"\n"
                        "adapter 1\n"
                        "drive four-family-dvd-writer aspi 0:0 letter E\n"
                        "disc dvd-r code \"FIXTUR\" \"R08X01\"\n"
                        "drive \"KORVATH\" \"DVDR   QZ7240\" \"1.07\" aspi 0:1:0 letter f port 3:0:1:0\n"
                        "interface-code 8\n"
                        "disc none\n"
                        "drive vendor-dvd-rom aspi 1:0 letter G usb   # behind a USB bridge\n"
                        "disc cd 1000\n"
                        "set delayUs 250\n"
                        "bytes vendor.jumper 40 00 01 02\n"
                        "log emu-commands.log\n";

int64_t Int(IEmuMachine* pMachine, int nDrive, const char* key)
{
    return pMachine->GetInt(nDrive, key, -12345);
}

} // namespace

TEST(EmuDescription, DrivesAddressesAndDiscs)
{
    IEmuMachine* pMachine = EmuGetMachine();
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription(kMachine, pMachine, description, error)) << error;
    ASSERT_EQ(3, pMachine->GetDriveCount());
    ASSERT_EQ(3u, description.drives.size());
    EXPECT_EQ("emu-commands.log", description.strLogPath);

    const EmuDescribedDrive& writer = description.drives[0];
    EXPECT_EQ("KORVATH ", writer.strVendor);
    EXPECT_EQ("DVDR   QZ7160   ", writer.strProduct);
    EXPECT_EQ(0, writer.nAspiAdapter);
    EXPECT_EQ(0, writer.nAspiTarget);
    EXPECT_EQ(4, writer.nLetter);
    EXPECT_FALSE(writer.bUsb);
    EXPECT_EQ(1, Int(pMachine, writer.nDrive, EMU_KEY_MEDIUM));
    EXPECT_EQ(0x11, Int(pMachine, writer.nDrive, "config.profile"));
    uint8_t info[2052] = {};
    ASSERT_EQ(2052u, pMachine->GetBytes(writer.nDrive, "ds.0E", info, sizeof info));
    EXPECT_EQ("FIXTUR", std::string(reinterpret_cast<char*>(info + 21), 6));
    EXPECT_EQ("R08X01", std::string(reinterpret_cast<char*>(info + 29), 6));
    ASSERT_EQ(2052u, pMachine->GetBytes(writer.nDrive, "ds.00", info, sizeof info));
    EXPECT_EQ(0x20, info[4]); // book type DVD-R

    const EmuDescribedDrive& bridged = description.drives[1];
    EXPECT_EQ("DVDR   QZ7240   ", bridged.strProduct);
    EXPECT_EQ(5, bridged.nLetter);
    EXPECT_EQ(0, Int(pMachine, bridged.nDrive, EMU_KEY_MEDIUM));
    uint8_t vendorInfo[512] = {};
    ASSERT_GE(pMachine->GetBytes(bridged.nDrive, "vendor.info", vendorInfo, sizeof vendorInfo), 50u);
    EXPECT_EQ(8, vendorInfo[49]);

    const EmuDescribedDrive& rom = description.drives[2];
    EXPECT_EQ(1, rom.nAspiAdapter);
    EXPECT_TRUE(rom.bUsb);
    EXPECT_EQ(1000, Int(pMachine, rom.nDrive, EMU_KEY_BLOCKS));
    EXPECT_EQ(0x08, Int(pMachine, rom.nDrive, "config.profile"));
    EXPECT_EQ(250, Int(pMachine, rom.nDrive, EMU_KEY_DELAY_US));
    uint8_t jumper[8] = {};
    ASSERT_EQ(4u, pMachine->GetBytes(rom.nDrive, "vendor.jumper", jumper, sizeof jumper));
    EXPECT_EQ(0x02, jumper[3]);
    pMachine->Reset();
}

TEST(EmuDescription, ErrorsNameTheLine)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"drive no-such-profile\n", "line 1: unknown drive profile no-such-profile"},
        {"\n\ndisc cd\n", "line 3: disc before the first drive"},
        {"drive atapi-cd-writer aspi 0\n", "line 1: bad drive option aspi"},
        {"drive atapi-cd-writer letter EF\n", "line 1: bad drive option letter"},
        {"drive atapi-cd-writer aspi 0:0 ieee1394 usb\n", "line 1: a drive is behind USB or IEEE 1394, not both"},
        {"drive atapi-cd-writer\ndisc floppy\n", "line 2: unknown disc kind floppy"},
        {"drive atapi-cd-writer\ndisc cd 1\n", "line 2: disc blocks out of range"},
        {"drive atapi-cd-writer\nbytes vendor.info 1FF\n", "line 2: bad byte 1FF"},
        {"drive \"KORVATH\" \"DVDR\n", "line 1: a text without its closing quote"},
        {"adapter 9\n", "line 1: adapter needs a host adapter number 0-7"},
        {"frobnicate\n", "line 1: unknown statement frobnicate"},
    };
    IEmuMachine* pMachine = EmuGetMachine();
    for (const Case& c : cases) {
        EmuDescription description;
        std::string error;
        EXPECT_FALSE(EmuParseDescription(c.text, pMachine, description, error)) << c.text;
        EXPECT_EQ(c.error, error) << c.text;
    }
    pMachine->Reset();
}

// The library beside this program reads wnaspi32.emu when it is loaded and writes the Windows 98 registry
// entries: the program's ASPI start-up then finds the three drives, the bridged one on a USB adapter.
TEST(EmuDescriptionLibrary, AspiStartFindsTheDescribedDrives)
{
    if (ReportedVersion().dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)
        GTEST_SKIP() << "needs Windows 98 and the test ASPI library";
    std::string path = ProgramFolder() + "wnaspi32.emu";
    FILE* pFile = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, pFile);
    fputs(kMachine, pFile);
    fclose(pFile);

    IEmuMachine* pLibrary = EmuGetAspiMachine();
    ASSERT_NE(nullptr, pLibrary) << "the test ASPI library is not beside the program";
    EXPECT_EQ(3, pLibrary->GetDriveCount());

    CDriveManager manager;
    ASSERT_EQ(16, manager.InitAspi()) << static_cast<LPCSTR>(manager.m_strLastError);
    CHostAdapterArray& adapters = *manager.GetHostAdapters();
    ASSERT_EQ(2, adapters.GetSize());
    ASSERT_EQ(1, adapters[0].m_Targets.GetSize());
    ASSERT_EQ(2, adapters[0].m_Targets[0].GetSize());
    EXPECT_STREQ("DVDR   QZ7160   ", adapters[0].m_Targets[0][0].m_szProduct);
    EXPECT_EQ(4, adapters[0].m_Targets[0][0].m_nDriveLetter);
    EXPECT_EQ(5, adapters[0].m_Targets[0][1].m_nDriveLetter);
    ASSERT_EQ(1, adapters[1].m_Targets[0].GetSize());
    EXPECT_EQ(6, adapters[1].m_Targets[0][0].m_nDriveLetter);
    EXPECT_EQ(kBusTypeUsb, adapters[1].m_nBusType);
    EXPECT_TRUE(manager.HasUsbOr1394Adapter());
}

// A drive behind an IEEE 1394 bridge makes its adapter the bridge's port: the ASPI start-up finds that adapter,
// and that adapter alone, on IEEE 1394 through the Windows 98 storage class. Adapter 2 has an identifier of its
// own, given after its drive. The library is described in place (it may hold the description above already).
TEST(EmuDescriptionLibrary, Ieee1394BridgeMakesOnlyItsAdapterIeee1394)
{
    if (ReportedVersion().dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)
        GTEST_SKIP() << "needs Windows 98 and the test ASPI library";
    IEmuMachine* pLibrary = EmuGetAspiMachine();
    ASSERT_NE(nullptr, pLibrary) << "the test ASPI library is not beside the program";
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription("drive atapi-cd-writer aspi 0:0 letter H\n"
                                    "drive plain-dvd-rom aspi 1:0 letter I ieee1394\n"
                                    "drive plain-dvd-rom aspi 2:0 letter J ieee1394\n"
                                    "adapter 2 identifier \"QZSBP2\"\n",
                                    pLibrary, description, error))
        << error;
    EXPECT_TRUE(description.drives[1].bIeee1394);
    EXPECT_FALSE(description.drives[1].bUsb);
    EmuWriteWin9xRegistry(description);

    CDriveManager manager;
    ASSERT_EQ(16, manager.InitAspi()) << static_cast<LPCSTR>(manager.m_strLastError);
    CHostAdapterArray& adapters = *manager.GetHostAdapters();
    ASSERT_EQ(3, adapters.GetSize());
    EXPECT_EQ(kBusTypeIdeChannel, adapters[0].m_nBusType);
    EXPECT_EQ(kBusType1394, adapters[1].m_nBusType);
    EXPECT_EQ(kBusType1394, adapters[2].m_nBusType);
    ASSERT_EQ(1, adapters[1].m_Targets[0].GetSize());
    EXPECT_EQ(8, adapters[1].m_Targets[0][0].m_nDriveLetter);
    EXPECT_EQ(kBusType1394, adapters[1].m_Targets[0][0].m_nBusType);
    EXPECT_TRUE(manager.HasUsbOr1394Adapter());
    pLibrary->Reset();
}
