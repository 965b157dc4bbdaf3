// tests/framework_gui/GdiTest.cpp
// The GDI owners of the window layer: each kind of object deleted once, by its last owner; the selection guard
// selects the previous object back; the DC owners; CGdiObject and CMenu on the handle owner.
#include "framework/Gdi.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsGdiObject(HGDIOBJ h)
{
    return ::GetObjectType(h) != 0;
}

// Owners of every kind: destroyed, they delete their object; moved, only the new owner does; detached, none does.
template <class TOwner>
void CheckOwner(typename TOwner::HandleType (*make)())
{
    typename TOwner::HandleType raw = make();
    ASSERT_TRUE(IsGdiObject(raw));
    {
        TOwner first(raw);
        TOwner second(std::move(first));
        EXPECT_FALSE(first.IsCreated());
        EXPECT_EQ(TRUE, first.Close()); // nothing left to delete
        EXPECT_TRUE(IsGdiObject(raw));
        EXPECT_EQ(raw, second.get());
    }
    EXPECT_FALSE(IsGdiObject(raw));

    raw = make();
    {
        TOwner owner(raw);
        EXPECT_EQ(raw, owner.Detach());
    }
    EXPECT_TRUE(IsGdiObject(raw));
    ::DeleteObject(raw);
}

TEST(GdiOwnerTest, EachKindDeletesOnceByItsLastOwner)
{
    struct Case {
        const char* kind;
        void (*check)();
    };
    const Case cases[] = {
        {"pen", [] { CheckOwner<CPenOwner>([] { return ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3)); }); }},
        {"brush", [] { CheckOwner<CBrushOwner>([] { return ::CreateSolidBrush(RGB(1, 2, 3)); }); }},
        {"font", [] { CheckOwner<CFontOwner>([] { return ::CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"); }); }},
        {"bitmap", [] { CheckOwner<CBitmapOwner>([] { return ::CreateBitmap(4, 4, 1, 32, nullptr); }); }},
        {"region", [] { CheckOwner<CRegionOwner>([] { return ::CreateRectRgn(0, 0, 4, 4); }); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        c.check();
    }
}

// A memory DC with a bitmap of its own, for the selection tests.
class GdiSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dc.Attach(::CreateCompatibleDC(nullptr));
        ASSERT_TRUE(m_dc.IsCreated());
    }
    HDC Dc() const { return m_dc.get(); }

    CCreatedDcOwner m_dc;
};

// The guard selects back what was there before its first selection, for every kind of object, at the end of its
// scope or at Restore; a moved guard restores once, from its new place.
TEST_F(GdiSelectionTest, SelectionGuardSelectsThePreviousObjectBack)
{
    struct Case {
        const char* kind;
        UINT type;
        HGDIOBJ first;
        HGDIOBJ second;
    };
    CPenOwner pen(::CreatePen(PS_SOLID, 2, RGB(1, 2, 3)));
    CBrushOwner brush(::CreateSolidBrush(RGB(4, 5, 6)));
    CFontOwner font(::CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    CBitmapOwner bitmap(::CreateBitmap(4, 4, 1, 32, nullptr));
    CBitmapOwner otherBitmap(::CreateBitmap(2, 2, 1, 32, nullptr));
    const Case cases[] = {
        {"pen", OBJ_PEN, pen.get(), ::GetStockObject(WHITE_PEN)},
        {"brush", OBJ_BRUSH, brush.get(), ::GetStockObject(GRAY_BRUSH)},
        {"font", OBJ_FONT, font.get(), ::GetStockObject(ANSI_FIXED_FONT)},
        {"bitmap", OBJ_BITMAP, bitmap.get(), otherBitmap.get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const HGDIOBJ original = ::GetCurrentObject(Dc(), c.type);
        {
            CSelectObjectGuard guard(Dc(), c.first);
            EXPECT_EQ(c.first, ::GetCurrentObject(Dc(), c.type));
            guard.Select(c.second);
            EXPECT_EQ(c.second, ::GetCurrentObject(Dc(), c.type));
        }
        EXPECT_EQ(original, ::GetCurrentObject(Dc(), c.type));

        CSelectObjectGuard early(Dc(), c.first);
        early.Restore();
        EXPECT_EQ(original, ::GetCurrentObject(Dc(), c.type));

        {
            CSelectObjectGuard moved(Dc(), c.first);
            {
                CSelectObjectGuard taken(std::move(moved));
                ::SelectObject(Dc(), c.second); // drawn with another object meanwhile
            }
            EXPECT_EQ(original, ::GetCurrentObject(Dc(), c.type));
            ::SelectObject(Dc(), c.second);
        }
        EXPECT_EQ(c.second, ::GetCurrentObject(Dc(), c.type)); // the moved-from guard selected nothing back
        ::SelectObject(Dc(), original);
    }
}

// A null object selects nothing and restores nothing.
TEST_F(GdiSelectionTest, SelectionGuardOfNothingLeavesTheDc)
{
    const HGDIOBJ original = ::GetCurrentObject(Dc(), OBJ_PEN);
    CPenOwner pen(::CreatePen(PS_SOLID, 2, RGB(1, 2, 3)));
    {
        CSelectObjectGuard guard(Dc(), nullptr);
        EXPECT_EQ(original, ::GetCurrentObject(Dc(), OBJ_PEN));
        ::SelectObject(Dc(), pen.get());
    }
    EXPECT_EQ(pen.get(), ::GetCurrentObject(Dc(), OBJ_PEN));
    ::SelectObject(Dc(), original);
}

// A made pen or brush is selected while its owner lives; then the previous one comes back and it is deleted.
TEST_F(GdiSelectionTest, SelectedObjectIsDeselectedThenDeleted)
{
    struct Case {
        const char* kind;
        UINT type;
        HGDIOBJ (*select)(HDC hdc, HGDIOBJ* pMade);
    };
    const Case cases[] = {
        {"pen", OBJ_PEN,
         [](HDC hdc, HGDIOBJ* pMade) {
             CSelectedPen pen(hdc, ::CreatePen(PS_SOLID, 3, RGB(7, 8, 9)));
             *pMade = pen.get();
             return ::GetCurrentObject(hdc, OBJ_PEN);
         }},
        {"brush", OBJ_BRUSH,
         [](HDC hdc, HGDIOBJ* pMade) {
             CSelectedBrush brush(hdc, ::CreateSolidBrush(RGB(7, 8, 9)));
             *pMade = brush.get();
             return ::GetCurrentObject(hdc, OBJ_BRUSH);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const HGDIOBJ original = ::GetCurrentObject(Dc(), c.type);
        HGDIOBJ made = nullptr;
        EXPECT_EQ(c.select(Dc(), &made), made) << "selected while alive";
        EXPECT_EQ(original, ::GetCurrentObject(Dc(), c.type));
        EXPECT_FALSE(IsGdiObject(made));
    }
}

// The DC owners: a made DC is deleted by its owner; a DC from GetDC is released by CClientDC, and a NULL window
// gives the screen's.
TEST(GdiDcOwnerTest, MadeDcDeletedAndScreenDcReleased)
{
    HDC raw = ::CreateCompatibleDC(nullptr);
    ASSERT_EQ(DWORD(OBJ_MEMDC), ::GetObjectType(raw));
    {
        CCreatedDcOwner first(raw);
        CCreatedDcOwner second(std::move(first));
        EXPECT_EQ(DWORD(OBJ_MEMDC), ::GetObjectType(raw));
    }
    EXPECT_EQ(0u, ::GetObjectType(raw));

    CWindowDcOwner screen(WindowDc{nullptr, ::GetDC(nullptr)});
    ASSERT_TRUE(screen.IsCreated());
    EXPECT_GT(::GetDeviceCaps(screen.get().hDC, LOGPIXELSY), 0);
    EXPECT_EQ(1, screen.Close());
    EXPECT_FALSE(screen.IsCreated());

    CClientDC client(nullptr);
    EXPECT_NE(nullptr, client.m_hDC);
    EXPECT_GT(client.GetDeviceCaps(LOGPIXELSY), 0);
}

// CGdiObject and CMenu keep their handles in the handle owner: Attach replaces (deleting the old one), Detach gives
// up, DeleteObject / DestroyMenu answer FALSE when empty, and a temporary wrapper never deletes.
TEST(GdiWrapperTest, WrappersOwnThroughTheHandleOwner)
{
    HPEN first = ::CreatePen(PS_SOLID, 1, RGB(1, 1, 1));
    HPEN second = ::CreatePen(PS_SOLID, 1, RGB(2, 2, 2));
    {
        CPen pen;
        EXPECT_EQ(FALSE, pen.DeleteObject());
        EXPECT_EQ(FALSE, pen.Attach(nullptr));
        EXPECT_TRUE(pen.Attach(first));
        EXPECT_EQ(HGDIOBJ(first), pen.m_hObject);
        EXPECT_TRUE(pen.Attach(second));
        EXPECT_FALSE(IsGdiObject(first));
        EXPECT_EQ(HGDIOBJ(second), pen.Detach());
        EXPECT_EQ(nullptr, pen.m_hObject);
        EXPECT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(3, 3, 3)));
        EXPECT_EQ(TRUE, pen.DeleteObject());
        EXPECT_EQ(nullptr, pen.GetSafeHandle());
    }
    EXPECT_TRUE(IsGdiObject(second));
    CGdiObject* pWrapper = CGdiObject::FromHandle(second);
    ASSERT_NE(nullptr, pWrapper);
    EXPECT_EQ(HGDIOBJ(second), pWrapper->m_hObject);
    ::DeleteObject(second);

    HMENU kept = nullptr;
    {
        CMenu menu;
        EXPECT_EQ(FALSE, menu.DestroyMenu());
        ASSERT_TRUE(menu.CreatePopupMenu());
        HMENU replaced = menu.m_hMenu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        EXPECT_FALSE(::IsMenu(replaced));
        kept = menu.Detach();
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(kept), "Sub"));
        CMenu* pSub = menu.GetSubMenu(0);
        ASSERT_NE(nullptr, pSub);
        EXPECT_EQ(kept, pSub->GetSafeHmenu());
        menu.RemoveMenu(0, MF_BYPOSITION);
    }
    EXPECT_TRUE(::IsMenu(kept));
    ::DestroyMenu(kept);
}

} // namespace
