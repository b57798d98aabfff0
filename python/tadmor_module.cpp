// The Python module `tadmor`: the calculation, the sweep, the solve, the
// sensitivity and the fit of the command, with their inputs and results converted to Python types.
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "analysis/Sensitivity.h"
#include "analysis/Solve.h"
#include "app/request/Warnings.h"
#include "cli/Export.h"
#include "cli/FitCommand.h"
#include "cli/Materials.h"
#include "cli/RunCommand.h"
#include "cli/SensitivityCommand.h"
#include "cli/SolveCommand.h"
#include "cli/Sweep.h"
#include "material/Material.h"
#include "material/ViscosityFit.h"
#include "model/InputFields.h"
#include "model/ResultColumns.h"

namespace py = pybind11;
using namespace tadmor;

namespace {

// The exception classes, defined in Python so that a CalculationError carries
// its increment and FLIGHT as attributes.
constexpr const char* kExceptionClasses = R"(
class Error(Exception):
    """Base class of every error of tadmor: ``message`` is the program's text."""
    def __init__(self, message):
        super().__init__(message)
        self.message = message

class InputError(Error):
    """An input that does not convert or fails its test, an unknown input name,
    or a case or material file that cannot be used."""

class CalculationError(Error):
    """A run that ended with an arithmetic fault, no convergence or too many
    increments. ``increment`` is the increment where it ended (0 before the
    first), ``flight`` its FLIGHT in turns (None when unknown)."""
    def __init__(self, message, increment, flight):
        super().__init__(message)
        self.increment = increment
        self.flight = flight

class FileError(Error):
    """A results file that could not be created or written."""
)";

