// A registry of library objects named by handles (signed 32-bit numbers).
//
// Numbering: an empty registry issues 1; otherwise the largest handle it holds plus 2.
// A number therefore comes back only when it was the largest or the registry emptied.
// Lookups are by exact key.
//
// The registry holds the objects it names but does not destroy them: the exports delete
// an object when they remove its entry, and a registry that goes away with the library
// only lets go of its entries.
#pragma once

#include <cstdint>
#include <limits>
#include <map>

template <class Object> class HandleRegistry {
public:
    using Entries = std::map<int32_t, Object *>;

    // Registers `object` under a new handle and returns it, or 0 when the numbering has
    // run out (the largest handle is within 2 of INT32_MAX); the caller keeps the object
    // then.
    int32_t add(Object *object) {
        const int32_t handle = nextHandle();
        if (handle != 0)
            _entries.emplace(handle, object);
        return handle;
    }

    // The object registered under `handle`, or null.
    Object *find(int32_t handle) const {
        const auto found = _entries.find(handle);
        return found == _entries.end() ? nullptr : found->second;
    }

    // True when an entry was removed.
    bool remove(int32_t handle) { return _entries.erase(handle) != 0; }

    // Removes the entry with the smallest handle that holds `object`, if there is one.
    void removeFirstHolding(const Object *object) {
        for (auto entry = _entries.begin(); entry != _entries.end(); ++entry) {
            if (entry->second == object) {
                _entries.erase(entry);
                return;
            }
        }
    }

    // In ascending handle order.
    const Entries &entries() const { return _entries; }

private:
    int32_t nextHandle() const {
        if (_entries.empty())
            return 1;
        const int32_t largest = _entries.rbegin()->first;
        if (largest > std::numeric_limits<int32_t>::max() - 2)
            return 0;
        return largest + 2;
    }

    Entries _entries;
};
