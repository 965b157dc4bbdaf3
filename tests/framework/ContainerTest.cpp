// tests/framework/ContainerTest.cpp — CArray family and CMapStringToPtr
#include "framework/Array.h"
#include "framework/MapStringToPtr.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A record with a string and a nested array, like the device records and adapter groups of the program.
struct Record {
    CString name;
    CArray<int> values;
};

CArray<int> MakeInts(std::initializer_list<int> list)
{
    CArray<int> result;
    for (int v : list)
        result.Add(v);
    return result;
}

std::string Dump(const CArray<int>& a)
{
    std::string s;
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        s += (i ? "," : "") + std::to_string(a[i]);
    return s;
}

// Every index the class library rejects throws CInvalidArgException and leaves the array as it was.
TEST(CArrayTest, BadIndexThrowsAndLeavesArrayUnchanged)
{
    struct Case {
        const char* what;
        std::function<void(CArray<int>&)> op;
    } const cases[] = {
        {"GetAt(-1)", [](CArray<int>& a) { a.GetAt(-1); }},
        {"GetAt(size)", [](CArray<int>& a) { a.GetAt(3); }},
        {"const GetAt(size)", [](CArray<int>& a) { static_cast<const CArray<int>&>(a).GetAt(3); }},
        {"SetAt(size)", [](CArray<int>& a) { a.SetAt(3, 9); }},
        {"SetAt(-1)", [](CArray<int>& a) { a.SetAt(-1, 9); }},
        {"ElementAt(size)", [](CArray<int>& a) { a.ElementAt(3) = 9; }},
        {"operator[](size)", [](CArray<int>& a) { a[3] = 9; }},
        {"const operator[](-1)", [](CArray<int>& a) { (void)static_cast<const CArray<int>&>(a)[-1]; }},
        {"RemoveAt(size)", [](CArray<int>& a) { a.RemoveAt(3); }},
        {"RemoveAt(-1)", [](CArray<int>& a) { a.RemoveAt(-1); }},
        {"RemoveAt(2, 2)", [](CArray<int>& a) { a.RemoveAt(2, 2); }},
        {"RemoveAt(0, -1)", [](CArray<int>& a) { a.RemoveAt(0, -1); }},
        {"RemoveAt(4, 0)", [](CArray<int>& a) { a.RemoveAt(4, 0); }},
        {"InsertAt(-1)", [](CArray<int>& a) { a.InsertAt(-1, 9); }},
        {"InsertAt(0, x, 0)", [](CArray<int>& a) { a.InsertAt(0, 9, 0); }},
        {"InsertAt(0, NULL)", [](CArray<int>& a) { a.InsertAt(0, nullptr); }},
        {"SetAtGrow(-1)", [](CArray<int>& a) { a.SetAtGrow(-1, 9); }},
        {"SetSize(-1)", [](CArray<int>& a) { a.SetSize(-1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CArray<int> a = MakeInts({1, 2, 3});
        EXPECT_THROW(c.op(a), CInvalidArgException);
        EXPECT_EQ("1,2,3", Dump(a));
    }
}

TEST(CArrayTest, GrowInsertRemove)
{
    CArray<int> a = MakeInts({1, 2, 3});
    a.RemoveAt(3, 0);
    a.InsertAt(5, 7); // beyond the end: grows, the gap is zero
    EXPECT_EQ("1,2,3,0,0,7", Dump(a));
    a.InsertAt(1, 8, 2);
    EXPECT_EQ("1,8,8,2,3,0,0,7", Dump(a));
    a.RemoveAt(3, 4);
    EXPECT_EQ("1,8,8,7", Dump(a));
    a.SetAtGrow(6, 5);
    EXPECT_EQ("1,8,8,7,0,0,5", Dump(a));
    a.SetAtGrow(0, 4);
    a.SetAt(1, 6);
    a.ElementAt(2) = 3;
    EXPECT_EQ("4,6,3,7,0,0,5", Dump(a));
    EXPECT_EQ(7, a.Add(9));
    EXPECT_EQ(7, a.GetUpperBound());

    const CArray<int> b = MakeInts({10, 11});
    a.InsertAt(1, &b);
    EXPECT_EQ("4,10,11,6,3,7,0,0,5,9", Dump(a));
    a.SetSize(2);
    EXPECT_EQ("4,10", Dump(a));
    EXPECT_EQ(2, a.Append(b));
    EXPECT_EQ("4,10,10,11", Dump(a));
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(nullptr, a.GetData());
}

// Elements taken from the array itself stay valid while the array grows.
TEST(CArrayTest, ElementFromSameArray)
{
    CArray<CString> a;
    a.Add("first");
    for (int i = 0; i < 100; ++i)
        a.Add(a[0]);
    a.SetAtGrow(500, a[0]);
    a.InsertAt(0, a[500], 300);
    a.Append(a);
    // 300 inserted, the 101 added, the 399 empty ones SetAtGrow left, the grown one; then all that again.
    ASSERT_EQ(2 * 801, a.GetSize());
    for (INT_PTR i = 0; i < a.GetSize(); ++i) {
        const INT_PTR k = i % 801;
        EXPECT_STREQ(k >= 401 && k <= 799 ? "" : "first", a[i]) << i;
    }
}

// Copies are deep: changing the copy, at any depth, leaves the original alone.
TEST(CArrayTest, NestedCopyIsDeep)
{
    CArray<CArray<Record>> original;
    original.SetSize(2);
    Record r;
    r.name = "drive";
    r.values = MakeInts({1, 2});
    original[0].Add(r);
    original[1].Add(r);
    original[1].Add(r);

    CArray<CArray<Record>> copied(original);
    CArray<CArray<Record>> assigned;
    assigned = original;
    CArray<CArray<Record>> viaCopy;
    viaCopy.Copy(original);

    for (CArray<CArray<Record>>* other : {&copied, &assigned, &viaCopy}) {
        ASSERT_EQ(2, other->GetSize());
        ASSERT_EQ(2, (*other)[1].GetSize());
        (*other)[1][0].name = "changed";
        (*other)[1][0].values[1] = 99;
        (*other)[0].RemoveAt(0);
    }
    EXPECT_STREQ("drive", original[1][0].name);
    EXPECT_EQ("1,2", Dump(original[1][0].values));
    EXPECT_EQ(1, original[0].GetSize());

    original = original;
    original.Copy(original);
    EXPECT_EQ(2, original[1].GetSize());
    EXPECT_STREQ("drive", original[1][1].name);
}

// The line sinks append with SetAtGrow(GetSize(), ...); a bad index on a pointer array throws.
TEST(CArrayTest, StringAndPointerArrays)
{
    CStringArray lines;
    lines.Add("one");
    lines.SetAtGrow(lines.GetSize(), "two");
    lines.SetAtGrow(lines.GetSize(), CString('=', 3));
    ASSERT_EQ(3, lines.GetCount());
    EXPECT_STREQ("two", lines.GetAt(1));
    EXPECT_STREQ("===", lines[2]);

    int x = 0;
    CPtrArray pointers;
    pointers.Add(&x);
    pointers.Add(nullptr);
    EXPECT_EQ(&x, pointers.GetAt(0));
    EXPECT_EQ(nullptr, pointers[1]);
    EXPECT_THROW(pointers.GetAt(2), CInvalidArgException);
}

TEST(CMapStringToPtrTest, LookupSetRemoveIterate)
{
    int a = 1, b = 2, c = 3;
    CMapStringToPtr map;
    map.SetAt("beta", &b);
    map.SetAt("alpha", &a);
    map["gamma"] = &c;
    map.SetAt("Alpha", &c);
    EXPECT_EQ(4, map.GetCount());

    void* value = nullptr;
    EXPECT_TRUE(map.Lookup("alpha", value));
    EXPECT_EQ(&a, value);
    EXPECT_TRUE(map.Lookup("Alpha", value));
    EXPECT_EQ(&c, value);
    int sentinel = 0;
    value = &sentinel;
    EXPECT_FALSE(map.Lookup("delta", value));
    EXPECT_EQ(&sentinel, value);

    map.SetAt("beta", &c);
    EXPECT_EQ(4, map.GetCount());
    EXPECT_TRUE(map.RemoveKey("Alpha"));
    EXPECT_FALSE(map.RemoveKey("Alpha"));
    EXPECT_EQ(3, map.GetCount());

    std::string keys;
    POSITION pos = map.GetStartPosition();
    while (pos != nullptr) {
        CString key;
        void* v = nullptr;
        map.GetNextAssoc(pos, key, v);
        keys += std::string(key) + ";";
        map.RemoveKey(key);
    }
    EXPECT_EQ("alpha;beta;gamma;", keys);
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

} // namespace