[[noreturn]] void Raise(const char* type, py::tuple arguments) {
    const py::object kind = py::module_::import("tadmor").attr(type);
    const py::object error = kind(*arguments);
    PyErr_SetObject(kind.ptr(), error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void RaiseInputError(const std::string& message) { Raise("InputError", py::make_tuple(message)); }

// Raises the error of a calculation that did not complete.
[[noreturn]] void RaiseFailure(const Calculation& calculation) {
    if (calculation.outcome == RequestOutcome::InvalidInput) RaiseInputError(calculation.message);
    Raise("CalculationError",
          py::make_tuple(calculation.message, calculation.errorIncrement,
                         std::isnan(calculation.errorFlight) ? py::object(py::none())
                                                             : py::object(py::float_(calculation.errorFlight))));
}

// An input value as the text the command would be given: texts as they are,
// integers in full, other numbers as the shortest text of the same double.
std::string InputText(const py::handle& value, char separator) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::bool_>(value)) throw py::type_error("an input is a number or a text, not a bool");
    if (py::isinstance<py::int_>(value)) return py::str(value).cast<std::string>();
    double number;
    try {
        number = py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
    } catch (const py::error_already_set&) {
        throw py::type_error("an input is a number or a text, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
    std::string text = ExactNumber(number);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

char Separator(const std::string& text) {
    cli::RunOptions options;
    options.separator = text;
    try {
        return cli::ChooseSeparator(options);
    } catch (const cli::UsageError& error) {
        RaiseInputError(error.what());
    }
}

std::string OptionalPath(const py::object& path) {
    return path.is_none() ? std::string() : py::str(path).cast<std::string>();
}

// The command's options for these arguments: inputs become --set settings.
cli::RunOptions OptionsOf(const py::object& inputs, const py::object& casePath, const py::object& material,
                          char separator) {
    cli::RunOptions options;
    options.casePath = OptionalPath(casePath);
    options.materialPath = OptionalPath(material);
    if (!inputs.is_none())
        for (const auto& [name, value] : inputs.cast<py::dict>())
            options.settings.push_back(py::str(name).cast<std::string>() + "=" + InputText(value, separator));
    return options;
}

FieldTexts TextsOf(const cli::RunOptions& options, char separator) {
    try {
        return cli::TextsFor(options, separator);
    } catch (const cli::UsageError& error) {
        RaiseInputError(error.what());
    }
}

struct Result {
    std::string outcome;
    std::string message;
    std::vector<Warning> warnings;
    py::object rows;
    py::object meltingCompletedAt;
    py::dict inputs;
};

// The recorded rows as a structured array, one field per result column.
py::object RowsArray(const SimulationState& state) {
    const py::ssize_t count = state.StepCount;
    py::array_t<double> table({count, static_cast<py::ssize_t>(kResultColumnCount)});
    auto cells = table.mutable_unchecked<2>();
    for (py::ssize_t row = 0; row < count; ++row)
        for (int c = 0; c < kResultColumnCount; ++c) cells(row, c) = (state.*kResultColumns[c].values)[row + 1];
    py::list fields;
    for (const ResultColumn& column : kResultColumns) fields.append(py::make_tuple(column.heading, "<f8"));
    const py::object dtype = py::module_::import("numpy").attr("dtype")(fields);
    return table.attr("view")(dtype).attr("reshape")(count);
}

py::dict InputsDict(const SimulationState& state) {
    py::dict inputs;
    for (int i = 0; i < kNumericFieldCount; ++i) inputs[py::str(kInputFields[i].variable)] = state.*kInputFields[i].value;
    inputs[py::str(kInputFields[kFieldCount - 1].variable)] = state.ResultFileName;
    return inputs;
}

Result Run(const py::object& inputs, const py::object& casePath, const py::object& material,
           const py::object& resultsFile, const std::string& decimalSeparator) {
    const char separator = Separator(decimalSeparator);
    cli::RunOptions options = OptionsOf(inputs, casePath, material, separator);
    if (!resultsFile.is_none()) options.output = py::str(resultsFile).cast<std::string>();
    const FieldTexts texts = TextsOf(options, separator);

    Calculation calculation;
    std::vector<Warning> warnings;
    {
        py::gil_scoped_release release;
        if (!options.output) {
            calculation = Calculate(texts, separator);
        } else {
            cli::RecordingUi ui;
            calculation.outcome = RunCalculationRequest(texts, separator, calculation.state, ui);
            calculation.message = ui.Message();
            // Where the run ended is known to the calculation alone: it runs again, equal to the first.
            if (calculation.outcome == RequestOutcome::CalculationError) {
                const Calculation again = Calculate(texts, separator);
                calculation.errorIncrement = again.errorIncrement;
                calculation.errorFlight = again.errorFlight;
            }
        }
        if (calculation.outcome == RequestOutcome::Completed)
            warnings = cli::AllWarnings(options.materialPath, texts, separator, calculation.state, calculation.outcome);
    }

    switch (calculation.outcome) {
        case RequestOutcome::InvalidInput: RaiseInputError(calculation.message);
        case RequestOutcome::FileNotWritten: Raise("FileError", py::make_tuple(calculation.message));
        case RequestOutcome::CalculationError:
            Raise("CalculationError",
                  py::make_tuple(calculation.message, calculation.errorIncrement,
                                 std::isnan(calculation.errorFlight) ? py::object(py::none())
                                                                     : py::object(py::float_(calculation.errorFlight))));
        case RequestOutcome::Completed: break;
    }
    const SimulationState& state = calculation.state;
    const std::optional<double> flight = cli::MeltingFlight(calculation.outcome, state);
    return Result{cli::OutcomeName(calculation.outcome, state), calculation.message, std::move(warnings),
                  RowsArray(state), flight ? py::object(py::float_(*flight)) : py::object(py::none()),
                  InputsDict(state)};
}

// `columns` as a pandas DataFrame, or without pandas as the dict itself,
// every column a NumPy array.
py::object Table(py::dict columns) {
    try {
        return py::module_::import("pandas").attr("DataFrame")(columns);
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_ImportError)) throw;
        for (const auto& [name, column] : columns) columns[name] = py::module_::import("numpy").attr("asarray")(column);
        return columns;
    }
}

// One --vary option for a varied input: a text as the command takes it, or
// the values listed.
std::string VaryOption(const py::handle& name, const py::handle& values) {
    std::string option = py::str(name).cast<std::string>() + "=";
    if (py::isinstance<py::str>(values)) return option + values.cast<std::string>();
    bool first = true;
    for (const py::handle value : py::iter(values)) {
        option += (first ? "" : ",") + InputText(value, '.');
        first = false;
    }
    return option;
}

py::object Sweep(const py::dict& varied, const py::object& base, const py::object& casePath,
                 const py::object& material, const py::object& jobs, const std::optional<std::pair<int, int>>& shard,
                 const std::string& decimalSeparator) {
    cli::SweepSettings settings;
    settings.separator = Separator(decimalSeparator);
    settings.base = TextsOf(OptionsOf(base, casePath, material, settings.separator), settings.separator);
    settings.jobs = jobs.is_none() ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                                   : jobs.cast<int>();
    std::vector<cli::SweepCase> cases;
    try {
        std::vector<std::string> varies;
        for (const auto& [name, values] : varied) varies.push_back(VaryOption(name, values));
        settings.varied = cli::ParseVaries(varies);
        cli::Shard part;
        if (shard) part = cli::ParseShard(std::to_string(shard->first) + "/" + std::to_string(shard->second));
        cases = cli::SweepCases(settings.varied, part);
    } catch (const cli::UsageError& error) {
        RaiseInputError(error.what());
    }

    cli::CaseResults results(cases.size());
    {
        py::gil_scoped_release release;
        const std::atomic<int> stop = 0;
        cli::RunSweep(settings, cases, results, stop);
    }

    const std::size_t count = cases.size();
    py::array_t<long> index(count), rows(count);
    std::vector<py::array_t<double>> values(settings.varied.size(), py::array_t<double>(0));
    for (auto& column : values) column = py::array_t<double>(count);
    py::array_t<double> flight(count);
    std::array<py::array_t<double>, 4> last;
    for (auto& column : last) column = py::array_t<double>(count);
    py::list outcomes, messages, warnings;
    for (std::size_t i = 0; i < count; ++i) {
        const cli::CaseResult& result = *results[i];
        index.mutable_at(i) = cases[i].index;
        for (std::size_t j = 0; j < values.size(); ++j) values[j].mutable_at(i) = std::stod(cases[i].values[j]);
        outcomes.append(result.outcomeName);
        rows.mutable_at(i) = result.rows;
        flight.mutable_at(i) = result.meltingFlight.value_or(std::nan(""));
        for (int k = 0; k < 4; ++k) last[k].mutable_at(i) = result.lastRow ? (*result.lastRow)[k] : std::nan("");
        messages.append(result.message);
        warnings.append(result.warnings);
    }
    py::dict summary;
    summary["case"] = index;
    for (std::size_t j = 0; j < values.size(); ++j) summary[py::str(settings.varied[j].name)] = values[j];
    summary["outcome"] = outcomes;
    summary["rows"] = rows;
    summary["melting completed at FLIGHT (turns)"] = flight;
    const char* lastNames[4] = {"X/W at end (-)", "QS/QT at end (-)", "POWER TOT at end (kW)", "POWER VIS at end (kW)"};
    for (int k = 0; k < 4; ++k) summary[lastNames[k]] = last[k];
    summary["message"] = messages;
    summary["warnings"] = warnings;
    return Table(summary);
}

// A pair of numbers as the command's LO:HI text; a text as it is.
std::string PairText(const py::handle& value) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(value);
    if (py::len(pair) != 2) throw py::type_error("a range is (LO, HI) or the text \"LO:HI\"");
    return InputText(pair[0], '.') + ":" + InputText(pair[1], '.');
}

