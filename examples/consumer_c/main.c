/* A C99 program using the installed library through pkg-config:
 *
 *   gcc -std=c99 main.c $(pkg-config --cflags --libs vornexdo1m) -o consumer_c
 *
 * It sizes and builds a quadratic mixture model as a host does, passing the
 * component labels as BSTRs made by the library's own allocator and freeing
 * the term labels the library hands back. */
#include <VORNEXDO1M.h>

#include <stdio.h>
#include <stdlib.h>

static void print_bstr(BSTR s) {
    uint32_t i, n = SysStringLen(s);
    for (i = 0; i < n; ++i) putchar(s[i] < 128 ? (int)s[i] : '?');
}

int main(void) {
    /* Candidates of the full factorial of three factors with 2, 3, 2 levels. */
    int32_t levels[3] = {2, 3, 2};
    int32_t rows = 0, cols = 0, terms, i;
    double *design, *model;
    BSTR names[3], *labels;
    const OLECHAR letter[3][2] = {{'A', 0}, {'B', 0}, {'C', 0}};

    /* 2 * 3 * 2 = 12 */
    printf("full factorial 2x3x2: %d runs\n", (int)Cpp_GetFullPlanLines(3, levels));

    /* The {3, 2} simplex lattice, C(4, 2) = 6 blends, and its quadratic
       model of q(q + 1)/2 = 6 terms. */
    Cpp_DOEMixGetSizeoSimplex(3, 2, 1, &rows, &cols);
    terms = Cpp_DOEMixGetnCoef(3, rows, 2, 0);
    design = calloc((size_t)rows * (size_t)cols, sizeof *design);
    model = calloc((size_t)rows * (size_t)terms, sizeof *model);
    labels = calloc((size_t)terms, sizeof *labels);
    if (design == NULL || model == NULL || labels == NULL) return 1;
    for (i = 0; i < 3; ++i) names[i] = SysAllocString(letter[i]);

    Cpp_DOEMixSimplex(3, 2, 1, design, rows, cols);
    Cpp_DOEMixPredictorMatrix(design, rows, cols, terms, names, 2, 0, model, labels);

    printf("lattice {3,2}: %d runs x %d components, %d terms:", (int)rows, (int)cols, (int)terms);
    for (i = 0; i < terms; ++i) {
        putchar(' ');
        print_bstr(labels[i]);
    }
    /* Column-major: term 4 (A*B) of run 2, the blend (1/2, 1/2, 0): 1/4. */
    printf("\nA*B at run 2: %g\n", model[3 * rows + 1]);

    for (i = 0; i < 3; ++i) SysFreeString(names[i]);
    for (i = 0; i < terms; ++i) SysFreeString(labels[i]);
    free(labels);
    free(model);
    free(design);
    return 0;
}
