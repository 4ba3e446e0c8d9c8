// matrix3D: a three-way array held as `count` slices of one container type,
// each slice a rows x cols container owned by the array.
//
// Assignment shares the slices instead of copying them, as the host's code
// expects; the slices are then released by the last array that holds them
// (a share count travels with the slices pointer), so neither array frees
// them under the other.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

template <class T>
class VX_CORE_CXX matrix3D {
public:
    // count slices of rows x cols, every element value truncated to an
    // integer; no slices for count < 1.
    matrix3D(int count, int rows, int cols, double value);
    ~matrix3D();
    matrix3D(const matrix3D&) = delete;
    matrix3D& operator=(const matrix3D& other);

    // Sets flat element i (1-based) of slice `slice` (1-based) to value
    // truncated to an integer; an index outside the array is ignored.
    void vbset(int slice, int i, double value);

    int count = 0;
    T** slices = nullptr;

private:
    int* sharers_ = nullptr;
};
