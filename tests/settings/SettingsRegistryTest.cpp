// tests/settings/SettingsRegistryTest.cpp — program and transfer-rate settings through the Wine registry: defaults
// without keys, round trips, the stored forms, and values of the wrong type, size or range
#include "app/MainDlg.h"
#include "gui/GuiTest.h"
#include "app/ProgramSettings.h"
#include "drive/SpeedCache.h"
#include "transfer/TestPages.h"
#include "transfer/TransferRateSettings.h"
#include "update/ScrambledText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kCompanyKey[] = "SOFTWARE\\Korvath";

class SettingsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kCompanyKey); }
    void TearDown() override { CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kCompanyKey); }

    static bool KeyExists(LPCSTR pszPath)
    {
        CRegistryKey key;
        return key.Open(HKEY_LOCAL_MACHINE, pszPath) == ERROR_SUCCESS;
    }
    static void SetRaw(LPCSTR pszPath, LPCSTR pszName, DWORD type, const void* pData, DWORD size)
    {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, pszPath));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), pszName, 0, type, static_cast<const BYTE*>(pData), size));
    }
    static void SetDword(LPCSTR pszPath, LPCSTR pszName, DWORD value)
    {
        SetRaw(pszPath, pszName, REG_DWORD, &value, sizeof(value));
    }
    static void Raw(LPCSTR pszPath, LPCSTR pszName, DWORD& rType, std::string& rData)
    {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, pszPath));
        CByteArray data;
        ASSERT_EQ(ERROR_SUCCESS, key.QueryRaw(pszName, rType, data));
        rData.assign(reinterpret_cast<const char*>(data.GetData()), static_cast<size_t>(data.GetSize()));
    }
    // The text as stored, without the NUL that the system's ANSI functions may add when they store or read it
    // (a text handed over without its NUL is stored with one when a NUL follows it in memory), and the number of
    // characters stored, terminator included, as the UTF-16 form shows it.
    static void StoredText(LPCSTR pszPath, LPCSTR pszName, std::string& rText, DWORD& rStoredChars)
    {
        DWORD type = 0;
        Raw(pszPath, pszName, type, rText);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        if (!rText.empty() && rText.back() == '\0')
            rText.pop_back();
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, pszPath));
        std::wstring name(pszName, pszName + strlen(pszName));
        DWORD size = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size));
        rStoredChars = size / sizeof(WCHAR);
    }
    // Each case's number stored alone under its name in an otherwise empty key, and what its member of the
    // transfer-rate settings reads back as.
    template <class Case, size_t N>
    static void ExpectEachValueReadsBack(const Case (&cases)[N])
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " = " + std::to_string(c.stored));
            CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kCompanyKey);
            SetDword(kTransferRateKeyPath, c.name, c.stored);
            TransferRateSettings read;
            ASSERT_TRUE(ReadTransferRateSettings(read));
            EXPECT_EQ(c.expected, read.*c.member);
        }
    }
};

void ExpectDefaults(const TransferRateSettings& s)
{
    EXPECT_EQ(2u, s.sampleLen);
    EXPECT_EQ(2u, s.testEvery);
    EXPECT_EQ(2u, s.testEveryWrite);
    EXPECT_EQ(56u, s.maxSpeed);
    EXPECT_EQ(16u, s.maxSpeedDvd);
    EXPECT_EQ(56u, s.maxSpeedWrite);
    EXPECT_EQ(16u, s.maxSpeedDvdWrite);
    EXPECT_EQ(1, s.simulate);
    EXPECT_EQ(0, s.overburn);
    EXPECT_EQ(427500u, s.overburnLength);
    EXPECT_EQ(1u, s.formatParameters);
    EXPECT_EQ(100u, s.readTimeInd);
    EXPECT_EQ(0x500000u, s.readTimeIndDvd);
    EXPECT_EQ(100u, s.writeTimeInd);
}

