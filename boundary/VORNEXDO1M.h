/*
 * VORNEXDO1M: design-of-experiments computations for a spreadsheet host.
 *
 * Calling rules shared by every entry point
 * -----------------------------------------
 * - Tables are flat, column-major arrays: element (r, c) of an array declared
 *   rows x cols, both 1-based, is at index (c - 1) * rows + (r - 1). Shapes are
 *   never passed as such; each entry point derives them from its integer
 *   arguments as documented below, and the caller sizes every array to at
 *   least rows x cols elements.
 * - VARIANT_BOOL is 16 bits: -1 is true, 0 is false. The library writes -1 and
 *   0. Flags documented as "tested for -1" treat every other value (1 too) as
 *   false; flags "tested for non-zero" treat every non-zero value as true.
 * - Strings are BSTRs. The caller allocates the strings it passes with
 *   SysAllocString/SysAllocStringLen (on Windows the platform's, elsewhere the
 *   ones this library exports) and a null BSTR reads as the empty string.
 *   Where a string array is written back, every old string in it is freed and
 *   a new one stored: the caller owns and frees every string afterwards.
 * - Randomised entry points take a seed triple: ioSeed, a flag saying whether
 *   ioSeed already holds a seed (0: start a new stream and report its seed in
 *   ioSeed), and oSeed, which receives the state to continue from. Calling
 *   again with the flag true and oSeed's value in ioSeed continues the
 *   stream; calling with the same ioSeed and a true flag reproduces a run.
 * - The library keeps no state between calls.
 * - Annotations: VX_IN marks a parameter the type library declares [in];
 *   every other pointer is [in, out]; VX_NODIR carries no direction.
 * - No C++ exception crosses this boundary. When the library itself fails
 *   (memory exhausted), an INT entry point returns VX_E_INTERNAL and a void
 *   one leaves the caller's arrays as they were.
 */
#ifndef VORNEXDO1M_H
#define VORNEXDO1M_H

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#define VX_CALL __stdcall
#else
#ifndef __cplusplus
#include <uchar.h>
#endif
typedef char16_t OLECHAR;
/* OLE layout: a 32-bit byte count precedes the first character, a zero
   character follows the last. */
typedef OLECHAR* BSTR;
typedef int16_t VARIANT_BOOL;
#define VX_CALL
#endif

#ifdef __cplusplus
#define VX_EXTERN_C extern "C"
#else
#define VX_EXTERN_C
#endif

#if defined(VORNEXDO1M_BUILD) && !defined(_WIN32)
#define VX_API VX_EXTERN_C __attribute__((visibility("default")))
#else
#define VX_API VX_EXTERN_C
#endif

#define VX_IN
#define VX_NODIR

/* Returned by an INT entry point when the library could not run the call at
   all; no computation uses this value. */
#define VX_E_INTERNAL (-32000)

/* The no-value constant: marks a response not yet measured, a criterion that
   cannot be computed or an output cell without a value. It is the double
   nearest to this literal (bits 0xFFEFFFFFFFFFFFE2), just above the most
   negative double; compare it by exact equality. */
#define VX_NO_VALUE (-1.79769313486231e308)

#ifndef _WIN32
/* BSTR allocation with the OLE semantics, for hosts on other platforms. */
VX_API BSTR SysAllocString(const OLECHAR* psz);
VX_API BSTR SysAllocStringLen(const OLECHAR* strIn, uint32_t ui);
VX_API uint32_t SysStringLen(BSTR bstr);
VX_API void SysFreeString(BSTR bstr);
#endif

/* ===== Classical designs ================================================ */

/* Copies orthogonal array TabNbr (1..392) of the catalogue into the top
   left of ioplanList (lines x cols, column-major, levels coded 1..s, columns
   ordered by ascending level count) and its table identifier into *oTabID.
   TabName (1 x 1) receives the array's name when it has one (no catalogue
   entry has one, so the host's string stays). Returns 0, -1 when TabNbr is
   outside 1..392, -2 when the array has more runs than `lines` or more
   columns than `cols`; on failure nothing is written. */
VX_API int32_t VX_CALL Cpp_PlanGetOrtho(VX_IN int32_t lines, VX_IN int32_t cols, VX_IN int32_t TabNbr,
                                        double* ioplanList, BSTR* TabName, int32_t* oTabID);

