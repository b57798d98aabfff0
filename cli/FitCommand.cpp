#include "cli/FitCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include "model/InputFields.h"
#include "app/request/TextToNumber.h"
#include "cli/RunCommand.h"
#include "material/RheometerTable.h"
#include "material/Units.h"
#include "model/NumberText.h"

namespace tadmor::cli {

namespace {

using namespace tadmor::material;

// `digits` significant digits (at most 17 are asked for: "-1.2345678901234567e-308" fits).
std::string General(double value, int digits) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (result.ec != std::errc()) throw std::logic_error("General: no room for a number");
    return std::string(text, result.ptr);
}

std::string WindowText(const FittedRange& r) {
    return NumberText(r.temperatureMin, 1) + " to " + NumberText(r.temperatureMax, 1) + " degC, " + General(r.shearRateMin, 4) +
           " to " + General(r.shearRateMax, 4) + " 1/s";
}

constexpr double kPascalSecondsPerModelUnit = 98.0665;  // 1 gf s/cm2 in Pa s

}  // namespace

std::pair<double, double> ReadWindow(const std::string& text, const std::string& option) {
    const auto colon = text.find(':');
    const std::optional<double> from = TextToNumber(text.substr(0, colon), '.');
    const std::optional<double> to =
        colon == std::string::npos ? std::nullopt : TextToNumber(text.substr(colon + 1), '.');
    if (!from || !to || !(*from < *to))
        throw UsageError(option + " expects FROM:TO, two numbers written with \".\" and FROM below TO, not \"" + text +
                         "\"");
    return {*from, *to};
}

std::vector<RheometerPoint> FitPoints(const FitOptions& options, std::string& description) {
    if (options.table.empty() == options.law.empty())
        throw UsageError("tadmor fit takes either a rheometer table or --law, not both or neither");
    if (!options.table.empty()) {
        if (!options.parameters.empty() || !options.temperatures.empty() || !options.shearRates.empty())
            throw UsageError("--param, --temperatures and --shear-rates go with --law, not with a table");
        description = "the rheometer table " + options.table;
        try {
            return ReadRheometerTable(options.table, {options.temperatureUnit, options.viscosityUnit});
        } catch (const MaterialError& error) {
            throw UsageError(error.what());
        }
    }
    const StandardLawInfo* law = FindStandardLaw(options.law);
    if (!law) throw UsageError("--law expects cross-wlf, carreau-yasuda or power-law, not \"" + options.law + "\"");
    if (options.temperatures.empty() || options.shearRates.empty())
        throw UsageError("--law needs the window: --temperatures FROM:TO (degC) and --shear-rates FROM:TO (1/s)");
    const auto [tLow, tHigh] = ReadWindow(options.temperatures, "--temperatures");
    const auto [rLow, rHigh] = ReadWindow(options.shearRates, "--shear-rates");
    if (!(rLow > 0)) throw UsageError("--shear-rates must start above 0");
    const FittedRange window{tLow, tHigh, rLow, rHigh};
    const LawParameters parameters = ReadLawParameters(*law, options.parameters);
    description = std::string(law->name) + " (";
    bool first = true;
    for (const LawParameter& parameter : law->parameters) {
        description += (first ? "" : ", ") + std::string(parameter.name) + " = " +
                       ExactText(parameters.find(parameter.name)->second) +
                       (parameter.unit == "-" ? "" : " " + std::string(parameter.unit));
        first = false;
    }
    description += ") sampled over " + WindowText(window);
    return SampleStandardLaw(law->law, parameters, window);
}

