// Holds one reference to a COM interface and releases it when it goes out of scope.
#pragma once

template <typename Interface> struct Released {
    Interface *pointer = nullptr;

    Released() = default;
    Released(const Released &) = delete;
    Released &operator=(const Released &) = delete;
    ~Released() {
        if (pointer)
            pointer->Release();
    }
};
