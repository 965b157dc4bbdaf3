// tests/drive/features/SpeedCacheTest.cpp
// The per-model CD read-speed cache in the registry: the probe, the stored values, reading them back, the bounds,
// and an account that cannot write the key; the install directory and the help file path.
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"
#include "drive/SpeedCache.h"
#include "framework/Registry.h"

namespace {

class SpeedCacheTest : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        SetSpeedCacheRegistryHooks(nullptr);
    }

    void TearDown() override
    {
        SetSpeedCacheRegistryHooks(nullptr);
        for (const std::string& product : m_products)
            CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath(product).c_str());
        DriveTest::TearDown();
    }

    static std::string KeyPath(const std::string& product) { return std::string(kProgramRegistryKey) + "\\" + product; }

    // Another maker's CD recorder whose product identification names its own cache key (removed afterwards).
    CDeviceRecord AddCdDrive(const char* pszProduct16, const std::vector<int>& speeds, int* pnDrive)
    {
        CDeviceRecord record = AddAs(kEmuOtherScsiCdWriter, "VELDARO ", pszProduct16, "1.00", 3, pnDrive);
        EmuSetCdSpeeds(m_pMachine, *pnDrive, speeds);
        std::string product(pszProduct16);
        product.erase(product.find_last_not_of(' ') + 1);
        m_products.push_back(product);
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath(product).c_str());
        return record;
    }

    bool ReadStored(const std::string& product, DWORD& list, std::string& speeds, DWORD& detect)
    {
        CRegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, KeyPath(product).c_str()) != ERROR_SUCCESS)
            return false;
        CString text;
        if (key.QueryDword("List", list) != ERROR_SUCCESS || key.QueryString("Speeds", text) != ERROR_SUCCESS ||
            key.QueryDword("Detect", detect) != ERROR_SUCCESS)
            return false;
        speeds = static_cast<LPCTSTR>(text);
        return true;
    }

    void Store(const std::string& product, const void* pList, DWORD nListType, DWORD nListSize, const char* pszSpeeds)
    {
        m_products.push_back(product);
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, KeyPath(product).c_str()));
        RegSetValueExA(key.get(), "List", 0, nListType, static_cast<const BYTE*>(pList), nListSize);
        if (pszSpeeds != nullptr)
            key.SetString("Speeds", pszSpeeds, CRegistryKey::withoutNul);
    }

    int SetCdSpeedCount()
    {
        std::vector<uint8_t> ops = Opcodes();
        return int(std::count(ops.begin(), ops.end(), uint8_t(0xBB)));
    }

    static std::vector<int> Speeds(const int* p, int n) { return std::vector<int>(p, p + (n > 0 ? n : 0)); }

    std::vector<std::string> m_products;
};

// A drive whose maximum is 48 X and that settles on 40, 32, 24, 16 and 8 X when asked for less.
TEST_F(SpeedCacheTest, ProbeStoresTheSpeedsAndASecondStartReadsThem)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4801  ", {48, 40, 32, 24, 16, 8}, &nDrive);
    int speeds[60];
    m_pMachine->ClearLog();
    ASSERT_EQ(6, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(std::vector<int>({48, 40, 32, 24, 16, 8}), Speeds(speeds, 6));
    EXPECT_EQ("BB 00 FF FF FF FF 00 00 00 00 00 00", Cdbs().back()); // the maximum restored

    DWORD list = 0, detect = 0;
    std::string text;
    ASSERT_TRUE(ReadStored("CD-R   XR-4801", list, text, detect));
    EXPECT_EQ(6u, list);
    EXPECT_EQ("48+40+32+24+16+08", text);
    EXPECT_EQ(1u, detect);

    m_pMachine->ClearLog();
    int again[60] = {};
    ASSERT_EQ(6, m_Manager.LoadSpeedCache(record, again));
    EXPECT_EQ(std::vector<int>({48, 40, 32, 24, 16, 8}), Speeds(again, 6));
    EXPECT_EQ(0, SetCdSpeedCount());
}

// A DVD drive reading CDs at 125 X: speeds of three digits are stored as they are and read back whole.
TEST_F(SpeedCacheTest, SpeedsOfThreeDigitsReadBack)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("DVDR   XR-1250  ", {125, 100, 48, 8}, &nDrive);
    int speeds[60];
    ASSERT_EQ(4, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(std::vector<int>({125, 100, 48, 8}), Speeds(speeds, 4));

    DWORD list = 0, detect = 0;
    std::string text;
    ASSERT_TRUE(ReadStored("DVDR   XR-1250", list, text, detect));
    EXPECT_EQ("125+100+48+08", text);

    m_pMachine->ClearLog();
    int again[60] = {};
    ASSERT_EQ(4, m_Manager.LoadSpeedCache(record, again));
    EXPECT_EQ(std::vector<int>({125, 100, 48, 8}), Speeds(again, 4));
    EXPECT_EQ(0, SetCdSpeedCount());
}

