// tests/framework/StringTest.cpp — CString: the behaviours the program relies on, as tables of cases
#include "framework/Exceptions.h"
#include "framework/String.h"

#include "FrameworkTestRes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SliceCase {
    const char* text;
    char op; // 'L' Left(a), 'R' Right(a), 'M' Mid(a, b), 'm' Mid(a)
    int a, b;
    const char* expected;
};

// Counts and positions outside the string are clamped, never an error.
const SliceCase kSlices[] = {
    {"abcdef", 'L', 3, 0, "abc"},
    {"abcdef", 'L', 0, 0, ""},
    {"abcdef", 'L', -2, 0, ""},
    {"abcdef", 'L', 99, 0, "abcdef"},
    {"abcdef", 'R', 2, 0, "ef"},
    {"abcdef", 'R', -1, 0, ""},
    {"abcdef", 'R', 99, 0, "abcdef"},
    {"abcdef", 'M', 2, 3, "cde"},
    {"abcdef", 'M', 4, 10, "ef"},
    {"abcdef", 'M', -3, 2, "ab"},
    {"abcdef", 'M', 6, 1, ""},
    {"abcdef", 'M', 9, 1, ""},
    {"abcdef", 'M', 1, -1, ""},
    {"abcdef", 'M', 1, 0x7FFFFFFF, "bcdef"},
    {"abcdef", 'm', 3, 0, "def"},
    {"abcdef", 'm', -1, 0, "abcdef"},
    {"abcdef", 'm', 7, 0, ""},
    {"", 'L', 1, 0, ""},
    {"", 'M', 0, 1, ""},
};

TEST(CStringTest, LeftMidRightClamp)
{
    for (const SliceCase& c : kSlices) {
        SCOPED_TRACE(std::string(c.text) + " " + c.op + " " + std::to_string(c.a) + "," + std::to_string(c.b));
        const CString s(c.text);
        CString result;
        switch (c.op) {
        case 'L':
            result = s.Left(c.a);
            break;
        case 'R':
            result = s.Right(c.a);
            break;
        case 'M':
            result = s.Mid(c.a, c.b);
            break;
        default:
            result = s.Mid(c.a);
            break;
        }
        EXPECT_STREQ(c.expected, result);
    }
}

struct FindCase {
    const char* text;
    const char* what; // one character: Find(char); longer: Find(string)
    int start;
    int expected;
};

const FindCase kFinds[] = {
    {"a.b.c", ".", 0, 1},   {"a.b.c", ".", 2, 3},   {"a.b.c", ".", 4, -1},  {"a.b.c", ".", -1, -1},
    {"a.b.c", ".", 99, -1}, {"abcabc", "ca", 0, 2}, {"abcabc", "bc", 2, 4}, {"abcabc", "x", 0, -1},
    {"abc", "", 1, 1},      {"abc", "abcd", 0, -1}, {"", "a", 0, -1},       {"abcabc", "abc", 4, -1},
    {"abc", "bc", 3, -1},
};

TEST(CStringTest, Find)
{
    for (const FindCase& c : kFinds) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.what + " from " + std::to_string(c.start));
        const CString s(c.text);
        const int found = std::string(c.what).size() == 1 ? s.Find(c.what[0], c.start) : s.Find(c.what, c.start);
        EXPECT_EQ(c.expected, found);
    }
}

TEST(CStringTest, ReverseFindAndFindOneOf)
{
    EXPECT_EQ(8, CString("name.tar.gz").ReverseFind('.'));
    EXPECT_EQ(-1, CString("README").ReverseFind('.'));
    EXPECT_EQ(0, CString(".profile").ReverseFind('.'));
    EXPECT_EQ(3, CString("abc;d,e").FindOneOf(",;"));
    EXPECT_EQ(-1, CString("abc").FindOneOf(",;"));
}

// 0x95 0x5C is one double-byte character in code page 932: its trail byte is not a backslash.
TEST(CStringTest, ScansStepOverDoubleByteCharacters)
{
    CPINFO info;
    if (!GetCPInfo(932, &info))
        GTEST_SKIP() << "code page 932 not available";
    const char text[] = "C:\\\x95\x5c\\x\x95\x5c.txt";
    const int length = static_cast<int>(sizeof(text) - 1);
    EXPECT_TRUE(Mbcs::IsLeadByte(0x95, 932));
    EXPECT_FALSE(Mbcs::IsLeadByte(0x95, 1252));
    EXPECT_EQ(5, Mbcs::ReverseFindChar(text, length, '\\', 932));
    EXPECT_EQ(8, Mbcs::ReverseFindChar(text, length, '\\', 1252));
    EXPECT_EQ(5, Mbcs::FindChar(text, length, '\\', 3, 932));
    EXPECT_EQ(4, Mbcs::FindChar(text, length, '\\', 3, 1252));
    EXPECT_EQ(5, Mbcs::FindString(text, length, "\\x", 3, 932));
    EXPECT_EQ(-1, Mbcs::FindString(text, length, "\x5c\\", 3, 932));
    EXPECT_EQ(4, Mbcs::FindString(text, length, "\x5c\\", 3, 1252));
}

