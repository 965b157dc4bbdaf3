// tests/drive/media/DiscTypeTest.cpp
// The disc description of every kind of disc, the volume labels and capacities against what isoinfo and udfinfo
// report for the same image files, and the capacity and blank rules of recordable media.
#include "support/MediaTestSupport.h"

#include <cstring>

#include "EmuDescription.h"
#include "drive/DiscText.h"

namespace {

// The drive letters of the test's prefix that show the folders the images were made from (CMakeLists.txt).
int LetterOfFolder(const char* pszFolder)
{
    static const char* const kFolders[] = {"vcd", "svcd", "photo", "psx", "data"};
    for (int i = 0; i < 5; ++i) {
        if (std::strcmp(pszFolder, kFolders[i]) == 0)
            return 12 + i; // M: onwards
    }
    return -1;
}

struct DiscCase {
    const char* name;
    int profile;
    const char* disc;          // EmuDisc statements; {dir} is the image folder
    const char* mountedFolder; // the source folder the drive letter shows, under {dir}/src, or null
    bool cdTextBuffer;
    std::string text;
    std::string label;
};

class DiscTypeTest : public MediaTest {
protected:
    std::map<std::string, std::string> m_Facts = ExpectedDiscFacts();
    std::string Fact(const std::string& key) { return m_Facts[key]; }
};

TEST_F(DiscTypeTest, DescriptionOfEachDiscKind)
{
    const std::string data = Fact("data label");
    const std::string udfVolume = Fact("udf vid");
    const std::string udfLogical = Fact("udf lvid");
    const int dvd = kEmuFifthFamilyDvdWriter;
    const int oldRom = kEmuOtherOldCdRom;
    const std::vector<DiscCase> cases = {
        {"ISO 9660 Mode 1 CD", dvd, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"", nullptr, true,
         "CD-ROM - Mode 1", data},
        {"ISO 9660 Mode 1 CD, old drive", oldRom, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"", nullptr,
         true, "CD-ROM - Mode 1", data},
        {"UDF Mode 1 CD", dvd, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\udf.img\"", nullptr, true,
         "CD-ROM - Mode 1", udfVolume},
        {"Mode 2 CD", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\data.iso\"", nullptr, true, "CD-ROM XA", data},
        {"Mode 2 CD, old drive", oldRom, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\data.iso\"", nullptr, true,
         "CD-ROM XA", data},
        {"PlayStation", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\psx.iso\"", "psx", true, "PlayStation",
         Fact("psx label")},
        {"VideoCD", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\vcd.iso\"", "vcd", true, "VideoCD",
         Fact("vcd label")},
        {"Super VideoCD", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\svcd.iso\"", "svcd", true, "Super VideoCD",
         Fact("svcd label")},
        {"PhotoCD", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\photo.iso\"", "photo", true, "PhotoCD",
         Fact("photo label")},
        {"Mode 2 CD without the VideoCD folders", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\data.iso\"",
         "data", true, "CD-ROM XA", data},
        {"packet-written CD", dvd, "disc-image cd-rom\ndisc-track mode2 \"{dir}\\packet.iso\"", nullptr, true,
         "PacketCD", Fact("packet label")},
        {"Mixed Mode CD", dvd, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"\ndisc-track audio 3000",
         nullptr, true, "Mixed Mode CD - Mode 1", data},
        {"CD Extra", dvd, "disc-image cd-rom\ndisc-track audio 3000\ndisc-track mode2 \"{dir}\\data.iso\" session 2",
         nullptr, true, "CD Extra", data},
        {"audio CD", dvd, "disc-image cd-rom\ndisc-track audio 3000\ndisc-track audio 2000", nullptr, true, "AudioCD",
         ""},
        {"audio CD with CD-TEXT", dvd,
         "disc-image cd-rom\ndisc-track audio 3000\ndisc-track audio 2000\n"
         "disc-cdtext title 0 \"Harbour Lights\"\ndisc-cdtext title 1 \"First\"\n"
         "disc-cdtext performer 0 \"The Emulators\"",
         nullptr, true, "AudioCD + CD TEXT", "Harbour Lights"},
        {"audio CD with CD-TEXT, no buffer", dvd,
         "disc-image cd-rom\ndisc-track audio 3000\ndisc-cdtext title 0 \"Harbour Lights\"", nullptr, false, "AudioCD",
         ""},
        {"blank CD-R", dvd, "disc-image cd-r blank\ndisc-atip 97:24:01 79:59:74", nullptr, true,
         "Blank disc, Taiyo Yuden (type 1), 79:59:74", ""},
        {"blank CD-RW", dvd, "disc-image cd-rw blank\ndisc-atip 97:25:30 74:59:74 rw subtype 1 clv 2", nullptr, true,
         "Blank disc, INFODISC Technology (type 0), 74:59:74 - 4 X HS CD-RW", ""},
        {"unfinished packet-written CD", dvd,
         "disc-image cd-rw open\ndisc-atip 97:25:30 74:59:74 rw\n"
         "disc-track mode1 \"{dir}\\data.iso\" packet open size 3000",
         nullptr, true, "PacketCD (unfinalized)", ""},
        {"DVD-ROM", dvd, "disc-image dvd-rom blocks 2295104\ndisc-file \"{dir}\\data.iso\"", nullptr, true,
         data + "   DVD-ROM, 4482 MB", data},
        {"dual-layer DVD-ROM", dvd, "disc-image dvd-rom layers 2 blocks 4173824\ndisc-file \"{dir}\\data.iso\"",
         nullptr, true, data + "   DVD-ROM, 8152 MB", data},
        {"written DVD-R", dvd, "disc-image dvd-r blocks 2292000\ndisc-file \"{dir}\\dvdr.iso\"", nullptr, true,
         "DATA   DVD-R, 4476 MB", "DATA"},
        {"written DVD-RW", dvd, "disc-image dvd-rw blocks 2298496\ndisc-file \"{dir}\\dvdr.iso\"", nullptr, true,
         "DATA   DVD-RW, 4489 MB", "DATA"},
        {"written DVD-R DL", dvd, "disc-image dvd-r-dl blocks 4171712\ndisc-file \"{dir}\\dvdr.iso\"", nullptr, true,
         "DATA   DVD-R DL, 8147 MB", "DATA"},
        {"blank DVD-R", dvd, "disc-image dvd-r blank blocks 2298496\ndisc-media-id \"KVDSCR01RG20\" \"\"", nullptr,
         true, "Blank DVD-R, KVDSCR01RG20", ""},
        {"blank DVD-RW", dvd, "disc-image dvd-rw blank blocks 2298496\ndisc-media-id \"KVDSCW02RW11\" \"\"", nullptr,
         true, "Blank DVD-RW, KVDSCW02RW11", ""},
        {"blank DVD+R", dvd, "disc-image dvd+r blank blocks 2295104\ndisc-media-id \"KVDISC01\" \"R04\" 2", nullptr,
         true, "Blank DVD+R, KVDISC01 R04 02", ""},
        {"written DVD+R DL", dvd, "disc-image dvd+r-dl blocks 4173824\ndisc-file \"{dir}\\data.iso\"", nullptr, true,
         data + "   DVD+R DL, 8152 MB", data},
        {"UDF DVD+RW", dvd, "disc-image dvd+rw blocks 2295104\ndisc-file \"{dir}\\udf.img\"", nullptr, true,
         udfLogical + "   DVD+RW, 3 MB", udfLogical},
        {"empty DVD+RW", dvd,
         "disc-image dvd+rw blocks 2295104\ndisc-media-id \"KVDISC01\" \"W02\" 1\n"
         "disc-sector 17 8 \"EMPTY MEDIA\"\ndisc-sector 16 0 \"x\"",
         nullptr, true, "Blank DVD+RW, KVDISC01 W02 01, 4482 MB", ""},
        {"UDF DVD-RAM", dvd, "disc-image dvd-ram blocks 2236704\ndisc-file \"{dir}\\udf.img\"", nullptr, true,
         udfLogical + "   DVD-RAM, 3 MB", udfLogical},
    };

    // A drive that lists only the first (audio) session of a disc whose sector 16 holds a file system.
    {
        SCOPED_TRACE("Enhanced CD");
        int nDrive = 0;
        m_nNextLetter = 3;
        CDeviceRecord record = DriveWithDisc(dvd, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"", &nDrive);
        SetBytes(nDrive, "toc.0", {0, 18, 1, 1, 0, 0x10, 1, 0, 0, 0, 0, 0, 0, 0x10, 0xAA, 0, 0, 0, 0x01, 0x44});
        DiscTypeAnswer answer = DescribeDisc(m_Manager, record);
        EXPECT_STREQ("Enhanced CD", answer.text.c_str());
        EXPECT_EQ(data, answer.label);
    }

    for (const DiscCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_nNextLetter > 25)
            m_nNextLetter = 3;
        // A disc whose folders matter sits in the drive whose letter shows them; others in drive D:.
        m_nNextLetter = c.mountedFolder != nullptr ? LetterOfFolder(c.mountedFolder) : 3;
        CDeviceRecord record = DriveWithDisc(c.profile, c.disc);
        if (c.mountedFolder != nullptr) {
            char root[] = "M:\\";
            root[0] = char('A' + record.m_nDriveLetter);
            ASSERT_NE(DRIVE_NO_ROOT_DIR, GetDriveTypeA(root)) << "the test prefix maps " << root;
        }
        DiscTypeAnswer answer = DescribeDisc(m_Manager, record, c.cdTextBuffer, 'x');
        EXPECT_EQ(c.text, answer.text);
        EXPECT_EQ(c.label, answer.label);
    }
}