/* Cats (9 x 1, elements counted from 1): elements 2..7 hold how many
   factors have 2..7 levels, element 8 (Cats[7]) a run count; elements 1 and
   9 are not read.
   Scores every catalogue array of nFac columns against Cats (the level
   counts it misses or exceeds, plus its runs beyond element 8) and lists, in
   catalogue order, up to maxList of those scoring strictly below maxScore
   in ioplanList (maxList x 11: score, 2..7-level counts, runs, variant,
   number, table identifier), sorted by score; equal scores keep catalogue
   order. *oNbrList receives 1 when row 1 is an exact match (score 0), the
   number of rows filled otherwise; rows past those filled keep the host's
   values. TabName (maxList x 1) receives the names of the rows counted
   (none has one). minLines and iomaxLines are not read. Returns 0, or -1
   when nothing scored below maxScore. */
VX_API int32_t VX_CALL Cpp_PlanSearchOrthoList(int32_t* Cats, VX_IN int32_t nFac, VX_IN int32_t minLines,
                                               int32_t* iomaxLines, VX_IN int32_t maxList,
                                               VX_IN int32_t maxScore, double* ioplanList, BSTR* TabName,
                                               int32_t* oNbrList);

/* Finds the array for the factor pattern Cats (9 x 1, as above; element 8
   is the least number of runs) among the catalogue arrays of nFac (2..35)
   columns and copies it into ioplan ((*iomaxLines as passed) x nFac), its
   run count into *iomaxLines and its (empty) name into TabName (1 x 1). The
   search walks the arrays of nFac columns once, so it answers only for
   nFac 2-level factors: the smallest such array with at least that many
   runs.
   Returns 0, -1 when no array fits, -2 when the array found has more runs
   than *iomaxLines (ioplan and *iomaxLines then come back as they were).
   minLines and TabNbr are not read. */
VX_API int32_t VX_CALL Cpp_PlanSearchOrtho(int32_t* Cats, VX_IN int32_t nFac, VX_IN int32_t minLines,
                                           int32_t* iomaxLines, int32_t* TabNbr, double* ioplan,
                                           BSTR* TabName);

/* Size of a response-surface design (Mode 2; PlanID 1 three-level
   factorial, 2 central composite, 3 Box-Behnken, 4 Doehlert): runs with
   replicates in *onplan, columns (nFac + nRes + 4) in *opplan, runs of one
   replicate in *onblock. nCenter counts the centre runs of a central
   composite design (0: the uniform-precision count). An unknown PlanID
   leaves *onplan as it came (still multiplied by nRep). Other modes write
   nothing. IsRand is not read. Returns 0. */
VX_API int32_t VX_CALL Cpp_PlanDimension(VX_IN int32_t Mode, VX_IN int32_t PlanID, VX_IN int32_t nFac,
                                         VX_IN int32_t nRes, VX_IN int32_t nCenter, VX_IN int32_t nRep,
                                         VX_IN VARIANT_BOOL IsRand, int32_t* onplan, int32_t* opplan,
                                         int32_t* onblock);

/* Writes the run sheet sized by Cpp_PlanDimension into ioplan (nplan x
   pplan): run order, standard order, replicate, centre flag (1 on the
   centre runs: every factor at 0; the flag goes with its run when the order
   is randomised), the nFac factors, then nRes responses holding the
   no-value constant. MinF and
   MaxF are nFac x 1. IsRand, DoRound and DoOrigScale are tested for -1:
   DoOrigScale converts the coded levels to centre + half-range x level,
   DoRound then rounds them to whole numbers; IsRand puts the runs of one
   replicate in random order, which every replicate repeats. Factor cells a
   design does not set (centre runs, the other factors of axial and edge
   runs) keep their incoming value: pass them as 0. Step is not read.
   Returns 0. */
VX_API int32_t VX_CALL Cpp_PlanGenerate(VX_IN int32_t Mode, VX_IN int32_t PlanID, VX_IN int32_t nFac,
                                        VX_IN int32_t nRes, VX_IN int32_t nCenter, VX_IN int32_t nRep,
                                        VX_IN VARIANT_BOOL IsRand, VX_IN VARIANT_BOOL DoRound,
                                        VX_IN VARIANT_BOOL DoOrigScale, VX_IN int32_t nplan,
                                        VX_IN int32_t pplan, VX_IN int32_t nblock, double* MinF,
                                        double* MaxF, double* Step, double* ioplan, int32_t* ioSeed,
                                        VX_IN VARIANT_BOOL iSeedInit, int32_t* oSeed);

/* Columns of the main-effects model of nbFact qualitative factors with
   FactMod (nbFact x 1) levels: 1 + sum(FactMod - 1); 1 when nbFact < 1. */
VX_API int32_t VX_CALL Cpp_GetnColPlan(VX_IN int32_t nbFact, int32_t* FactMod);

