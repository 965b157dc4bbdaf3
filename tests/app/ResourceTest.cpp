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

const StringCase kStrings[] = {
    {IDS_ABOUTBOX, "&About Tavisk..."},
    {IDS_VERSION, "1.25"},
    {IDS_SENSE_NO_DISC, "No disc in drive"},
    {IDS_SENSE_UNSPECIFIED, "Unspecified error"},
    {IDS_ASPI_NOT_USED, "not used by Tavisk"},
    {IDS_SF_ADJUSTED, "The recording setting has been adjusted optimally, because default setting was not likely to "
                      "record properly."},
    {IDS_SF_MEDIA_NOT_SUPPORTED, "This media is not supported."},
    {IDS_HELP_FILE, "QRVMZEN.CHM"},
    {IDS_PROGRAM_NAME, "Tavisk"},
    {IDS_READ_ERROR_MSF, "Read error at %s\r\n%s"},
    {IDS_MODE_PAGE_ERROR, "Error sending modepage :\n%s "},
    {IDS_OVERWRITE_AND_CONTINUE,
     "Inserted %s is not empty!\nIf you continue, all data will be lost!\r\nDo you wish to continue ?"},
    {IDS_MEDIA_SIMULATION_UNSUPPORTED, "                       *** WARNING ***\nWrite simulation is not supported on "
                                       "%s media!\r\nDo you wish to continue without simulation?"},
    {IDS_READ_TEST_INFO, "Read Transfer Rate : Read test for written CD-R/RW, DVD R/RW and stamped CD's/DVD's.\n\n"
                         "This test will perform a sequential reading of all sectors on the disc while calculating "
                         "the transfer rate at the same time."},
    {IDS_DDV_INT_RANGE, "Please enter an integer between %1 and %2."},
    {IDS_DDV_INT, "Please enter an integer."},
    {IDS_TEST_CP1252, "Gr\xfc\xdf" "e \x80 \xfc" "ber\tfin"},
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
    UINT id;   // 0 = separator
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

}
