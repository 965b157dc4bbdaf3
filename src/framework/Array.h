// src/framework/Array.h
// CArray<TYPE>: a growable array with the class-library interface and real value semantics.
//
// Unlike the class library's own array, copy construction and assignment copy element by element (through the
// element's copy constructor and operator=), so arrays of arrays and of non-POD records copy correctly.
// Every index outside the array throws CInvalidArgException; running out of memory throws CMemoryException.
// An element passed by reference may live in the same array: it is copied before the array changes.
#ifndef TAVISK_FRAMEWORK_ARRAY_H
#define TAVISK_FRAMEWORK_ARRAY_H

#include "framework/Exceptions.h"
#include "framework/String.h"

#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
    static_assert(!std::is_same<TYPE, bool>::value, "use BOOL: std::vector<bool> has no element references");

public:
    CArray() = default;
    CArray(const CArray& other) = default;
    CArray(CArray&& other) noexcept = default;
    CArray& operator=(const CArray& other) = default;
    CArray& operator=(CArray&& other) noexcept = default;
    ~CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    // New elements are value-initialised (zero for built-in types). nGrowBy is accepted for compatibility.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize < 0)
            AfxThrowInvalidArgException();
        Guarded([&] { m_data.resize(static_cast<size_t>(nNewSize)); });
    }
    void FreeExtra()
    {
        Guarded([&] { m_data.shrink_to_fit(); });
    }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[Checked(nIndex)] = newElement; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& operator[](INT_PTR nIndex) { return m_data[Checked(nIndex)]; }

    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    // Grows the array to nIndex + 1 elements when needed; a negative index throws.
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (nIndex < 0)
            AfxThrowInvalidArgException();
        if (static_cast<size_t>(nIndex) >= m_data.size()) {
            TYPE value(newElement);
            Guarded([&] { m_data.resize(static_cast<size_t>(nIndex) + 1); });
            m_data[static_cast<size_t>(nIndex)] = value;
        } else {
            m_data[static_cast<size_t>(nIndex)] = newElement;
        }
    }

    // Returns the index of the new element.
    INT_PTR Add(ARG_TYPE newElement)
    {
        TYPE value(newElement);
        Guarded([&] { m_data.push_back(value); });
        return GetSize() - 1;
    }

    // Appends a copy of src (which may be this array); returns the index of the first appended element.
    INT_PTR Append(const CArray& src)
    {
        const INT_PTR oldSize = GetSize();
        const std::vector<TYPE> copy(src.m_data);
        Guarded([&] { m_data.insert(m_data.end(), copy.begin(), copy.end()); });
        return oldSize;
    }

    void Copy(const CArray& src)
    {
        if (this != &src)
            *this = src;
    }

    // Inserts nCount copies before nIndex. An index at or beyond the end grows the array first (new elements in
    // between are value-initialised), as in the class library. A negative index or nCount <= 0 throws.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0)
            AfxThrowInvalidArgException();
        TYPE value(newElement);
        Guarded([&] {
            if (static_cast<size_t>(nIndex) > m_data.size())
                m_data.resize(static_cast<size_t>(nIndex));
            m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), value);
        });
    }

    // Inserts a copy of every element of *pNewArray before nStartIndex (growing as InsertAt above).
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
    {
        if (pNewArray == nullptr || nStartIndex < 0)
            AfxThrowInvalidArgException();
        const std::vector<TYPE> copy(pNewArray->m_data);
        Guarded([&] {
            if (static_cast<size_t>(nStartIndex) > m_data.size())
                m_data.resize(static_cast<size_t>(nStartIndex));
            m_data.insert(m_data.begin() + nStartIndex, copy.begin(), copy.end());
        });
    }

    // Removes nCount elements from nIndex; the whole range must lie inside the array (nCount 0 at the end is
    // allowed), otherwise it throws and the array stays as it was.
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        const INT_PTR size = GetSize();
        if (nIndex < 0 || nCount < 0 || nIndex > size || nCount > size - nIndex)
            AfxThrowInvalidArgException();
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

private:
    size_t Checked(INT_PTR nIndex) const
    {
        if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_data.size())
            AfxThrowInvalidArgException();
        return static_cast<size_t>(nIndex);
    }

    template <class F>
    static void Guarded(F change)
    {
        try {
            change();
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        } catch (const std::length_error&) {
            AfxThrowMemoryException();
        }
    }

    std::vector<TYPE> m_data;
};

using CStringArray = CArray<CString>;
using CPtrArray = CArray<void*>;
using CByteArray = CArray<BYTE>;
using CWordArray = CArray<WORD>;
using CDWordArray = CArray<DWORD>;
using CUIntArray = CArray<UINT>;

#endif
