#include "export/FitReport.h"

#include <cmath>

#include "material/FitData.h"
#include "model/NumberText.h"

namespace tadmor::exporting {

using namespace tadmor::material;

std::string FitReport(const LawFit& fit, const std::string& description) {
    std::string report = "Fitted to " + description + ": " + std::to_string(fit.points) + " points at " +
                         std::to_string(fit.temperatures) + " temperatures and " + std::to_string(fit.shearRates) +
                         " shear rates, " + WindowText(fit.range) + "\n\n";
    report +=
        "Viscosity law, ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T,\n"
        "T in degC, L = ln(shear rate in 1/s):\n";
    for (int i = 0; i < kLawCoefficientCount; ++i) {
        std::string line = "  " + std::string(kMaterialInputs[i]);
        line.resize(10, ' ');
        line += "= " + ExactNumber(fit.coefficients[i]);
        line.resize(36, ' ');
        if (!fit.fitted[i])
            line += "not fitted (see the note)";
        else if (std::isnan(fit.standardErrors[i]))
            line += "standard error not known (no more points than coefficients)";
        else
            line += "standard error " + SignificantNumber(fit.standardErrors[i], 3);
        report += line + "\n";
    }
    report += "\nError of ln eta: RMS " + SignificantNumber(fit.rmsLogError, 3) + ", largest " +
              SignificantNumber(fit.maxLogError, 3) + "\nError of eta:    RMS " + NumberText(fit.rmsPercentError, 3) +
              " %, largest " + NumberText(fit.maxPercentError, 3) + " %\n";
    report += "Over the data's range:\n  local power-law index n = 1 + d ln eta / dL: " + NumberText(fit.indexMin, 4) +
              " to " + NumberText(fit.indexMax, 4) +
              "\n  temperature sensitivity b = -d ln eta / dT: " + SignificantNumber(fit.sensitivityMin, 4) + " to " +
              SignificantNumber(fit.sensitivityMax, 4) + " 1/degC (the model's TempSensitivity is -b)\n";
    for (const std::string& note : fit.notes) report += "Note: " + note + "\n";
    return report;
}

}  // namespace tadmor::exporting
