// The one frame every entry point runs in.
//
// An entry point hands `enter` a lambda that builds the containers of its
// marshalling row through the Frame and calls its core function. The frame
// then copies back every container marked "back", whatever the core
// returned, and releases every container on every path. An exception never
// crosses the C boundary: it skips the copy-back, so the host's copied
// arrays stay as they were, and an INT entry point returns VX_E_INTERNAL.
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "services/matrix.h"

#include <functional>
#include <memory>
#include <vector>

namespace boundary {

class Frame {
public:
    // Copying containers whose result stays in the library.
    matrix* copy(int rows, int cols, double* host) { return own(new matrix(rows, cols, host, false)); }
    matrixInt* copy(int rows, int cols, int32_t* host) { return own(new matrixInt(rows, cols, host, false)); }
    Smatrix* copy(int rows, int cols, BSTR* host) { return own(new Smatrix(rows, cols, host)); }
    matrix* copyFlags(int rows, int cols, VARIANT_BOOL* host) { return own(new matrix(rows, cols, host)); }

    // Copying containers whose content is copied back after the core call.
    matrix* back(int rows, int cols, double* host) { return withCopyBack(copy(rows, cols, host), host); }
    matrixInt* back(int rows, int cols, int32_t* host) { return withCopyBack(copy(rows, cols, host), host); }
    Smatrix* back(int rows, int cols, BSTR* host) { return withCopyBack(copy(rows, cols, host), host); }
    matrix* backFlags(int rows, int cols, VARIANT_BOOL* host) {
        return withCopyBack(copyFlags(rows, cols, host), host);
    }

    // A container working directly on the host's array: every write lands at once.
    matrix* inPlace(int rows, int cols, double* host) { return own(new matrix(rows, cols, host, true)); }

    void copyBack() const {
        for (const auto& step : copyBacks_) step();
    }

private:
    template <class C>
    static void destroy(void* p) {
        delete static_cast<C*>(p);
    }
    // The container has an owner before anything can throw: should the list
    // fail to grow, `owner` frees it on the way out.
    template <class C>
    C* own(C* c) {
        std::unique_ptr<C> owner(c);
        containers_.emplace_back(owner.get(), &destroy<C>);
        return owner.release();
    }
    // `c` is owned already, so a list that fails to grow here loses nothing.
    template <class C, class H>
    C* withCopyBack(C* c, H* host) {
        copyBacks_.emplace_back([c, host] { c->copyMatTo(host); });
        return c;
    }

    std::vector<std::unique_ptr<void, void (*)(void*)>> containers_;
    std::vector<std::function<void()>> copyBacks_;
};

// INT (or R8) entry points: returns the core's result, or onFailure.
template <class R, class Body>
R enter(R onFailure, Body body) noexcept {
    try {
        Frame frame;
        R result = body(frame);
        frame.copyBack();
        return result;
    } catch (...) {
        return onFailure;
    }
}

// Entry points without a result.
template <class Body>
void enter(Body body) noexcept {
    try {
        Frame frame;
        body(frame);
        frame.copyBack();
    } catch (...) {
    }
}

}  // namespace boundary