// One calculation of a solve, as the command's JSON gives it.
struct SolvePoint {
    double value = 0;        // the input's value
    std::string text;        // the text of it that the calculation was given
    std::string outcome;
    std::string message;
    std::optional<int> rows;
    std::optional<double> meltingFlight, solidFraction, totalPower, viscousPower;
    std::optional<bool> targetMet;
    std::optional<double> notMetAt;  // of a solution: the neighbouring value where the target is not met
    std::vector<std::string> warnings;  // codes of the run's warnings
};

struct Solved {
    std::string input;
    std::pair<double, double> range;
    std::string target;
    int calculations = 0;
    std::vector<SolvePoint> solutions;
    SolvePoint low, high;
};

SolvePoint PointOf(const analysis::Point& point, const analysis::SolveProblem& problem) {
    SolvePoint result;
    result.value = point.value;
    result.text = analysis::ValueText(problem.field, point.value, problem.separator);
    result.outcome = cli::PointOutcome(point);
    result.message = point.message;
    if (point.outcome != RequestOutcome::Completed) return result;
    result.rows = point.rows;
    result.meltingFlight = point.meltingFlight;
    result.solidFraction = point.solidFraction;
    result.totalPower = point.totalPower;
    result.viscousPower = point.viscousPower;
    result.targetMet = point.met;
    result.warnings = point.warnings;
    return result;
}

// The curve of --over: the CSV's columns, NaN where the CSV is empty.
py::object CurveTable(const cli::VariedInput& over, int field, const std::vector<analysis::SolveResult>& results) {
    const std::size_t count = results.size();
    py::array_t<double> values(count), solved(count), flight(count), fraction(count), total(count), viscous(count);
    py::array_t<long> solutions(count), calculations(count);
    for (std::size_t i = 0; i < count; ++i) {
        const analysis::SolveResult& result = results[i];
        values.mutable_at(i) = std::stod(over.values[i]);
        solutions.mutable_at(i) = static_cast<long>(result.solutions.size());
        calculations.mutable_at(i) = result.calculations;
        const analysis::Point* best = result.solutions.empty() ? nullptr : &result.solutions.back().met;
        const double none = std::nan("");
        solved.mutable_at(i) = best ? std::stod(analysis::ValueText(field, best->value, '.')) : none;
        flight.mutable_at(i) = best ? best->meltingFlight.value_or(none) : none;
        fraction.mutable_at(i) = best ? best->solidFraction : none;
        total.mutable_at(i) = best ? best->totalPower : none;
        viscous.mutable_at(i) = best ? best->viscousPower : none;
    }
    py::dict columns;
    columns[py::str(over.name)] = values;
    columns[py::str(kInputFields[field].variable)] = solved;
    columns["solutions"] = solutions;
    columns["FLIGHT melted (turns)"] = flight;
    columns["X/W at end"] = fraction;
    columns["POWER TOT (kW)"] = total;
    columns["POWER VIS (kW)"] = viscous;
    columns["calculations"] = calculations;
    return Table(columns);
}

