// tests/app/ResourceTest.cpp
// The compiled resources as the program sees them: string-table texts (control characters, blanks at either end,
// Windows-1252 characters), the version block, both icons at both sizes and the Options menu.
#include "AppTestResource.h"
#include "resource.h"

#include "framework/Framework.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct StringCase {
    UINT id;
    const char* text;
};

// The whole string table, by the numeric ids the rest of the program loads: a changed id or text shows here. The
// validation prompts must sit at the ids the class layer loads them from.
const StringCase kStrings[] = {
    {101, "&About Tavisk..."},
    {102, "1.25"},
    {103, "No disc in drive"},
    {104, "Reading of TOC in progress"},
    {105, "Drive not ready"},
    {106, "Recovered error"},
    {107, "Unable to seek to requested position"},
    {108, "Buffer underrun"},
    {109, "Uncorrectable read error"},
    {110, "Error writing Lead-In"},
    {111, "Error writing Lead-Out"},
    {112, "Power calibration failed"},
    {113, "Medium error"},
    {114, "Bus error"},
    {115, "Hardware error"},
    {116, "Invalid command"},
    {117, "Address out of range"},
    {118, "Invalid address"},
    {119, "Invalid parameter"},
    {120, "Unit not supported"},
    {121, "Invalid field in parameter list"},
    {122, "Illegal mode for this track"},
    {123, "Illegal request"},
    {124, "Drive reset occurred"},
    {125, "Unit attention"},
    {126, "Command aborted"},
    {127, "Unspecified error"},
    {131, "Out of memory"},
    {132, "Helpfile not found"},
    {133, "Path not found"},
    {134, "Not a Windows executable"},
    {135, "not used by Tavisk"},
    {136, "Recording has been done properly by default setting."},
    {137, "This media would commit a write error."},
    {138, "The media would not be recorded properly."},
    {139, "The media would not be recorded properly at specified recording speed."},
    {140, "Failed to measure the quality due to happening of error during check."},
    {141, "Failed to measure the quality due to happening of error during check."},
    {142, "The media cannot be adjusted optimally, due to bad characteristics."},
    {143, "Incorrect power value."},
    {144,
     "The recording setting has been adjusted optimally, because default setting was not likely to record properly."},
    {145, "The recording was done by default setting due to Stratafit failed to adjust properly."},
    {146, "Over 6X recording would not be done properly."},
    {147, "Stratafit failed to correct properly."},
    {148, "Recording error has occurred."},
    {149, "No information is available because no test has been done."},
    {150, "Recording has been done properly by default setting."},
    {151, "The media is judged as good."},
    {152, "Stratafit function is busy."},
    {153, "Stratafit function is disabled."},
    {154, "Stratafit function is not executed."},
    {155, "Stratafit function error."},
    {156, "QRVMZEN.CHM"},
    {158, "Good Media."},
    {159, "Normal Media."},
    {160, "Bad Media."},
    {161, "This media is not supported."},
    {162, "Tavisk"},
    {163, "Read error at %s\r\n%s"},
    {164, "Read Transfer Rate Test"},
    {165, "Ready"},
    {166, "&Start"},
    {167, "&Stop"},
    {168, "View Results"},
    {169, "Start Test"},
    {170, "Error reading disc information"},
    {171, "Error sending cue sheet"},
    {172, "Write error at %s\r\n%s"},
    {173, "Inserted %s is not empty!\nDo you wish to erase and continue ?"},
    {174, "No blank CD-R(W) inserted"},
    {175, "Error sending modepage :\n%s "},
    {176, "Simulation not supported on this drive.\r\nDo you wish to continue without simulation?"},
    {177, "The selected drive is not a writer!"},
    {178, "Write Transfer Rate Test"},
    {179, "Read error at %ld\r\n%s"},
    {180, "Write error at %ld\r\n%s"},
    {181, "Inserted %s is not empty!\nIf you continue, all data will be lost!\r\nDo you wish to continue ?"},
    {182, "Please insert a blank %s"},
    {183, "                       *** WARNING ***\nWrite simulation is not supported on %s media!\r\nDo you wish to "
          "continue without simulation?"},
    {184,
     "Read Transfer Rate : Read test for written CD-R/RW, DVD R/RW and stamped CD's/DVD's.\n\nThis test will perform "
     "a sequential reading of all sectors on the disc while calculating the transfer rate at the same time."},
    {185,
     "Write Transfer Rate: Write test for blank CD-R/RW and DVD R/RW media.\n\nThis test will perform a sequential "
     "write test while calculating the transfer rate at the same time.\nIn the preferences it is possible to enable "
     "write simulation and to select a CD-ROM or AudioCD format. Also overburning can be allowed for larger capacity "
     "tests on CD."},
    {IDS_CDTEXT_UNKNOWN_DISC, "Unknown Disc"},
    {IDS_CDTEXT_UNKNOWN_TITLE, "Unknown Title"},
    {IDS_CDTEXT_UNKNOWN_ARTIST, "Unknown Artist"},
    {AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %1 and %2."},
    {AFX_IDP_PARSE_INT, "Please enter an integer."},
    {AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters."},
    {IDS_TEST_CP1252, "Gr\xfc\xdf"
                      "e \x80 \xfc"
                      "ber\tfin"},
};

// Byte-exact view of a text for failure messages: control and non-ASCII bytes as \xHH.
std::string Visible(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (*p < 0x20 || *p >= 0x7F) {
            char hex[8];
            sprintf(hex, "\\x%02X", *p);
            out += hex;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}

TEST(Resources, StringTableTextsAreByteExact)
{
    for (const StringCase& c : kStrings) {
        CString text;
        EXPECT_TRUE(text.LoadString(c.id)) << "string " << c.id;
        EXPECT_EQ(Visible(c.text), Visible(text)) << "string " << c.id;
    }
}

std::string VersionValue(const std::vector<char>& block, const char* name)
{
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &size) ||
        size < sizeof(Translation))
        return "<no translation>";
    char path[80];
    sprintf(path, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage, name);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), path, reinterpret_cast<LPVOID*>(&value), &size))
        return "<missing>";
    return value;
}

