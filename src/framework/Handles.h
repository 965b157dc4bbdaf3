// src/framework/Handles.h
// RAII owners for Win32 handles: each holds one handle, closes it when destroyed, and can be moved but not
// copied. Attach takes ownership (closing the previous handle), Detach gives it up, Close closes it now and
// returns the API result. get() returns the raw handle without giving up ownership; Receive() closes the current
// handle and returns the address of the empty slot for APIs that return a handle through a pointer.
#ifndef TAVISK_FRAMEWORK_HANDLES_H
#define TAVISK_FRAMEWORK_HANDLES_H

#include <windows.h>

template <class Traits>
class CHandleOwnerT {
public:
    using HandleType = typename Traits::HandleType;
    using ResultType = typename Traits::ResultType;

    CHandleOwnerT() = default;
    explicit CHandleOwnerT(HandleType handle) : m_handle(handle) {}
    CHandleOwnerT(const CHandleOwnerT&) = delete;
    CHandleOwnerT& operator=(const CHandleOwnerT&) = delete;
    CHandleOwnerT(CHandleOwnerT&& other) noexcept : m_handle(other.Detach()) {}
    CHandleOwnerT& operator=(CHandleOwnerT&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CHandleOwnerT() { Close(); }

    HandleType get() const { return m_handle; }
    // The owner's slot itself, for a wrapper that shows its handle as a read-only member.
    const HandleType& Slot() const { return m_handle; }
    bool IsCreated() const { return Traits::IsValid(m_handle); }
    explicit operator bool() const { return IsCreated(); }

    void Attach(HandleType handle)
    {
        if (handle != m_handle)
            Close();
        m_handle = handle;
    }
    HandleType Detach()
    {
        HandleType handle = m_handle;
        m_handle = Traits::Empty();
        return handle;
    }
    // Returns the close function's result, or Traits::kEmptyCloseResult when nothing was open.
    ResultType Close()
    {
        if (!Traits::IsValid(m_handle)) {
            m_handle = Traits::Empty();
            return Traits::kEmptyCloseResult;
        }
        const ResultType result = Traits::Close(m_handle);
        m_handle = Traits::Empty();
        return result;
    }
    HandleType* Receive()
    {
        Close();
        return &m_handle;
    }

private:
    HandleType m_handle = Traits::Empty();
};

struct KernelHandleTraits {
    using HandleType = HANDLE;
    using ResultType = BOOL;
    static constexpr BOOL kEmptyCloseResult = TRUE;
    static HANDLE Empty() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) { return CloseHandle(h); }
};

// Handles whose empty value is NULL and that one call closes (CloseFn, a function or function template).
template <class THandle, class TResult, TResult kEmptyResult, auto CloseFn>
struct NullEmptyHandleTraits {
    using HandleType = THandle;
    using ResultType = TResult;
    static constexpr TResult kEmptyCloseResult = kEmptyResult;
    static THandle Empty() { return nullptr; }
    static bool IsValid(THandle h) { return h != nullptr; }
    static TResult Close(THandle h) { return CloseFn(h); }
};

using RegKeyTraits = NullEmptyHandleTraits<HKEY, LONG, ERROR_SUCCESS, &RegCloseKey>;
using ModuleTraits = NullEmptyHandleTraits<HMODULE, BOOL, TRUE, &FreeLibrary>;
using GdiObjectTraits = NullEmptyHandleTraits<HGDIOBJ, BOOL, TRUE, &DeleteObject>;

struct FindFileTraits {
    using HandleType = HANDLE;
    using ResultType = BOOL;
    static constexpr BOOL kEmptyCloseResult = TRUE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) { return FindClose(h); }
};

template <class THandle>
BOOL DeleteGdiHandle(THandle h)
{
    return DeleteObject(h);
}

// GDI objects of one kind (pens, brushes, fonts, bitmaps, regions), deleted with DeleteObject.
template <class THandle>
using GdiHandleTraits = NullEmptyHandleTraits<THandle, BOOL, TRUE, &DeleteGdiHandle<THandle>>;
// A DC made with CreateDC or CreateCompatibleDC (or a printer DC handed over by the print dialog).
using CreatedDcTraits = NullEmptyHandleTraits<HDC, BOOL, TRUE, &DeleteDC>;
using MenuTraits = NullEmptyHandleTraits<HMENU, BOOL, TRUE, &DestroyMenu>;

// Handles of two parts, whose type says when one is held (IsHeld) and how it is given back (GiveBack).
template <class TPair, class TResult, TResult kEmptyResult>
struct PairHandleTraits {
    using HandleType = TPair;
    using ResultType = TResult;
    static constexpr TResult kEmptyCloseResult = kEmptyResult;
    static TPair Empty() { return TPair{}; }
    static bool IsValid(const TPair& h) { return h.IsHeld(); }
    static TResult Close(const TPair& h) { return h.GiveBack(); }
};

// A DC had from GetDC or GetWindowDC, with the window it is released to (NULL: the screen).
struct WindowDc {
    HWND hWnd;
    HDC hDC;
    bool IsHeld() const { return hDC != nullptr; }
    int GiveBack() const { return ReleaseDC(hWnd, hDC); }
    bool operator!=(const WindowDc& other) const { return hWnd != other.hWnd || hDC != other.hDC; }
};
using WindowDcTraits = PairHandleTraits<WindowDc, int, 1>;

// An object selected into a DC: the DC and the object that was selected before, which giving back selects again.
struct DcSelection {
    HDC hDC;
    HGDIOBJ hPrevious;
    bool IsHeld() const { return hDC != nullptr && hPrevious != nullptr; }
    BOOL GiveBack() const { return SelectObject(hDC, hPrevious) != nullptr; }
    bool operator!=(const DcSelection& other) const { return hDC != other.hDC || hPrevious != other.hPrevious; }
};
using DcSelectionTraits = PairHandleTraits<DcSelection, BOOL, TRUE>;

// Kernel objects (files, events, threads, devices): NULL and INVALID_HANDLE_VALUE both count as empty, so the
// result of CreateFile and of CreateEvent can be attached unchecked.
using CHandleOwner = CHandleOwnerT<KernelHandleTraits>;
using CRegKeyOwner = CHandleOwnerT<RegKeyTraits>;
using CModuleOwner = CHandleOwnerT<ModuleTraits>;
using CGdiObjectOwner = CHandleOwnerT<GdiObjectTraits>;
// FindFirstFile results (closed with FindClose).
using CFindFileOwner = CHandleOwnerT<FindFileTraits>;
using CPenOwner = CHandleOwnerT<GdiHandleTraits<HPEN>>;
using CBrushOwner = CHandleOwnerT<GdiHandleTraits<HBRUSH>>;
using CFontOwner = CHandleOwnerT<GdiHandleTraits<HFONT>>;
using CBitmapOwner = CHandleOwnerT<GdiHandleTraits<HBITMAP>>;
using CRegionOwner = CHandleOwnerT<GdiHandleTraits<HRGN>>;
using CCreatedDcOwner = CHandleOwnerT<CreatedDcTraits>;
using CWindowDcOwner = CHandleOwnerT<WindowDcTraits>;
using CMenuOwner = CHandleOwnerT<MenuTraits>;

#endif
