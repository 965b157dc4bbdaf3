// src/framework/HandleMap.h
// Temporary wrapper objects for raw handles that have no object of their own (GetDlgItem on a control nobody
// subclassed, the font a window uses, the system menu). A wrapper stays valid for the life of the process; the
// same handle always gives the same wrapper.
#ifndef TAVISK_FRAMEWORK_HANDLEMAP_H
#define TAVISK_FRAMEWORK_HANDLEMAP_H

#include <map>
#include <memory>
#include <mutex>

template <class TObject, class THandle>
class CTempHandleMap {
public:
    // setHandle stores a handle into a wrapper without taking ownership (and null to let go of it again).
    using SetHandleFn = void (*)(TObject& object, THandle handle);

    explicit CTempHandleMap(SetHandleFn setHandle) : m_setHandle(setHandle) {}
    ~CTempHandleMap()
    {
        for (auto& entry : m_map)
            m_setHandle(*entry.second, nullptr);
    }
    CTempHandleMap(const CTempHandleMap&) = delete;
    CTempHandleMap& operator=(const CTempHandleMap&) = delete;

    TObject* Get(THandle handle)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::unique_ptr<TObject>& slot = m_map[handle];
        if (!slot) {
            slot.reset(new TObject);
            m_setHandle(*slot, handle);
        }
        return slot.get();
    }

    // Drops the wrappers of handles for which isDead answers true.
    template <class TPredicate>
    void Purge(TPredicate isDead)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_map.begin(); it != m_map.end();) {
            if (isDead(it->first)) {
                m_setHandle(*it->second, nullptr);
                it = m_map.erase(it);
            } else {
                ++it;
            }
        }
    }

    size_t GetCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_map.size();
    }

private:
    SetHandleFn m_setHandle;
    std::mutex m_lock;
    std::map<THandle, std::unique_ptr<TObject>> m_map;
};

#endif