std::string FitReport(const LawFit& fit, const std::string& description) {
    std::string report = "Fitted to " + description + ": " + std::to_string(fit.points) + " points at " +
                         std::to_string(fit.temperatures) + " temperatures and " + std::to_string(fit.shearRates) +
                         " shear rates, " + WindowText(fit.range) + "\n\n";
    report += "Viscosity law, ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T,\n"
              "T in degC, L = ln(shear rate in 1/s):\n";
    for (int i = 0; i < kLawCoefficientCount; ++i) {
        std::string line = "  " + std::string(kMaterialInputs[i]);
        line.resize(10, ' ');
        line += "= " + ExactText(fit.coefficients[i]);
        line.resize(36, ' ');
        if (!fit.fitted[i])
            line += "not fitted (see the note)";
        else if (std::isnan(fit.standardErrors[i]))
            line += "standard error not known (no more points than coefficients)";
        else
            line += "standard error " + General(fit.standardErrors[i], 3);
        report += line + "\n";
    }
    report += "\nError of ln eta: RMS " + General(fit.rmsLogError, 3) + ", largest " + General(fit.maxLogError, 3) +
              "\nError of eta:    RMS " + NumberText(fit.rmsPercentError, 3) + " %, largest " +
              NumberText(fit.maxPercentError, 3) + " %\n";
    report += "Over the data's range:\n  local power-law index n = 1 + d ln eta / dL: " + NumberText(fit.indexMin, 4) +
              " to " + NumberText(fit.indexMax, 4) + "\n  temperature sensitivity b = -d ln eta / dT: " +
              General(fit.sensitivityMin, 4) + " to " + General(fit.sensitivityMax, 4) +
              " 1/degC (the model's TempSensitivity is -b)\n";
    for (const std::string& note : fit.notes) report += "Note: " + note + "\n";
    return report;
}

Material FittedMaterial(const LawFit& fit, const FitOptions& options, const std::string& description) {
    Material material;
    if (!options.base.empty()) {
        try {
            material = ReadMaterialFile(options.base);
        } catch (const MaterialError& error) {
            throw UsageError(error.what());
        }
        for (std::string& source : material.sources) source = "thermal properties: " + source;
    } else {
        const FieldTexts defaults = DefaultFieldTexts('.');
        for (int i = 0; i < kMaterialInputCount; ++i)
            material.values[i] = *TextToNumber(defaults[FieldIndexOf(kMaterialInputs[i])], '.');
        material.sources = {"thermal properties: the window's defaults (no --base material was given); "
                            "replace them with the polymer's own"};
    }
    material.name = !options.name.empty()    ? options.name
                    : !options.table.empty() ? std::filesystem::path(options.table).stem().string()
                                             : options.law;
    std::vector<std::string> sources;
    if (!options.source.empty()) sources.push_back(options.source);
    sources.push_back("viscosity law fitted by tadmor fit to " + description + "; error of eta RMS " +
                      NumberText(fit.rmsPercentError, 3) + " %, largest " + NumberText(fit.maxPercentError, 3) + " %");
    material.sources.insert(material.sources.begin(), sources.begin(), sources.end());
    for (int i = 0; i < kLawCoefficientCount; ++i) material.values[i] = fit.coefficients[i];
    material.range = fit.range;
    return material;
}

Chart FitChart(const std::vector<RheometerPoint>& points, const LawFit& fit, const std::string& title,
               const std::string& dataLabel) {
    Chart chart;
    chart.title = title;
    chart.subtitle = "ln eta fitted with " + std::to_string(fit.points) + " points: error of eta RMS " +
                     NumberText(fit.rmsPercentError, 2) + " %, largest " + NumberText(fit.maxPercentError, 2) + " %";
    chart.xLabel = "shear rate (1/s)";
    chart.logX = true;
    Panel panel;
    panel.yLabel = "viscosity (Pa\u00B7s)";
    panel.logY = true;

    std::set<double> all;
    for (const RheometerPoint& p : points) all.insert(p.temperature);
    std::vector<double> temperatures(all.begin(), all.end());
    constexpr std::size_t kMostLines = 5;
    if (temperatures.size() > kMostLines) {
        std::vector<double> some;
        for (std::size_t k = 0; k < kMostLines; ++k)
            some.push_back(temperatures[k * (temperatures.size() - 1) / (kMostLines - 1)]);
        temperatures = some;
    }
    const double low = std::log10(fit.range.shearRateMin), high = std::log10(fit.range.shearRateMax);
    for (std::size_t k = 0; k < temperatures.size(); ++k) {
        const double t = temperatures[k];
        Curve data;
        data.name = NumberText(t, 1) + " \u00B0C " + dataLabel;
        data.markers = true;
        data.line = false;
        data.color = static_cast<int>(k);
        for (const RheometerPoint& p : points) {
            if (p.temperature != t) continue;
            data.x.push_back(std::log10(p.shearRate));
            data.y.push_back(std::log10(p.viscosity * kPascalSecondsPerModelUnit));
        }
        Curve law;
        law.name = NumberText(t, 1) + " \u00B0C fitted law";
        law.color = static_cast<int>(k);
        constexpr int kSteps = 60;
        for (int j = 0; j <= kSteps; ++j) {
            const double x = low + (high - low) * j / kSteps;
            law.x.push_back(x);
            law.y.push_back(static_cast<double>(
                (LogViscosity(fit.coefficients, std::pow(10.0L, x), t) + std::log(kPascalSecondsPerModelUnit)) /
                std::log(10.0L)));
        }
        panel.curves.push_back(std::move(data));
        panel.curves.push_back(std::move(law));
    }
    // Both axes from whole decade to whole decade around the data.
    double lowest = INFINITY, highest = -INFINITY;
    for (const Curve& curve : panel.curves)
        for (const double y : curve.y) lowest = std::min(lowest, y), highest = std::max(highest, y);
    chart.xRange = std::pair(std::floor(low), std::ceil(high));
    panel.yRange = std::pair(std::floor(lowest), std::ceil(highest));
    chart.panels.push_back(std::move(panel));
    return chart;
}