/* Runs of the full factorial: the product of FactMod (nbFact x 1), 1 when
   nbFact < 1. The product stops at the first partial product above
   214748364 and returns it; INT32_MAX when that product exceeds 32 bits. */
VX_API int32_t VX_CALL Cpp_GetFullPlanLines(VX_IN int32_t nbFact, int32_t* FactMod);

/* ===== Optimal and screening designs ===================================== */

/* Starting plan of an optimal design of nthres runs among the nfullplan
   candidates of the full factorial of nbFact qualitative factors with
   FactMod (nbFact x 1) levels, for the main-effects model of nPlanLine
   columns (Cpp_GetFullPlanLines, Cpp_GetnColPlan size them). nalgo 1:
   random; 2: sequential after a random start of min(5, nthres / 2) runs;
   3: the plan Q (nthres x nbFact labels: Cats (nbFact x NbMaxCat) when
   UseCategories is -1, else level numbers). icode 1 or 2 codes the factors
   (last or first level -1 in all its columns); icrit 1 maximises det(X'X),
   2 its log10. accelerate and DoChol (tested for -1 and 0) keep and use the
   inverse Vopt and the Cholesky factor Chol (nPlanLine x nPlanLine each).
   Written back: PlanOpt (nthres x nPlanLine model matrix), the level
   columns 5.. of PlanDisp (nthres x (nbFact + nbRes + 4)), iopt (candidate
   codes), critvalopt (criterion of the first r runs), nbrOpt (ties per
   step, nalgo 2), delta (regularisation flags), Vopt, Chol. Seeds: after
   nalgo 1 or 2, *ioSeed holds the state to continue from and *oSeed the
   seed that reproduces the run (the reverse of the other entry points).
   CatLabels is not read. Returns 0; for nalgo 1 and 2, -1 (nothing drawn,
   nothing written) when icrit is not 1 or 2, nthres < 1, nthres > nfullplan,
   nthres < nPlanLine, a level count is below 1, the level counts code
   into other than nPlanLine model columns (1 + the sum of levels - 1),
   nfullplan exceeds the full factorial, or nfullplan leaves a factor's last
   level out of reach (its first code, (L_j - 1) L_1 ... L_(j-1), is not
   below nfullplan), and -2 when 20000 random draws, or 200 draws with a
   singular information matrix, or draws whose work passed 6e9 steps
   (nthres x nbFact per draw, nthres nPlanLine^2 + nPlanLine^3 per singular
   one: about 2 s; nalgo 1), or 10 random starts (nalgo 2) gave
   no plan showing every level with a computable criterion (the arrays hold
   the last try). The largest candidate set is 2147483647 codes (nfullplan
   is a 32-bit int); a count of Cpp_GetFullPlanLines that stopped short of
   the full factorial leaves the later factors' last levels out of reach and
   is refused, so 29 or more two-level factors are. Every step of nalgo 2,
   and every exchange pass, scans all nfullplan candidates, so the largest
   scan is refused with -1 as well (nothing drawn, nothing written): for
   nalgo 1 and 2 when nthres x nfullplan exceeds
   VX_OPTIMAL_MOST_EXCHANGE_PAIRS (no exchange pass could start from the
   plan), and for nalgo 2 when the sequential start's scans, nthres x
   nfullplan (each pair counting nPlanLine pairs when DoChol is -1 and
   accelerate 0: a triangular solve through Chol per candidate), exceed
   VX_OPTIMAL_MOST_SEQUENTIAL_PAIRS. On the machine the figures were taken
   on, a start at that size takes about 8 s. */
#define VX_OPTIMAL_MOST_EXCHANGE_PAIRS 8e9
#define VX_OPTIMAL_MOST_SEQUENTIAL_PAIRS 2.5e8
VX_API int32_t VX_CALL Cpp_OptiplanInit(VX_IN int32_t nbFact, int32_t* FactMod, VX_IN int32_t nbRes, BSTR* Cats,
                                        BSTR* CatLabels, VX_IN VARIANT_BOOL UseCategories, VX_NODIR int32_t NbMaxCat,
                                        VX_IN int32_t icode, VX_IN int32_t icrit, VX_IN VARIANT_BOOL accelerate,
                                        VX_IN VARIANT_BOOL DoChol, VX_IN int32_t nalgo, VX_IN int32_t nthres,
                                        VX_IN int32_t nfullplan, VX_IN int32_t nPlanLine, int32_t* ioSeed,
                                        VX_IN VARIANT_BOOL iSeedInit, int32_t* oSeed, BSTR* Q, double* PlanOpt,
                                        double* PlanDisp, int32_t* iopt, double* critvalopt, int32_t* nbrOpt,
                                        VARIANT_BOOL* delta, double* Vopt, double* Chol);