TEST_F(DiscTypeTest, ManufacturerOfRecordableDvds)
{
    const struct {
        const char* name;
        const char* disc;
        bool hidePhysicalFormatId;
        const char* expected;
    } cases[] = {
        {"DVD-R", "disc-image dvd-r blank blocks 2298496\ndisc-media-id \"KVDSCR01RG20\" \"\"", false, "KVDSCR01RG20"},
        {"DVD-R without an identification", "disc-image dvd-r blank blocks 2298496", false, ""},
        {"DVD+RW", "disc-image dvd+rw blank blocks 2295104\ndisc-media-id \"KVDISC01\" \"W02\" 1", false,
         "KVDISC01 W02 01"},
        {"DVD+R from the ADIP information",
         "disc-image dvd+r blank blocks 2295104\n"
         "disc-media-id \"KVDISC01\" \"R04\" -2",
         true, "KVDISC01 R04 -2"},
        {"DVD-ROM", "disc-image dvd-rom blocks 2295104", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nDrive = 0;
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, c.disc, &nDrive);
        if (c.hidePhysicalFormatId) {
            std::vector<uint8_t> physical = BytesAt(2052, {{1, 0x02}, {4, 0xA1}});
            SetBytes(nDrive, "ds.00", physical);
        }
        char text[64] = "x";
        EXPECT_STREQ(c.expected, m_Manager.GetDvdMediaIdText(record, text));
    }
}