std::string FitHelpFooter() {
    std::string help = R"(Fits the six coefficients of the model's viscosity law,
  ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T
  (T in degC, L = ln(shear rate in 1/s)),
by linear least squares of ln eta, to a rheometer table or to a standard law
sampled over a window (9 temperatures x 21 shear rates, evenly spaced in T
and in ln(shear rate)). Fewer than three temperatures leave a22 at 0, a single
one a2 and a12 as well; the same for shear rates and a11, a1, a12.

Rheometer table (CSV): three columns, temperature, shear rate, viscosity; the
units in parentheses after the column names (degC or K; 1/s; Pa.s, P or
gf.s/cm2) or given by --temperature-unit and --viscosity-unit. Numbers are
written with "."; lines starting with # are ignored.

  T (degC), shear rate (1/s), viscosity (Pa.s)
  180, 10, 2450
  ...

Standard laws (--law NAME, each parameter as --param NAME=VALUE, numbers
with "."; T is the temperature in degC, gamma the shear rate in 1/s, eta in
Pa.s, R = 8.31446261815324 J/(mol K)):
)";
    for (const StandardLawInfo& law : kStandardLaws) {
        std::string formula(law.formula);
        for (std::size_t at = formula.find('\n'); at != std::string::npos; at = formula.find('\n', at + 1))
            formula.insert(at + 1, "    ");
        help += "\n  " + std::string(law.name) + ":\n    " + formula + "\n  NAME      symbol    unit\n";
        for (const LawParameter& parameter : law.parameters) {
            std::string line = "  " + std::string(parameter.name);
            line.resize(12, ' ');
            line += std::string(parameter.symbol);
            line.resize(22, ' ');
            line += std::string(parameter.unit);
            line.resize(32, ' ');
            line += std::string(parameter.meaning);
            if (parameter.defaultValue) line += " (default " + ExactText(*parameter.defaultValue) + ")";
            help += line + "\n";
        }
    }
    help += R"(
The report gives the coefficients in the model's units with their standard
errors, the RMS and largest error of ln eta and of eta, and over the data's
range the local power-law index n = 1 + d ln eta / dL and the temperature
sensitivity b = -d ln eta / dT. A warning ("tadmor: warning: ...") on
standard error says when n leaves (0, 1] or b drops to 0 or below there.
-o writes a material file: the fitted law, the data's range (a run warns
where it leaves it), the thermal properties of --base (the window's defaults
without it) and the sources. --plot draws the points and the fitted law.

  tadmor fit ldpe.csv --name LDPE --base ldpe-thermal.material -o ldpe.material --plot ldpe-fit.png
  tadmor fit --law power-law --param m=135990 --param n=0.3286 --param b=0.00863 \
             --temperatures 160:240 --shear-rates 10:1000

Exit codes:
  0  success
  2  usage error: bad option, a table or material file that cannot be read
  3  the data or the law's parameters cannot be fitted
  4  the material file or the plot could not be written
)";
    return help;
}

}  // namespace tadmor::cli