TEST(Resources, VersionBlockNamesProductAndVersion)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    EXPECT_EQ("1.25", VersionValue(block, "FileVersion"));
    EXPECT_EQ("1.25", VersionValue(block, "ProductVersion"));
    EXPECT_EQ("Korvath", VersionValue(block, "CompanyName"));
    EXPECT_EQ("Tavisk", VersionValue(block, "ProductName"));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &fixedSize));
    EXPECT_EQ(MAKELONG(25, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(25, 1), fixed->dwProductVersionMS);
}

// Each icon carries its own 16x16 and 32x32 image in 32-bit colour.
TEST(Resources, IconsHaveSmallAndLargeImages)
{
    HMODULE module = GetModuleHandleA(nullptr);
    for (int id : {IDI_ABOUT, IDI_MAIN}) {
        HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
        ASSERT_NE(nullptr, group) << "icon " << id;
        PBYTE dir = static_cast<PBYTE>(LockResource(LoadResource(module, group)));
        ASSERT_NE(nullptr, dir);
        int small = LookupIconIdFromDirectoryEx(dir, TRUE, 16, 16, LR_DEFAULTCOLOR);
        int large = LookupIconIdFromDirectoryEx(dir, TRUE, 32, 32, LR_DEFAULTCOLOR);
        EXPECT_NE(0, small) << "icon " << id;
        EXPECT_NE(0, large) << "icon " << id;
        EXPECT_NE(small, large) << "icon " << id << " has one image for both sizes";
        for (int image : {small, large}) {
            HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(image), RT_ICON);
            ASSERT_NE(nullptr, res);
            const BITMAPINFOHEADER* bih = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, res)));
            EXPECT_EQ(32, bih->biBitCount) << "icon " << id << " image " << image;
        }
        HICON hIcon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(nullptr, hIcon);
        DestroyIcon(hIcon);
    }
}

struct MenuItemCase {
    UINT id; // 0 = separator
    const char* text;
};

TEST(Resources, OptionsMenuListsItsCommandsInOrder)
{
    static const MenuItemCase kItems[] = {
        {ID_OPTIONS_SHOW_FUNCTIONS, "Show Functions"},
        {0, ""},
        {ID_OPTIONS_CHECK_FIRMWARE, "Check for firmware upgrades"},
        {0, ""},
        {ID_OPTIONS_PREFERENCES, "Preferences"},
        {0, ""},
        {ID_OPTIONS_EXIT, "Exit"},
    };
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    char text[64] = {};
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("Options", text);
    HMENU options = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, options);
    ASSERT_EQ(static_cast<int>(sizeof kItems / sizeof kItems[0]), GetMenuItemCount(options));
    for (int i = 0; i < GetMenuItemCount(options); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        text[0] = '\0';
        ASSERT_TRUE(GetMenuItemInfoA(options, i, TRUE, &info));
        if (kItems[i].id == 0) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << i;
        } else {
            EXPECT_EQ(kItems[i].id, info.wID) << "item " << i;
            EXPECT_STREQ(kItems[i].text, text) << "item " << i;
        }
    }
    DestroyMenu(menu);
}

} // namespace
