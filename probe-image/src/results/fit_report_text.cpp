// The fit report as text for people.
#include "fit_report.h"

#include <ostream>

#include "finding_output.h"
#include "fit_report_model.h"
#include "joined_text.h"
#include "number_text.h"

namespace {

const char* BasisText(bool stated) {
    return stated ? " (from the stated uncertainties)"
                  : " (scaled by the residuals: no uncertainties stated)";
}

void PrintChiSquare(std::ostream& out, const LibraryResults& written) {
    if (written.reducedChiSquare)
        out << "  reduced chi-square " << DoubleText(*written.reducedChiSquare) << " with "
            << written.degreesOfFreedom << " degrees of freedom\n";
}

void PrintPiecewiseLaw(std::ostream& out, const PiecewiseLawFigures& law) {
    out << "  piecewise law: f2 " << FloatText(law.forceF2) << " below x2 "
        << FloatText(law.forceX2) << ", the polynomial up to x1 " << FloatText(law.forceX1)
        << ", f1 " << FloatText(law.forceF1) << " from there\n";
}

// Its order and how it was chosen, the condition numbers, the coefficients stored
// and what the covariance of the solution says of them and of the result.
void PrintPolynomial(std::ostream& out, const PolynomialFigures& polynomial,
                     const PolynomialUncertainty& uncertainty) {
    const PolynomialFit& fit = *polynomial.fit;
    out << "  order " << fit.order;
    if (fit.chosen)
        out << ", chosen by the Bayesian information criterion (BIC) from "
            << fit.criterion.scores.front().order << " to " << fit.criterion.scores.back().order;
    else
        out << ", as given";
    out << " (" << fit.distinct << " different readings)\n";
    out << "  condition number " << DoubleText(fit.solution.monomialCondition)
        << " in the monomial basis the image stores (columns scaled), "
        << DoubleText(fit.solution.solveCondition)
        << " in the centred and scaled basis of the solve\n";
    out << "  " << polynomial.field << " " << JoinedText(polynomial.stored, ", ", FloatText)
        << "\n";
    out << "  u(" << polynomial.field << ") "
        << JoinedText(uncertainty.coefficients, ", ", DoubleText) << BasisText(uncertainty.stated)
        << "\n";
    out << "  u(" << polynomial.result << ") at most " << DoubleText(uncertainty.largest) << " "
        << polynomial.unit << " over the measured range\n";
}

void PrintLinearLaw(std::ostream& out, const LinearLawFigures& law) {
    const LinearForceFit& fit = *law.fit;
    out << "  linear law: force = (raw - x0) x k with k " << FloatText(law.forceK) << ", x0 "
        << FloatText(law.forceX0) << " (in double k " << DoubleText(fit.slope) << ", x0 "
        << DoubleText(fit.zero) << "; the image keeps two decimals)\n";
    out << "  u(k) " << DoubleText(fit.slopeUncertainty) << ", u(x0) "
        << DoubleText(fit.zeroUncertainty) << BasisText(fit.line.stated) << "\n";
}

void PrintResiduals(std::ostream& out, const FitSection& section) {
    const ResidualStages& stages = section.residuals;
    out << "  residuals           RMS             max\n";
    PrintResidualLine(out, "double", stages.inDouble,
                      "the least-squares solution before float32 storage");
    PrintResidualLine(out, "rounded", stages.rounded,
                      "each value rounded on its own, through the library");
    PrintResidualLine(
        out, "refined", stages.refined,
        "refined through the library (" + std::to_string(stages.trials) + " images tried)");
    PrintResidualLine(out, "written", stages.written, "the image written, through the library");
    if (section.asFound)
        PrintResidualLine(
            out, "as found", section.asFound->check->results.summary,
            "the image as found (" + section.asFound->file + "), through the library");
}

void PrintSection(std::ostream& out, const FitSection& section) {
    if (section.linear) {
        PrintLinearLaw(out, *section.linear);
        PrintChiSquare(out, *section.written);
    } else if (section.polynomial) {
        if (section.piecewise)
            PrintPiecewiseLaw(out, *section.piecewise);
        PrintPolynomial(out, *section.polynomial, *section.uncertainty);
        PrintChiSquare(out, *section.written);
    }
    PrintResiduals(out, section);
    if (section.piecewise)
        out << "  (double, rounded and refined cover the readings between x2 and x1; "
               "written covers them all)\n";
    PrintResultTable(out, *section.measured, *section.written, SectionColumns(section, false));
}

}  // namespace

void PrintFitReport(const FitReportContext& report, std::ostream& out) {
    const FitReportModel model = FitReportModelOf(report);
    out << "fit: type " << model.type << " through " << model.library << "\n\n";
    const Measurements& position = *model.position.measured;
    out << "position from " << position.source << ": " << position.raw.size()
        << " measurements, gain " << *model.position.gain << "\n";
    PrintSection(out, model.position);
    if (model.force) {
        const Measurements& force = *model.force->measured;
        out << "\nforce from " << force.source << ": " << force.raw.size() << " measurements\n";
        PrintSection(out, *model.force);
    }
    out << "\nwarnings\n";
    PrintFindings(*model.warnings, out);
    out << "\nwrote " << model.output << "\n";
}
