#include "services/matrix3d.h"

#include <cmath>

template <class T>
matrix3D<T>::matrix3D(int count, int rows, int cols, double value) {
    if (count < 1) return;
    const int fill = std::isfinite(value) && std::fabs(value) < 2147483648.0 ? static_cast<int>(value) : 0;
    slices = new T*[static_cast<std::size_t>(count)]();
    this->count = count;
    sharers_ = new int(1);
    for (int s = 0; s < count; ++s) slices[s] = new T(rows, cols, fill);
}

namespace {

// Drops one holder of the slices, freeing them with the last, and leaves the
// array empty. A free function, so it is no member the library exports.
template <class T>
void releaseSlices(int& count, T**& slices, int*& sharers) {
    if (sharers != nullptr && --*sharers == 0) {
        for (int s = 0; s < count; ++s) delete slices[s];
        delete[] slices;
        delete sharers;
    }
    count = 0;
    slices = nullptr;
    sharers = nullptr;
}

}  // namespace

template <class T>
matrix3D<T>::~matrix3D() {
    releaseSlices(count, slices, sharers_);
}

template <class T>
matrix3D<T>& matrix3D<T>::operator=(const matrix3D& other) {
    if (this == &other || sharers_ == other.sharers_) return *this;
    releaseSlices(count, slices, sharers_);
    count = other.count;
    slices = other.slices;
    sharers_ = other.sharers_;
    if (sharers_ != nullptr) ++*sharers_;
    return *this;
}

template <class T>
void matrix3D<T>::vbset(int slice, int i, double value) {
    if (slice < 1 || slice > count || !std::isfinite(value) || std::fabs(value) >= 2147483648.0) return;
    slices[slice - 1]->vbset(i, static_cast<int>(value));
}

template class VX_CORE_CXX matrix3D<matrixInt>;
template VX_CORE_CXX matrix3D<Smatrix>& matrix3D<Smatrix>::operator=(const matrix3D<Smatrix>&);
