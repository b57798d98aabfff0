#include "cli/ExtruderCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "analysis/ExtruderCurve.h"
#include "charts/ChartFiles.h"
#include "charts/ExtruderCharts.h"
#include "cli/Console.h"
#include "cli/SolveCommand.h"
#include "cli/SweepCommand.h"
#include "model/NumberText.h"
#include "report/ReadFile.h"

namespace tadmor::cli {

namespace {

// The melting run's warnings and the conveying's, of the calculation reported.
std::vector<Warning> AnswerWarnings(const inputs::Case& request, const extruder::ExtruderCalculation& calculation) {
    std::vector<Warning> warnings = inputs::AllWarnings(request, calculation.calculation);
    if (calculation.run)
        warnings.insert(warnings.end(), calculation.run->warnings.begin(), calculation.run->warnings.end());
    return warnings;
}

std::string Described(const extruder::ExtruderRun& run) {
    return NumberText(run.tipPressure, 2) + " MPa at the tip, melt " + NumberText(run.meltTemperature, 1) +
           " degC at the die, drive " + NumberText(run.drivePower, 2) + " kW, " + NumberText(run.specificEnergy, 3) +
           " kWh/kg, residence " + NumberText(run.residenceTime, 0) + " s" +
           (run.meltingComplete ? "" : "; solid left at the die");
}

}  // namespace

extruder::ExtruderInputs ExtruderInputsOf(const ExtruderOptions& options) {
    extruder::ExtruderInputs inputs;
    inputs.flightClearance = extruder::ParseLength(options.clearance, "--clearance");
    inputs.startPressure = extruder::ParsePressure(options.startPressure, "--start-pressure");
    if (!options.meltLimit.empty()) {
        const std::optional<double> limit = TextToNumber(options.meltLimit, '.');
        if (!limit)
            throw Error(ErrorKind::Input, "--melt-limit " + Quoted(options.meltLimit) + " is not a number of degC");
        inputs.meltTemperatureLimit = *limit;
    }
    inputs.die = extruder::ParseDie(
        options.die, [](const std::string& path) { return ReadRegularFile(path, ErrorKind::Input, "die table"); });
    extruder::CheckExtruderInputs(inputs);
    return inputs;
}

std::string ExtruderSummary(const exporting::ExtruderAnswer& answer) {
    const extruder::ExtruderCalculation* reported = exporting::Reported(answer);
    if (!reported || !reported->run) return "";
    const extruder::ExtruderRun& run = *reported->run;
    if (answer.floodFed)
        return "operating point: " + NumberText(run.throughput, 1) + " kg/hr at " + NumberText(run.screwSpeed, 1) +
               " rpm: " + Described(run);
    const double short_ = run.dieDrop - run.tipPressure;
    return "at " + NumberText(run.throughput, 1) + " kg/hr and " + NumberText(run.screwSpeed, 1) +
           " rpm: " + Described(run) + "; the die needs " + NumberText(run.dieDrop, 2) + " MPa (" +
           (short_ > 0 ? NumberText(short_, 2) + " MPa more than the screw builds"
                       : NumberText(-short_, 2) + " MPa less than the screw builds") +
           ")";
}

CLI::App* AddExtruderCommand(CLI::App& app, ExtruderOptions& options) {
    CLI::App* command = app.add_subcommand(
        "extruder", "The whole extruder: pressure and melt temperature to the die, power, the operating point");
    command->footer(
        "The melting march runs as tadmor run runs it; beside it the melt carries pressure from the start of\n"
        "melting (--start-pressure) to the tip: the melt pool beside the bed, then the whole channel, with\n"
        "leakage over the flights (--clearance), viscous heating and the barrel's heat. Flood fed (--feed\n"
        "flood, the default), the throughput is the one at which the pressure the screw builds at its tip\n"
        "equals what the die needs (the operating point), found by scanning --range (default 2 % to 150 % of\n"
        "the metering zone's drag flow) in --intervals steps; with --feed given the throughput is OutputRate\n"
        "(a starve-fed screw or a melt pump) and the pressure left at the tip is set against the die's need.\n"
        "Die: capillary:D=0.5,L=5  slit:W=10,H=0.2,L=3  annulus:Do=2,Di=1.6,L=4 (cm, or mm or m after the\n"
        "number) or table:FILE (lines 'throughput kg/hr, pressure drop MPa' and 'temperature = degC').\n"
        "--over NAME=FROM:TO:STEP gives the operating point at each value into -o CSV. docs/extruder.md\n"
        "gives the model and its sources. Exit codes as for run; 7: no operating point; 8: --strict and a\n"
        "warning; 130 or 143: stopped.");
    AddInputOptions(*command, options.base);
    command->add_option("--die", options.die, "The die at the screw tip")->required()->type_name("KIND:DIMENSIONS");
    command->add_option("--clearance", options.clearance, "Flight clearance (cm, or mm or m after the number)")
        ->type_name("LENGTH")
        ->capture_default_str();
    command
        ->add_option("--start-pressure", options.startPressure, "Pressure at the start of melting (MPa, bar, kPa, Pa)")
        ->type_name("PRESSURE")
        ->capture_default_str();
    command->add_option("--melt-limit", options.meltLimit, "Warn of a melt hotter than this")->type_name("DEGC");
    command->add_option("--feed", options.feed, "flood: the operating point; given: the throughput OutputRate")
        ->check(CLI::IsMember({"flood", "given"}))
        ->capture_default_str();
    command->add_option("--range", options.range, "Throughputs scanned for the operating point (kg/hr)")
        ->type_name("LO:HI");
    command->add_option("--intervals", options.intervals, "Intervals of the scan")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    command->add_option("--format", options.format, "table, json or csv (the rows along the screw)")
        ->check(CLI::IsMember({"table", "json", "csv"}))
        ->capture_default_str();
    command->add_option("--plot", options.plot, "Draw pressure, melt temperature and X/W along the screw")
        ->type_name("FILE.png|FILE.svg");
    command
        ->add_option("--plot-characteristic", options.plotCharacteristic,
                     "Draw the screw's and the die's pressure against throughput")
        ->type_name("FILE.png|FILE.svg");
    command->add_option("--over", options.over, "The operating point at each value of a second input")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...");
    command->add_option("-o,--output", options.output, "The curve's CSV (with --over)")->type_name("CURVE.csv");
    options.jobs = analysis::AllProcessors();
    command->add_option("--jobs", options.jobs, "Searches run at once (with --over)")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    command->add_flag("--strict", options.strict, "Exit with 8 when the answer gives a warning");
    return command;
}

int ExtruderMain(const ExtruderOptions& options) {
    inputs::Case given, request;
    extruder::ExtruderInputs inputs;
    extruder::ThroughputScan scan;
    std::optional<analysis::VariedInput> over;
    const int prepared = Guarded([&] {
        charts::RequirePlotFileName(options.plot);
        charts::RequirePlotFileName(options.plotCharacteristic);
        given = GivenCase(options.base);
        request = inputs::WithSeparator(given, ChooseSeparator(options.base));
        inputs = ExtruderInputsOf(options);
        scan.intervals = options.intervals;
        if (!options.range.empty()) std::tie(scan.low, scan.high) = ParseRange(options.range);
        if (!options.over.empty()) {
            over = ParseVary(options.over, "--over");
            if (options.output.empty()) throw Error(ErrorKind::Input, "--over needs -o CURVE.csv");
            if (options.feed != "flood") throw Error(ErrorKind::Input, "--over finds operating points: --feed flood");
            RequireWritable(options.output, "the curve");
        } else if (!options.output.empty()) {
            throw Error(ErrorKind::Input, "-o goes with --over");
        }
        return kExitSuccess;
    });
    if (prepared != kExitSuccess) return prepared;
    StopOnInterrupt();

    if (over) {
        std::vector<std::optional<extruder::OperatingPointSearch>> results;
        analysis::OperatingPoints(
            request, inputs, *over, scan, results,
            {options.jobs, &StopSignal(), ProgressBar("values of " + std::string(NameOf(*over)))});
        if (!TryWriteWhole(options.output, exporting::OperatingPointsCsv(*over, results), "the curve"))
            return kExitFileNotWritten;
        int found = 0, searched = 0;
        for (const auto& result : results) {
            searched += result.has_value();
            found += result && result->point && result->point->run;
        }
        if (const int signal = StopSignal())
            return Stopped(signal, "the curve " + Quoted(options.output) + " holds " + std::to_string(searched) +
                                       " of " + std::to_string(results.size()) + " values");
        std::cout << options.output << ": " << results.size() << " values of " << NameOf(*over) << ", " << found
                  << " with an operating point\n";
        std::cout.flush();
        if (!options.plot.empty()) {
            const int plotted = Guarded([&] {
                charts::WriteChart(charts::OperatingPointsChart(*over, results, "Operating points of the extruder"),
                                   options.plot);
                return kExitSuccess;
            });
            if (plotted != kExitSuccess) return plotted;
        }
        return found > 0 ? kExitSuccess : kExitNoSolution;
    }

    exporting::ExtruderAnswer answer;
    answer.floodFed = options.feed == "flood";
    const int ran = Guarded([&] {
        if (answer.floodFed || !options.plotCharacteristic.empty())
            answer.search =
                extruder::FindOperatingPoint(request.texts, request.separator, inputs, scan, {nullptr, &StopSignal()});
        if (!answer.floodFed)
            answer.calculation = extruder::CalculateExtruder(request.texts, request.separator, inputs);
        return kExitSuccess;
    });
    if (ran != kExitSuccess) return ran;
    if (const int signal = StopSignal()) return Stopped(signal, "the search for the operating point is incomplete");
    const extruder::ExtruderCalculation* reported = exporting::Reported(answer);
    if (reported) answer.warnings = AnswerWarnings(request, *reported);

    if (options.format == "json")
        std::cout << exporting::ExtruderJson(given, inputs, answer);
    else if (options.format == "csv" && reported && reported->run)
        std::cout << exporting::CsvOf(exporting::ProfileColumns(), exporting::ProfileRows(*reported));
    else if (options.format == "table" && reported && reported->run)
        std::cout << ExtruderSummary(answer) << "\n";
    std::cout.flush();

    int exitCode = kExitSuccess;
    if (!reported || !reported->run) {
        // Why there is none: the melting inputs refused or failed (the base
        // case's own calculation says), or no crossing.
        const Calculation base = reported ? reported->calculation : inputs::Calculate(request);
        if (base.outcome != RequestOutcome::Completed) {
            std::cerr << ErrorLine((base.outcome == RequestOutcome::CalculationError ? "error: " : "") + base.message);
            if (base.refusedField >= 0) std::cerr << ErrorLine(inputs::RefusalDetail(given, base.refusedField));
            return ExitCodeOf(base.outcome);
        }
        const std::string why = reported ? reported->error : answer.search ? answer.search->none : "";
        std::cerr << ErrorLine((answer.floodFed ? "no operating point: " : "error: ") + why);
        exitCode = answer.floodFed ? kExitNoSolution : kExitCalculationError;
    }
    for (const Warning& warning : answer.warnings) std::cerr << ErrorLine("warning: " + WarningLine(warning));
    const auto draw = [&](const std::string& path, const charts::Chart& chart) {
        if (path.empty() || exitCode != kExitSuccess) return;
        exitCode = Guarded([&] {
            charts::WriteChart(chart, path);
            return kExitSuccess;
        });
    };
    if (reported && reported->run) draw(options.plot, charts::ExtruderProfileChart(*reported, "The whole extruder"));
    if (answer.search && !options.plotCharacteristic.empty()) {
        std::vector<extruder::CharacteristicPoint> points = answer.search->scan;
        if (answer.search->point) points.insert(points.end(), {answer.search->below, answer.search->above});
        const extruder::ExtruderCalculation* point = answer.search->point ? &*answer.search->point : nullptr;
        draw(options.plotCharacteristic,
             charts::CharacteristicChart(points, point && point->run ? &*point->run : nullptr,
                                         "Screw and die characteristics: " + extruder::DieDescription(inputs.die)));
    }
    return exitCode == kExitSuccess && options.strict && !answer.warnings.empty() ? kExitWarnings : exitCode;
}

}  // namespace tadmor::cli
