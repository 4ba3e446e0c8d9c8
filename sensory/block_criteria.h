// Efficiency criteria of a judge x product incidence design: the harmonic
// (A-type) and geometric (D-type) means of its canonical efficiency factors,
// the non-zero eigenvalues of the normalised information matrix
// A = I - (1/k) S^-1 Lambda S^-1, Lambda = JPMat' JPMat, S = diag(s).
#pragma once

#include "services/export.h"
#include "services/matrix.h"
#include "services/symmetric_eigen.h"

#include <vector>

// A-type criterion of the first iJ rows and iP columns of JPMat, blocks of
// iR. iRep > 0 scales every product by sqrt(iRep), otherwise each by the
// square root of its own replication. The no-value constant for a
// disconnected design or iP < 2.
VX_CORE double TraceDesignLng(matrixInt* JPMat, int iJ, int iP, int iR, int iRep);
// D-type criterion, same arguments.
VX_CORE double DetDesignLng(matrixInt* JPMat, int iJ, int iP, int iR, int iRep);
// *crit := DetDesignLng when iCritType is 1, TraceDesignLng otherwise, with
// the common replication when every column sums alike; the no-value
// constant at once when a product is never served.
VX_CORE void GetCritFromOJPMatBase(int iCritType, matrixInt* JPMat, int iJ, int iP, int iR, double* crit);
// Mean and population variance of how many of the first nCols products row
// iLast shares with each row iFirst..iLast-1 (0 and NaN for no rows).
VX_CORE void GetMeanVarScalarProducts(matrixInt* JPMat, int nCols, int iFirst, int iLast, double* mean,
                                      double* var);

namespace sensory {

// iCritType, as the host passes it: 1 names the D-type criterion; the
// A-type one is 2, and every other value reads as it too.
enum CriterionType : int { kDType = 1, kAType = 2 };
inline bool IsCriterionType(int iCritType) { return iCritType == kDType || iCritType == kAType; }

// The criteria on storage kept across calls: a search that scores one
// design after another allocates once, not per design.
class DesignScorer {
public:
    // The criterion that iCritType names (1: D-type, otherwise A-type).
    double criterion(int iCritType, const matrixInt* JPMat, int iJ, int iP, int iR, int iRep);
    // What GetCritFromOJPMatBase writes.
    double score(int iCritType, const matrixInt* JPMat, int iJ, int iP, int iR);

private:
    // The efficiency factors of the design, largest first, into
    // eigen_.d; false when the design is disconnected or cannot be scored.
    bool efficiencyFactors(const matrixInt* JPMat, int iJ, int iP, int iR, int iRep);
    linalg::Dense info_;
    linalg::Tridiagonal eigen_;
    std::vector<double> scale_;
    std::vector<int> rowProducts_;
    std::vector<int> rowValues_;
};

}  // namespace sensory
