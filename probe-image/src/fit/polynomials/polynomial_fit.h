// One polynomial of an image fitted to measurements: its order given or chosen,
// the least-squares solution in double, and float32 coefficients refined through
// the library.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "float_coefficients.h"
#include "least_squares.h"
#include "order_choice.h"
#include "polynomial_uncertainty.h"
#include "residuals.h"

struct OrderRequest {
    std::optional<unsigned> order;  // nothing: chosen from 1 to the limit
    unsigned limit = 0;             // the highest order the image can hold here
};

struct PolynomialFit {
    std::string source;        // the measurements, for messages
    std::size_t distinct = 0;  // different arguments among the measurements
    unsigned order = 0;
    bool chosen = false;          // by the criterion, not given
    OrderChoice criterion;        // scores of the orders looked at
    unsigned preferredOrder = 0;  // the criterion's choice up to the order used
    PolynomialLeastSquares solution;
    ResidualSummary doubleResiduals;  // the solution in double, in the library's units
    PolynomialUncertainty uncertainty;
    FloatFit floats;
};

// Orders, the solution in double and its uncertainty; no library involved. With
// weights the criterion scores the weighted residuals. Throws ToolError(ExitFile)
// when the measurements hold fewer different arguments than the order needs.
PolynomialFit SolvePolynomial(const PolynomialSamples& samples, const OrderRequest& request,
                              const std::string& source);

// Float32 coefficients through the library.
void FitFloats(PolynomialFit& fit, const PolynomialSamples& samples, const LibraryOutputs& outputs);

std::size_t DistinctCount(std::span<const double> values);