struct ReplaceCase {
    const char* text;
    const char* from;
    const char* to;
    int count;
    const char* expected;
};

const ReplaceCase kReplaces[] = {
    {"a-b-c", "-", "+", 2, "a+b+c"},
    {"a-b-c", "-", "", 2, "abc"},
    {"aaa", "aa", "b", 1, "ba"},
    {"abc", "x", "y", 0, "abc"},
    {"abc", "", "y", 0, "abc"},
    {"", "a", "b", 0, ""},
    {"x%s%s", "%s", "%s%s", 2, "x%s%s%s%s"},
};

TEST(CStringTest, Replace)
{
    for (const ReplaceCase& c : kReplaces) {
        SCOPED_TRACE(std::string(c.text) + ": " + c.from + " -> " + c.to);
        CString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to));
        EXPECT_STREQ(c.expected, s);
    }
    CString s("a\\b\\c");
    EXPECT_EQ(2, s.Replace('\\', '/'));
    EXPECT_STREQ("a/b/c", s);
    EXPECT_EQ(2, s.Remove('/'));
    EXPECT_STREQ("abc", s);
}

TEST(CStringTest, TrimAndCase)
{
    CString s(" \t value \r\n");
    EXPECT_STREQ("value", s.Trim());
    s = "  both  ";
    EXPECT_STREQ("both  ", s.TrimLeft());
    EXPECT_STREQ("both", s.TrimRight());
    s = "xxabcxx";
    EXPECT_STREQ("abc", s.Trim('x'));
    s = "path\\\\";
    EXPECT_STREQ("path", s.TrimRight('\\'));
    s = "   ";
    EXPECT_STREQ("", s.TrimRight());

    s = "Mixed Case 1";
    EXPECT_STREQ("MIXED CASE 1", s.MakeUpper());
    EXPECT_STREQ("mixed case 1", s.MakeLower());
    s = "\xfc"
        "ber";
    EXPECT_STREQ("\xdc"
                 "BER",
                 s.MakeUpper());
    s = "abc";
    EXPECT_STREQ("cba", s.MakeReverse());
}

TEST(CStringTest, Comparisons)
{
    const CString abc("abc");
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE("abc" == abc);
    EXPECT_TRUE(abc != CString("abd"));
    EXPECT_TRUE(abc < CString("abd"));
    EXPECT_TRUE(CString("ab") < abc);
    EXPECT_TRUE(CString("B") < CString("a"));
    EXPECT_EQ(0, abc.CompareNoCase("ABC"));
    EXPECT_LT(CString("a").CompareNoCase("B"), 0);
    EXPECT_GT(abc.Compare("ABC"), 0);
    EXPECT_EQ(0, CString("\xe4"
                         "x")
                     .CompareNoCase("\xc4"
                                    "X"));
}