py::object Solve(const std::string& input, const py::object& meltedAt, const py::object& xwAtEnd,
                 const py::object& range, const py::object& over, const py::object& inputs,
                 const py::object& casePath, const py::object& material, int intervals, const py::object& jobs,
                 const std::string& decimalSeparator) {
    const char separator = Separator(decimalSeparator);
    cli::SolveOptions options;
    options.base = OptionsOf(inputs, casePath, material, separator);
    options.base.separator = decimalSeparator;
    options.input = input;
    if (!meltedAt.is_none()) options.meltedAt = InputText(meltedAt, '.');
    if (!xwAtEnd.is_none()) options.xwAtEnd = InputText(xwAtEnd, '.');
    if (!range.is_none()) options.range = PairText(range);
    if (intervals < 1 || intervals > 10000) RaiseInputError("intervals must be from 1 to 10000");
    options.intervals = intervals;

    analysis::SolveProblem problem;
    std::optional<cli::VariedInput> curve;
    try {
        if (!over.is_none()) {
            const py::dict second = over.cast<py::dict>();
            if (second.size() != 1) RaiseInputError("over takes one input: {NAME: values}");
            for (const auto& [name, values] : second) curve = cli::ParseVary(VaryOption(name, values));
        }
        py::gil_scoped_release release;  // the default range calculates the base case
        problem = cli::ProblemOf(options);
    } catch (const cli::UsageError& error) {
        RaiseInputError(error.what());
    }

    if (curve) {
        const int threads = jobs.is_none() ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                                           : jobs.cast<int>();
        std::vector<analysis::SolveResult> results;
        {
            py::gil_scoped_release release;
            results = cli::SolveAll(cli::OverProblems(problem, *curve), threads);
        }
        return CurveTable(*curve, problem.field, results);
    }

    analysis::SolveResult result;
    {
        py::gil_scoped_release release;
        result = analysis::Solve(problem);
    }
    // Neither end ran: the base case itself is at fault, as the low end says.
    if (result.solutions.empty() && !result.low.met && !result.high.met) {
        FieldTexts texts = problem.base;
        texts[problem.field] = analysis::ValueText(problem.field, result.low.value, problem.separator);
        RaiseFailure(Calculate(texts, problem.separator));
    }
    Solved solved;
    solved.input = kInputFields[problem.field].variable;
    solved.range = {problem.low, problem.high};
    solved.target = cli::TargetText(problem.target);
    solved.calculations = result.calculations;
    for (const analysis::Solution& solution : result.solutions) {
        solved.solutions.push_back(PointOf(solution.met, problem));
        solved.solutions.back().notMetAt = solution.unmet.value;
    }
    solved.low = PointOf(result.low, problem);
    solved.high = PointOf(result.high, problem);
    return py::cast(std::move(solved));
}

py::object Sensitivity(const py::object& inputs, const py::object& casePath, const py::object& material, double step,
                       const std::string& rankBy, const std::string& decimalSeparator) {
    const char separator = Separator(decimalSeparator);
    const cli::RunOptions options = OptionsOf(inputs, casePath, material, separator);
    const FieldTexts texts = TextsOf(options, separator);
    if (!(step > 0 && step <= 100)) RaiseInputError("step must be above 0 and at most 100 (%)");
    if (rankBy != "melting" && rankBy != "power") RaiseInputError("rank_by is \"melting\" or \"power\"");
    const analysis::Measure measure = rankBy == "power" ? analysis::Measure::Power : analysis::Measure::Melting;
    analysis::SensitivityResult result;
    {
        py::gil_scoped_release release;
        result = analysis::Sensitivity(texts, separator, cli::SensitivityFields(!options.materialPath.empty()), step);
    }
    if (result.base.outcome != RequestOutcome::Completed) RaiseFailure(Calculate(texts, separator));

    const std::vector<const analysis::InputResponse*> ranked = cli::Ranked(result, measure);
    const std::size_t count = ranked.size();
    py::list names, whys;
    py::array_t<double> base(count), low(count), high(count);
    std::array<py::array_t<double>, 6> changes;  // elasticity, low %, high % of the melting, then of the power
    for (auto& column : changes) column = py::array_t<double>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const analysis::InputResponse& input = *ranked[i];
        names.append(kInputFields[input.field].variable);
        base.mutable_at(i) = input.base;
        low.mutable_at(i) = input.low;
        high.mutable_at(i) = input.high;
        std::string why;
        for (int m = 0; m < 2; ++m) {
            const analysis::Change change =
                ChangeOf(result, input, m == 0 ? analysis::Measure::Melting : analysis::Measure::Power);
            changes[3 * m].mutable_at(i) = change.elasticity.value_or(NAN);
            changes[3 * m + 1].mutable_at(i) = change.lowPercent.value_or(NAN);
            changes[3 * m + 2].mutable_at(i) = change.highPercent.value_or(NAN);
            if (why.empty()) why = change.why;
        }
        whys.append(why);
    }
    py::dict table;
    table["input"] = names;
    table["base"] = base;
    table["low"] = low;
    table["high"] = high;
    const char* changeNames[6] = {"melting elasticity", "melting low (%)", "melting high (%)",
                                  "power elasticity",   "power low (%)",   "power high (%)"};
    for (int k = 0; k < 6; ++k) table[changeNames[k]] = changes[k];
    table["why"] = whys;
    return Table(table);
}

