// Free functions over the containers: block copies, products, the
// decompositions and the small vector helpers. All indices are 1-based.
// Functions that produce a container fill one the caller passes, resizing it
// with matCheck where the shape follows from the inputs; that container may
// be one of the inputs. Cells read outside a container give -1, as its
// bounded access does; a null input reads as an empty container.
#pragma once

#include "services/matrix.h"

// ----- blocks and copies ------------------------------------------------------
// B(1.., 1..) := A(r1..r2, c1..c2); B is resized to (r2-r1+1) x (c2-c1+1).
void M_CopyBlock(const matrix* A, int r1, int r2, int c1, int c2, matrix*& B);
// A(r0.., c0..) := the first rows x cols block of B; cells outside A are
// skipped (only those inside A are visited), cells past B's edge give -1.
void M_PasteBlock(const matrix* B, int rows, int cols, matrix* A, int r0, int c0);
matrix* M_Duplicate(const matrix* A);
matrixInt* M_Duplicate(const matrixInt* A);
// A new n x 1 copy of the first n elements of v.
matrix* V_Duplicate(const matrix* v, int n);
// A new container holding A without row r (a plain copy when r is not a row).
matrix* M_RemoveRow(const matrix* A, int r);
// A new cols x rows matrix of doubles holding the transpose of A.
matrix* M_Transpose(const matrixInt* A, int rows, int cols);

// ----- products ----------------------------------------------------------------
void M_ProductTrAA(const matrix* A, matrix*& out);   // A'A
void M_ProductATrA(const matrix* A, matrix*& out);   // AA'
void M_ProductBV(const matrix* B, const matrix* v, matrix*& out);  // Bv
double M_ProductTrVBV(const matrix* v, const matrix* B);           // v'Bv
double V_ProductTrV1V2(const matrix* v1, const matrix* v2, int n);  // v1'v2 over n elements
void M_Sums1As2B(double s, const matrix* A, double t, const matrix* B, matrix*& out);  // sA + tB

// ----- decompositions ------------------------------------------------------------
// Determinant by partial-pivot LU; *singular is set when a pivot vanishes
// (the result is then 0). A pivot vanishes when it is lost in the rounding of
// its column (rows are first scaled by powers of two, so scaling rows or
// columns of a regular matrix never makes it singular). A that is not square
// or holds a non-finite value counts as singular; the 0 x 0 matrix has
// determinant 1. A determinant beyond the doubles' range comes out as
// +-infinity or 0 with *singular false.
double M_Determinant(const matrix* A, bool* singular);
// Natural logarithm of |det A|, finite wherever A is regular even when det A
// itself overflows; *singular is set (result 0) as for M_Determinant.
double M_LogDeterminant(const matrix* A, bool* singular);
// Ainv := A^-1 by Gauss-Jordan with partial pivoting. *failed is set, and
// Ainv left unspecified, when a pivot's magnitude falls to tol or below.
void inverse1(const matrix* A, matrix*& Ainv, double tol, bool* failed);
// Moore-Penrose generalised inverse of any matrix; singular values at or
// below tol times the largest count as zero.
void M_InvGeneralized(const matrix* A, matrix*& Aplus, double tol);
// L lower triangular with A = L L', zeros above the diagonal, from the lower
// triangle of A. Returns false when A is not positive definite, or only
// semidefinite to within rounding: L then holds the columns factored before
// the failing one and zeros from it on, so its diagonal has a 0.
bool M_CholDecomp(const matrix* A, matrix*& L);
// Symmetric eigen-decomposition A = Q diag(values) Q' of the symmetric matrix
// the lower triangle of A defines; values n x 1, vectors n x n (eigenvector i
// in column i). With decreasing true the eigenvalues come largest first,
// otherwise smallest first. Returns false, with values and vectors all zeros,
// when A is not square, holds a non-finite value or the iteration failed.
bool M_Eigen(const matrix* A, matrix*& values, matrix*& vectors, bool decreasing);

// ----- vectors ---------------------------------------------------------------------
// Each reads the first n elements in storage order; those past the end of v
// count as -1.
// Largest element (a NaN ranks above every number); num::kNoValue for n < 1.
double V_Max2(const matrix* v, int n);
double V_Sum2(const matrix* v, int n);
int V_NbDistinct(const matrix* v, int n);
int V_NbDistinct(const matrixInt* v, int n);
// -1 when the first n elements are all equal (and for n <= 1), 0 otherwise.
short V_IsConstant(const matrix* v, int n);
short V_IsConstant(const matrixInt* v, int n);
// -1 when every one of the first n flags is true, else 0. A flag is true
// when it holds exactly -1; any other value is false.
short V_IsConstantBool(const matrix* v, int n);
// Sets the first n flags of v to false.
void InitVectorToFalse(matrix* v, int n);

// ----- sorting ------------------------------------------------------------------
// Sorts rows from..to of A (rows x cols) by column key, ascending for order 0
// and descending otherwise. The sort is stable: rows with equal keys keep
// their relative order; NaN keys go last either way. Only rows and columns
// inside both the stated shape and the container take part.
void SortQMatrixCol(matrix* A, int rows, int cols, int key, int from, int to, int order);
void SortQMatrixCol(matrixInt* A, int rows, int cols, int key, int from, int to, int order);

// ----- super-matrices (arrays of containers) ---------------------------------------
// n new rows x cols containers, every element v; null for n < 1.
matrix** iniSuperMat(int n, int rows, int cols, double v);
matrixInt** iniSuperMat(int n, int rows, int cols, int v);
void SuperMatSetToValue(matrix** S, int n, double v);
void SuperMatSetToValue(matrixInt** S, int n, int v);
// Deletes the n containers and the array, and nulls S.
void deletecascade(matrix**& S, int n);
void deletecascade(matrixInt**& S, int n);

// ----- forms the presentation orders call -----
// B(br0 + i, bc0 + c) := A(ar0 + i, ac0 + c) for the first rows x cols block
// (i, c counted from 0); cells outside either container are skipped or read
// as -1, as everywhere else.
void M_Duplicate(const matrixInt* A, int rows, int cols, matrixInt* B, int ar0, int ac0, int br0, int bc0);
// out := the cols x rows transpose of A, as doubles; out is replaced.
void M_Transpose(const matrixInt* A, int rows, int cols, matrix*& out);

// ----- forms the optimal designs call -----
// inverse1 reporting through a 16-bit flag: -1 when the inversion failed, else 0.
void inverse1(const matrix* A, matrix*& Ainv, double tol, short* flag);
// The generalised inverse of the leading n x n block of A; returns its rank,
// the number of singular values above tol times the largest.
int M_InvGeneralized(const matrix* A, int n, matrix*& Aplus, double tol);
