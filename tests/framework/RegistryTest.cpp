// tests/framework/RegistryTest.cpp — CRegistryKey round trips and values of the wrong type or size
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path.Format("Software\\TaviskTests\\FrameworkCore%lu", GetCurrentProcessId());
        CRegistryKey::DeleteTree(HKEY_CURRENT_USER, m_path);
        ASSERT_EQ(ERROR_SUCCESS, m_key.Create(HKEY_CURRENT_USER, m_path));
    }
    void TearDown() override
    {
        m_key.Close();
        CRegistryKey::DeleteTree(HKEY_CURRENT_USER, m_path);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }

    CString m_path;
    CRegistryKey m_key;
};

TEST_F(RegistryTest, RoundTrips)
{
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetString("server", "proxy.example"));
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetString("bare", "no terminator", CRegistryKey::withoutNul));
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetString("empty", ""));
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetDword("port", 8080));
    const BYTE bytes[5] = {1, 0, 2, 0xFF, 3};
    EXPECT_EQ(ERROR_SUCCESS, m_key.SetBinary("speeds", bytes, sizeof(bytes)));

    // A second key opened for reading only, as the settings loader does.
    CRegistryKey reader;
    ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_CURRENT_USER, m_path));
    CString text;
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryString("server", text));
    EXPECT_STREQ("proxy.example", text);
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryString("bare", text));
    EXPECT_STREQ("no terminator", text);
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryString("empty", text));
    EXPECT_STREQ("", text);
    DWORD port = 0;
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryDword("port", port));
    EXPECT_EQ(8080u, port);
    BYTE read[5] = {};
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryBinary("speeds", read, sizeof(read)));
    EXPECT_EQ(0, memcmp(bytes, read, sizeof(bytes)));
    CByteArray all;
    EXPECT_EQ(ERROR_SUCCESS, reader.QueryBinary("speeds", all));
    EXPECT_EQ(5, all.GetSize());

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reader.QueryDword("missing", port));
    EXPECT_EQ(ERROR_SUCCESS, m_key.DeleteValue("port"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reader.QueryDword("port", port));
    EXPECT_EQ(8080u, port);

    CRegistryKey missing;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, missing.Open(HKEY_CURRENT_USER, m_path + "\\Nothing"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(ERROR_INVALID_HANDLE, missing.QueryDword("port", port));
}

// A value of the wrong type or size is refused with a clear code and leaves the caller's variable alone.
TEST_F(RegistryTest, WrongTypeOrSizeIsRefused)
{
    const DWORD dword = 0x01020304;
    const WORD word = 7;
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SetRaw("dword", REG_DWORD, &dword, sizeof(dword));
    SetRaw("shortDword", REG_DWORD, &word, sizeof(word));
    SetRaw("binary4", REG_BINARY, &dword, sizeof(dword));
    SetRaw("binary8", REG_BINARY, eight, sizeof(eight));
    SetRaw("text", REG_SZ, "12", 3);
    SetRaw("multi", REG_MULTI_SZ, "a\0b\0", 5);

    struct Case {
        const char* name;
        char kind; // 'D' QueryDword, 'S' QueryString, 'B' QueryBinary of 4 bytes
        LONG expected;
    } const cases[] = {
        {"shortDword", 'D', ERROR_INVALID_DATA},
        {"binary4", 'D', ERROR_INVALID_DATATYPE},
        {"binary8", 'D', ERROR_INVALID_DATATYPE},
        {"text", 'D', ERROR_INVALID_DATATYPE},
        {"dword", 'S', ERROR_INVALID_DATATYPE},
        {"binary8", 'S', ERROR_INVALID_DATATYPE},
        {"multi", 'S', ERROR_INVALID_DATATYPE},
        {"dword", 'B', ERROR_INVALID_DATATYPE},
        {"binary8", 'B', ERROR_INVALID_DATA},
        {"text", 'B', ERROR_INVALID_DATATYPE},
        {"dword", 'D', ERROR_SUCCESS},
        {"binary4", 'B', ERROR_SUCCESS},
        {"text", 'S', ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " as " + c.kind);
        DWORD value = 0xDEADBEEF;
        CString text("unchanged");
        LONG result = ERROR_SUCCESS;
        switch (c.kind) {
        case 'D':
            result = m_key.QueryDword(c.name, value);
            break;
        case 'S':
            result = m_key.QueryString(c.name, text);
            break;
        default:
            result = m_key.QueryBinary(c.name, &value, sizeof(value));
            break;
        }
        EXPECT_EQ(c.expected, result);
        if (result != ERROR_SUCCESS) {
            EXPECT_EQ(0xDEADBEEFu, value);
            EXPECT_STREQ("unchanged", text);
        }
    }
}

// QueryNumber and QueryText take a value of any type: the number is its first four bytes, the lowest first (fewer
// bytes are refused), the text runs to the first NUL or to the end of the data.
TEST_F(RegistryTest, NumberAndTextFromAValueOfAnyType)
{
    struct Case {
        DWORD type;
        std::string bytes;
        LONG numberResult;
        DWORD number;
        const char* text;
    } const cases[] = {
        {REG_DWORD, std::string("\x04\x03\x02\x01", 4), ERROR_SUCCESS, 0x01020304, "\x04\x03\x02\x01"},
        {REG_BINARY, std::string("\x04\x03\x02\x01\x05\x06", 6), ERROR_SUCCESS, 0x01020304, "\x04\x03\x02\x01\x05\x06"},
        {REG_QWORD, std::string("\x09\0\0\0\x01\0\0\0", 8), ERROR_SUCCESS, 9, "\x09"},
        {REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x09", 4), ERROR_SUCCESS, 0x09000000, ""},
        {REG_SZ, std::string("gate\0", 5), ERROR_SUCCESS, 0x65746167, "gate"},
        {REG_SZ, "abcdef", ERROR_SUCCESS, 0x64636261, "abcdef"}, // no terminator: bounded by the size
        {REG_EXPAND_SZ, std::string("%x%\0", 4), ERROR_SUCCESS, 0x00257825, "%x%"},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), ERROR_SUCCESS, 0x00620061, "a"},
        {REG_SZ, std::string("12\0", 3), ERROR_INVALID_DATA, 0, "12"},
        {REG_BINARY, std::string("\xFF\xFF", 2), ERROR_INVALID_DATA, 0, "\xFF\xFF"},
        {REG_DWORD, std::string(), ERROR_INVALID_DATA, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.bytes.size()) + " bytes");
        SetRaw("value", c.type, c.bytes.data(), DWORD(c.bytes.size()));
        DWORD number = 0xDEADBEEF;
        EXPECT_EQ(c.numberResult, m_key.QueryNumber("value", number));
        EXPECT_EQ(c.numberResult == ERROR_SUCCESS ? c.number : 0xDEADBEEFu, number);
        CString text("unchanged");
        EXPECT_EQ(ERROR_SUCCESS, m_key.QueryText("value", text));
        EXPECT_EQ(std::string(c.text), std::string(text));
    }
    DWORD number = 0;
    CString text;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_key.QueryNumber("missing", number));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_key.QueryText("missing", text));
}