struct Fitted {
    py::dict coefficients, standardErrors, fitted, range;
    std::size_t points = 0, temperatures = 0, shearRates = 0;
    double rmsLogError = 0, maxLogError = 0, rmsPercentError = 0, maxPercentError = 0;
    std::pair<double, double> index, sensitivity;
    std::vector<std::string> notes, warnings;
    std::string report;
    std::optional<std::string> materialFile;
};

std::string OptionalText(const py::object& value) { return value.is_none() ? std::string() : py::str(value).cast<std::string>(); }

Fitted Fit(const py::object& table, const py::object& temperatureUnit, const py::object& viscosityUnit,
           const py::object& law, const py::object& parameters, const py::object& temperatures,
           const py::object& shearRates, const py::object& output, const py::object& name, const py::object& source,
           const py::object& base) {
    cli::FitOptions options;
    options.table = OptionalText(table);
    options.temperatureUnit = OptionalText(temperatureUnit);
    options.viscosityUnit = OptionalText(viscosityUnit);
    options.law = OptionalText(law);
    if (!parameters.is_none())
        for (const auto& [key, value] : parameters.cast<py::dict>())
            options.parameters.push_back(py::str(key).cast<std::string>() + "=" + InputText(value, '.'));
    if (!temperatures.is_none()) options.temperatures = PairText(temperatures);
    if (!shearRates.is_none()) options.shearRates = PairText(shearRates);
    options.output = OptionalText(output);
    options.name = OptionalText(name);
    options.source = OptionalText(source);
    options.base = OptionalText(base);

    std::vector<material::RheometerPoint> points;
    std::string description;
    material::LawFit fit;
    try {
        points = cli::FitPoints(options, description);
    } catch (const std::runtime_error& error) {  // UsageError or FitError
        RaiseInputError(error.what());
    }
    try {
        py::gil_scoped_release release;
        fit = material::FitViscosityLaw(points);
    } catch (const material::FitError& error) {
        RaiseInputError("cannot fit " + description + ": " + error.what());
    }
    if (!options.output.empty()) {
        try {
            material::WriteMaterialFile(cli::FittedMaterial(fit, options, description), options.output);
        } catch (const cli::UsageError& error) {
            RaiseInputError(error.what());
        } catch (const material::MaterialError& error) {
            Raise("FileError", py::make_tuple(error.what()));
        }
    }

    Fitted result;
    for (int i = 0; i < material::kLawCoefficientCount; ++i) {
        const py::str coefficient(std::string(material::kMaterialInputs[i]));
        result.coefficients[coefficient] = fit.coefficients[i];
        result.standardErrors[coefficient] = fit.standardErrors[i];
        result.fitted[coefficient] = fit.fitted[i];
    }
    result.range["temperature_min"] = fit.range.temperatureMin;
    result.range["temperature_max"] = fit.range.temperatureMax;
    result.range["shear_rate_min"] = fit.range.shearRateMin;
    result.range["shear_rate_max"] = fit.range.shearRateMax;
    result.points = fit.points;
    result.temperatures = fit.temperatures;
    result.shearRates = fit.shearRates;
    result.rmsLogError = fit.rmsLogError;
    result.maxLogError = fit.maxLogError;
    result.rmsPercentError = fit.rmsPercentError;
    result.maxPercentError = fit.maxPercentError;
    result.index = {fit.indexMin, fit.indexMax};
    result.sensitivity = {fit.sensitivityMin, fit.sensitivityMax};
    result.notes = fit.notes;
    result.warnings = fit.warnings;
    result.report = cli::FitReport(fit, description);
    if (!options.output.empty()) result.materialFile = options.output;
    return result;
}

}  // namespace

