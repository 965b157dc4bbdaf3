// tests/controls/MaskEditTest.cpp — the masked edit in the gallery, typed into, pasted into and deleted from
// through window messages as the keyboard and the clipboard produce them
#include "GalleryFixture.h"

#include "framework/Exceptions.h"

#include <string>

namespace {

enum class Action {
    Type,
    Backspace,
    Delete,
    Paste,
    Cut
};

struct EditStep {
    const char* start; // SetText before the step
    int selStart;
    int selEnd;
    Action action;
    const char* text;  // the character typed or the text pasted
    const char* shown; // the window text afterwards
    int caret;         // the caret afterwards
};

// What the keyboard sends for the action; a paste or cut as the edit's context menu does it.
void Perform(CMaskEdit& edit, Action action, const char* text)
{
    HWND hEdit = edit.m_hWnd;
    switch (action) {
    case Action::Type:
        ::SendMessage(hEdit, WM_KEYDOWN, static_cast<WPARAM>(::VkKeyScanA(text[0]) & 0xFF), 1);
        ::SendMessage(hEdit, WM_CHAR, static_cast<unsigned char>(text[0]), 1);
        ::SendMessage(hEdit, WM_KEYUP, static_cast<WPARAM>(::VkKeyScanA(text[0]) & 0xFF), 0xC0000001);
        break;
    case Action::Backspace:
        ::SendMessage(hEdit, WM_KEYDOWN, VK_BACK, 1);
        ::SendMessage(hEdit, WM_CHAR, '\b', 1);
        ::SendMessage(hEdit, WM_KEYUP, VK_BACK, 0xC0000001);
        break;
    case Action::Delete:
        ::SendMessage(hEdit, WM_KEYDOWN, VK_DELETE, 1);
        ::SendMessage(hEdit, WM_KEYUP, VK_DELETE, 0xC0000001);
        break;
    case Action::Paste:
        ::SendMessage(hEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        break;
    case Action::Cut:
        ::SendMessage(hEdit, WM_CUT, 0, 0);
        break;
    }
}

int Caret(const CMaskEdit& edit)
{
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessage(edit.m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

using MaskEditTest = GalleryTest;

TEST_F(MaskEditTest, ShapeOfTheText)
{
    CMaskEdit& edit = Gallery().m_mask;
    EXPECT_EQ("000:00.00", guitest::Text(edit.m_hWnd));
    edit.SetText("0950000");
    EXPECT_EQ("095:00.00", guitest::Text(edit.m_hWnd));
    EXPECT_EQ("0950000", edit.GetText());
    edit.SetText("79");
    EXPECT_EQ("790:00.00", guitest::Text(edit.m_hWnd));
    edit.SetText(CString("1234567890"));
    EXPECT_EQ("123:45.67", guitest::Text(edit.m_hWnd));

    EXPECT_FALSE(edit.IsLiteral(0));
    EXPECT_TRUE(edit.IsLiteral(3));
    EXPECT_TRUE(edit.IsLiteral(9));
    EXPECT_THROW(edit.IsLiteral(10), CInvalidArgException);
    EXPECT_THROW(edit.GetMaskByte(-1), CInvalidArgException);
    EXPECT_EQ(':', edit.GetMaskByte(3));

    char out = 0;
    EXPECT_TRUE(edit.IsValidChar(0, '7', out));
    EXPECT_EQ('7', out);
    EXPECT_FALSE(edit.IsValidChar(0, 'x', out));
    EXPECT_FALSE(edit.IsValidChar(0, '\xB2', out)); // a superscript two is no decimal digit
    EXPECT_TRUE(edit.IsValidChar(3, '7', out));
    EXPECT_EQ(':', out);
    EXPECT_FALSE(edit.IsValidChar(9, '1', out));
}

// Each step starts from a text and a selection and sends what the keyboard or the clipboard would.
TEST_F(MaskEditTest, TypingDeletingAndPasting)
{
    const EditStep steps[] = {
        {"0950000", 0, 0, Action::Type, "1", "195:00.00", 1},
        {"0950000", 2, 2, Action::Type, "9", "099:00.00", 4},     // the caret skips the ':'
        {"0950000", 3, 3, Action::Type, "7", "095:00.00", 4},     // over the literal: only the caret moves
        {"0950000", 1, 1, Action::Type, "a", "095:00.00", 2},     // refused, the caret moves on all the same
        {"0950000", 9, 9, Action::Type, "1", "095:00.00", 9},     // past the end: refused
        {"0950000", 4, 4, Action::Backspace, "", "095:00.00", 3}, // after ':': the ':' stays, caret before it
        {"0950000", 2, 2, Action::Backspace, "", "005:00.00", 1}, // the fill comes back
        {"1234567", 7, 7, Action::Backspace, "", "123:45.67", 6}, // after '.': the '.' stays
        {"1234567", 8, 8, Action::Backspace, "", "123:45.07", 6},
        {"1234567", 0, 0, Action::Delete, "", "023:45.67", 1},
        {"1234567", 3, 3, Action::Delete, "", "123:45.67", 4},   // Delete on the literal
        {"1234567", 0, 3, Action::Delete, "", "023:45.67", 1},   // only the first selected position
        {"0950000", 0, 0, Action::Paste, "123", "093:00.00", 4}, // only the character before the caret
        {"0950000", 4, 4, Action::Paste, "42", "095:02.00", 7},
        {"1234567", 0, 2, Action::Cut, "", "123:45.67", 0}, // cut from the start: the text comes back
    };
    CMaskEdit& edit = Gallery().m_mask;
    for (const EditStep& step : steps) {
        SCOPED_TRACE(std::string(step.start) + " [" + std::to_string(step.selStart) + "," +
                     std::to_string(step.selEnd) + "] " + std::to_string(static_cast<int>(step.action)) + " " +
                     step.text);
        edit.SetText(step.start);
        ::SendMessage(edit.m_hWnd, EM_SETSEL, static_cast<WPARAM>(step.selStart), step.selEnd);
        Perform(edit, step.action, step.text);
        EXPECT_EQ(CString(step.shown), guitest::Text(edit.m_hWnd));
        EXPECT_EQ(CString(step.shown), edit.GetDisplay());
        EXPECT_EQ(step.caret, Caret(edit));
    }
}

// A paste after a Backspace is still a paste.
TEST_F(MaskEditTest, KeyFlagsDescribeOneKeystroke)
{
    CMaskEdit& edit = Gallery().m_mask;
    edit.SetText("1234567");
    ::SendMessage(edit.m_hWnd, EM_SETSEL, 2, 2);
    Perform(edit, Action::Backspace, "");
    EXPECT_EQ("103:45.67", guitest::Text(edit.m_hWnd));
    Perform(edit, Action::Paste, "8");
    EXPECT_EQ("183:45.67", guitest::Text(edit.m_hWnd));
    EXPECT_EQ(2, Caret(edit));
}

TEST_F(MaskEditTest, HexPositionsAndCharacterSets)
{
    CMaskEdit& hex = Gallery().m_maskHex;
    EXPECT_EQ("00-00", guitest::Text(hex.m_hWnd));
    ::SendMessage(hex.m_hWnd, EM_SETSEL, 0, 0);
    Perform(hex, Action::Type, "a");
    Perform(hex, Action::Type, "f");
    Perform(hex, Action::Type, "9");
    Perform(hex, Action::Type, "g");
    EXPECT_EQ("AF-90", guitest::Text(hex.m_hWnd));
    EXPECT_EQ("AF90", hex.GetText());

    CByteArray set;
    set.Add('Y');
    set.Add('N');
    hex.SetCharSet(set);
    hex.SetMask("\6-\4", '_', '?');
    EXPECT_EQ("?-0", guitest::Text(hex.m_hWnd));
    ::SendMessage(hex.m_hWnd, EM_SETSEL, 0, 0);
    Perform(hex, Action::Type, "x");
    EXPECT_EQ("?-0", guitest::Text(hex.m_hWnd));
    ::SendMessage(hex.m_hWnd, EM_SETSEL, 0, 0);
    Perform(hex, Action::Type, "N");
    Perform(hex, Action::Type, "q");
    EXPECT_EQ("N-q", guitest::Text(hex.m_hWnd));
    ::SendMessage(hex.m_hWnd, EM_SETSEL, 1, 1);
    Perform(hex, Action::Backspace, "");
    EXPECT_EQ("?-q", guitest::Text(hex.m_hWnd));
    PhotographGallery("gallery-masked-edits");
}

// Forwards after any key but Backspace, backwards after it.
TEST_F(MaskEditTest, NextEditablePosition)
{
    CMaskEdit& edit = Gallery().m_mask;
    edit.SetText("0950000");
    ::SendMessage(edit.m_hWnd, WM_KEYDOWN, '1', 1);
    EXPECT_EQ(0, edit.NextEditablePos(0));
    EXPECT_EQ(4, edit.NextEditablePos(3));
    EXPECT_EQ(9, edit.NextEditablePos(9));
    EXPECT_EQ(12, edit.NextEditablePos(12));
    ::SendMessage(edit.m_hWnd, WM_KEYDOWN, VK_BACK, 1);
    EXPECT_EQ(0, edit.NextEditablePos(0));
    EXPECT_EQ(3, edit.NextEditablePos(4));
    EXPECT_EQ(3, edit.NextEditablePos(3));
    EXPECT_EQ(9, edit.NextEditablePos(9));
    ::SendMessage(edit.m_hWnd, WM_KEYUP, VK_BACK, 0xC0000001);
}

} // namespace
