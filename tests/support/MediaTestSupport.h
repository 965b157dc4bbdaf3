// tests/support/MediaTestSupport.h
// Emulated drives holding discs made from the image files of make-discs.sh, and what isoinfo and udfinfo said
// about those files.
#ifndef TAVISK_TESTS_MEDIA_MEDIATESTSUPPORT_H
#define TAVISK_TESTS_MEDIA_MEDIATESTSUPPORT_H

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/DriveTestFixture.h"
#include "drive/DiscText.h"
#include "emu/EmuDisc.h"

// The folder of the images (Unix form, from TAVISK_DISC_DIR).
inline std::string DiscDir()
{
    const char* dir = std::getenv("TAVISK_DISC_DIR");
    return dir != nullptr ? dir : "";
}

// What GetDiscTypeText gives for a drive: the type text, the label and the CD-TEXT bytes.
struct DiscTypeAnswer {
    std::string text;
    std::string label;
    std::vector<BYTE> cdText;
};

// Asks GetDiscTypeText with a label buffer first filled with chLabelFill, and with a CD-TEXT buffer or without.
inline DiscTypeAnswer DescribeDisc(CDriveManager& manager, CDeviceRecord& record, bool bCdTextBuffer = false,
                                   char chLabelFill = 0)
{
    std::vector<char> label(kDiscLabelBuffer, chLabelFill);
    char text[kDiscTextSize];
    std::vector<BYTE> cdText(kCdTextBufferSize, 0);
    manager.GetDiscTypeText(record, label.data(), text, bCdTextBuffer ? cdText.data() : nullptr);
    return {text, label.data(), cdText};
}

// What GetDiscManufacturer gives for a drive: the pointer it returns, the maker text, name and time parts and the
// value.
struct DiscMakerAnswer {
    DiscMakerAnswer(CDriveManager& manager, CDeviceRecord& record)
        : pszReturned(manager.GetDiscManufacturer(record, text, &value, name, time))
    {
    }
    DiscMakerAnswer(const DiscMakerAnswer&) = delete;
    DiscMakerAnswer& operator=(const DiscMakerAnswer&) = delete;

    char text[kDiscTextSize];
    char name[kDiscTextSize];
    char time[kDiscTextSize];
    LONG value = 0;
    const char* pszReturned;
};

// "name key" -> value of expected.txt.
inline std::map<std::string, std::string> ExpectedDiscFacts()
{
    std::map<std::string, std::string> facts;
    std::ifstream file(EmuWinePath(DiscDir() + "/expected.txt"));
    std::string name, key, value;
    while (file >> name >> key && std::getline(file, value)) {
        value.erase(0, value.find_first_not_of(' '));
        facts[name + " " + key] = value;
    }
    return facts;
}

class MediaTest : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        if (DiscDir().empty())
            GTEST_SKIP() << "TAVISK_DISC_DIR is not set";
    }

    // Loads a disc description into a drive; "{dir}" stands for the image folder.
    void LoadDisc(int nDrive, std::string text)
    {
        std::string dir = EmuWinePath(DiscDir());
        for (size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}"))
            text.replace(at, 5, dir);
        std::string error;
        ASSERT_TRUE(EmuLoadDisc(m_pMachine, nDrive, text, error)) << error << "\n" << text;
    }

    // A drive of the profile with the disc.
    CDeviceRecord DriveWithDisc(int nProfile, const std::string& disc, int* pnDrive = nullptr)
    {
        int nDrive = 0;
        if (m_nNextLetter > 25)
            m_nNextLetter = 3; // letters are reused: each test asks the drive it has just added
        CDeviceRecord record = AddProfile(nProfile, kBusTypeIdeChannel, &nDrive);
        LoadDisc(nDrive, disc);
        if (pnDrive != nullptr)
            *pnDrive = nDrive;
        return record;
    }

    // The disc type of a drive of the profile with the disc, asked with a CD-TEXT buffer.
    DiscTypeAnswer DescribeDiscIn(int nProfile, const std::string& disc)
    {
        CDeviceRecord record = DriveWithDisc(nProfile, disc);
        return DescribeDisc(m_Manager, record, true);
    }
};

#endif
