// Arrays of containers ("super-matrices"), created, filled and deleted as one.
#include "services/matrix_ops.h"

namespace {

template <class M, class T>
M** createAll(int n, int rows, int cols, T v) {
    if (n <= 0) return nullptr;
    M** S = new M*[static_cast<std::size_t>(n)]();
    try {
        for (int i = 0; i < n; ++i) S[i] = new M(rows, cols, v);
    } catch (...) {
        // Nothing half-built is left behind when memory runs out.
        for (int i = 0; i < n; ++i) delete S[i];
        delete[] S;
        throw;
    }
    return S;
}

template <class M, class T>
void fillAll(M** S, int n, T v) {
    if (S == nullptr) return;
    for (int i = 0; i < n; ++i)
        if (S[i]) S[i]->fill(v);
}

template <class M>
void deleteAll(M**& S, int n) {
    if (S == nullptr) return;
    for (int i = 0; i < n; ++i) delete S[i];
    delete[] S;
    S = nullptr;
}

}  // namespace

matrix** iniSuperMat(int n, int rows, int cols, double v) { return createAll<matrix>(n, rows, cols, v); }
matrixInt** iniSuperMat(int n, int rows, int cols, int v) { return createAll<matrixInt>(n, rows, cols, v); }

void SuperMatSetToValue(matrix** S, int n, double v) { fillAll(S, n, v); }
void SuperMatSetToValue(matrixInt** S, int n, int v) { fillAll(S, n, v); }

void deletecascade(matrix**& S, int n) { deleteAll(S, n); }
void deletecascade(matrixInt**& S, int n) { deleteAll(S, n); }
