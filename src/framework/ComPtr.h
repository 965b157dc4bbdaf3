// src/framework/ComPtr.h
// CComPtr<T>: owner of one COM interface reference. The interface id is always given explicitly (many DirectShow
// interfaces carry no compiler-known id), so a query names the IID constant it asks for:
//     CComPtr<IMediaControl> control;
//     if (SUCCEEDED(control.QueryFrom(graph, IID_IMediaControl))) ...
// Copying adds a reference, moving hands it over; Release drops it now.
#ifndef TAVISK_FRAMEWORK_COMPTR_H
#define TAVISK_FRAMEWORK_COMPTR_H

#include <windows.h>
#include <objbase.h>

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    // Takes a reference of its own on p.
    explicit CComPtr(T* p) : m_p(p)
    {
        if (m_p != nullptr)
            m_p->AddRef();
    }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(other.Detach()) {}
    CComPtr& operator=(const CComPtr& other)
    {
        if (other.m_p != nullptr)
            other.m_p->AddRef();
        Attach(other.m_p);
        return *this;
    }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CComPtr() { Release(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool operator!() const { return m_p == nullptr; }

    // Takes over a reference the caller already owns (the one held before is released).
    void Attach(T* p)
    {
        T* old = m_p;
        m_p = p;
        if (old != nullptr)
            old->Release();
    }
    // Gives the reference up to the caller.
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void Release() { Attach(nullptr); }
    // Releases the current reference and returns the empty slot, for calls that hand out an interface.
    T** Receive()
    {
        Release();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // Asks pSource for the interface iid; the pointer is empty when that fails. Returns the query's result
    // (E_POINTER for an empty source).
    HRESULT QueryFrom(IUnknown* pSource, REFIID iid)
    {
        Release();
        if (pSource == nullptr)
            return E_POINTER;
        return pSource->QueryInterface(iid, ReceiveVoid());
    }
    // Creates an object of the class for the interface iid.
    HRESULT Create(REFCLSID clsid, REFIID iid, DWORD dwContext = CLSCTX_INPROC_SERVER)
    {
        return ::CoCreateInstance(clsid, nullptr, dwContext, iid, ReceiveVoid());
    }

private:
    T* m_p = nullptr;
};

#endif