TEST_F(SpeedCacheTest, DriveRefusingSetCdSpeedStoresZero)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4802  ", {24}, &nDrive);
    m_pMachine->SetInt(nDrive, "speed.cdRefuse", 1);
    int speeds[60];
    ASSERT_EQ(1, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(0, speeds[0]);
    DWORD list = 0, detect = 0;
    std::string text;
    ASSERT_TRUE(ReadStored("CD-R   XR-4802", list, text, detect));
    EXPECT_EQ(1u, list);
    EXPECT_EQ("00", text);
}

LONG RefuseCreate(CRegistryKey&, HKEY, LPCTSTR)
{
    return ERROR_ACCESS_DENIED;
}

// An account that cannot create the key still gets the probed list, every time, and nothing is stored.
TEST_F(SpeedCacheTest, LimitedAccountGetsTheProbedList)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4803  ", {32, 16, 8, 4}, &nDrive);
    static const SpeedCacheRegistryHooks kRefusingHooks = {nullptr, RefuseCreate};
    SetSpeedCacheRegistryHooks(&kRefusingHooks);
    for (int round = 0; round < 2; ++round) {
        int speeds[60];
        m_pMachine->ClearLog();
        ASSERT_EQ(4, m_Manager.LoadSpeedCache(record, speeds));
        EXPECT_EQ(std::vector<int>({32, 16, 8, 4}), Speeds(speeds, 4));
        EXPECT_GT(SetCdSpeedCount(), 0);
    }
    DWORD list = 0, detect = 0;
    std::string text;
    EXPECT_FALSE(ReadStored("CD-R   XR-4803", list, text, detect));
}

// A drive without a product identification is probed, and nothing is stored under the program's key itself.
TEST_F(SpeedCacheTest, EmptyProductIsProbedWithoutStoring)
{
    int nDrive = 0;
    CDeviceRecord record = AddAs(kEmuOtherScsiCdWriter, "VELDARO ", "                ", "1.00", 3, &nDrive);
    EmuSetCdSpeeds(m_pMachine, nDrive, {16, 8});
    int speeds[60];
    ASSERT_EQ(2, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(std::vector<int>({16, 8}), Speeds(speeds, 2));
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey) == ERROR_SUCCESS) {
        DWORD list = 0;
        EXPECT_NE(ERROR_SUCCESS, key.QueryDword("List", list));
    }
}

// A drive reaching many speeds keeps 59 of them.
TEST_F(SpeedCacheTest, ProbeKeepsAtMost59Speeds)
{
    std::vector<int> many;
    for (int x = 80; x >= 2; --x)
        many.push_back(x);
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4804  ", many, &nDrive);
    int speeds[60];
    ASSERT_EQ(59, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(80, speeds[0]);
    EXPECT_EQ(22, speeds[58]);
}

TEST_F(SpeedCacheTest, StoredListsAsRead)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4805  ", {24, 8}, &nDrive);
    const DWORD three = 3, lowByteThree = 0x103, zero = 0;
    std::string longText = "99";
    for (int i = 0; i < 70; ++i)
        longText += "+07";
    const struct {
        const char* name;
        const void* list;
        DWORD type;
        DWORD size;
        const char* speeds;
        std::vector<int> expected;
        bool probes;
    } cases[] = {
        {"three speeds", &three, REG_DWORD, 4, "52+48+40", {52, 48, 40}, false},
        {"count in the low byte", &lowByteThree, REG_DWORD, 4, "52+48+40", {52, 48, 40}, false},
        {"more pieces than the count", &three, REG_DWORD, 4, "52+48+40+32", {52, 48, 40}, false},
        {"fewer pieces than the count", &lowByteThree, REG_DWORD, 4, "52+48", {52, 48}, false},
        {"three-digit pieces", &three, REG_DWORD, 4, "125+100+52", {125, 100, 52}, false},
        {"one-digit pieces", &three, REG_DWORD, 4, "8+4+1", {8, 4, 1}, false},
        {"leading zeros", &three, REG_DWORD, 4, "016+08+004", {16, 8, 4}, false},
        {"a separator at the end", &three, REG_DWORD, 4, "52+48+", {52, 48}, false},
        {"an overlong piece", &three, REG_DWORD, 4, "99999999999999+48+x", {9999, 48, 0}, false},
        {"over 60 pieces", &lowByteThree, REG_DWORD, 1, longText.c_str(), {}, false},
        {"count 0", &zero, REG_DWORD, 4, "52", {24, 8}, true},
        {"no speeds", &three, REG_DWORD, 4, nullptr, {24, 8}, true},
    };
    for (const auto& c : cases) {
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath("CD-R   XR-4805").c_str());
        Store("CD-R   XR-4805", c.list, c.type, c.size, c.speeds);
        int speeds[60];
        m_pMachine->ClearLog();
        int n = m_Manager.LoadSpeedCache(record, speeds);
        if (std::string(c.name) == "over 60 pieces") {
            EXPECT_EQ(3, n); // a one-byte "List" of 3
            continue;
        }
        EXPECT_EQ(c.expected, Speeds(speeds, n)) << c.name;
        EXPECT_EQ(c.probes, SetCdSpeedCount() > 0) << c.name;
    }
    // A count of 255 over a text of 71 pieces stops at 60.
    const DWORD many = 255;
    CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath("CD-R   XR-4805").c_str());
    Store("CD-R   XR-4805", &many, REG_DWORD, 4, longText.c_str());
    int speeds[60];
    EXPECT_EQ(60, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(99, speeds[0]);
    EXPECT_EQ(7, speeds[59]);
}

