// A container a computation owns for the length of a call: deleted on every
// path, and reachable as the pointer reference that matCheck resizes.
#pragma once

template <class M>
struct Scratch {
    M* p = nullptr;
    Scratch() = default;
    explicit Scratch(M* owned) : p(owned) {}
    ~Scratch() { delete p; }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    M* operator->() const { return p; }
    operator M*() const { return p; }
};
