// Free functions over the containers: block copies, products, the
// decompositions and the small vector helpers. All indices are 1-based.
// Functions that produce a container fill one the caller passes, resizing it
// with matCheck where the shape follows from the inputs.
#pragma once

#include "services/matrix.h"

// ----- blocks and copies ------------------------------------------------------
// B(1.., 1..) := A(r1..r2, c1..c2); B is resized to (r2-r1+1) x (c2-c1+1).
void M_CopyBlock(const matrix* A, int r1, int r2, int c1, int c2, matrix*& B);
// A(r0.., c0..) := the first rows x cols block of B; cells outside A are skipped.
void M_PasteBlock(const matrix* B, int rows, int cols, matrix* A, int r0, int c0);
matrix* M_Duplicate(const matrix* A);
matrixInt* M_Duplicate(const matrixInt* A);
// A new n x 1 copy of the first n elements of v.
matrix* V_Duplicate(const matrix* v, int n);
// A new container holding A without row r.
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
// (the result is then 0).
double M_Determinant(const matrix* A, bool* singular);
// Natural logarithm of |det A|; *singular is set (result 0) when det A is 0.
double M_LogDeterminant(const matrix* A, bool* singular);
// Ainv := A^-1 by Gauss-Jordan with partial pivoting. *failed is set, and
// Ainv left unspecified, when a pivot's magnitude falls to tol or below.
void inverse1(const matrix* A, matrix*& Ainv, double tol, bool* failed);
// Moore-Penrose generalised inverse of any matrix; singular values at or
// below tol times the largest count as zero.
void M_InvGeneralized(const matrix* A, matrix*& Aplus, double tol);
// L lower triangular with A = L L'. Returns false when A is not positive
// definite (L unspecified).
bool M_CholDecomp(const matrix* A, matrix*& L);
// Symmetric eigen-decomposition A = Q diag(values) Q'; values n x 1,
// vectors n x n (eigenvector i in column i). With decreasing true the
// eigenvalues come largest first. Returns false if the iteration failed.
bool M_Eigen(const matrix* A, matrix*& values, matrix*& vectors, bool decreasing);

// ----- vectors ---------------------------------------------------------------------
double V_Max2(const matrix* v, int n);
double V_Sum2(const matrix* v, int n);
int V_NbDistinct(const matrix* v, int n);
int V_NbDistinct(const matrixInt* v, int n);
// -1 when the first n elements are all equal, 0 otherwise.
short V_IsConstant(const matrix* v, int n);
short V_IsConstant(const matrixInt* v, int n);
// -1 when the first n flags are all true (-1) or all false (0), else 0.
short V_IsConstantBool(const matrix* v, int n);
// Sets the first n flags of v to false.
void InitVectorToFalse(matrix* v, int n);

// ----- sorting ------------------------------------------------------------------
// Sorts rows from..to of A (rows x cols) by column key, ascending for order 0
// and descending otherwise. The sort is stable: rows with equal keys keep
// their relative order.
void SortQMatrixCol(matrix* A, int rows, int cols, int key, int from, int to, int order);
void SortQMatrixCol(matrixInt* A, int rows, int cols, int key, int from, int to, int order);

// ----- super-matrices (arrays of containers) ---------------------------------------
// n new rows x cols containers, every element v.
matrix** iniSuperMat(int n, int rows, int cols, double v);
matrixInt** iniSuperMat(int n, int rows, int cols, int v);
void SuperMatSetToValue(matrix** S, int n, double v);
void SuperMatSetToValue(matrixInt** S, int n, int v);
// Deletes the n containers and the array, and nulls S.
void deletecascade(matrix**& S, int n);
void deletecascade(matrixInt**& S, int n);