/* Improves the plan Cpp_OptiplanInit left, with the same arrays: nalgo 11
   exchanges the best single (run, candidate) pair, 12 adds the candidate of
   largest variance and removes the run of smallest, escalating to two and
   three simultaneous exchanges. Exchanges are accepted while one gains at
   least Convergence (nalgo 12: relative determinant gain; 11: criterion
   difference), at most MaxIter of them (at least one pass runs). Starts from
   critvalopt(StartIter) and the flag delta(nthres); critvalopt is
   (MaxIter + StartIter) x 1 and receives the criterion after the k-th
   exchange at StartIter + k; *onbrIter the number of exchanges. PlanOpt,
   PlanDisp, iopt, critvalopt, Vopt and Chol are written back; delta is not
   changed. Call again with StartIter advanced by *onbrIter to continue.
   Codes past the full factorial are not scanned (they name its candidates
   again); level counts that code into other than nPlanLine model columns,
   or an nfullplan that leaves a factor's last level out of reach (as
   Cpp_OptiplanInit refuses), accept nothing. ioSeed, iSeedInit, oSeed and nbrOpt are not read.
   One pass scores up to nthres x (candidates, at most the full factorial)
   pairs of run and candidate; a pass that would score more than
   VX_OPTIMAL_MOST_EXCHANGE_PAIRS is refused with -1 before any work,
   *onbrIter 0 and every array as passed. A pair counts nPlanLine pairs for
   nalgo 12 with DoChol -1 and accelerate 0 (every candidate solved through
   Chol), and nPlanLine^3 pairs for nalgo 11 when neither Vopt nor Chol is
   used (accelerate 0 and DoChol 0, or the flag delta(nthres) true: every
   pair takes a determinant). At that size a pass takes about 2 to 5 s on
   the machine the figures were taken on.
   Returns 0 or -1. */
VX_API int32_t VX_CALL Cpp_OptiplanIterate(VX_IN int32_t nbFact, int32_t* FactMod, VX_IN int32_t nbRes,
                                           VX_IN int32_t icode, VX_IN int32_t icrit, VX_IN VARIANT_BOOL accelerate,
                                           VX_IN VARIANT_BOOL DoChol, VX_IN int32_t nalgo, VX_IN int32_t nthres,
                                           VX_IN int32_t nfullplan, VX_IN int32_t nPlanLine, int32_t* ioSeed,
                                           VX_IN VARIANT_BOOL iSeedInit, int32_t* oSeed, VX_IN int32_t MaxIter,
                                           VX_IN int32_t StartIter, VX_IN double Convergence, int32_t* onbrIter,
                                           double* PlanOpt, double* PlanDisp, int32_t* iopt, double* critvalopt,
                                           int32_t* nbrOpt, VARIANT_BOOL* delta, double* Vopt, double* Chol);

/* The per-parameter log10 determinant of the run-averaged information
   matrix: (Deter - log10(n^p)) / p for a log10 determinant Deter of n runs
   and p columns; the no-value constant when Deter is it. */
VX_API double VX_CALL Cpp_NormedDet(VX_IN double Deter, VX_IN int32_t n, VX_IN int32_t p);

/* Screening run sheet over the full factorial of nFac qualitative factors
   with NbCat (nFac x 1) levels into ioplan (nplan x pplan), same bookkeeping
   columns as Cpp_PlanGenerate. Mode 1 only. IsRand is tested for -1.
   nCenter is not read. Returns 0. */
VX_API int32_t VX_CALL Cpp_ScreeningPlanGenerate(VX_IN int32_t Mode, VX_IN int32_t PlanID, VX_IN int32_t nFac,
                                                 VX_IN int32_t nRes, VX_IN int32_t nCenter, VX_IN int32_t nRep,
                                                 VX_IN VARIANT_BOOL IsRand, VX_IN int32_t nplan,
                                                 VX_IN int32_t pplan, VX_IN int32_t nblock, int32_t* NbCat,
                                                 double* ioplan, int32_t* ioSeed, VX_IN VARIANT_BOOL iSeedInit,
                                                 int32_t* oSeed);

/* ===== Response tools ==================================================== */

/* Compares the plan X (nplan x pplan, written back) with its edited copy
   Xbis (nplan x pxbis, headers StrX pxbis x 1), factor names LgNameF
   (nFac x 1) and RefStr (1 x 1); reports a result code in *oChanges and the
   changed cells in changes (nplan x (nFac + 4), written back). */
