#include "cli/FitCommand.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "export/FitReport.h"
#include "model/NumberText.h"

namespace tadmor::cli {

using namespace tadmor::material;

namespace {

std::string FitHelp() {
    std::string help = R"(Fits the six coefficients of the model's viscosity law,
  ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T
  (T in degC, L = ln(shear rate in 1/s)),
by linear least squares of ln eta, to a rheometer table or to a standard law
sampled over a window (9 temperatures x 21 shear rates, evenly spaced in T
and in ln(shear rate)). Fewer than three temperatures leave a22 at 0, a single
one a2 and a12 as well; the same for shear rates and a11, a1, a12.
Temperatures less than 0.1 degC apart count as one, and so do shear rates
less than 1 % apart. A fit whose RMS error of ln eta is above ln 2 (a law
that misses the data by more than a factor of two) is refused.

Rheometer table (CSV): three columns, temperature, shear rate, viscosity; the
units in parentheses after the column names (degC or K; 1/s; Pa.s, P or
gf.s/cm2) or given by --temperature-unit and --viscosity-unit. Numbers are
written with "."; lines starting with # are ignored. Temperatures must lie
above absolute zero, -273.15 degC.

  T (degC), shear rate (1/s), viscosity (Pa.s)
  180, 10, 2450
  ...

Standard laws (--law NAME, each parameter as --param NAME=VALUE, numbers
with "."; T is the temperature in degC, gamma the shear rate in 1/s, eta in
Pa.s, R = 8.31446261815324 J/(mol K)). The window and the temperatures
among the parameters must lie above absolute zero, and cross-wlf's window
above its pole, where A2 + T_K - D2 = 0:
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
            if (parameter.defaultValue) line += " (default " + ExactNumber(*parameter.defaultValue) + ")";
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
where it leaves it), the thermal properties of --base (a material file of
the seven thermal properties, with or without a law; the window's defaults
without it) and the sources. A law whose b is the same everywhere and not
above 0, as data at one temperature give, makes no file: no run could use
it. --plot draws the points and the fitted law.

  tadmor fit ldpe.csv --name LDPE --base ldpe-thermal.material -o ldpe.material --plot ldpe-fit.png
  tadmor fit --law power-law --param m=135990 --param n=0.3286 --param b=0.00863 \
             --temperatures 160:240 --shear-rates 10:1000

Exit codes:
  0  success
  2  usage error: bad option or law parameter, a table or material file that
     cannot be read
  3  the data or the law cannot be fitted, or its law makes no material file
     that could run
  4  the material file or the plot could not be written
)";
    return help;
}

// The data of the options: the table, or the law over its window.
FitData DataOf(const FitOptions& options) {
    if (options.table.empty() == options.law.empty())
        throw Error(ErrorKind::Input, "tadmor fit takes either a rheometer table or --law, not both or neither");
    if (!options.table.empty()) {
        if (!options.parameters.empty() || !options.temperatures.empty() || !options.shearRates.empty())
            throw Error(ErrorKind::Input, "--param, --temperatures and --shear-rates go with --law, not with a table");
        return TableData(options.table, {options.temperatureUnit, options.viscosityUnit});
    }
    const StandardLawInfo* law = FindStandardLaw(options.law);
    if (!law)
        throw Error(ErrorKind::Input,
                    "--law expects cross-wlf, carreau-yasuda or power-law, not " + Quoted(options.law));
    if (options.temperatures.empty() || options.shearRates.empty())
        throw Error(ErrorKind::Input,
                    "--law needs the window: --temperatures FROM:TO (degC) and --shear-rates FROM:TO (1/s)");
    const auto [tLow, tHigh] = ReadWindow(options.temperatures, "--temperatures");
    const auto [rLow, rHigh] = ReadWindow(options.shearRates, "--shear-rates");
    return LawData(*law, ReadParameters(options.parameters), {tLow, tHigh, rLow, rHigh});
}

}  // namespace

std::pair<double, double> ReadWindow(const std::string& text, const std::string& option) {
    const auto colon = text.find(':');
    const std::optional<double> from = TextToNumber(text.substr(0, colon), '.');
    const std::optional<double> to =
        colon == std::string::npos ? std::nullopt : TextToNumber(text.substr(colon + 1), '.');
    if (!from || !to || !(*from < *to))
        throw Error(ErrorKind::Input,
                    option + " expects FROM:TO, two numbers written with \".\" and FROM below TO, not " + Quoted(text));
    return {*from, *to};
}