// The program settings as written or as expected after a read.
struct ProgramValues {
    const char* user;
    const char* password;
    const char* server;
    DWORD port;
    BOOL useProxy;
    DWORD autoFW;
};

void ExpectProgramValues(const ProgramValues& expected, const ProxySettings& proxy, DWORD autoFW)
{
    EXPECT_EQ(CString(expected.user), proxy.user);
    EXPECT_EQ(CString(expected.password), proxy.password);
    EXPECT_EQ(CString(expected.server), proxy.server);
    EXPECT_EQ(expected.port, proxy.port);
    EXPECT_EQ(expected.useProxy, proxy.useProxy);
    EXPECT_EQ(expected.autoFW, autoFW);
}

// No keys at all: no proxy, port 80, no automatic check, and the transfer-rate defaults; reading writes nothing.
TEST_F(SettingsRegistryTest, MissingKeysGiveTheDefaults)
{
    ProxySettings proxy;
    DWORD autoFW = 0;
    EXPECT_FALSE(ReadProgramSettings(proxy, autoFW));
    ExpectProgramValues({"", "", "", 80, FALSE, 0}, proxy, autoFW);

    TransferRateSettings settings;
    settings.maxSpeed = 8;
    EXPECT_FALSE(ReadTransferRateSettings(settings));
    ExpectDefaults(settings);
    EXPECT_FALSE(KeyExists(kCompanyKey));
}