TEST(CStringTest, ConstructionAndConcatenation)
{
    EXPECT_STREQ("-----", CString('-', 5));
    EXPECT_STREQ("", CString('-', 0));
    EXPECT_STREQ("", CString('-', -3));
    EXPECT_STREQ("ab", CString("abcdef", 2));
    EXPECT_STREQ("ab", CString("ab\0cd", 5));
    EXPECT_STREQ("", CString(static_cast<LPCSTR>(nullptr)));
    EXPECT_THROW(CString("abc", -1), CInvalidArgException);

    CString s("a");
    s += "b";
    s += 'c';
    s += CString("d");
    EXPECT_STREQ("abcd", s);
    EXPECT_STREQ("xabcd!", 'x' + s + '!');
    EXPECT_STREQ("<abcd>", "<" + s + ">");
    s += s;
    EXPECT_STREQ("abcdabcd", s);
    EXPECT_EQ(8, s.GetLength());

    EXPECT_EQ('b', s.GetAt(1));
    EXPECT_EQ('\0', s.GetAt(8));
    EXPECT_THROW(s.GetAt(9), CInvalidArgException);
    EXPECT_THROW(s.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(s.SetAt(8, 'x'), CInvalidArgException);
    s.SetAt(0, 'A');
    EXPECT_STREQ("Abcdabcd", s);
}

TEST(CStringTest, InsertDeleteAndSpans)
{
    CString s("ace");
    EXPECT_EQ(4, s.Insert(1, 'b'));
    EXPECT_EQ(5, s.Insert(99, "!"));
    EXPECT_EQ(6, s.Insert(-4, ">"));
    EXPECT_STREQ(">abce!", s);
    EXPECT_EQ(4, s.Delete(0, 2));
    EXPECT_EQ(3, s.Delete(3, 10));
    EXPECT_EQ(3, s.Delete(7));
    EXPECT_STREQ("bce", s);
    EXPECT_STREQ("123", CString("123abc").SpanIncluding("0123456789"));
    EXPECT_STREQ("key", CString("key=value").SpanExcluding("=:"));
}

// The program splits "a#b##c#" at '#' and keeps only the non-empty parts.
TEST(CStringTest, TokenizeKeepsNonEmptyTokens)
{
    struct Case {
        const char* text;
        const char* expected; // tokens joined with '|'
    } const cases[] = {
        {"a#b##c#", "a|b|c"}, {"##", ""}, {"", ""}, {"one", "one"}, {"#lead", "lead"}, {"x#y", "x|y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CString text(c.text);
        CString joined;
        int pos = 0;
        for (CString token = text.Tokenize("#", pos); pos != -1; token = text.Tokenize("#", pos)) {
            EXPECT_FALSE(token.IsEmpty());
            if (!joined.IsEmpty())
                joined += '|';
            joined += token;
        }
        EXPECT_STREQ(c.expected, joined);
    }
    int pos = -1;
    EXPECT_THROW(CString("a").Tokenize("#", pos), CInvalidArgException);
}

TEST(CStringTest, FormatHasNoLengthLimit)
{
    CString s;
    s.Format("%d-%s-%c-%05.1f", 42, "x", 'y', 3.14159);
    EXPECT_STREQ("42-x-y-003.1", s);

    const std::string big(5000, 'z');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(5002, s.GetLength());
    EXPECT_EQ(']', s[5001]);

    s = "self";
    s.Format("%s+%s", s.GetString(), s.GetString());
    EXPECT_STREQ("self+self", s);

    s.Format("%lld %llu", -1234567890123LL, 18446744073709551615ULL);
    EXPECT_STREQ("-1234567890123 18446744073709551615", s);

    s = "n=";
    s.AppendFormat("%u", 7u);
    EXPECT_STREQ("n=7", s);

    s.Format(IDS_TEST_FORMAT, 3, "the box");
    EXPECT_STREQ("3 items in the box", s);
}

// A CString handed to a %s, as class-library code habitually does, formats as its text: the compiler would
// otherwise pass the object itself through the variable arguments.
TEST(CStringTest, FormatTakesStringObjectsForPercentS)
{
    const CString where("the box");
    CString self("self");
    CString s;
    s.Format(IDS_TEST_FORMAT, 3, where);
    EXPECT_STREQ("3 items in the box", s);

    const CString format("%s|%d|%s");
    s.Format(format, where, 7, CString("tail"));
    EXPECT_STREQ("the box|7|tail", s);

    self.Format("%s+%s", self, self);
    EXPECT_STREQ("self+self", self);

    s = "at ";
    s.AppendFormat("%s", where);
    EXPECT_STREQ("at the box", s);
}

TEST(CStringTest, BufferAccess)
{
    CString s("keep");
    char* buffer = s.GetBuffer(100);
    EXPECT_STREQ("keep", buffer);
    lstrcpyA(buffer, "a longer text written by an API");
    s.ReleaseBuffer();
    EXPECT_STREQ("a longer text written by an API", s);
    EXPECT_EQ(31, s.GetLength());

    buffer = s.GetBuffer(10);
    buffer[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_STREQ("a ", s);

    buffer = s.GetBuffer(8);
    memcpy(buffer, "12345678", 8);
    s.ReleaseBuffer(5);
    EXPECT_STREQ("12345", s);

    buffer = s.GetBufferSetLength(3);
    s.ReleaseBuffer(99);
    EXPECT_STREQ("123", s);

    EXPECT_THROW(s.GetBuffer(-1), CInvalidArgException);
}

TEST(CStringTest, LoadString)
{
    CString s("unchanged");
    EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING));
    EXPECT_STREQ("unchanged", s);

    ASSERT_TRUE(s.LoadString(IDS_TEST_SHORT));
    EXPECT_STREQ("Short", s);

    ASSERT_TRUE(s.LoadString(IDS_TEST_LONG));
    EXPECT_EQ(TEST_LONG_LENGTH, s.GetLength());
    EXPECT_STREQ(" END", s.Right(4));

    ASSERT_TRUE(s.LoadString(IDS_TEST_CRLF));
    EXPECT_STREQ("Line one\r\nLine two", s);

    EXPECT_STREQ("Short", CString(MAKEINTRESOURCEA(IDS_TEST_SHORT)));

    AfxFormatString2(s, IDS_TEST_RANGE, "1", "100");
    EXPECT_STREQ("Please enter an integer between 1 and 100.", s);
}

TEST(CStringTest, WideToAnsi)
{
    EXPECT_STREQ("USB \xfc"
                 "ber",
                 WideToAnsi(L"USB \u00fcber"));
    EXPECT_STREQ("ab", WideToAnsi(L"abcdef", 2));
    EXPECT_STREQ("", WideToAnsi(nullptr));
    EXPECT_STREQ("?", WideToAnsi(L"\u4E3B"));
    EXPECT_STREQ("wide", CString(L"wide"));
}

} // namespace
