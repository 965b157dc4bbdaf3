// src/framework/MapStringToPtr.h
// CMapStringToPtr: a map from case-sensitive string keys to untyped pointers, with the class library's
// interface. Iteration visits the keys in ascending order:
//     POSITION pos = map.GetStartPosition();
//     while (pos != nullptr) { CString key; void* value; map.GetNextAssoc(pos, key, value); ... }
// The entry just returned by GetNextAssoc may be removed during the walk; other removals end it undefined.
#ifndef TAVISK_FRAMEWORK_MAPSTRINGTOPTR_H
#define TAVISK_FRAMEWORK_MAPSTRINGTOPTR_H

#include "framework/Exceptions.h"
#include "framework/String.h"

#include <map>
#include <new>

#ifndef TAVISK_POSITION_DEFINED
#define TAVISK_POSITION_DEFINED
struct TaviskPositionTag;
using POSITION = TaviskPositionTag*;
#endif

class CMapStringToPtr {
public:
    CMapStringToPtr() = default;
    CMapStringToPtr(const CMapStringToPtr&) = delete;
    CMapStringToPtr& operator=(const CMapStringToPtr&) = delete;

    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_map.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_map.empty(); }

    BOOL Lookup(LPCTSTR key, void*& rValue) const
    {
        const auto it = m_map.find(Key(key));
        if (it == m_map.end())
            return FALSE;
        rValue = it->second;
        return TRUE;
    }
    // Adds the key with a null value when it is missing.
    void*& operator[](LPCTSTR key)
    {
        try {
            return m_map[Key(key)];
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        }
    }
    void SetAt(LPCTSTR key, void* newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(LPCTSTR key) { return m_map.erase(Key(key)) != 0; }
    void RemoveAll() { m_map.clear(); }

    POSITION GetStartPosition() const { return ToPosition(m_map.begin()); }
    // Returns the entry at rNextPosition and moves rNextPosition to the following one (null after the last).
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const
    {
        if (rNextPosition == nullptr)
            AfxThrowInvalidArgException();
        const Entry* entry = reinterpret_cast<const Entry*>(rNextPosition);
        auto it = m_map.find(entry->first);
        if (it == m_map.end())
            AfxThrowInvalidArgException();
        rKey = it->first;
        rValue = it->second;
        rNextPosition = ToPosition(++it);
    }

private:
    using Map = std::map<CString, void*>;
    using Entry = Map::value_type;

    static CString Key(LPCTSTR key)
    {
        CString text;
        text = key;
        return text;
    }
    POSITION ToPosition(Map::const_iterator it) const
    {
        return it == m_map.end() ? nullptr : reinterpret_cast<POSITION>(const_cast<Entry*>(&*it));
    }

    Map m_map;
};

#endif
