// tests/capture/PropertyBagTextTest.cpp — the texts of a device moniker's property bag: what a read gives, and
// that every string the bag hands out is freed exactly once while a failed read frees nothing.
#include "FakeDeviceInterfaces.h"

#include "capture/CaptureComSeam.h"
#include "capture/PropertyBagText.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace capture_test;

namespace {

// The addresses of the strings the fake bag allocated and of every string cleared through the seam, in order.
// (The system's string cache hands an address out again once it was freed.)
std::vector<const void*> g_allocated;
std::vector<const void*> g_freed;

// Frees a string only while it has been allocated more often than freed, so that a stray or second free is
// recorded instead of corrupting the heap.
HRESULT WINAPI RecordingVariantClear(VARIANTARG* pVar)
{
    if (pVar->vt != VT_BSTR)
        return ::VariantClear(pVar);
    const BSTR text = pVar->bstrVal;
    const bool live =
        std::count(g_allocated.begin(), g_allocated.end(), text) > std::count(g_freed.begin(), g_freed.end(), text);
    g_freed.push_back(text);
    if (live)
        ::SysFreeString(text);
    pVar->vt = VT_EMPTY;
    return S_OK;
}

const CaptureComHooks kRecordingTable = {nullptr, &RecordingVariantClear};

// A property bag with string properties; reading any other name fails with the answer of a missing registry
// value and leaves the variant as it was (the system's device bags have no "Description" for most devices).
// "Number" is a property of another type.
class FakeTextBag final : public FakeCounted<IPropertyBag> {
public:
    std::map<std::wstring, std::wstring> texts;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IPropertyBag, ppv);
    }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* pVar, IErrorLog*) override
    {
        const std::wstring key(name);
        if (key == L"Number") {
            pVar->vt = VT_I4;
            pVar->lVal = 42;
            return S_OK;
        }
        const auto found = texts.find(key);
        if (found == texts.end())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        pVar->vt = VT_BSTR;
        pVar->bstrVal = ::SysAllocString(found->second.c_str());
        g_allocated.push_back(pVar->bstrVal);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
};

class PropertyBagText : public ::testing::Test {
protected:
    FakeRef<FakeTextBag> bag;
    const CaptureComHooks* m_previous = nullptr;

    void SetUp() override
    {
        g_allocated.clear();
        g_freed.clear();
        m_previous = SetCaptureComHooks(&kRecordingTable);
        bag->texts = {{L"FriendlyName", L"USB Camera"}, {L"DevicePath", L"\\\\?\\usb#vid_1#2#{x}"}};
    }
    void TearDown() override
    {
        SetCaptureComHooks(m_previous);
        EXPECT_EQ(1, bag->refs);
    }
};

TEST_F(PropertyBagText, ReadsOfPresentMissingAndOtherProperties)
{
    struct Case {
        const wchar_t* name;
        bool read;
        const char* text; // the text afterwards, which starts as "before"
    } const cases[] = {
        {L"FriendlyName", true, "USB Camera"},
        {L"Description", false, "before"},
        {L"Number", false, "before"},
        {L"DevicePath", true, "\\\\?\\usb#vid_1#2#{x}"},
    };
    for (const Case& c : cases) {
        CString text("before");
        EXPECT_EQ(c.read, ReadPropertyBagText(bag.get(), c.name, text)) << static_cast<LPCTSTR>(WideToAnsi(c.name));
        EXPECT_STREQ(c.text, text);
    }
    CString text("kept");
    EXPECT_FALSE(ReadPropertyBagText(nullptr, L"FriendlyName", text));
    EXPECT_STREQ("kept", text);
}

// A device scan reads the name, the description (missing on most devices) and the path, one after another on
// the same stack: the missing description must free nothing, not a stale pointer of the read before it.
TEST_F(PropertyBagText, EveryStringIsFreedOnceAndAFailedReadFreesNothing)
{
    for (int scan = 0; scan < 3; ++scan) {
        CString name;
        CString path;
        ReadPropertyBagText(bag.get(), L"FriendlyName", name);
        ReadPropertyBagText(bag.get(), L"Description", name);
        ReadPropertyBagText(bag.get(), L"DevicePath", path);
        EXPECT_STREQ("USB Camera", name);
    }
    ASSERT_EQ(6u, g_allocated.size());
    EXPECT_EQ(g_allocated, g_freed);
}

} // namespace
