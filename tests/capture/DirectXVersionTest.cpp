// tests/capture/DirectXVersionTest.cpp — the DirectX version: packing and text, the table of file versions behind
// an injected version reader (with the diagnostics provider refused through the creation seam), and Wine's own
// answers with and without its diagnostics provider
#include "capture/CaptureComSeam.h"
#include "capture/DirectXVersion.h"

#include <gtest/gtest.h>

#include <dxdiag.h>

#include <cstring>
#include <map>
#include <string>

namespace {

TEST(DirectXText, PackingAndText)
{
    struct Case {
        DWORD major, minor;
        char letter;
        int size;
        const char* text;
        DWORD packed;
    } const cases[] = {
        {9, 0, 'c', 10, "9.0c", 0x00090003}, {9, 0, 'C', 10, "9.0c", 0x00090003}, {9, 0, ' ', 10, "9.0", 0x00090000},
        {8, 1, 'b', 10, "8.1b", 0x00080102}, {9, 0, 'c', 3, "9.", 0x00090003},    {0, 0, ' ', 10, "0.0", 0},
    };
    for (const Case& c : cases) {
        char text[10];
        std::memset(text, 'x', sizeof text);
        DWORD packed = 0xFFFFFFFF;
        FormatDirectXVersion(c.major, c.minor, c.letter, &packed, text, c.size);
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ(c.packed, packed) << c.text;
    }
}

// Made-up system files: file name -> version.
std::map<std::string, ULONGLONG> g_files;
bool g_systemDirectoryFails = false;

UINT WINAPI FakeSystemDirectory(LPSTR buffer, UINT size)
{
    if (g_systemDirectoryFails)
        return 0;
    lstrcpynA(buffer, "C:\\fake\\system32", size);
    return 16;
}

HRESULT FakeFileVersion(const char* path, ULONGLONG* version)
{
    const std::string name = std::string(path).substr(std::strlen("C:\\fake\\system32\\"));
    const auto it = g_files.find(name);
    if (it == g_files.end())
        return E_FAIL;
    *version = it->second;
    return S_OK;
}

HRESULT WINAPI RefuseDxDiag(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* ppv)
{
    if (IsEqualCLSID(clsid, CLSID_DxDiagProvider))
        return E_ACCESSDENIED;
    return CoCreateInstance(clsid, outer, context, iid, ppv);
}

TEST(DirectXFileHooks, VersionsFromSystemFiles)
{
    const ULONGLONG wine = MakeFileVersion(5, 3, 1, 904);
    struct Case {
        const char* what;
        std::map<std::string, ULONGLONG> files;
        const char* text;
        DWORD packed;
    } const cases[] = {
        {"no DirectX file", {}, "0.0", 0},
        {"first DirectDraw", {{"ddraw.dll", MakeFileVersion(4, 2, 0, 95)}}, "1.0", 0x00010000},
        {"too old a DirectDraw", {{"ddraw.dll", MakeFileVersion(4, 2, 0, 94)}}, "0.0", 0},
        {"3.0a",
         {{"ddraw.dll", MakeFileVersion(4, 4, 0, 68)}, {"d3drg8x.dll", MakeFileVersion(4, 4, 0, 70)}},
         "3.0a",
         0x00030001},
        {"6.1a",
         {{"ddraw.dll", MakeFileVersion(4, 6, 0, 436)}, {"dplayx.dll", MakeFileVersion(4, 6, 3, 518)}},
         "6.1a",
         0x00060101},
        {"7.0a",
         {{"ddraw.dll", MakeFileVersion(4, 7, 0, 700)}, {"dinput.dll", MakeFileVersion(4, 7, 0, 716)}},
         "7.0a",
         0x00070001},
        {"8.0 of the version-5 family", {{"ddraw.dll", MakeFileVersion(5, 1, 2258, 400)}}, "8.0", 0x00080000},
        {"a DirectDraw of another family stops at 7.0",
         {{"ddraw.dll", MakeFileVersion(6, 0, 0, 0)}},
         "7.0",
         0x00070000},
        {"8.1 from Direct3D 8 alone", {{"d3d8.dll", MakeFileVersion(5, 1, 2600, 881)}}, "8.1", 0x00080100},
        {"8.1a", {{"d3d8.dll", MakeFileVersion(4, 8, 1, 901)}}, "8.1a", 0x00080101},
        {"8.1b",
         {{"d3d8.dll", MakeFileVersion(5, 1, 2600, 901)}, {"mpg2splt.ax", MakeFileVersion(6, 3, 1, 885)}},
         "8.1b",
         0x00080102},
        {"8.2", {{"dpnet.dll", MakeFileVersion(5, 2, 3677, 134)}}, "8.2", 0x00080200},
        {"DirectPlay too old for 8.2", {{"dpnet.dll", MakeFileVersion(4, 9, 0, 133)}}, "0.0", 0},
        {"any Direct3D 9", {{"d3d9.dll", MakeFileVersion(0, 0, 0, 1)}}, "9.0", 0x00090000},
        {"Wine's files",
         {{"ddraw.dll", wine},
          {"d3d8.dll", wine},
          {"d3d9.dll", wine},
          {"dplayx.dll", wine},
          {"dinput.dll", MakeFileVersion(5, 1, 2600, 881)},
          {"dpnet.dll", MakeFileVersion(5, 3, 0, 900)}},
         "9.0",
         0x00090000},
    };
    const DirectXFileHooks table = {&FakeSystemDirectory, &FakeFileVersion};
    const DirectXFileHooks* previousFiles = SetDirectXFileHooks(&table);
    const CaptureComHooks com = {&RefuseDxDiag};
    const CaptureComHooks* previousCom = SetCaptureComHooks(&com);
    for (const Case& c : cases) {
        g_files = c.files;
        char text[10] = "junk";
        DWORD packed = 0xFFFFFFFF;
        EXPECT_EQ(S_OK, GetDirectXVersion(&packed, text, sizeof text)) << c.what;
        EXPECT_STREQ(c.text, text) << c.what;
        EXPECT_EQ(c.packed, packed) << c.what;
    }
    g_files = {{"d3d9.dll", wine}};
    g_systemDirectoryFails = true;
    DWORD major = 7, minor = 7;
    char letter = 'x';
    EXPECT_EQ(S_OK, GetDirectXVersionViaFileVersions(&major, &minor, &letter));
    EXPECT_EQ(0u, major);
    EXPECT_EQ(0u, minor);
    EXPECT_EQ(' ', letter);
    g_systemDirectoryFails = false;
    SetCaptureComHooks(previousCom);
    SetDirectXFileHooks(previousFiles);
}

TEST(DirectXFileHooks, RealFileVersions)
{
    char szSystem[MAX_PATH] = {};
    GetSystemDirectoryA(szSystem, MAX_PATH);
    ULONGLONG version = 0;
    EXPECT_EQ(S_OK, GetFileVersion((std::string(szSystem) + "\\ddraw.dll").c_str(), &version));
    EXPECT_NE(0u, version >> 48);
    EXPECT_EQ(E_FAIL, GetFileVersion((std::string(szSystem) + "\\no-such-file.dll").c_str(), &version));
    EXPECT_EQ(E_INVALIDARG, GetFileVersion(nullptr, &version));
    EXPECT_EQ(E_INVALIDARG, GetFileVersion("x", nullptr));
    EXPECT_EQ(1, CompareLargeInts(MakeFileVersion(5, 0, 0, 0), MakeFileVersion(4, 0xFFFF, 0xFFFF, 0xFFFF)));
    EXPECT_EQ(0, CompareLargeInts(7, 7));
    EXPECT_EQ(-1, CompareLargeInts(6, 0x8000000000000000ull));
}

// Wine's diagnostics provider reports 9.0c.
TEST(RealDirectX, ThroughDxDiag)
{
    DWORD major = 0, minor = 0;
    char letter = ' ';
    ASSERT_EQ(S_OK, GetDirectXVersionViaDxDiag(&major, &minor, &letter));
    char text[10] = {};
    DWORD packed = 0;
    ASSERT_EQ(S_OK, GetDirectXVersion(&packed, text, sizeof text));
    EXPECT_STREQ("9.0c", text);
    EXPECT_EQ(0x00090003u, packed);
}

// With the provider switched off, Wine's system files decide: 9.0.
TEST(RealDirectX, WithoutDxDiag)
{
    EXPECT_EQ(E_FAIL, GetDirectXVersionViaDxDiag(nullptr, nullptr, nullptr));
    char text[10] = {};
    DWORD packed = 0;
    ASSERT_EQ(S_OK, GetDirectXVersion(&packed, text, sizeof text));
    EXPECT_STREQ("9.0", text);
    EXPECT_EQ(0x00090000u, packed);
}

} // namespace