PYBIND11_MODULE(tadmor, m) {
    m.doc() = R"(The Tadmor melting model of a single-screw extruder.

run() calculates one case, sweep() many; solve() finds the value of one input
at which a target on the melting is met; sensitivity() ranks the inputs by
their effect on the melting and the power; fit() fits the viscosity law to a
rheometer table or a standard law. Inputs are named as the command's
--set names (ScrewDiameter, OutputRate, ...; see INPUTS) in the window's
units; results come in the eleven columns of RESULT_COLUMNS.)";

    py::exec(kExceptionClasses, m.attr("__dict__"));

    py::list inputFields;
    for (const InputField& field : kInputFields)
        inputFields.append(py::make_tuple(field.variable, cli::FieldCaption(field), field.defaultText));
    m.attr("INPUTS") = py::tuple(inputFields);
    py::list columns;
    for (const ResultColumn& column : kResultColumns) columns.append(py::make_tuple(column.heading, column.unit));
    m.attr("RESULT_COLUMNS") = py::tuple(columns);

    py::class_<Warning>(m, "Warning", "A diagnostic of a completed run; it changes no result.")
        .def_readonly("code", &Warning::code, "Stable code, e.g. \"bed-wider-than-channel\".")
        .def_readonly("message", &Warning::message, "What is wrong and what it means.")
        .def_readonly("where", &Warning::where, "\"FLIGHT 14.05 to 17.50\", \"input ScrewDiameter\", or empty.")
        .def("__str__", &WarningLine)
        .def("__repr__", [](const Warning& warning) { return "<tadmor.Warning " + warning.code + ">"; });

    py::class_<Result>(m, "Result", "A completed run.")
        .def_readonly("outcome", &Result::outcome, "\"melting completed\" or \"end of screw\".")
        .def_readonly("message", &Result::message, "Empty for a completed run.")
        .def_readonly("warnings", &Result::warnings,
                      "The run's warnings (tadmor.Warning): where it leaves the ground the model stands on. They never "
                      "change a result.")
        .def_readonly("rows", &Result::rows, R"(The recorded rows: a NumPy structured array, one row per increment, with the fields
FLIGHT (turns), DEPTH (cm), X/W (-), QS/QT (-), TB (degC), T121 (degC), TAV (degC),
FILM (cm), 1/PSAI (-), POWER TOT (kW), POWER VIS (kW); e.g. rows["X/W"].)")
        .def_readonly("melting_completed_at", &Result::meltingCompletedAt,
                      "FLIGHT (turns) where melting completed, or None when solid is left at the end of the screw.")
        .def_readonly("inputs", &Result::inputs,
                      "The inputs as converted: name to number (window units), ResultFileName to its text.")
        .def("__repr__", [](const Result& result) {
            return "<tadmor.Result " + result.outcome + ", " + std::to_string(py::len(result.rows)) + " rows>";
        });

    m.def("run", &Run, py::arg("inputs") = py::none(), py::kw_only(), py::arg("case") = py::none(),
          py::arg("material") = py::none(), py::arg("results_file") = py::none(), py::arg("decimal_separator") = ".",
          R"(Calculates one case, as `tadmor run` does, and returns a Result.

inputs: a dict of input names (see tadmor.INPUTS) to numbers or texts, in the
    window's units (cm, rpm, kg/h, degC, ...); texts are converted as the window
    converts them, with decimal_separator.
case: path of a case file (NAME = TEXT lines); material: path of a material
    file. The inputs are the defaults, then the material, then the case file,
    then `inputs`.
results_file: when given, the results file is written there, the same bytes as
    the command writes; otherwise nothing is written.
decimal_separator: one character, of the texts and of the results file.

Raises InputError (message as the command's, e.g. "Value of Flow Rate is not
correct"), CalculationError (message, increment, flight) or FileError; all
derive from tadmor.Error. The calculation runs without the GIL, so threads run
cases in parallel.)");

    py::class_<SolvePoint>(m, "SolvePoint", "One calculation of a solve: at a solution or at an end of the range.")
        .def_readonly("value", &SolvePoint::value, "The value of the input solved for.")
        .def_readonly("text", &SolvePoint::text,
                      "The text of the value that the calculation was given (rounded to the input's precision): "
                      "run({input: text}) repeats it.")
        .def_readonly("outcome", &SolvePoint::outcome,
                      "\"melting completed\", \"end of screw\", \"invalid input\" or \"calculation error\".")
        .def_readonly("message", &SolvePoint::message, "The refusal's or the error's text; empty when completed.")
        .def_readonly("rows", &SolvePoint::rows, "Rows recorded (None unless completed).")
        .def_readonly("melting_completed_at", &SolvePoint::meltingFlight,
                      "FLIGHT (turns) where melting completed, or None.")
        .def_readonly("xw_at_end", &SolvePoint::solidFraction, "X/W of the last row, 0 when melting completed.")
        .def_readonly("power_total", &SolvePoint::totalPower, "POWER TOT (kW) of the last row.")
        .def_readonly("power_viscous", &SolvePoint::viscousPower, "POWER VIS (kW) of the last row.")
        .def_readonly("target_met", &SolvePoint::targetMet, "Whether the target is met (None unless completed).")
        .def_readonly("warnings", &SolvePoint::warnings, "Codes of the run's warnings (empty unless completed).")
        .def_readonly("not_met_at", &SolvePoint::notMetAt,
                      "Of a solution: the neighbouring value, one step of the input's precision away, where the "
                      "target is not met.")
        .def("__repr__", [](const SolvePoint& point) {
            return "<tadmor.SolvePoint " + point.text + ": " + point.outcome + ">";
        });

    py::class_<Solved>(m, "SolveResult", "What solve() found.")
        .def_readonly("input", &Solved::input, "The input solved for.")
        .def_readonly("range", &Solved::range, "(LO, HI), the range scanned.")
        .def_readonly("target", &Solved::target, "The target in words.")
        .def_readonly("calculations", &Solved::calculations, "The number of calculations.")
        .def_readonly("solutions", &Solved::solutions,
                      "A SolvePoint per crossing of the target, in the order of the value; empty when no value in "
                      "the range meets the target.")
        .def_readonly("low", &Solved::low, "The calculation at LO.")
        .def_readonly("high", &Solved::high, "The calculation at HI.")
        .def("__repr__", [](const Solved& solved) {
            return "<tadmor.SolveResult " + solved.input + ": " + std::to_string(solved.solutions.size()) +
                   " solutions, " + std::to_string(solved.calculations) + " calculations>";
        });

    m.def("solve", &Solve, py::arg("input"), py::kw_only(), py::arg("melted_at") = py::none(),
          py::arg("xw_at_end") = py::none(), py::arg("range") = py::none(), py::arg("over") = py::none(),
          py::arg("inputs") = py::none(), py::arg("case") = py::none(), py::arg("material") = py::none(),
          py::arg("intervals") = 20, py::arg("jobs") = py::none(), py::arg("decimal_separator") = ".",
          R"doc(Finds the value of `input` at which a target is met, as `tadmor solve` does.

input: the input solved for, e.g. "OutputRate".
melted_at: a FLIGHT (melting completes by then) or "end" (by the end of the
    screw; for OutputRate the melting capacity); or xw_at_end: X/W at the end
    at most this. Exactly one of the two.
range: (LO, HI) or "LO:HI"; default a quarter to twice the base value.
    The range is scanned in `intervals` steps and every crossing bisected to
    one unit of the input's last decimal.
inputs, case, material, decimal_separator: the base case, as in run().

Returns a SolveResult: solutions (each the value where the target is still
met, with its result), calculations, and the calculations at both ends. No
value in the range meeting the target is a result with no solutions (the
command's exit code 7), not an exception; when neither end of the range
calculates, the base case is at fault and its error is raised (InputError,
CalculationError).

over: {NAME: values} (a list, or a text "FROM:TO:STEP" or "V1,V2,...") solves
at each value of a second input, on `jobs` threads, and returns the curve
instead: one row per value with the columns of the command's CSV (NAME, the
input, solutions, "FLIGHT melted (turns)", "X/W at end", "POWER TOT (kW)",
"POWER VIS (kW)", calculations; the largest solution, NaN where none), as a
pandas DataFrame, or a dict of NumPy arrays without pandas.)doc");

    py::class_<Fitted>(m, "FitResult", "The viscosity law fitted by fit().")
        .def_readonly("coefficients", &Fitted::coefficients,
                      "ViscA0 ... ViscA12 of ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T, "
                      "T in degC, L = ln(shear rate in 1/s).")
        .def_readonly("standard_errors", &Fitted::standardErrors,
                      "Standard error of each coefficient; NaN when not fitted or not known.")
        .def_readonly("fitted", &Fitted::fitted, "False for a coefficient left at 0: the data cannot determine it.")
        .def_readonly("points", &Fitted::points)
        .def_readonly("temperatures", &Fitted::temperatures, "Distinct temperatures of the data.")
        .def_readonly("shear_rates", &Fitted::shearRates, "Distinct shear rates of the data.")
        .def_readonly("range", &Fitted::range,
                      "The data's range: temperature_min, temperature_max (degC), shear_rate_min, shear_rate_max (1/s).")
        .def_readonly("rms_log_error", &Fitted::rmsLogError, "RMS error of ln eta.")
        .def_readonly("max_log_error", &Fitted::maxLogError, "Largest error of ln eta.")
        .def_readonly("rms_percent_error", &Fitted::rmsPercentError, "RMS error of eta, percent.")
        .def_readonly("max_percent_error", &Fitted::maxPercentError, "Largest error of eta, percent.")
        .def_readonly("index_range", &Fitted::index,
                      "(lowest, highest) local power-law index n = 1 + d ln eta / dL over the data's range.")
        .def_readonly("sensitivity_range", &Fitted::sensitivity,
                      "(lowest, highest) temperature sensitivity b = -d ln eta / dT (1/degC) over the data's range.")
        .def_readonly("notes", &Fitted::notes, "The terms left out and why.")
        .def_readonly("warnings", &Fitted::warnings, "n outside (0, 1] or b at or below 0 in the data's range.")
        .def_readonly("report", &Fitted::report, "The command's report, as `tadmor fit` prints it.")
        .def_readonly("material_file", &Fitted::materialFile, "The material file written, or None.")
        .def("__repr__", [](const Fitted& fit) {
            return "<tadmor.FitResult " + std::to_string(fit.points) + " points>";
        });

    m.def("fit", &Fit, py::arg("table") = py::none(), py::kw_only(), py::arg("temperature_unit") = py::none(),
          py::arg("viscosity_unit") = py::none(), py::arg("law") = py::none(), py::arg("params") = py::none(),
          py::arg("temperatures") = py::none(), py::arg("shear_rates") = py::none(), py::arg("output") = py::none(),
          py::arg("name") = py::none(), py::arg("source") = py::none(), py::arg("base") = py::none(),
          R"doc(Fits the viscosity law, as `tadmor fit` does, and returns a FitResult.

table: a rheometer table (CSV: temperature, shear rate, viscosity, the units
    in the header or given by temperature_unit "degC"|"K" and viscosity_unit
    "Pa.s"|"P"|"gf.s/cm2"); or
law: "cross-wlf", "carreau-yasuda" or "power-law", with params {NAME: value}
    and the window temperatures (FROM, TO) in degC and shear_rates (FROM, TO)
    in 1/s (or texts "FROM:TO").
output: writes a material file there (whole or not at all), with name,
    source and the thermal properties of the material file `base` (the
    window's defaults without it).

Raises InputError (a table, option or base material that cannot be used, or
data that cannot be fitted; the command's message) or FileError (the material
file could not be written).)doc");

    m.def("sensitivity", &Sensitivity, py::arg("inputs") = py::none(), py::kw_only(), py::arg("case") = py::none(),
          py::arg("material") = py::none(), py::arg("step") = 1.0, py::arg("rank_by") = "melting",
          py::arg("decimal_separator") = ".",
          R"doc(Ranks the inputs by their effect, as `tadmor sensitivity` does.

The base case (inputs, case, material, decimal_separator as in run()) is
calculated, then each input the window lets the user edit (with a material
file, each material input too) lowered and raised by `step` % of its value,
one calculation each. The melting is measured by the FLIGHT (turns) where X/W
falls to 0.002 (interpolated within the increment that melted the bed), or by
X/W at the end of the screw when the base case does not melt; the power by
POWER TOT (kW) of the last row.

Returns one row per input, ranked by the size of the elasticity of `rank_by`
("melting" or "power"), those without one last: a pandas DataFrame (a dict of
NumPy arrays without pandas) with the columns input, base, low, high (the
values calculated), "melting elasticity" ((dy/y) / (dx/x), central
difference), "melting low (%)", "melting high (%)" (change of the output at
the low and high value), the same three for "power", and why (the reason an
input has no number: base value 0, melting no longer completes, refused, an
error; empty otherwise). NaN where there is no number.

Raises InputError or CalculationError when the base case is refused or fails.)doc");

    m.def("sweep", &Sweep, py::arg("varied"), py::arg("base") = py::none(), py::kw_only(),
          py::arg("case") = py::none(), py::arg("material") = py::none(), py::arg("jobs") = py::none(),
          py::arg("shard") = py::none(), py::arg("decimal_separator") = ".",
          R"doc(Runs every combination of the varied inputs, as `tadmor sweep` does.

varied: a dict of input names to a list of values or to a text as --vary takes
    it: "FROM:TO:STEP" or "V1,V2,..."; the first input varies slowest.
base: the base case's inputs, as run() takes them; case, material: as in run().
jobs: threads (default: one per processor). shard: (K, N) runs every N-th case
    from case K, as --shard K/N.

Returns the summary, one row per case: a pandas DataFrame when pandas is
installed, else a dict of NumPy arrays. Columns: case (index in the whole
sweep), each varied input, outcome, rows (0 unless completed), "melting
completed at FLIGHT (turns)", "X/W at end (-)", "QS/QT at end (-)", "POWER TOT
at end (kW)", "POWER VIS at end (kW)" (NaN where there is none), message and
warnings (the codes of the case's warnings, separated by spaces).
A case that fails is a row with its outcome and message, not an exception.)doc");
}