TEST_F(SettingsRegistryTest, ProgramSettingsRoundTrip)
{
    const ProgramValues cases[] = {
        {"alice", "s3cret!", "proxy.example", 3128, TRUE, 1},
        {"", "", "", 80, FALSE, 0},
        {"b\xF6rje", "P\xE4ss w\xF6rd \x80\xDF", "10.0.0.1", 8080, TRUE, 0},
        {"u",
         "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456"
         "78",
         "p", 65535, FALSE, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        ProxySettings written;
        written.user = c.user;
        written.password = c.password;
        written.server = c.server;
        written.port = c.port;
        written.useProxy = c.useProxy;
        ASSERT_TRUE(WriteProgramSettings(written, c.autoFW));

        ProxySettings read;
        read.password = "stale";
        DWORD autoFW = 99;
        ASSERT_TRUE(ReadProgramSettings(read, autoFW));
        ExpectProgramValues(c, read, autoFW);
    }
}

// Texts as REG_SZ, the password only in its scrambled form.
TEST_F(SettingsRegistryTest, ProgramSettingsStoredForms)
{
    ProxySettings proxy;
    proxy.user = "carol";
    proxy.password = "hunter2";
    proxy.server = "cache.example";
    proxy.port = 8000;
    proxy.useProxy = TRUE;
    ASSERT_TRUE(WriteProgramSettings(proxy, 1));

    std::string data;
    DWORD storedChars = 0;
    StoredText(kProgramRegistryKey, "puser", data, storedChars);
    EXPECT_EQ("carol", data);
    EXPECT_LE(storedChars, 6u);
    StoredText(kProgramRegistryKey, "pserver", data, storedChars);
    EXPECT_EQ("cache.example", data);
    EXPECT_LE(storedChars, 14u);
    StoredText(kProgramRegistryKey, "ppass", data, storedChars);
    EXPECT_LE(storedChars, 15u);
    EXPECT_EQ(std::string(ScrambleText("hunter2")), data);
    EXPECT_EQ(std::string::npos, data.find("hunter2"));
    DWORD type = 0;
    Raw(kProgramRegistryKey, "pport", type, data);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x40\x1F\0\0", 4), data);

    proxy.password.Empty();
    ASSERT_TRUE(WriteProgramSettings(proxy, 1));
    StoredText(kProgramRegistryKey, "ppass", data, storedChars);
    EXPECT_EQ("", data);
    EXPECT_LE(storedChars, 1u);
}

// Values that cannot be right leave the setting as it was (the defaults here): a port out of range, numbers of
// fewer than four bytes; a damaged password reads empty.
TEST_F(SettingsRegistryTest, OddProgramValuesAreIgnored)
{
    const DWORD bigPort = 70000;
    const DWORD zero = 0;
    SetRaw(kProgramRegistryKey, "pport", REG_DWORD, &bigPort, sizeof(bigPort));
    SetRaw(kProgramRegistryKey, "Proxy", REG_SZ, "1", 2);
    SetRaw(kProgramRegistryKey, "AutoFW", REG_BINARY, "\1\0\0", 3);
    SetRaw(kProgramRegistryKey, "puser", REG_DWORD, &zero, sizeof(zero));
    const std::string stored = std::string(ScrambleText("secret"));
    SetRaw(kProgramRegistryKey, "ppass", REG_SZ, stored.data(), static_cast<DWORD>(stored.size() - 1));
    ProxySettings proxy;
    DWORD autoFW = 0;
    ASSERT_TRUE(ReadProgramSettings(proxy, autoFW));
    EXPECT_EQ(80u, proxy.port);
    EXPECT_FALSE(proxy.useProxy);
    EXPECT_EQ(0u, autoFW);
    EXPECT_EQ("", proxy.user);
    EXPECT_EQ("", proxy.password);

    SetRaw(kProgramRegistryKey, "pport", REG_DWORD, &zero, sizeof(zero));
    const std::string tooLong(300, 'Q');
    SetRaw(kProgramRegistryKey, "ppass", REG_SZ, tooLong.data(), static_cast<DWORD>(tooLong.size()));
    ASSERT_TRUE(ReadProgramSettings(proxy, autoFW));
    EXPECT_EQ(80u, proxy.port);
    EXPECT_EQ("", proxy.password);
}

// Whatever their registry type, the texts are read up to their first NUL or the end of the value (the stored
// texts have none), the numbers as their first four bytes.
TEST_F(SettingsRegistryTest, ProgramValuesOfAnyTypeAreRead)
{
    const std::string password = std::string(ScrambleText("binary secret"));
    SetRaw(kProgramRegistryKey, "ppass", REG_BINARY, password.data(), static_cast<DWORD>(password.size()));
    SetRaw(kProgramRegistryKey, "pserver", REG_BINARY, "gate.example", 12);
    SetRaw(kProgramRegistryKey, "puser", REG_MULTI_SZ, "frank\0second\0", 14);
    SetRaw(kProgramRegistryKey, "pport", REG_BINARY, "\x40\x1F\0\0", 4);
    SetRaw(kProgramRegistryKey, "Proxy", REG_QWORD, "\1\0\0\0\0\0\0\0", 8);
    SetRaw(kProgramRegistryKey, "AutoFW", REG_BINARY, "\1\0\0\0\xFF\xFF\xFF\xFF", 8);
    ProxySettings proxy;
    proxy.port = 80;
    proxy.useProxy = FALSE;
    DWORD autoFW = 0;
    ASSERT_TRUE(ReadProgramSettings(proxy, autoFW));
    ExpectProgramValues({"frank", "binary secret", "gate.example", 8000, TRUE, 1}, proxy, autoFW);
}

TEST_F(SettingsRegistryTest, TransferRateRoundTrip)
{
    TransferRateSettings written;
    written.sampleLen = 0;
    written.testEvery = 4;
    written.testEveryWrite = 3;
    written.maxSpeed = 100;
    written.maxSpeedDvd = 1;
    written.maxSpeedWrite = 48;
    written.maxSpeedDvdWrite = 8;
    written.simulate = 0;
    written.overburn = 1;
    written.overburnLength = 359999;
    written.formatParameters = 0;
    written.readTimeInd = 144;
    written.readTimeIndDvd = 0xA00000;
    written.writeTimeInd = 84;
    ASSERT_TRUE(WriteTransferRateSettings(written));

    TransferRateSettings read;
    ASSERT_TRUE(ReadTransferRateSettings(read));
    EXPECT_EQ(0u, read.sampleLen);
    EXPECT_EQ(4u, read.testEvery);
    EXPECT_EQ(3u, read.testEveryWrite);
    EXPECT_EQ(100u, read.maxSpeed);
    EXPECT_EQ(1u, read.maxSpeedDvd);
    EXPECT_EQ(48u, read.maxSpeedWrite);
    EXPECT_EQ(8u, read.maxSpeedDvdWrite);
    EXPECT_EQ(0, read.simulate);
    EXPECT_EQ(1, read.overburn);
    EXPECT_EQ(359999u, read.overburnLength);
    EXPECT_EQ(0u, read.formatParameters);
    EXPECT_EQ(144u, read.readTimeInd);
    EXPECT_EQ(0xA00000u, read.readTimeIndDvd);
    EXPECT_EQ(84u, read.writeTimeInd);

    // The writer's key names and the flags as 0 or 1.
    DWORD type = 0;
    std::string data;
    Raw("Software\\Korvath\\TAVISK\\Transfer Rate", "Overburn", type, data);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\1\0\0\0", 4), data);
    written.simulate = 5;
    written.overburn = 2;
    ASSERT_TRUE(WriteTransferRateSettings(written));
    Raw(kTransferRateKeyPath, "Simulate", type, data);
    EXPECT_EQ(std::string("\1\0\0\0", 4), data);
    Raw(kTransferRateKeyPath, "Overburn", type, data);
    EXPECT_EQ(std::string("\0\0\0\0", 4), data);
}

// One stored value at a time over an otherwise empty key: what each setting reads back as.
TEST_F(SettingsRegistryTest, TransferRateValuesAreChecked)
{
    const struct {
        const char* name;
        DWORD stored;
        DWORD TransferRateSettings::*member;
        DWORD expected;
    } cases[] = {
        {"SampleLen", 4, &TransferRateSettings::sampleLen, 4},
        {"SampleLen", 5, &TransferRateSettings::sampleLen, 2},
        {"SampleLen", 0xFFFFFFFF, &TransferRateSettings::sampleLen, 2},
        {"TestEvery", 7, &TransferRateSettings::testEvery, 2},
        {"TestEveryWrite", 5, &TransferRateSettings::testEveryWrite, 2},
        {"TestEveryWrite", 0, &TransferRateSettings::testEveryWrite, 0},
        {"MaxSpeed", 0, &TransferRateSettings::maxSpeed, 56},
        {"MaxSpeed", 101, &TransferRateSettings::maxSpeed, 56},
        {"MaxSpeed", 1, &TransferRateSettings::maxSpeed, 1},
        {"MaxSpeedDVD", 0, &TransferRateSettings::maxSpeedDvd, 16},
        {"MaxSpeedDVD", 24, &TransferRateSettings::maxSpeedDvd, 24},
        {"MaxSpeedWrite", 0, &TransferRateSettings::maxSpeedWrite, 0}, // the write page repairs it
        {"MaxSpeedDVDWrite", 250, &TransferRateSettings::maxSpeedDvdWrite, 250},
        {"OverburnLength", 0, &TransferRateSettings::overburnLength, 427500},
        {"OverburnLength", 4500000, &TransferRateSettings::overburnLength, 427500},
        {"OverburnLength", 4499999, &TransferRateSettings::overburnLength, 4499999},
        {"FormatParameters", 0, &TransferRateSettings::formatParameters, 0},
        {"FormatParameters", 2, &TransferRateSettings::formatParameters, 1},
        {"ReadTimeInd", 80, &TransferRateSettings::readTimeInd, 100},
        {"ReadTimeInd", 84, &TransferRateSettings::readTimeInd, 84},
        {"ReadTimeInd", 140, &TransferRateSettings::readTimeInd, 100},
        {"ReadTimeIndDVD", 0xA00000, &TransferRateSettings::readTimeIndDvd, 0xA00000},
        {"ReadTimeIndDVD", 0x600000, &TransferRateSettings::readTimeIndDvd, 0x500000},
        {"ReadTimeIndDVD", 0, &TransferRateSettings::readTimeIndDvd, 0x500000},
        {"WriteTimeInd", 144, &TransferRateSettings::writeTimeInd, 144},
        {"WriteTimeInd", 99, &TransferRateSettings::writeTimeInd, 100},
    };
    ExpectEachValueReadsBack(cases);
}

TEST_F(SettingsRegistryTest, TransferRateFlags)
{
    const struct {
        const char* name;
        DWORD stored;
        BYTE TransferRateSettings::*member;
        BYTE expected;
    } cases[] = {
        {"Simulate", 0, &TransferRateSettings::simulate, 0},
        {"Simulate", 0xFF00, &TransferRateSettings::simulate, 0}, // only the low byte counts
        {"Simulate", 0x0100, &TransferRateSettings::simulate, 0},
        {"Simulate", 0x0101, &TransferRateSettings::simulate, 1},
        {"Simulate", 0x80, &TransferRateSettings::simulate, 1},
        {"Overburn", 1, &TransferRateSettings::overburn, 1},
        {"Overburn", 7, &TransferRateSettings::overburn, 1},
        {"Overburn", 0x10000, &TransferRateSettings::overburn, 1},
        {"Overburn", 0, &TransferRateSettings::overburn, 0},
    };
    ExpectEachValueReadsBack(cases);
}

// A value of any type gives its first four bytes as the number; a value of fewer bytes keeps the default.
TEST_F(SettingsRegistryTest, TransferRateValuesOfAnyTypeOrSize)
{
    const struct {
        DWORD type;
        std::string bytes;
        bool taken;
    } cases[] = {
        {REG_DWORD, std::string("\4\0\0\0", 4), true},
        {REG_BINARY, std::string("\4\0\0\0", 4), true},
        {REG_DWORD, std::string("\4\0\0\0\xFF\0\0\0", 8), true},
        {REG_QWORD, std::string("\4\0\0\0\1\0\0\0", 8), true},
        {REG_BINARY, std::string("\4\0\0", 3), false},
        {REG_DWORD, std::string("\4\0", 2), false},
        {REG_SZ, std::string("4\0", 2), false},
        {REG_DWORD, std::string(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " size " + std::to_string(c.bytes.size()));
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kCompanyKey);
        for (const char* name : {"SampleLen", "MaxSpeed", "MaxSpeedDVDWrite", "Overburn", "ReadTimeIndDVD"})
            SetRaw(kTransferRateKeyPath, name, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        TransferRateSettings read;
        ASSERT_TRUE(ReadTransferRateSettings(read));
        if (!c.taken) {
            ExpectDefaults(read);
            continue;
        }
        EXPECT_EQ(4u, read.sampleLen);
        EXPECT_EQ(4u, read.maxSpeed);
        EXPECT_EQ(4u, read.maxSpeedDvdWrite);
        EXPECT_EQ(1, read.overburn);
        EXPECT_EQ(0x500000u, read.readTimeIndDvd) << "4 is no DVD length";
    }
}

// The main dialog's four operations: what SaveSettings wrote, LoadSettings of another dialog object reads back.
TEST_F(SettingsRegistryTest, MainDialogSavesAndLoads)
{
    {
        CMainDlg dlg;
        dlg.m_proxy.user = "dave";
        dlg.m_proxy.password = "pa55";
        dlg.m_proxy.server = "gate.example";
        dlg.m_proxy.port = 8888;
        dlg.m_proxy.useProxy = TRUE;
        dlg.m_nAutoFW = 1;
        dlg.m_transferRate.maxSpeed = 40;
        dlg.m_transferRate.readTimeIndDvd = 0xA00000;
        dlg.SaveSettings();
    }
    CMainDlg dlg;
    dlg.LoadSettings();
    EXPECT_EQ("dave", dlg.m_proxy.user);
    EXPECT_EQ("pa55", dlg.m_proxy.password);
    EXPECT_EQ("gate.example", dlg.m_proxy.server);
    EXPECT_EQ(8888u, dlg.m_proxy.port);
    EXPECT_TRUE(dlg.m_proxy.useProxy);
    EXPECT_EQ(1u, dlg.m_nAutoFW);
    EXPECT_EQ(40u, dlg.m_transferRate.maxSpeed);
    EXPECT_EQ(0xA00000u, dlg.m_transferRate.readTimeIndDvd);
    EXPECT_EQ(2u, dlg.m_transferRate.sampleLen);
}

// The DVD write graph's length is not stored: every settings load, Refresh included, sets it back to 5 GB, in
// the main dialog and on the DVD write page.
TEST_F(SettingsRegistryTest, EveryLoadSetsTheDvdWriteGraphBackTo5GB)
{
    guitest::HookSession session;
    CMainDlg dlg;
    DWORD nAfterLoad = 0, nPageAfterLoad = 0, nAfterRefresh = 0, nPageAfterRefresh = 0;
    guitest::RunModal(session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        ASSERT_TRUE(main.m_pDvdWritePage);
        auto setTenGigabytes = [&main] {
            main.m_nDvdWriteLength = kDvdLength10GB;
            main.m_pDvdWritePage->SetGraphLength(kDvdLength10GB);
        };
        setTenGigabytes();
        main.LoadSettings();
        nAfterLoad = main.m_nDvdWriteLength;
        nPageAfterLoad = main.m_pDvdWritePage->GetGraphLength();
        setTenGigabytes();
        main.SendMessage(WM_COMMAND, IDC_REFRESH, 0);
        nAfterRefresh = main.m_nDvdWriteLength;
        nPageAfterRefresh = main.m_pDvdWritePage->GetGraphLength();
        main.PostMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(kDvdLength5GB, nAfterLoad);
    EXPECT_EQ(kDvdLength5GB, nPageAfterLoad);
    EXPECT_EQ(kDvdLength5GB, nAfterRefresh);
    EXPECT_EQ(kDvdLength5GB, nPageAfterRefresh);
}

// Every start (and Refresh) puts the proxy defaults in and reads the stored values over them; with "AutoFW" set,
// the automatic update check is armed.
TEST_F(SettingsRegistryTest, StartUpReadsTheSettings)
{
    ProxySettings stored;
    stored.user = "erin";
    stored.password = "open sesame";
    stored.port = 3128;
    stored.useProxy = TRUE;
    ASSERT_TRUE(WriteProgramSettings(stored, 1));
    TransferRateSettings transfer;
    transfer.sampleLen = 4;
    transfer.overburn = 1;
    ASSERT_TRUE(WriteTransferRateSettings(transfer));
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey, KEY_READ | KEY_WRITE));
    ASSERT_EQ(ERROR_SUCCESS, key.DeleteValue("pserver"));

    guitest::HookSession session;
    CMainDlg dlg;
    dlg.m_proxy.server = "left over";
    dlg.m_transferRate.maxSpeed = 8;
    bool bChecked = false;
    guitest::RunModal(session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        EXPECT_EQ("erin", main.m_proxy.user);
        EXPECT_EQ("open sesame", main.m_proxy.password);
        EXPECT_EQ("", main.m_proxy.server);
        EXPECT_EQ(3128u, main.m_proxy.port);
        EXPECT_TRUE(main.m_proxy.useProxy);
        EXPECT_EQ(1u, main.m_nAutoFW);
        EXPECT_NE(0u, main.m_nTimerId);
        EXPECT_EQ(4u, main.m_transferRate.sampleLen);
        EXPECT_EQ(1, main.m_transferRate.overburn);
        EXPECT_EQ(56u, main.m_transferRate.maxSpeed);
        main.KillTimer(main.m_nTimerId);
        bChecked = true;
        main.PostMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_TRUE(bChecked);
}

} // namespace