// A disc described in a machine description, as scripts/run and the end-to-end tests give them.
TEST_F(DiscTypeTest, DiscOfAMachineDescription)
{
    std::string dir = EmuWinePath(DiscDir());
    std::string text = "drive fifth-family-dvd-writer letter D\n"
                       "disc-image cd-rom\n"
                       "disc-track mode1 \"" +
                       dir +
                       "\\data.iso\"\n"
                       "disc-track audio 3000\n"
                       "drive plain-dvd-rom letter E\n"
                       "disc-image dvd-r blocks 2292000\n"
                       "disc-file \"" +
                       dir + "\\dvdr.iso\"\n";
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription(text, m_pMachine, description, error)) << error;
    ASSERT_EQ(2u, description.drives.size());
    const char* const expected[] = {"Mixed Mode CD - Mode 1", "DATA   DVD-R, 4476 MB"};
    for (int i = 0; i < 2; ++i) {
        const EmuDescribedDrive& d = description.drives[size_t(i)];
        CDeviceRecord record =
            AttachDrive(d.nDrive, kBusTypeIdeChannel, d.strVendor.c_str(), d.strProduct.c_str(), "1.00");
        EXPECT_STREQ(expected[i], DescribeDisc(m_Manager, record).text.c_str());
    }

    EXPECT_FALSE(EmuParseDescription("drive plain-dvd-rom\ndisc-track audio 10", m_pMachine, description, error));
    EXPECT_NE(std::string::npos, error.find("before disc-image")) << error;
    EXPECT_FALSE(EmuParseDescription("drive plain-dvd-rom\ndisc-image cd-rom\ndisc-track mode1 \"Z:\\none.iso\"",
                                     m_pMachine, description, error));
    EXPECT_NE(std::string::npos, error.find("cannot read")) << error;
}

