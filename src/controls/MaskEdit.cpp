// src/controls/MaskEdit.cpp
#include "controls/MaskEdit.h"

#include "framework/Exceptions.h"

#include <cctype>

CMaskEdit::CMaskEdit() : m_setFill('0'), m_fill('0'), m_bLastKeyDelete(0), m_bLastKeyBackspace(0) {}

CMaskEdit::~CMaskEdit() = default;

bool CMaskEdit::IsEditableClass(BYTE maskByte)
{
    return maskByte == maskDigit || maskByte == maskAlnum || maskByte == maskHex || maskByte == maskSet;
}

char CMaskEdit::EmptyCharAt(int nPos) const
{
    const BYTE maskByte = GetMaskByte(nPos);
    if (maskByte == maskSet)
        return static_cast<char>(m_setFill);
    if (IsEditableClass(maskByte))
        return static_cast<char>(m_fill);
    return static_cast<char>(maskByte);
}

void CMaskEdit::SetMask(LPCSTR pszMask, char /*chIgnored*/, BYTE setFill)
{
    m_strMask = pszMask != nullptr ? pszMask : "";
    m_setFill = setFill;
    m_strDisplay.Empty();
    for (int i = 0; i < m_strMask.GetLength(); ++i)
        m_strDisplay += EmptyCharAt(i);
    if (IsWindow())
        SetWindowText(m_strDisplay);
}

void CMaskEdit::SetText(LPCSTR pszText)
{
    const CString strText = pszText != nullptr ? pszText : "";
    int nNext = 0;
    m_strDisplay.Empty();
    for (int i = 0; i < m_strMask.GetLength(); ++i) {
        if (!IsEditableClass(GetMaskByte(i)))
            m_strDisplay += static_cast<char>(GetMaskByte(i));
        else if (nNext < strText.GetLength())
            m_strDisplay += strText[nNext++];
        else
            m_strDisplay += EmptyCharAt(i);
    }
    if (IsWindow())
        SetWindowText(m_strDisplay);
}

CString CMaskEdit::GetText() const
{
    CString strText;
    for (int i = 0; i < m_strMask.GetLength() && i < m_strDisplay.GetLength(); ++i) {
        if (IsEditableClass(GetMaskByte(i)))
            strText += m_strDisplay[i];
    }
    return strText;
}

void CMaskEdit::SetCharSet(const CByteArray& charSet)
{
    m_charSet.Copy(charSet);
}

BYTE CMaskEdit::GetMaskByte(int nPos) const
{
    if (nPos < 0 || nPos > m_strMask.GetLength())
        AfxThrowInvalidArgException();
    if (nPos == m_strMask.GetLength())
        return 0;
    return static_cast<BYTE>(m_strMask[nPos]);
}

BOOL CMaskEdit::IsLiteral(int nPos) const
{
    return !IsEditableClass(GetMaskByte(nPos));
}

// Classes are tested on the byte as an unsigned value, so that letters of the upper half of the code page are
// judged by the locale instead of reading outside the classification table.
BOOL CMaskEdit::IsValidChar(int nPos, char ch, char& rOut) const
{
    if (nPos >= m_strMask.GetLength())
        return FALSE;
    const int c = static_cast<unsigned char>(ch);
    switch (GetMaskByte(nPos)) {
    case maskDigit:
        if (!std::isdigit(c))
            return FALSE;
        rOut = ch;
        return TRUE;
    case maskAlnum:
        if (!std::isalpha(c) && !std::isdigit(c))
            return FALSE;
        rOut = ch;
        return TRUE;
    case maskHex:
        if (!std::isxdigit(c))
            return FALSE;
        rOut = std::isdigit(c) ? ch : static_cast<char>(c & ~0x20);
        return TRUE;
    case maskSet:
        for (INT_PTR i = 0; i < m_charSet.GetSize(); ++i) {
            if (m_charSet[i] == static_cast<BYTE>(c)) {
                rOut = ch;
                return TRUE;
            }
        }
        return FALSE;
    default:
        rOut = static_cast<char>(GetMaskByte(nPos));
        return TRUE;
    }
}

int CMaskEdit::NextEditablePos(int nPos) const
{
    const int nLength = m_strMask.GetLength();
    if (m_bLastKeyBackspace) {
        if (nPos <= 0)
            return 0;
        for (int e = (nPos > nLength ? nLength : nPos) - 1; e >= 0; --e) {
            if (!IsLiteral(e))
                return e + 1;
        }
        return 0;
    }
    if (nPos >= nLength)
        return nPos;
    for (int i = nPos < 0 ? 0 : nPos; i < nLength; ++i) {
        if (!IsLiteral(i))
            return i;
    }
    return nLength;
}

LRESULT CMaskEdit::OnKeyDownMsg(WPARAM wParam, LPARAM lParam)
{
    OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    return 0;
}

void CMaskEdit::OnKeyDown(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/)
{
    m_bLastKeyDelete = nChar == VK_DELETE;
    m_bLastKeyBackspace = nChar == VK_BACK;
    Default();
}

void CMaskEdit::ShowDisplay(int nCaret)
{
    SetWindowText(m_strDisplay);
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nCaret), nCaret);
    SendMessage(EM_SCROLLCARET);
}

// The edit's text has just changed: by a typed or pasted character, or by Delete or Backspace. The display is
// corrected and shown again at once, so the text always keeps the mask's length. A change that leaves the caret
// at the start (cutting a selection that began there) restores the display as well. The key flags describe one
// keystroke and are used up here, so that a later paste is not taken for a deletion.
void CMaskEdit::OnUpdate()
{
    if (m_strMask.IsEmpty())
        return;
    int nStart = 0;
    int nEnd = 0;
    GetSel(nStart, nEnd);
    const int p = nStart;
    CString strWindow;
    GetWindowText(strWindow);
    if (strWindow == m_strDisplay)
        return;
    const int nLength = m_strMask.GetLength();
    if (m_bLastKeyBackspace) {
        if (p >= 0 && p < nLength)
            m_strDisplay.SetAt(p, EmptyCharAt(p));
        const int nCaret = NextEditablePos(p);
        m_bLastKeyBackspace = 0;
        ShowDisplay(nCaret);
        return;
    }
    if (m_bLastKeyDelete) {
        if (p >= 0 && p < nLength)
            m_strDisplay.SetAt(p, EmptyCharAt(p));
        m_bLastKeyDelete = 0;
        ShowDisplay(NextEditablePos(p + 1));
        return;
    }
    if (p <= 0) {
        ShowDisplay(NextEditablePos(0));
        return;
    }
    char chOut = 0;
    if (p - 1 < strWindow.GetLength() && IsValidChar(p - 1, strWindow[p - 1], chOut))
        m_strDisplay.SetAt(p - 1, chOut);
    ShowDisplay(NextEditablePos(p));
}
