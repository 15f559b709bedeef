// Holds one reference to a COM object and releases it at the end of its scope.
#pragma once

template <class T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    T *get() const { return _object; }
    T *operator->() const { return _object; }
    explicit operator bool() const { return _object != nullptr; }
    // For creation calls that hand out a reference: releases the one held first.
    T **out() {
        reset();
        return &_object;
    }
    void reset() {
        if (_object != nullptr) {
            _object->Release();
        }
        _object = nullptr;
    }

private:
    T *_object = nullptr;
};