TEST_F(DiscTypeTest, NoDiscIsADash)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuFifthFamilyDvdWriter, kBusTypeIdeChannel, &nDrive);
    m_pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
    DiscTypeAnswer answer = DescribeDisc(m_Manager, record, false, 'x');
    EXPECT_STREQ("-", answer.text.c_str());
    EXPECT_STREQ("", answer.label.c_str());
}

// The labels and sizes the program reads agree with what isoinfo and udfinfo report for the same files.
TEST_F(DiscTypeTest, LabelsAndCapacitiesAgreeWithTheImageTools)
{
    for (const char* name : {"data", "vcd", "psx", "dvdr"}) {
        SCOPED_TRACE(name);
        std::string disc = std::string("disc-image dvd+rw\ndisc-file \"{dir}\\") + name + ".iso\"";
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, disc);
        EXPECT_EQ(Fact(std::string(name) + " label"), DescribeDisc(m_Manager, record).label);
        EXPECT_EQ(std::stol(Fact(std::string(name) + " blocks")), m_Manager.GetRecordedCapacity(record));
    }

    CDeviceRecord udf = DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image dvd+rw\ndisc-file \"{dir}\\udf.img\"");
    EXPECT_EQ(Fact("udf lvid"), DescribeDisc(m_Manager, udf).label);
    EXPECT_EQ(std::stol(Fact("udf partitionEnd")), m_Manager.GetRecordedCapacity(udf));

    CDeviceRecord udfCd =
        DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\udf.img\"");
    EXPECT_EQ(Fact("udf vid"), DescribeDisc(m_Manager, udfCd).label);
}

TEST_F(DiscTypeTest, RecordedCapacity)
{
    const struct {
        const char* name;
        const char* disc;
        long expected;
    } cases[] = {
        {"appendable one-session CD-R: next writable address",
         "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 120000 size 300000 open", 120000},
        {"appendable CD-R with a closed first track: its size",
         "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 120000", 120000},
        {"finished CD", "disc-image cd-rom\ndisc-track mode1 5000\ndisc-track audio 1000", 6000},
        {"blank CD-R", "disc-image cd-r blank\ndisc-atip 97:24:01 79:59:74", 0},
        {"DVD-R", "disc-image dvd-r blocks 2292000\ndisc-file \"{dir}\\dvdr.iso\"", 2292000},
        {"DVD-RAM without a file system: its formatted capacity",
         "disc-image dvd-ram blocks 2236704\ndisc-sector 16 0 \"x\"\ndisc-format-capacity 2236704 2", 2236704},
        {"DVD-RAM without a file system or format list: the data area",
         "disc-image dvd-ram blocks 2236704\ndisc-sector 16 0 \"x\"", 2236704},
        {"empty DVD+RW sector 16: the data area", "disc-image dvd+rw blocks 2295104", 2295104},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, c.disc);
        EXPECT_EQ(c.expected, m_Manager.GetRecordedCapacity(record));
    }
}

