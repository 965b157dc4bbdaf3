// tests/drive/media/MediaAspiTest.cpp
// Discs described for the emulated machine inside the test ASPI library: the library reads the image files
// itself and its drives answer the media commands sent through the ASPI back end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EmuDescription.h"
#include "EmuDisc.h"
#include "drive/DiscText.h"
#include "drive/DriveManager.h"
#include "support/MediaTestSupport.h"

namespace {

class MediaAspi : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("TAVISK_DISC_DIR");
        if (dir == nullptr)
            GTEST_SKIP() << "TAVISK_DISC_DIR is not set";
        m_strDir = EmuWinePath(dir);
        m_pMachine = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pMachine) << "the test wnaspi32.dll was not loaded";

        ASSERT_TRUE(EmuBindAspi(m_Manager)) << "the test ASPI library has no ASPI entry points";
    }

    // The record discovery leaves for a described drive.
    CDeviceRecord Record(const EmuDescribedDrive& drive)
    {
        CDeviceRecord record;
        std::strncpy(record.m_szVendor, drive.strVendor.c_str(), 8);
        std::strncpy(record.m_szProduct, drive.strProduct.c_str(), 16);
        int nAdapter = drive.nAspiAdapter;
        int nTarget = drive.nAspiTarget;
        record.m_nAdapter = nAdapter;
        record.m_nTarget = nTarget;
        record.m_nLun = 0;
        record.m_nDriveLetter = 3 + nTarget;
        return record;
    }

    std::string m_strDir;
    IEmuMachine* m_pMachine = nullptr;
    CDriveManager m_Manager;
};

TEST_F(MediaAspi, DiscsOfTheLibrarysMachine)
{
    std::string text = "drive scsi-cdrom aspi 0:1\n"
                       "disc-image cd-rom\n"
                       "disc-track audio 4000\n"
                       "disc-mcn \"4006381333931\"\n"
                       "drive fifth-family-dvd-writer aspi 0:2\n"
                       "disc-image cd-rom\n"
                       "disc-track mode2 \"" +
                       m_strDir + "\\psx.iso\"\n";
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription(text, m_pMachine, description, error)) << error;
    m_pMachine->SetAspiSupport(1, 1);

    ASSERT_EQ(2u, description.drives.size());
    CDeviceRecord audio = Record(description.drives[0]);
    BYTE mcn[24];
    EXPECT_EQ(kExecCompleted, m_Manager.ReadMediaCatalogNumber(audio, mcn));
    EXPECT_STREQ("4006381333931", reinterpret_cast<const char*>(mcn + 9));

    CDeviceRecord game = Record(description.drives[1]);
    DiscTypeAnswer answer = DescribeDisc(m_Manager, game);
    EXPECT_STREQ("PlayStation", answer.text.c_str());
    EXPECT_STREQ("GAME DISC", answer.label.c_str());
}

} // namespace