VX_API void VX_CALL Cpp_ComparePlan(VX_IN int32_t nplan, VX_IN int32_t pplan, VX_IN int32_t nFac, double* X,
                                    double* Xbis, VX_IN int32_t pxbis, BSTR* StrX, BSTR* LgNameF,
                                    BSTR* RefStr, int32_t* oChanges, VARIANT_BOOL* changes);

/* Takes the measured responses Y (nplan x nRes) into X (nplan x pplan) and
   recodes the factors to -1..+1 into Xnorm (nplan x nFac) with MinF and MaxF
   (nFac x 1). X and Xnorm are written back. */
VX_API void VX_CALL Cpp_UpdatePlan(VX_IN int32_t nplan, VX_IN int32_t pplan, VX_IN int32_t nFac,
                                   VX_IN int32_t nRes, double* Y, double* X, double* Xnorm, double* MinF,
                                   double* MaxF);

/* Aggregated desirability of the n x nRes responses Y into Yagg (n x 1);
   Goal, Lower, LeftTarget, RightTarget, Upper, spara, tpara and weight are
   nRes x 1; the three flags are tested for -1. */
VX_API void VX_CALL Cpp_Ymulticrit(double* Y, VX_IN int32_t n, VX_IN int32_t nRes, double* Goal, double* Lower,
                                   double* LeftTarget, double* RightTarget, double* Upper,
                                   VX_IN VARIANT_BOOL IsSpara, VX_IN VARIANT_BOOL IstPara,
                                   VX_IN VARIANT_BOOL isweight, double* spara, double* tpara, double* weight,
                                   double* Yagg);

/* Grid of a fitted two-factor second-order model into OutTable
   (indMax x indMax, written back), MinF and MaxF nFac x 1, Coeff NbCoeff x 1;
   the widened smallest and largest values in *ominY and *omaxY. The grid
   step is a twentieth of each range whatever indMax is; with indMax <= 1
   there is no grid point and *ominY, *omaxY hold +1.79769313486231e308 and
   the no-value constant. */
VX_API void VX_CALL Cpp_SurfaceCalcTable(VX_IN int32_t indMax, double* OutTable, VX_IN int32_t nFac,
                                         double* MinF, double* MaxF, VX_IN int32_t NbCoeff, double* Coeff,
                                         double* ominY, double* omaxY);

/* ===== Sensory designs =================================================== */

/* A design in which each of iJ judges tastes iR of iP products. oJPMat
   (iJ x iP, written back) receives the judge x product incidence (1 when
   the judge tastes the product, else 0).
   iUseCyclic tested for -1: the design is made of cyclic squares and oJRMat
   (iJ x iR, written back) receives each judge's products in presentation
   order; *FoundExact is not written. Otherwise, for iCritType 1 (D-type
   criterion) or 2 (A-type), a search fills oJPMat with the most even
   replications of the products, oJRMat is left as passed, and *FoundExact
   receives -1 when the design is proved optimal (it reached the efficiency
   of a balanced incomplete block design), 0 when it was searched without
   reaching it; it is left as passed when no search was needed. iTimeStop -1:
   the search goes on until it proves its design optimal or half of
   iMaxSeconds (elapsed clock days x 100000) has passed (a NaN or negative
   limit gives no time, one above a day counts as a day); any other value:
   one untimed pass. Either way the greedy fill of the searched judges
   compares each judge with those before it; past about 10^9 compared cells
   (thousands of judges) every judge left takes its first candidate, so
   that the fill ends within seconds. *maxcrit receives the criterion iCritType names, *ocrit2 the
   other (the D-type one for any other iCritType, which runs no search);
   both of the design returned, in (0, 1], or the no-value constant for a
   design that cannot be scored (a product nobody tastes, products that
   never meet at one judge, fewer than two products).
   A shape that describes no design (iJ, iP or iR below 1, or iR above iP)
   returns 0 at once with both criteria the no-value constant and every
   array as passed. More than VX_SENSORY_MOST_PRODUCTS products are refused
   with VX_E_TOO_MANY_PRODUCTS before anything is allocated or written:
   every criterion is taken from the eigenvalues of an iP x iP matrix, which
   at 200 products holds 320 kB and takes about 10 ms to solve, and a
   search scores its designs hundreds of times; memory grows as iP^2 and
   time as iP^3.
   Seed triple with the flag by pointer. Returns 0 or VX_E_TOO_MANY_PRODUCTS. */
