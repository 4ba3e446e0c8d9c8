// The criterion of an exchange design, kept up to date exchange by
// exchange. With s_p the square root of product p's replication, the
// normalised information matrix A = I - S^-1 Lambda S^-1 / k has s as its
// null vector; adding v v' (v = s / |s|) turns that zero into a one and
// leaves the efficiency factors, so M = A + v v' has their product as its
// determinant and the sum of their inverses plus one as the trace of its
// inverse. An exchange keeps every replication and changes Lambda by
// w d' + d w' (d = e_b - e_a, w the difference of the two rows without a
// and b), a symmetric update of rank two: the determinant lemma and the
// Woodbury identity score it from a few cells of M^-1 and apply it in
// O(P^2), with M^-1 rebuilt from time to time against rounding.
#pragma once

#include "sensory/exchange_design.h"
#include "services/dense.h"

#include <vector>

namespace sensory {

// The tracker follows the criterion iCritType names (1: D-type, the
// log-determinant; otherwise A-type, the trace of M^-1).
class CriterionTracker {
public:
    CriterionTracker(int P, int R, int iCritType);

    // Rebuilds M^-1 from the design; false when the design is disconnected.
    bool reset(const ExchangeDesign& d);

    double value() const { return criterionOf(logDet_, trace_); }

    // The criterion after row i gives a to row j and takes b (rows listed
    // in d); -infinity when the exchange would disconnect the design.
    double tryExchange(const ExchangeDesign& d, int a, int b);

    // Applies the exchange last tried; the design must now hold it.
    void accept(const ExchangeDesign& d);

    // Exchanges between two rebuilds of M^-1.
    static constexpr int kRebuildPeriod = 64;

private:
    struct Entry {
        int p;
        double w, d;  // the two columns of U at product p
    };

    double criterionOf(double logDet, double trace) const;
    double& cell(int p, int q);
    double cell(int p, int q) const;
    double& x(int p, int c);
    void solveColumns();
    bool invert();

    int P_, R_, iCritType_;
    linalg::Dense inverse_;  // M, then M^-1
    std::vector<double> scale_, x_, inverseFactor_;
    std::vector<Entry> support_;
    double logDet_ = 0, trace_ = 0, nextLogDet_ = 0, nextTrace_ = 0;
    double s00_ = 0, s01_ = 0, s11_ = 0, det_ = 0;
    int updates_ = 0;
};

}  // namespace sensory
