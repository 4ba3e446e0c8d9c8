// The criteria of a plan for its model, with X the N x p model matrix and
// M = X'X / N:
//   D = det(M)^(1/p)            maximised
//   A = trace(M^-1) / p          minimised
//   I = trace(M^-1 W)            minimised; W the model's moment matrix over the region
//   G = max over the region of x' M^-1 x, minimised
// In a blocked plan A, I and G judge the treatments alone: the block
// columns of M^-1 are left out of them (an average block, whose effects
// coding is 0, is what a prediction is for).
#pragma once

#include "host/model/model.h"
#include "host/model/region.h"

#include <Eigen/Dense>

#include <optional>

namespace vxhost::optimal {

struct Criteria {
    bool singular = true;  // then D is 0 and the others do not exist
    double D = 0.0, A = 0.0, I = 0.0, G = 0.0;
};

// The inverse of a symmetric positive definite S by Cholesky, with ln det S;
// none when a pivot falls below 1e-12 of S's largest diagonal cell, where
// the inverse would carry no correct digit.
struct Inverse {
    Eigen::MatrixXd matrix;
    double logDet = 0.0;
};
std::optional<Inverse> inverseOf(const Eigen::MatrixXd& S);

// W = E[f(x) f(x)'] over the region, its block rows and columns 0: in
// closed form over the whole product of the factors' domains, else by the
// midpoint rule over a fine grid of the region.
Eigen::MatrixXd regionMoments(const model::Model& model, const model::Region& region);

// Every criterion of the plan whose model matrix is X; W as regionMoments
// gives it.
Criteria criteriaOf(const model::Model& model, const model::Region& region, const Eigen::MatrixXd& X,
                    const Eigen::MatrixXd& W);

// max over the region of x' Minv x with the block rows and columns of Minv
// left out: every point of a grid of the region, then from the best few,
// one coordinate at a time to its best value until none gains. The grid
// holds about gridWork / p^2 points: the default for a figure that is
// reported, far fewer for one a search compares thousands of plans by.
inline constexpr double kReportedGridWork = 2e7;
double largestPredictionVariance(const model::Model& model, const model::Region& region, const Eigen::MatrixXd& Minv,
                                 double gridWork = kReportedGridWork);

}  // namespace vxhost::optimal
