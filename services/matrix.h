// Dense containers every computation runs on: `matrix` (doubles), `matrixInt`
// (32-bit ints) and `Smatrix` (UTF-16 strings). Column-major, 1-based.
//
// Access is bounded. Two-index access (r, c) checks r against the rows and c
// against the columns separately, so a row index past the last row never
// spills into the next column; flat one-index access checks against the
// element count. An out-of-range read gives -1 (-1.0 for doubles, the empty
// string for strings) and an out-of-range write is skipped. Callers rely on
// this to write designs into host arrays that may be smaller than the design.
//
// Containers are created on the heap and deleted through the virtual
// destructor. Zero or negative sizes make an empty container.
#pragma once

#include "services/bstr.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// Whether the 1-based index i lies in 1..n. The subtraction is unsigned:
// every int is a valid index to test, INT32_MIN included.
inline bool indexIn(int i, int n) { return static_cast<unsigned>(i) - 1u < static_cast<unsigned>(n); }

template <class T>
class MultiDimArray {
public:
    virtual ~MultiDimArray() {
        if (owns_) delete[] data_;
    }
    MultiDimArray(const MultiDimArray&) = delete;
    MultiDimArray& operator=(const MultiDimArray&) = delete;

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int count() const { return rows_ * cols_; }
    bool empty() const { return count() == 0; }

    // The raw column-major block, for loops that have already checked bounds.
    T* data() { return data_; }
    const T* data() const { return data_; }

    T vbget(int r, int c) const { return inside(r, c) ? data_[offset(r, c)] : outside(); }
    void vbset(int r, int c, T v) {
        if (inside(r, c)) data_[offset(r, c)] = v;
    }
    // Flat 1-based access in storage order, bounded by the element count.
    T vbget(int i) const { return inside(i) ? data_[i - 1] : outside(); }
    void vbset(int i, T v) {
        if (inside(i)) data_[i - 1] = v;
    }

    void fill(T v) {
        for (int i = 0; i < count(); ++i) data_[i] = v;
    }

    // Copies every element out in storage order to a host array.
    template <class Dst>
        requires std::is_arithmetic_v<Dst>
    void copyMatTo(Dst* dst) const {
        if (dst == nullptr) return;
        for (int i = 0; i < count(); ++i) dst[i] = static_cast<Dst>(data_[i]);
    }
    // Copies into another container, element by element in storage order, as
    // far as the smaller of the two reaches.
    template <class U>
    void copyMatTo(MultiDimArray<U>* dst) const {
        if (dst == nullptr) return;
        const int n = count() < dst->count() ? count() : dst->count();
        for (int i = 0; i < n; ++i) dst->data_[i] = static_cast<U>(data_[i]);
    }

protected:
    MultiDimArray(int rows, int cols) : rows_(clampSize(rows, cols)), cols_(rows_ ? cols : 0) {
        data_ = count() ? new T[static_cast<std::size_t>(count())]() : nullptr;
    }
    // Over caller memory: in place (nothing copied, nothing freed) or as a
    // copy of it. A null source gives an empty container in place and
    // zeros as a copy.
    MultiDimArray(int rows, int cols, T* src, bool inPlace) : MultiDimArray(inPlace ? 0 : rows, inPlace ? 0 : cols) {
        if (inPlace) {
            owns_ = false;
            if (src == nullptr) return;
            rows_ = clampSize(rows, cols);
            cols_ = rows_ ? cols : 0;
            data_ = count() ? src : nullptr;
        } else if (src != nullptr) {
            for (int i = 0; i < count(); ++i) data_[i] = src[i];
        }
    }

    static int clampSize(int rows, int cols) {
        if (rows <= 0 || cols <= 0) return 0;
        if (static_cast<long long>(rows) * cols > INT32_MAX) return 0;
        return rows;
    }
    bool inside(int r, int c) const { return indexIn(r, rows_) && indexIn(c, cols_); }
    bool inside(int i) const { return indexIn(i, count()); }
    std::size_t offset(int r, int c) const {
        return static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r - 1);
    }
    static T outside() { return static_cast<T>(-1); }

    template <class U>
    friend class MultiDimArray;

    int rows_;
    int cols_;
    T* data_ = nullptr;
    bool owns_ = true;
};

class matrix : public MultiDimArray<double> {
public:
    matrix(int rows, int cols, int fill) : matrix(rows, cols, static_cast<double>(fill)) {}
    matrix(int rows, int cols, double fill) : MultiDimArray(rows, cols) { this->fill(fill); }
    // Copy of a host array of rows x cols doubles (inPlace false), or a
    // container working directly on it (inPlace true).
    matrix(int rows, int cols, double* src, bool inPlace) : MultiDimArray(rows, cols, src, inPlace) {}
    matrix(int rows, int cols, const double* src) : MultiDimArray(rows, cols) { copyFrom(src); }
    // Copy of a host array of 16-bit VARIANT_BOOL flags, as doubles (-1 / 0).
    matrix(int rows, int cols, const short* src) : MultiDimArray(rows, cols) { copyFrom(src); }

    using MultiDimArray::copyMatTo;
    // Writes 16-bit flags back: every element is converted to a short.
    void copyMatTo(short* dst) const;

private:
    template <class Src>
    void copyFrom(const Src* src) {
        if (src == nullptr) return;
        for (int i = 0; i < count(); ++i) data_[i] = static_cast<double>(src[i]);
    }
};

class matrixInt : public MultiDimArray<int> {
public:
    matrixInt(int rows, int cols, int fill) : MultiDimArray(rows, cols) { this->fill(fill); }
    // Copy of a host array (inPlace false), or in place on it (inPlace true).
    matrixInt(int rows, int cols, int* src, bool inPlace) : MultiDimArray(rows, cols, src, inPlace) {}
};

// Strings are held as UTF-16 code units, the characters of a BSTR.
class Smatrix {
public:
    Smatrix(int rows, int cols);
    // Copy of a host array of BSTRs; a null BSTR reads as the empty string.
    Smatrix(int rows, int cols, const BSTR* src);
    virtual ~Smatrix() = default;

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int count() const { return rows_ * cols_; }

    std::u16string vbget(int r, int c) const;
    void vbset(int r, int c, const std::u16string& v);
    std::u16string vbget(int i) const;
    void vbset(int i, const std::u16string& v);

    // Frees each host string and stores a newly allocated copy of the
    // element, so the host owns every string in its array afterwards.
    void copyMatTo(BSTR* dst) const;
    void copyMatTo(Smatrix* dst) const;

private:
    bool inside(int r, int c) const;
    int rows_;
    int cols_;
    std::vector<std::u16string> cells_;
};

// A caller's count cut to what a container holds along its rows or its
// columns (never negative). A loop to the count itself would, past the
// container, only spin over skipped accesses, and at INT32_MAX overflow its
// counter.
template <class Container>
int rowsHeld(const Container* m, int n) {
    return n < 0 ? 0 : (n < m->rows() ? n : m->rows());
}
template <class Container>
int colsHeld(const Container* m, int n) {
    return n < 0 ? 0 : (n < m->cols() ? n : m->cols());
}

// Afterwards `ref` designates a rows x cols container with every element v;
// an existing container of another shape is replaced.
void matCheck(matrix*& ref, int rows, int cols, double v);
void matCheck(matrixInt*& ref, int rows, int cols, int v);