// Wine checks the access rights of the handle: a key opened for reading cannot be written through.
TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites)
{
    CRegistryKey reader;
    ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_CURRENT_USER, m_path));
    EXPECT_EQ(ERROR_ACCESS_DENIED, reader.SetDword("port", 1));
}

// Subkey names in enumeration order; a name longer than the limit is passed over, not cut; a key that is not open
// gives ERROR_INVALID_HANDLE and no names.
TEST_F(RegistryTest, SubKeyNames)
{
    CStringArray names;
    EXPECT_EQ(ERROR_SUCCESS, m_key.GetSubKeyNames(names));
    EXPECT_EQ(0, names.GetSize());

    const std::string longName(20, 'L');
    for (const std::string& name : {std::string("0001"), longName, std::string("0000"), std::string("Other")}) {
        CRegistryKey sub;
        ASSERT_EQ(ERROR_SUCCESS, sub.Create(m_key.get(), name.c_str()));
    }
    CRegistryKey reader;
    ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_CURRENT_USER, m_path));
    names.Add("stale");
    EXPECT_EQ(ERROR_SUCCESS, reader.GetSubKeyNames(names, 19));
    ASSERT_EQ(3, names.GetSize());
    EXPECT_STREQ("0000", names[0]);
    EXPECT_STREQ("0001", names[1]);
    EXPECT_STREQ("Other", names[2]);

    EXPECT_EQ(ERROR_SUCCESS, CRegistryKey::GetSubKeyNames(reader.get(), names, 20));
    EXPECT_EQ(4, names.GetSize());

    CRegistryKey closed;
    EXPECT_EQ(ERROR_INVALID_HANDLE, closed.GetSubKeyNames(names));
    EXPECT_EQ(4, names.GetSize());
}

} // namespace
