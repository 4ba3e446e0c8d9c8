// Entry points of the mixture designs. The design and the model matrix are
// built in copies and reach the host only once the call has succeeded: their
// cores allocate between writes, and memory running out midway must not
// leave a void call's arrays half written. The design read (iX) is used in
// place. DOEMixRealCoord works on the plan in place: every allocation it
// makes comes before its first write, so a failure there changes nothing.
#include "boundary/frame.h"
#include "mixture/coordinates.h"
#include "mixture/model_matrix.h"
#include "mixture/simplex_design.h"

VX_API void VX_CALL Cpp_DOEMixGetSizeoSimplex(int32_t iNbFactor, int32_t iDegree, int32_t iTypeSimplex,
                                              int32_t* _oNbLineSimplex, int32_t* _oNbColSimplex) {
    boundary::enter([&](boundary::Frame&) {
        DOEMixGetSizeoSimplex(iNbFactor, iDegree, iTypeSimplex, _oNbLineSimplex, _oNbColSimplex);
    });
}

VX_API void VX_CALL Cpp_DOEMixSimplex(int32_t iNbFactor, int32_t iDegree, int32_t iTypeSimplex, double* oSimplex,
                                      int32_t iNbLineSimplex, int32_t iNbColSimplex) {
    boundary::enter([&](boundary::Frame& f) {
        DOEMixSimplex(iNbFactor, iDegree, iTypeSimplex, f.back(iNbLineSimplex, iNbColSimplex, oSimplex));
    });
}

VX_API int32_t VX_CALL Cpp_DOEMixGetnCoef(int32_t ipX, int32_t /*inX*/, int32_t iDegreModel, int32_t iTypeModel) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame&) {
        return DOEMixGetnCoef(ipX, iDegreModel, iTypeModel);
    });
}

VX_API void VX_CALL Cpp_DOEMixPredictorMatrix(double* iX, int32_t inX, int32_t ipX, int32_t nCoef, BSTR* iFactLabel,
                                              int32_t iDegreModel, int32_t iTypeModel, double* oXMat,
                                              BSTR* oFactLabel) {
    boundary::enter([&](boundary::Frame& f) {
        matrix* X = f.inPlace(inX, ipX, iX);
        Smatrix* labels = f.copy(ipX, 1, iFactLabel);
        matrix* model = f.back(inX, nCoef, oXMat);
        Smatrix* termLabels = f.back(nCoef, 1, oFactLabel);
        DOEMixPredictorMatrix(X, inX, ipX, nCoef, labels, iDegreModel, iTypeModel, model, termLabels);
    });
}

VX_API int32_t VX_CALL Cpp_DOEMixRealCoord(double* ioplan, int32_t iNplan, int32_t iPplan, double* iLI, double iRab,
                                           double iTotalMix) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        matrix* plan = f.inPlace(iNplan, iPplan, ioplan);
        matrix* lower = f.inPlace(iPplan, 1, iLI);
        return DOEMixRealCoord(plan, iNplan, iPplan, lower, iRab, iTotalMix);
    });
}

VX_API void VX_CALL Cpp_AdaptMinMaxDOE(double* MinValue, double* MaxValue, double Perc) {
    boundary::enter([&](boundary::Frame&) { AdaptMinMaxDOE(MinValue, MaxValue, Perc); });
}