LawParameters ReadParameters(const std::vector<std::string>& settings) {
    LawParameters parameters;
    for (const std::string& setting : settings) {
        const auto equals = setting.find('=');
        if (equals == std::string::npos)
            throw Error(ErrorKind::Input, "--param expects NAME=VALUE, not " + Quoted(setting));
        const std::string name = setting.substr(0, equals);
        const std::optional<double> value = TextToNumber(std::string_view(setting).substr(equals + 1), '.');
        if (!value) throw Error(ErrorKind::Input, "--param " + Quoted(setting) + ": not a number written with \".\"");
        if (!parameters.emplace(name, *value).second)
            throw Error(ErrorKind::Input, "--param " + name + " is given twice");
    }
    return parameters;
}

CLI::App* AddFitCommand(CLI::App& app, FitOptions& options) {
    CLI::App* fit = app.add_subcommand("fit", "Fit the viscosity law to a rheometer table or a standard law");
    fit->footer(FitHelp());
    fit->add_option("table", options.table, "The rheometer table")->type_name("TABLE.csv");
    fit->add_option("--temperature-unit", options.temperatureUnit, "Unit of the table's temperatures")
        ->type_name("degC|K");
    fit->add_option("--viscosity-unit", options.viscosityUnit, "Unit of the table's viscosities")
        ->type_name("Pa.s|P|gf.s/cm2");
    fit->add_option("--law", options.law, "A standard law instead of a table")
        ->type_name("cross-wlf|carreau-yasuda|power-law");
    fit->add_option("--param", options.parameters, "Parameters of the law: --param A=1 B=2 (repeatable)")
        ->type_name("NAME=VALUE...");
    fit->add_option("--temperatures", options.temperatures, "The window's temperatures, degC")->type_name("FROM:TO");
    fit->add_option("--shear-rates", options.shearRates, "The window's shear rates, 1/s")->type_name("FROM:TO");
    fit->add_option("-o,--output", options.output, "Write a material file")->type_name("FILE.material");
    fit->add_option("--name", options.name, "The material's name")->type_name("TEXT");
    fit->add_option("--source", options.source, "Where the data come from, for the material file")->type_name("TEXT");
    fit->add_option("--base", options.base, "A material file giving the thermal properties")->type_name("FILE");
    fit->add_option("--plot", options.plot, "Draw the points and the fitted law")->type_name("FILE.png|FILE.svg");
    return fit;
}

int FitMain(const FitOptions& options) {
    return Guarded([&] {
        charts::RequirePlotFileName(options.plot.value_or(""));
        if (options.output && options.output->empty())
            throw Error(ErrorKind::Input, "-o needs a file name, not an empty text");
        if (options.plot && options.plot->empty())
            throw Error(ErrorKind::Input, "--plot needs a file name, not an empty text");
        std::optional<Material> base;
        if (options.base) {
            if (options.base->empty()) throw Error(ErrorKind::Input, "--base needs a file name, not an empty text");
            base = ReadBaseMaterial(*options.base);
        }
        const FitData data = DataOf(options);
        const LawFit fit = FitLaw(data);
        std::optional<Material> material;
        if (options.output) material = FittedMaterial(fit, data, base, options.name, options.source);
        // Every file is tried before any is written.
        if (options.output) RequireWritable(*options.output, "the material file");
        if (options.plot) RequireWritable(*options.plot, "the plot");
        std::cout << exporting::FitReport(fit, data.description) << std::flush;
        for (const std::string& warning : fit.warnings) std::cerr << ErrorLine("warning: " + warning);
        if (material) {
            WriteMaterialFile(*material, *options.output);
            std::cout << "Material file: " << *options.output << std::endl;
        }
        if (options.plot) {
            const std::string subject = options.table.empty()
                                            ? "the " + options.law + " law"
                                            : std::filesystem::path(options.table).filename().string();
            charts::WriteChart(charts::FitChart(data.points, fit, "Viscosity law fitted to " + subject,
                                                options.table.empty() ? options.law : "data"),
                               *options.plot);
        }
        return kExitSuccess;
    });
}

}  // namespace tadmor::cli