#define VX_SENSORY_MOST_PRODUCTS 200
#define VX_E_TOO_MANY_PRODUCTS (-2)
VX_API int32_t VX_CALL Cpp_RunGetOptimalDesign(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR,
                                               VX_IN int32_t iCritType, VX_IN VARIANT_BOOL iUseCyclic,
                                               VX_IN VARIANT_BOOL iTimeStop, VX_IN double iMaxSeconds,
                                               int32_t* oJPMat, int32_t* oJRMat, double* maxcrit, double* ocrit2,
                                               VARIANT_BOOL* FoundExact, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                               int32_t* oSeed);

/* ===== Sensory designs: presentation orders, resolvable arrangements ===== */

/* Presentation orders of the iJ x iP incidence iJPmat (1 where a judge
   tastes a product) in ioJRMat (iJ x iR, product numbers by position),
   balanced for position and first-order carry-over by a local search of up
   to `iter` passes (at least 1), each a random restart and a steepest
   descent over swaps within one judge's order, minimising
   iLambda * position sum of squares + (1 - iLambda) * carry-over sum of
   squares. iCheckJRMat non-zero starts from ioJRMat as passed, zero from
   each judge's products in increasing order. The passes end early once
   both mean absolute deviations (EAM) reach their bounds. Complete blocks
   (every judge tastes all iP = iR products) over a whole number of
   carry-over balanced squares (iJ a multiple of iP, of 2 iP for odd iP)
   receive Williams squares at once, with no draw.
   Work: iTimeStop is tested for -1: then a descent stops at its first step
   after iMaxSeconds seconds (clock days x 100000) have passed, and no pass
   starts after that. Whatever the flags, the search ends at the first
   step after it has done the work of 1000 iJ iR iP candidate swaps (at
   most 2.5 x 10^8), counting iJ iR (iR - 1) / 2 for every descent step
   (four times that for a step that recounts the order: any iLambda other
   than a multiple of 2^-10, or product numbers outside 1..iP) and at least
   1000 for every pass, so that neither a huge `iter` nor a panel of many
   thousand judges can keep the host waiting.
   Written back: the best order in ioJRMat, its position counts oRmat
   (iP x iR), its carry-over counts oSmat (iP x (iP + 1); column 1 the
   last-position counts, column q + 1 the times each product is directly
   followed by q), oMDMat (2 x 2: position and carry-over EAM in column 1,
   their bounds in column 2, a bound the EAM undercuts by more than 1e-6 as
   VX_NO_VALUE; carry-over 0 when iP < 2), and oConcMat (iP x iP), to which
   the pair counts of iJPmat are added below and on the diagonal,
   VX_NO_VALUE above it: pass zeros. Nothing is read or written, and
   nothing allocated, when iP, iR or iJ is below 1 or iR is above iP.
   Seeds: the first pass draws from the *ioSeed passed in whatever the flag
   says; the second pass (iter >= 2) draws once through the host's own
   triple, so with *ioSeedInit false it starts a new stream, writes that
   stream's seed to *ioSeed and sets *ioSeedInit to -1. Hence: with
   *ioSeedInit -1 on entry, or with iter = 1, the *ioSeed passed in
   reproduces the call (and is written back unchanged); with *ioSeedInit 0
   and iter >= 2 the call cannot be reproduced, since the value written
   back is the second pass's seed and not the first's. *oSeed receives the
   state to continue from. */
VX_API void VX_CALL Cpp_GetBestRanking(VX_IN int32_t iP, VX_IN int32_t iR, VX_IN int32_t iJ, int32_t* iJPmat,
                                       VX_IN double iLambda, VX_IN int32_t iter, VX_IN VARIANT_BOOL iCheckJRMat,
                                       VX_IN VARIANT_BOOL iTimeStop, VX_IN double iMaxSeconds, int32_t* ioJRMat,
                                       int32_t* oRmat, int32_t* oSmat, double* oMDMat, double* oConcMat,
                                       int32_t* ioSeed, VARIANT_BOOL* ioSeedInit, int32_t* oSeed);

/* Moves the rows of ioMat1 (nMat1 x pMat1) and ioMat2 (nMat2 x pMat2) by
   one random permutation of 1..nMat1: row i receives the old row perm(i).
   ioMat2 moves only when nMat2 = nMat1, and is otherwise left as passed.
   *ioSeed and *oSeed are drawn from directly; *ioSeedInit becomes -1. */
VX_API void VX_CALL Cpp_RandomPerMuteRow(int32_t* ioMat1, VX_IN int32_t nMat1, VX_IN int32_t pMat1, int32_t* ioMat2,
                                         VX_IN int32_t nMat2, VX_IN int32_t pMat2, int32_t* ioSeed,
                                         VARIANT_BOOL* ioSeedInit, int32_t* oSeed);