TEST_F(SpeedCacheTest, DetectStoresWhateverWasThere)
{
    int nDrive = 0;
    CDeviceRecord record = AddCdDrive("CD-R   XR-4806  ", {40, 20}, &nDrive);
    const DWORD three = 3;
    Store("CD-R   XR-4806", &three, REG_DWORD, 4, "52+48+40");
    m_Manager.DetectSupportedSpeeds(record);
    DWORD list = 0, detect = 0;
    std::string text;
    ASSERT_TRUE(ReadStored("CD-R   XR-4806", list, text, detect));
    EXPECT_EQ("40+20", text);
    EXPECT_EQ(2u, list);
}

class InstallPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
        ClearInstallPath();
    }
    void TearDown() override
    {
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
        ClearInstallPath();
        if (!m_file.empty())
            DeleteFileA(m_file.c_str());
    }
    static void ClearInstallPath()
    {
        CRegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, (std::string(kProgramRegistryKey) + "\\General").c_str(),
                     KEY_READ | KEY_WRITE) == ERROR_SUCCESS)
            key.DeleteValue("InstallPath");
    }
    static void SetValue(const char* pszKey, const char* pszName, const std::string& value)
    {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, pszKey));
        key.SetString(pszName, value.c_str());
    }
    std::string Paths()
    {
        char path[MAX_PATH];
        std::strcpy(path, "unchanged");
        m_Manager.GetInstallPaths(path);
        return path;
    }

    static constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QRVMZ";
    CDriveManager m_Manager;
    std::string m_file;
};

TEST_F(InstallPathTest, ProgramSettingFirst)
{
    std::string general = std::string(kProgramRegistryKey) + "\\General";
    SetValue(general.c_str(), "InstallPath", "C:\\Program Files\\Korvath\\QRVMZ\\");
    EXPECT_EQ("C:\\Program Files\\Korvath\\QRVMZ", Paths());
    EXPECT_STREQ("C:\\Program Files\\Korvath\\QRVMZ\\Help\\QRVMZEN.CHM", m_Manager.GetHelpFilePath());

    SetValue(general.c_str(), "InstallPath", std::string(400, 'p'));
    EXPECT_EQ(std::string(259, 'p'), Paths());
}

TEST_F(InstallPathTest, SiblingUninstallEntry)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string directory = std::string(temp) + "qrvmz-i11";
    CreateDirectoryA(directory.c_str(), nullptr);
    m_file = directory + "\\uninst.exe";
    HANDLE h = CreateFileA(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);

    SetValue(kUninstall, "UninstallString", "\"" + m_file + "\" /x");
    std::string expected = directory;
    if (expected.size() > 1 && expected[expected.size() - 1] == '\\')
        expected.erase(expected.size() - 1);
    EXPECT_EQ(expected, Paths());
    EXPECT_EQ(expected + "\\Help\\QRVMZEN.CHM", std::string(m_Manager.GetHelpFilePath()));

    SetValue(kUninstall, "UninstallString", "\"" + directory + "\\missing.exe\" /x");
    EXPECT_EQ("unchanged", Paths());
    SetValue(kUninstall, "UninstallString", "\"" + m_file);
    EXPECT_EQ("", Paths());
    SetValue(kUninstall, "UninstallString", m_file);
    EXPECT_EQ("", Paths());
}

TEST_F(InstallPathTest, HelpBesideTheProgramWithoutInstallDirectory)
{
    std::strcpy(m_Manager.m_szStartDir, "C:\\Tavisk");
    EXPECT_STREQ("C:\\Tavisk\\QRVMZEN.CHM", m_Manager.GetHelpFilePath());
}

} // namespace
