// src/controls/MaskEdit.h
// CMaskEdit: an edit control that keeps its text in the shape of a mask. Each position of the mask is a literal
// the user cannot change or an editable position of a character class; typing overwrites the character under the
// caret, Delete and Backspace put the fill character back, and the caret skips the literals. The overburn length
// of the Preferences ("079:59.74") uses it. All work happens in the control's own reflected EN_UPDATE, so the
// parent only ever sees the final text.
#ifndef TAVISK_CONTROLS_MASKEDIT_H
#define TAVISK_CONTROLS_MASKEDIT_H

#include "framework/Array.h"
#include "framework/Controls.h"
#include "framework/String.h"
#include "framework/Wnd.h"

class CMaskEdit : public CEdit {
public:
    // Mask bytes of the editable classes; any other byte is a literal shown as itself.
    enum : BYTE {
        maskDigit = 3, // a decimal digit
        maskAlnum = 4, // a letter or a digit
        maskHex = 5,   // a hexadecimal digit, letters stored in upper case
        maskSet = 6    // a member of the character set
    };

    CMaskEdit();
    ~CMaskEdit() override;

    // Stores the mask and the set fill and shows the empty mask. The second argument is not used.
    void SetMask(LPCSTR pszMask, char chIgnored, BYTE setFill);
    // Fills the editable positions with the text's characters in order (unchecked), then with the fill.
    void SetText(LPCSTR pszText);
    void SetText(const CString& strText) { SetText(static_cast<LPCSTR>(strText)); }
    // The characters at the editable positions, without the literals.
    CString GetText() const;
    void SetCharSet(const CByteArray& charSet);

    // Positions run from 0 to the mask's length (which counts as a literal); beyond it the invalid-argument
    // exception is raised.
    BOOL IsLiteral(int nPos) const;
    BYTE GetMaskByte(int nPos) const;
    // Whether the character may stand at the position, and what is stored for it there.
    BOOL IsValidChar(int nPos, char ch, char& rOut) const;
    // Where the caret goes from nPos, after the last key (Backspace searches backwards).
    int NextEditablePos(int nPos) const;

    const CString& GetMask() const { return m_strMask; }
    const CString& GetDisplay() const { return m_strDisplay; }

    BEGIN_MSG_MAP(CMaskEdit)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownMsg)
    ON_CONTROL_REFLECT(EN_UPDATE, OnUpdate)
    END_MSG_MAP()

protected:
    LRESULT OnKeyDownMsg(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnUpdate();

private:
    static bool IsEditableClass(BYTE maskByte);
    // What an empty position shows: the fill or the set fill, or the literal itself.
    char EmptyCharAt(int nPos) const;
    void ShowDisplay(int nCaret);

    CByteArray m_charSet;
    BYTE m_setFill;
    BYTE m_fill;
    CString m_strMask;
    CString m_strDisplay;
    BYTE m_bLastKeyDelete;
    BYTE m_bLastKeyBackspace;
};

#endif