// A DVD+RW whose format has started is reported complete by the drive, so only its sectors tell that nothing is
// written yet; a drive reporting a DVD+RW incomplete is answered from the background format status alone.
TEST_F(DiscTypeTest, BlankTest)
{
    // READ DISC INFORMATION of a DVD+RW reported incomplete (disc status 1) with a background format status.
    auto incomplete = [](uint8_t background) {
        return BytesAt(34, {{1, 32}, {2, 0x10 | 0x04 | 0x01}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, background}});
    };
    const struct {
        const char* name;
        const char* disc;
        bool blank;
        std::vector<uint8_t> discInfo; // replaces the drive's answer when given
    } cases[] = {
        {"blank CD-R", "disc-image cd-r blank\ndisc-atip 97:24:01 79:59:74", true, {}},
        {"appendable CD-R", "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000 open", false, {}},
        {"pressed CD", "disc-image cd-rom\ndisc-track mode1 5000", false, {}},
        {"DVD+RW saying empty media in any case",
         "disc-image dvd+rw\ndisc-file \"{dir}\\data.iso\"\n"
         "disc-sector 17 8 \"eMpTy MeDiA\"",
         true,
         {}},
        {"DVD+RW with a file system", "disc-image dvd+rw\ndisc-file \"{dir}\\data.iso\"", false, {}},
        {"DVD+RW with zeros in sector 16", "disc-image dvd+rw blocks 2295104", true, {}},
        {"unformatted DVD+RW", "disc-image dvd+rw blank blocks 2295104", true, {}},
        {"DVD+RW being formatted", "disc-image dvd+rw blank blocks 2295104\ndisc-background 1", true, {}},
        {"DVD+RW formatting now", "disc-image dvd+rw blank blocks 2295104\ndisc-background 2", true, {}},
        {"DVD+RW being formatted with a file system",
         "disc-image dvd+rw blocks 2295104\ndisc-file \"{dir}\\data.iso\"\ndisc-background 1",
         false,
         {}},
        {"DVD+RW reported incomplete, no background format", "disc-image dvd+rw blank blocks 2295104", true,
         incomplete(0)},
        {"DVD+RW reported incomplete, background format suspended", "disc-image dvd+rw blank blocks 2295104", false,
         incomplete(1)},
        {"written DVD-R", "disc-image dvd-r blocks 2292000\ndisc-file \"{dir}\\dvdr.iso\"", false, {}},
        {"UDF DVD-RAM", "disc-image dvd-ram\ndisc-file \"{dir}\\udf.img\"", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nDrive = 0;
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, c.disc, &nDrive);
        if (!c.discInfo.empty())
            SetBytes(nDrive, "discinfo", c.discInfo);
        EXPECT_EQ(c.blank, m_Manager.IsBlankMedia(record));
    }
}

// What the drive reports of a DVD+RW: empty before any format, complete (with the format's state) once a format
// has started, whether anything is written or not.
TEST_F(DiscTypeTest, DiscInformationOfADvdPlusRw)
{
    const struct {
        const char* name;
        const char* disc;
        uint8_t status;     // byte 2 bits 3-0: last session state and disc status
        uint8_t background; // byte 7 bits 1-0
    } cases[] = {
        {"never formatted", "disc-image dvd+rw blank blocks 2295104", 0x00, 0},
        {"format suspended", "disc-image dvd+rw blank blocks 2295104\ndisc-background 1", 0x0E, 1},
        {"format running", "disc-image dvd+rw blank blocks 2295104\ndisc-background 2", 0x0E, 2},
        {"formatted, nothing written", "disc-image dvd+rw blank blocks 2295104\ndisc-background 3", 0x0E, 3},
        {"written", "disc-image dvd+rw\ndisc-file \"{dir}\\data.iso\"", 0x0E, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, c.disc);
        BYTE info[34] = {};
        ASSERT_EQ(kExecCompleted, m_Manager.ReadDiscInformation(record, sizeof(info), info));
        EXPECT_EQ(c.status, info[2] & 0x0F);
        EXPECT_EQ(c.background, info[7] & 0x03);
        EXPECT_EQ(0x10, info[2] & 0x10); // erasable
    }
}

TEST_F(DiscTypeTest, WritableCapacity)
{
    const struct {
        const char* name;
        const char* disc;
        long expected;
    } cases[] = {
        {"DVD+RW: unformatted descriptor 0",
         "disc-image dvd+rw blank blocks 2295104\n"
         "disc-format-capacity 2295104 1\ndisc-format-capacity 2295104 0x98",
         2295104},
        {"DVD+RW: a later 0x98 descriptor",
         "disc-image dvd+rw blocks 2295104\n"
         "disc-format-capacity 2295104 2\ndisc-format-capacity 2294000 0x98",
         2294000},
        {"DVD-RAM: formatted descriptor 0",
         "disc-image dvd-ram blocks 2236704\n"
         "disc-format-capacity 2236704 2",
         2236704},
        {"DVD-RW: none qualifies", "disc-image dvd-rw blocks 2298496\ndisc-format-capacity 2298496 3", 0},
        {"blank DVD-R: free blocks of the track", "disc-image dvd-r blank blocks 2298496", 2298496},
        {"CD: no DVD", "disc-image cd-rom\ndisc-track mode1 5000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, c.disc);
        EXPECT_EQ(c.expected, m_Manager.GetWritableCapacity(record));
    }
}

} // namespace