/* Reorders the judges (rows of ioJPMat, iJ x iP, and of ioJRMat, iJ x iR,
   when iJ / iP is whole) so that consecutive groups of *oGroupeSize judges
   each taste every product equally often, in up to iNbIter random tries (at
   least 1). *oResolv is -1 on success, or at once when the rows already
   are so arranged (nothing moves, no number is drawn); 0 when iJ iR / iP is
   not whole, when only one group would result, when iP < 1 or iR outside
   1..iP (nothing moves), or when no try placed every judge (ioJPMat then
   holds the try that placed most, placed judges first; *oGroupeSize is left
   as passed). Seed triple as above. */
VX_API void VX_CALL Cpp_TransResolve(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR, VX_IN int32_t iNbIter,
                                     int32_t* ioJPMat, int32_t* ioJRMat, int32_t* oGroupeSize,
                                     VARIANT_BOOL* oResolv, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                     int32_t* oSeed);

/* The nearest resolvable arrangement: groups of G = floor(iP / iR) judges
   sharing no product, iJ / G groups, in up to iNbIter tries (at least 1);
   the arrangement that placed most judges, placed judges first, goes to
   ioJPMat (iJ x iP) and, when iJ / iP is whole, ioJRMat (iJ x iR);
   *oGroupeSize receives G. iP < 1 or iR outside 1..iP changes nothing.
   Seed triple as above. */
VX_API void VX_CALL Cpp_FindClosestResolve(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR,
                                           VX_IN int32_t iNbIter, int32_t* ioJPMat, int32_t* ioJRMat,
                                           int32_t* oGroupeSize, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                           int32_t* oSeed);

/* Further occasions of a resolvable arrangement: ioJRMat (iJ x (iR NBS))
   and ioJPMat (iJ x (iP NBS)) hold NBS occasions side by side; occasion s,
   for 2 <= s <= min(NBS, GroupSize), receives occasion 1 with the judges of
   every run of GroupSize consecutive judges (and of the shorter last run)
   rotated by s - 1 places: the judge at place k of a run of n gets the row
   of the judge at place ((k - s) mod n) + 1, the remainder non-negative.
   Other occasions keep their values; GroupSize < 1 changes nothing. */
VX_API void VX_CALL Cpp_FindResolvableMulti(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR, VX_IN int32_t NBS,
                                            int32_t* ioJRMat, int32_t* ioJPMat, VX_IN int32_t GroupSize);

/* Balance report of a finished design, in the shapes Cpp_GetBestRanking
   returns: the position and carry-over counts of iJRmat (iJ x iR) are added
   to oRmat (iP x iR) and oSmat (iP x (iP + 1)) as passed (pass zeros),
   oMDMat (2 x 2) receives the EAMs and their bounds (always the bounds as
   computed), and the pair counts of iJPmat (iJ x iP) are added into oConcMat
   (iP x iP), VX_NO_VALUE above its diagonal. iJRmat and iJPmat are not
   written back. */
VX_API void VX_CALL Cpp_ComputeQuality(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR, int32_t* iJRmat,
                                       int32_t* iJPmat, int32_t* oRmat, int32_t* oSmat, double* oMDMat,
                                       double* oConcMat);

/* Unfolds iMyRanks (iJ x (iR NBS), occasion s in columns (s-1) iR + 1 ..
   s iR) into oTableOut ((iJ iR NBS) x 4 when NBS > 1, else x 3), one row per
   observation in occasion, judge, position order: occasion (only when
   NBS > 1), judge, position, value. NBS < 1 writes nothing. iP is not
   read. */
VX_API void VX_CALL Cpp_PrepareANOVAtable(VX_IN int32_t iJ, VX_IN int32_t iP, VX_IN int32_t iR, VX_IN int32_t NBS,
                                          int32_t* iMyRanks, double* oTableOut);

/* ===== Mixture designs =================================================== */

/* Number of terms (columns) of the mixture model of degree iDegreModel
   (1 to 4) and type iTypeModel (0 full canonical polynomial, 1 special)
   over ipX components: degree 1 q; degree 2 q(q+1)/2; degree 3 (q+2)(q+1)q/6
   full, q(q^2+5)/6 special; degree 4 (q+3)(q+2)(q+1)q/24 full,
   q(q^2-2q+3)/2 special (q = ipX). 0 for any other type or degree;
   -2147483648 when the count does not fit in 32 bits. inX is not read. */
VX_API int32_t VX_CALL Cpp_DOEMixGetnCoef(VX_IN int32_t ipX, VX_IN int32_t inX, VX_IN int32_t iDegreModel,
                                          VX_IN int32_t iTypeModel);

/* Model matrix of the design iX (inX runs x ipX components, read in place)
   written into oXMat (inX x nCoef) once it is complete (oXMat may be iX
   itself, its first ipX columns then the linear terms), with the term
   labels, built from the component labels iFactLabel (ipX x 1), copied
   back into oFactLabel (nCoef x 1); nCoef as Cpp_DOEMixGetnCoef gives it.
   Columns: the linear terms x_i ("A"); the products x_i x_j ("A*B"); for
   the full model (type 0) the differences x_i x_j (x_i - x_j)
   ("A*B*(A-B)"); at degree 3 the triples x_i x_j x_k ("A*B*C"); for the
   full quartic the x_i x_j (x_i - x_j)^2 ("A*B*(A-B)^2"); at degree 4 the
   squared triples x_i^2 x_j x_k, x_i x_j^2 x_k, x_i x_j x_k^2 ("A^2 *B*C",
   "A*B^2 *C", "A*B*C^2"); and last, for the full quartic, x_i x_j x_k x_l
   ("A*B*C*D"); index tuples in lexicographic order. Any other type writes
   the linear columns only. Cells no term reaches keep their values. */
VX_API void VX_CALL Cpp_DOEMixPredictorMatrix(VX_IN double* iX, VX_IN int32_t inX, VX_IN int32_t ipX,
                                              VX_IN int32_t nCoef, VX_IN BSTR* iFactLabel,
                                              VX_IN int32_t iDegreModel, VX_IN int32_t iTypeModel,
                                              double* oXMat, BSTR* oFactLabel);

/* Size of the simplex design of iTypeSimplex (1 lattice of degree iDegree,
   2 centroid, 3 augmented centroid) over q = iNbFactor components:
   *_oNbColSimplex := q always; *_oNbLineSimplex := (q+m-1)!/(q-1)!/m! for
   the lattice (m = iDegree), 2^q - 1 for the centroid, q + 2^q - 1 for the
   augmented centroid, or -2147483648 when the count does not fit in 32
   bits; left as passed for any other type. */
VX_API void VX_CALL Cpp_DOEMixGetSizeoSimplex(VX_IN int32_t iNbFactor, VX_IN int32_t iDegree,
                                              VX_IN int32_t iTypeSimplex, int32_t* _oNbLineSimplex,
                                              int32_t* _oNbColSimplex);

/* Maps pseudo-component proportions to real quantities in place:
   ioplan(i, k) := (ioplan(i, k) * iRab + iLI(k)) * iTotalMix for the
   iNplan x iPplan plan and the iPplan lower bounds iLI. Returns 0;
   VX_E_INTERNAL leaves ioplan as it was. */
VX_API int32_t VX_CALL Cpp_DOEMixRealCoord(double* ioplan, VX_IN int32_t iNplan, VX_IN int32_t iPplan,
                                           VX_IN double* iLI, VX_IN double iRab, VX_IN double iTotalMix);

/* Writes the simplex design sized by Cpp_DOEMixGetSizeoSimplex into
   oSimplex (iNbLineSimplex x iNbColSimplex), one run per row, the
   proportions of its iNbFactor components summing to 1. Lattice: every
   (a_1/m, ..., a_q/m) with whole a_i >= 0 summing to m, in decreasing
   lexicographic order of (a_1, ..., a_q); two components of degree 1 to 4
   give the vertices first: (1,0), (0,1), then the inner points, (0.5,0.5)
   / (1/3,2/3), (2/3,1/3) / (0.25,0.75), (0.75,0.25), (0.5,0.5). Centroid:
   the pure components, the blends of 2, 3, ... components in equal parts
   (subsets in lexicographic order), then the overall centroid; augmented
   centroid: then for each component i the point halfway between vertex i
   and the centroid. Nothing is written for other types, fewer than one
   component or a lattice degree below 1; rows and columns the array lacks
   are lost, other cells keep their values. */
VX_API void VX_CALL Cpp_DOEMixSimplex(VX_IN int32_t iNbFactor, VX_IN int32_t iDegree, VX_IN int32_t iTypeSimplex,
                                      double* oSimplex, VX_IN int32_t iNbLineSimplex,
                                      VX_IN int32_t iNbColSimplex);

/* Widens [*MinValue, *MaxValue] by the fraction Perc (0.1 for ten per
   cent) of its ends: the minimum moves down by Perc * |min|, the maximum up
   by Perc * |max|. When the widened range is wider than 10 the ends become
   whole: the minimum truncated toward zero, the maximum plus 1 truncated
   toward zero. */
VX_API void VX_CALL Cpp_AdaptMinMaxDOE(double* MinValue, double* MaxValue, VX_IN double Perc);

#endif /* VORNEXDO1M_H */
