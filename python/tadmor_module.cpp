// The Python module `tadmor`: runs, sweeps, solves, sensitivities and fits,
// typed calls into the libraries with their results as Python types.
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/ExtruderCurve.h"
#include "analysis/Sensitivity.h"
#include "analysis/Solve.h"
#include "analysis/Sweep.h"
#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"
#include "export/ExtruderExport.h"
#include "export/FitReport.h"
#include "export/SensitivityExport.h"
#include "export/SolveExport.h"
#include "export/SweepSummary.h"
#include "inputs/Case.h"
#include "material/FitData.h"
#include "model/InputFields.h"
#include "model/NumberText.h"
#include "model/ResultColumns.h"
#include "report/ReadFile.h"

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
    or a case, material or table file that cannot be used."""

class FitError(InputError):
    """Data or a law that cannot be fitted (the command's exit code 3): too few
    points, terms the data cannot tell apart, a law with a pole in its window,
    a fit that misses the data by more than a factor of two, or a law that
    makes no material file that could run."""

class CalculationError(Error):
    """A run that ended with an arithmetic fault, no convergence or too many
    increments. ``increment`` is the increment where it ended (0 before the
    first), ``flight`` its FLIGHT in turns (None when unknown)."""
    def __init__(self, message, increment=0, flight=None):
        super().__init__(message)
        self.increment = increment
        self.flight = flight

class FileError(Error):
    """A file (results file, material file) that could not be written."""

class Interrupted(KeyboardInterrupt):
    """Ctrl-C (SIGINT) stopped a sweep, a solve or a sensitivity: the
    calculations running then finished, no further one started. ``partial``
    holds what a sweep or a solve curve finished, as the call would have
    returned it (None for a single solve and a sensitivity)."""
    def __init__(self, message, partial):
        super().__init__(message)
        self.message = message
        self.partial = partial
)";

[[noreturn]] void Raise(const char* type, const py::tuple& arguments) {
    const py::object kind = py::module_::import("tadmor").attr(type);
    const py::object error = kind(*arguments);
    PyErr_SetObject(kind.ptr(), error.ptr());
    throw py::error_already_set();
}

py::object FlightOrNone(double flight) {
    return std::isnan(flight) ? py::object(py::none()) : py::object(py::float_(flight));
}

// The one translation of the libraries' errors into the module's exceptions.
void TranslateError(std::exception_ptr pointer) {
    try {
        if (pointer) std::rethrow_exception(pointer);
    } catch (const SimulationError& error) {
        Raise("CalculationError", py::make_tuple(error.what(), error.Increment(), FlightOrNone(error.Flight())));
    } catch (const Error& error) {
        switch (error.Kind()) {
            case ErrorKind::Fit:
                Raise("FitError", py::make_tuple(error.what()));
            case ErrorKind::File:
            case ErrorKind::Plot:
                Raise("FileError", py::make_tuple(error.what()));
            case ErrorKind::Simulation:
                Raise("CalculationError", py::make_tuple(error.what()));
            case ErrorKind::Internal:
                Raise("Error", py::make_tuple(error.what()));
            default:
                Raise("InputError", py::make_tuple(error.what()));
        }
    }
}

[[noreturn]] void RaiseInputError(const std::string& message) { throw Error(ErrorKind::Input, message); }

// Raises the error of a calculation that did not complete.
[[noreturn]] void RaiseFailure(const Calculation& calculation) {
    switch (calculation.outcome) {
        case RequestOutcome::InvalidInput:
            RaiseInputError(calculation.message);
        case RequestOutcome::FileNotWritten:
            throw Error(ErrorKind::File, calculation.message);
        default:
            Raise("CalculationError", py::make_tuple(calculation.message, calculation.errorIncrement,
                                                     FlightOrNone(calculation.errorFlight)));
    }
}

// A number given from Python: an int or float (or a NumPy number), not a bool.
double NumberOf(const py::handle& value, const std::string& what) {
    if (py::isinstance<py::bool_>(value) || py::isinstance(value, py::module_::import("numpy").attr("bool_")))
        throw py::type_error(what + " is a number, not a bool");
    if (py::isinstance<py::str>(value)) throw py::type_error(what + " is a number, not a text");
    try {
        return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
    } catch (const py::error_already_set&) {
        if (py::isinstance<py::int_>(value)) RaiseInputError(what + " is beyond the range of a double");
        throw py::type_error(what + " is a number, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
}

// An input value as the text a field is given: texts as they are, integers
// in full, other numbers as the shortest text that reads back as the same double.
std::string InputText(const py::handle& value, char separator) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) return py::str(value).cast<std::string>();
    return ExactNumber(NumberOf(value, "an input"), separator);
}

char Separator(const std::string& text) {
    if (text != "." && text != ",") RaiseInputError("decimal_separator is \".\" or \",\", not \"" + text + "\"");
    return text[0];
}

std::string PathText(const py::object& path, const char* what) {
    const std::string text = py::str(path).cast<std::string>();
    if (text.empty()) RaiseInputError(std::string(what) + " needs a file name, not an empty text");
    return text;
}

// The case of the arguments: the defaults, the material, the case file, then `inputs`.
inputs::Case CaseOf(const py::object& values, const py::object& casePath, const py::object& material, char separator) {
    inputs::Case given = inputs::DefaultCase(separator);
    if (!material.is_none()) {
        const std::string path = PathText(material, "material");
        inputs::ApplyMaterial(given, material::ReadMaterialFile(path), path);
    }
    if (!casePath.is_none()) inputs::ApplyCaseFile(given, PathText(casePath, "case"));
    if (!values.is_none())
        for (const auto& [name, value] : values.cast<py::dict>())
            inputs::SetInput(given, py::str(name).cast<std::string>(), InputText(value, separator), "inputs");
    return given;
}

int Jobs(const py::object& jobs) {
    if (jobs.is_none()) return analysis::AllProcessors();
    const int count = jobs.cast<int>();
    if (count < 1) RaiseInputError("jobs must be 1 or more, not " + std::to_string(count));
    return count;
}

// Runs `work` with `stop` on a thread of its own, without the GIL, while
// this thread looks for signals every 50 ms: Ctrl-C sets `stop` (no further
// case starts, the running ones finish). True when a signal stopped it; its
// KeyboardInterrupt is then cleared, for the caller's Interrupted.
template <class Work>
bool RunInterruptibly(Work work, analysis::StopFlag& stop) {
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    bool interrupted = false;
    {
        py::gil_scoped_release release;
        std::thread worker(std::move(task));
        while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            if (interrupted) continue;
            py::gil_scoped_acquire acquire;
            if (PyErr_CheckSignals() != 0) {
                PyErr_Clear();
                interrupted = true;
                stop = 1;
            }
        }
        worker.join();
    }
    done.get();  // an exception of the work
    return interrupted;
}

// Raises tadmor.Interrupted with the partial result (None when there is none).
[[noreturn]] void RaiseInterrupted(const std::string& message, const py::object& partial = py::none()) {
    Raise("Interrupted", py::make_tuple(message, partial));
}

// ---- run --------------------------------------------------------------------

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
    for (int i = 0; i < kNumericFieldCount; ++i)
        inputs[py::str(kInputFields[i].variable)] = state.*kInputFields[i].value;
    inputs[py::str(kInputFields[kFieldCount - 1].variable)] = state.ResultFileName;
    return inputs;
}

Result Run(const py::object& values, const py::object& casePath, const py::object& material,
           const py::object& resultsFile, const std::string& decimalSeparator) {
    inputs::Case given = CaseOf(values, casePath, material, Separator(decimalSeparator));
    if (!resultsFile.is_none())
        inputs::SetInput(given, "ResultFileName", PathText(resultsFile, "results_file"), "results_file");
    Calculation calculation;
    std::vector<Warning> warnings;
    {
        py::gil_scoped_release release;
        SilentUi ui;
        calculation = resultsFile.is_none() ? inputs::Calculate(given) : RunRequest(given.texts, given.separator, ui);
        warnings = inputs::AllWarnings(given, calculation);
    }
    if (calculation.outcome != RequestOutcome::Completed) RaiseFailure(calculation);
    const RunSummary summary = Summarize(calculation, warnings);
    const SimulationState& state = calculation.state;
    return Result{summary.outcomeName,
                  calculation.message,
                  std::move(warnings),
                  RowsArray(state),
                  summary.meltingIncrementFlight ? py::object(py::float_(*summary.meltingIncrementFlight))
                                                 : py::object(py::none()),
                  InputsDict(state)};
}

// ---- tables -----------------------------------------------------------------

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

// The rows in the columns of an exported table: integers and numbers as
// NumPy arrays (0 and NaN where empty), texts as lists.
template <class Row>
py::object TableOf(const std::vector<exporting::Column<Row>>& columns, const std::vector<Row>& rows) {
    py::dict table;
    for (const exporting::Column<Row>& column : columns) {
        const std::size_t count = rows.size();
        if (column.type == exporting::CellType::Text) {
            py::list texts;
            for (const Row& row : rows) {
                const exporting::Cell cell = column.cell(row);
                const std::string* text = std::get_if<std::string>(&cell);
                texts.append(text ? *text : std::string());
            }
            table[py::str(column.name)] = texts;
        } else if (column.type == exporting::CellType::Integer) {
            py::array_t<long> values(count);
            for (std::size_t i = 0; i < count; ++i) {
                const exporting::Cell cell = column.cell(rows[i]);
                const long* value = std::get_if<long>(&cell);
                values.mutable_at(i) = value ? *value : 0;
            }
            table[py::str(column.name)] = values;
        } else {
            py::array_t<double> values(count);
            for (std::size_t i = 0; i < count; ++i) {
                const exporting::Cell cell = column.cell(rows[i]);
                double value = NAN;
                if (const double* number = std::get_if<double>(&cell)) value = *number;
                if (const std::string* text = std::get_if<std::string>(&cell)) value = analysis::ValueOf(*text);
                values.mutable_at(i) = value;
            }
            table[py::str(column.name)] = values;
        }
    }
    return Table(table);
}

// ---- sweep ------------------------------------------------------------------

// The values of one varied input: a text as the command's --vary takes them
// ("FROM:TO:STEP" or "V1,V2,..."), or numbers (a list, a range, an array).
analysis::VariedInput VariedOf(const py::handle& name, const py::handle& values) {
    const int field = analysis::VariedField(py::str(name).cast<std::string>(), "sweep");
    if (py::isinstance<py::str>(values)) {
        analysis::VariedInput input = analysis::VariedText(field, values.cast<std::string>());
        analysis::RequireNumbers(input);
        return input;
    }
    std::vector<double> numbers;
    try {
        for (const py::handle value : py::iter(values))
            numbers.push_back(NumberOf(value, "a value of " + std::string(kInputFields[field].variable)));
    } catch (const py::type_error& error) {
        RaiseInputError(error.what());
    }
    return analysis::VariedValues(field, numbers);
}

std::vector<analysis::VariedInput> VariedInputs(const py::dict& varied) {
    std::vector<analysis::VariedInput> inputs;
    for (const auto& [name, values] : varied) inputs.push_back(VariedOf(name, values));
    analysis::CaseCount(inputs);
    return inputs;
}

py::object Sweep(const py::dict& varied, const py::object& base, const py::object& casePath, const py::object& material,
                 const py::object& jobs, const std::optional<std::pair<int, int>>& shard,
                 const std::string& decimalSeparator) {
    analysis::Sweep sweep;
    sweep.base = CaseOf(base, casePath, material, Separator(decimalSeparator));
    sweep.varied = VariedInputs(varied);
    const analysis::Shard part = shard ? analysis::Shard{shard->first, shard->second} : analysis::Shard{};
    const std::vector<analysis::SweepCase> cases = analysis::SweepCases(sweep.varied, part);
    analysis::CaseResults results(cases.size());
    analysis::StopFlag stop = 0;
    const analysis::RunControl control{Jobs(jobs), &stop, nullptr};
    const bool interrupted = RunInterruptibly([&] { analysis::RunSweep(sweep, cases, results, control); }, stop);

    std::vector<exporting::SweepRow> rows;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (results[i]) rows.push_back({&cases[i], &*results[i]});
    py::object summary = TableOf(exporting::SummaryColumns(sweep.varied), rows);
    if (interrupted)
        RaiseInterrupted("the sweep was stopped: " + std::to_string(rows.size()) + " of " +
                             std::to_string(cases.size()) + " cases finished (in .partial)",
                         summary);
    return summary;
}

// ---- solve ------------------------------------------------------------------

// One calculation of a solve, as the command's JSON gives it.
struct SolvePoint {
    double value = 0;  // the input's value
    std::string text;  // the text of it that the calculation was given
    std::string outcome;
    std::string message;
    std::optional<int> rows;
    std::optional<double> meltingFlight, solidFraction, totalPower, viscousPower;
    std::optional<bool> targetMet;
    std::optional<double> notMetAt;            // of a solution or a bracket: the value where the target is not met
    std::vector<std::string> warnings;         // codes of the run's warnings
    std::optional<std::string> failedBetween;  // of a bracket: a failure between its ends
};

struct Solved {
    std::string input;
    std::pair<double, double> range;
    std::string target;
    std::string outcome;
    int calculations = 0, failedCalculations = 0;
    std::vector<SolvePoint> solutions, brackets;
    SolvePoint low, high;
};

SolvePoint PointOf(const analysis::Point& point) {
    const RunSummary& run = point.run;
    SolvePoint result;
    result.value = point.value;
    result.text = point.text;
    result.outcome = run.outcomeName;
    result.message = run.message;
    if (run.outcome != RequestOutcome::Completed) return result;
    result.rows = run.rows;
    result.meltingFlight = run.meltingIncrementFlight;
    result.solidFraction = run.solidFractionAtEnd;
    result.totalPower = run.totalPower.value_or(0);
    result.viscousPower = run.viscousPower.value_or(0);
    result.targetMet = point.met;
    for (const Warning& warning : run.warnings)
        if (std::find(result.warnings.begin(), result.warnings.end(), warning.code) == result.warnings.end())
            result.warnings.push_back(warning.code);
    return result;
}

// A range given as (LO, HI) or as the text "LO:HI".
std::pair<double, double> RangeOf(const py::handle& value) {
    std::pair<double, double> range;
    if (py::isinstance<py::str>(value)) {
        const std::string text = value.cast<std::string>();
        const auto colon = text.find(':');
        const std::optional<double> low = TextToNumber(text.substr(0, colon), '.');
        const std::optional<double> high =
            colon == std::string::npos ? std::nullopt : TextToNumber(text.substr(colon + 1), '.');
        if (!low || !high) RaiseInputError("a range is (LO, HI) or the text \"LO:HI\", not \"" + text + "\"");
        range = {*low, *high};
    } else {
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(value);
        if (py::len(pair) != 2) RaiseInputError("a range is (LO, HI) or the text \"LO:HI\"");
        range = {NumberOf(pair[0], "LO"), NumberOf(pair[1], "HI")};
    }
    if (!std::isfinite(range.first) || !std::isfinite(range.second) || !(range.first < range.second))
        RaiseInputError("a range needs finite LO < HI");
    return range;
}

analysis::Target TargetOf(const py::object& meltedAt, const py::object& xwAtEnd) {
    if (meltedAt.is_none() == xwAtEnd.is_none()) RaiseInputError("give one target: melted_at or xw_at_end");
    if (!meltedAt.is_none() && py::isinstance<py::str>(meltedAt)) {
        const std::string text = meltedAt.cast<std::string>();
        if (text == "end") return {analysis::TargetKind::MeltedAtEnd, 0};
        if (text == "compression-end") return {analysis::TargetKind::MeltedAtCompressionEnd, 0};
        RaiseInputError("melted_at is a FLIGHT, \"compression-end\" or \"end\"");
    }
    const bool flight = !meltedAt.is_none();
    const double value = NumberOf(flight ? meltedAt : xwAtEnd, flight ? "melted_at" : "xw_at_end");
    if (!std::isfinite(value)) RaiseInputError("the target must be a finite number");
    return {flight ? analysis::TargetKind::MeltedAtFlight : analysis::TargetKind::SolidFractionAtEnd, value};
}

py::object Solve(const std::string& input, const py::object& meltedAt, const py::object& xwAtEnd, bool bedWithinChannel,
                 const py::object& range, const py::object& over, const py::object& values, const py::object& casePath,
                 const py::object& material, int intervals, const py::object& jobs,
                 const std::string& decimalSeparator) {
    analysis::SolveProblem problem;
    problem.base = CaseOf(values, casePath, material, Separator(decimalSeparator));
    problem.field = FieldIndexOf(input);
    if (problem.field < 0 || problem.field >= kNumericFieldCount)
        RaiseInputError("no numeric input named \"" + input + "\"" + DidYouMean(input));
    problem.target = TargetOf(meltedAt, xwAtEnd);
    problem.target.bedWithinChannel = bedWithinChannel;
    if (intervals < 1 || intervals > 10000) RaiseInputError("intervals must be from 1 to 10000");
    problem.intervals = intervals;
    std::tie(problem.low, problem.high) =
        range.is_none() ? analysis::DefaultRange(analysis::BaseValue(problem.base, problem.field)) : RangeOf(range);
    analysis::ScannedRange(problem);  // refuses a range too narrow for the input's precision
    analysis::StopFlag stop = 0;
    const analysis::RunControl control{Jobs(jobs), &stop, nullptr};

    if (!over.is_none()) {
        const py::dict second = over.cast<py::dict>();
        if (second.size() != 1) RaiseInputError("over takes one input: {NAME: values}");
        std::optional<analysis::VariedInput> curve;
        for (const auto& [name, overValues] : second) curve = VariedOf(name, overValues);
        const std::vector<analysis::SolveProblem> problems = analysis::OverProblems(problem, *curve);
        std::vector<std::optional<analysis::SolveResult>> results;
        const bool interrupted = RunInterruptibly([&] { analysis::SolveAll(problems, results, control); }, stop);
        std::vector<exporting::CurveRow> rows;
        for (std::size_t i = 0; i < results.size(); ++i)
            if (results[i]) rows.push_back({&curve->values[i], &*results[i], problem.field});
        py::object table = TableOf(exporting::CurveColumns(*curve, problem.field), rows);
        if (interrupted)
            RaiseInterrupted("the solve curve was stopped: " + std::to_string(rows.size()) + " of " +
                                 std::to_string(results.size()) + " values solved (in .partial)",
                             table);
        return table;
    }

    analysis::SolveResult result;
    if (RunInterruptibly([&] { result = analysis::Solve(problem, control); }, stop))
        RaiseInterrupted("the solve was stopped");
    // No calculation ran: the base case itself is at fault, as the low end says.
    if (result.outcome == analysis::SolveOutcome::Refused || result.outcome == analysis::SolveOutcome::Failed) {
        inputs::Case low = problem.base;
        low.texts[problem.field] = analysis::ValueText(problem.field, result.low.value, low.separator);
        RaiseFailure(inputs::Calculate(low));
    }
    Solved solved;
    solved.input = kInputFields[problem.field].variable;
    solved.range = {problem.low, problem.high};
    solved.target = analysis::TargetText(problem.target);
    solved.outcome = analysis::OutcomeName(result.outcome);
    solved.calculations = result.calculations;
    solved.failedCalculations = result.failures;
    for (const analysis::Solution& solution : result.solutions) {
        solved.solutions.push_back(PointOf(solution.met));
        solved.solutions.back().notMetAt = solution.unmet.value;
    }
    for (const analysis::Bracket& bracket : result.brackets) {
        solved.brackets.push_back(PointOf(bracket.met));
        solved.brackets.back().notMetAt = bracket.unmet.value;
        solved.brackets.back().failedBetween = bracket.failure;
    }
    solved.low = PointOf(result.low);
    solved.high = PointOf(result.high);
    return py::cast(std::move(solved));
}

// ---- sensitivity ------------------------------------------------------------

py::object Sensitivity(const py::object& values, const py::object& casePath, const py::object& material, double step,
                       double kelvin, bool coefficients, const std::string& rankBy,
                       const std::string& decimalSeparator) {
    const analysis::SensitivitySteps steps{step, kelvin};
    analysis::CheckSteps(steps);
    const inputs::Case base = CaseOf(values, casePath, material, Separator(decimalSeparator));
    if (rankBy != "melting" && rankBy != "power") RaiseInputError("rank_by is \"melting\" or \"power\"");
    const analysis::Measure measure = rankBy == "power" ? analysis::Measure::Power : analysis::Measure::Melting;
    analysis::SensitivityResult result;
    analysis::StopFlag stop = 0;
    const analysis::RunControl control{analysis::AllProcessors(), &stop, nullptr};
    if (RunInterruptibly(
            [&] {
                result = analysis::Sensitivity(
                    base, analysis::SensitivityInputs(base.material.has_value(), coefficients), steps, control);
            },
            stop))
        RaiseInterrupted("the sensitivity was stopped");
    if (result.base.outcome != RequestOutcome::Completed) RaiseFailure(inputs::Calculate(base));
    return TableOf(exporting::SensitivityColumns(), exporting::RankedRows(result, measure));
}

// ---- fit --------------------------------------------------------------------

struct Fitted {
    py::dict coefficients, standardErrors, fitted, range;
    std::size_t points = 0, temperatures = 0, shearRates = 0;
    double rmsLogError = 0, maxLogError = 0, rmsPercentError = 0, maxPercentError = 0;
    std::pair<double, double> index, sensitivity;
    std::vector<std::string> notes, warnings;
    std::string report;
    std::optional<std::string> materialFile;
};

std::string OptionalText(const py::object& value) {
    return value.is_none() ? std::string() : py::str(value).cast<std::string>();
}

Fitted Fit(const py::object& table, const py::object& temperatureUnit, const py::object& viscosityUnit,
           const py::object& law, const py::object& parameters, const py::object& temperatures,
           const py::object& shearRates, const py::object& output, const py::object& name, const py::object& source,
           const py::object& base) {
    if (table.is_none() == law.is_none())
        RaiseInputError("fit takes either a rheometer table or a law, not both or neither");
    std::optional<material::Material> baseMaterial;
    if (!base.is_none()) baseMaterial = material::ReadBaseMaterial(PathText(base, "base"));
    material::FitData data;
    if (!table.is_none()) {
        if (!parameters.is_none() || !temperatures.is_none() || !shearRates.is_none())
            RaiseInputError("params, temperatures and shear_rates go with a law, not with a table");
        data =
            material::TableData(PathText(table, "table"), {OptionalText(temperatureUnit), OptionalText(viscosityUnit)});
    } else {
        const material::StandardLawInfo* info = material::FindStandardLaw(py::str(law).cast<std::string>());
        if (!info) RaiseInputError("law is \"cross-wlf\", \"carreau-yasuda\" or \"power-law\"");
        if (temperatures.is_none() || shearRates.is_none())
            RaiseInputError(
                "a law needs the window: temperatures (FROM, TO) in degC and shear_rates (FROM, TO) in 1/s");
        material::LawParameters given;
        if (!parameters.is_none())
            for (const auto& [key, value] : parameters.cast<py::dict>())
                given[py::str(key).cast<std::string>()] = NumberOf(value, "a law parameter");
        const auto [tLow, tHigh] = RangeOf(temperatures);
        const auto [rLow, rHigh] = RangeOf(shearRates);
        data = material::LawData(*info, given, {tLow, tHigh, rLow, rHigh});
    }
    material::LawFit fit;
    {
        py::gil_scoped_release release;
        fit = material::FitLaw(data);
    }
    if (!output.is_none())
        material::WriteMaterialFile(
            material::FittedMaterial(fit, data, baseMaterial, OptionalText(name), OptionalText(source)),
            PathText(output, "output"));

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
    result.report = exporting::FitReport(fit, data.description);
    if (!output.is_none()) result.materialFile = py::str(output).cast<std::string>();
    return result;
}

// ---- the whole extruder -----------------------------------------------------

struct ExtruderResult {
    std::string feed;
    py::object operatingPoint;  // dict, or None
    py::object none;            // why there is none, or None
    py::object rows;            // structured array along the screw
    std::vector<Warning> warnings;
    py::object characteristic;  // structured array: the scanned throughputs
    int calculations = 0;
};

// A length or pressure from Python: a number in the default unit, or a text with a unit.
double QuantityArgument(const py::handle& value, double (*parse)(std::string_view, const std::string&),
                        const std::string& what) {
    if (py::isinstance<py::str>(value)) return parse(value.cast<std::string>(), what);
    const double number = NumberOf(value, what);
    if (!std::isfinite(number)) RaiseInputError(what + " must be a finite number");
    return number;
}

// The rows of a table as a NumPy structured array, numbers only.
template <class Row>
py::object StructuredArray(const std::vector<exporting::Column<Row>>& columns, const std::vector<Row>& rows) {
    const py::ssize_t count = static_cast<py::ssize_t>(rows.size());
    py::array_t<double> table({count, static_cast<py::ssize_t>(columns.size())});
    auto cells = table.mutable_unchecked<2>();
    py::list fields;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        fields.append(py::make_tuple(columns[c].name.substr(0, columns[c].name.rfind(" (")), "<f8"));
        for (py::ssize_t r = 0; r < count; ++r) {
            const exporting::Cell cell = columns[c].cell(rows[r]);
            const double* number = std::get_if<double>(&cell);
            cells(r, c) = number ? *number : NAN;
        }
    }
    const py::object dtype = py::module_::import("numpy").attr("dtype")(fields);
    return table.attr("view")(dtype).attr("reshape")(count);
}

py::object Extruder(const py::object& values, const std::string& die, const py::object& casePath,
                    const py::object& material, const py::object& clearance, const py::object& startPressure,
                    const py::object& meltLimit, const std::string& feed, const py::object& range, int intervals,
                    const py::object& over, const py::object& jobs, const std::string& decimalSeparator) {
    const inputs::Case given = CaseOf(values, casePath, material, Separator(decimalSeparator));
    extruder::ExtruderInputs inputs;
    inputs.flightClearance = QuantityArgument(clearance, &extruder::ParseLength, "clearance");
    inputs.startPressure = QuantityArgument(startPressure, &extruder::ParsePressure, "start_pressure");
    if (!meltLimit.is_none()) inputs.meltTemperatureLimit = NumberOf(meltLimit, "melt_temperature_limit");
    inputs.die = extruder::ParseDie(
        die, [](const std::string& path) { return ReadRegularFile(path, ErrorKind::Input, "die table"); });
    extruder::CheckExtruderInputs(inputs);
    if (feed != "flood" && feed != "given") RaiseInputError("feed is \"flood\" or \"given\"");
    if (intervals < 1 || intervals > 1000) RaiseInputError("intervals must be from 1 to 1000");
    extruder::ThroughputScan scan;
    scan.intervals = intervals;
    if (!range.is_none()) std::tie(scan.low, scan.high) = RangeOf(range);
    analysis::StopFlag stop = 0;
    const analysis::RunControl control{Jobs(jobs), &stop, nullptr};

    if (!over.is_none()) {
        if (feed != "flood") RaiseInputError("over finds operating points: feed=\"flood\"");
        const py::dict second = over.cast<py::dict>();
        if (second.size() != 1) RaiseInputError("over takes one input: {NAME: values}");
        std::optional<analysis::VariedInput> curve;
        for (const auto& [name, overValues] : second) curve = VariedOf(name, overValues);
        std::vector<std::optional<extruder::OperatingPointSearch>> results;
        const bool interrupted =
            RunInterruptibly([&] { analysis::OperatingPoints(given, inputs, *curve, scan, results, control); }, stop);
        std::vector<exporting::OperatingPointRow> rows;
        for (std::size_t i = 0; i < results.size(); ++i)
            if (results[i]) rows.push_back({&curve->values[i], &*results[i]});
        py::object table = TableOf(exporting::OperatingPointColumns(*curve), rows);
        if (interrupted)
            RaiseInterrupted("the curve was stopped: " + std::to_string(rows.size()) + " of " +
                                 std::to_string(results.size()) + " values searched (in .partial)",
                             table);
        return table;
    }

    exporting::ExtruderAnswer answer;
    answer.floodFed = feed == "flood";
    const bool interrupted = RunInterruptibly(
        [&] {
            if (answer.floodFed)
                answer.search =
                    extruder::FindOperatingPoint(given.texts, given.separator, inputs, scan, {nullptr, &stop});
            else
                answer.calculation = extruder::CalculateExtruder(given.texts, given.separator, inputs);
        },
        stop);
    if (interrupted) RaiseInterrupted("the search for the operating point was stopped");
    const extruder::ExtruderCalculation* reported = exporting::Reported(answer);
    // Melting inputs refused or failing raise as run() does.
    const Calculation base = reported ? reported->calculation : inputs::Calculate(given);
    if (base.outcome != RequestOutcome::Completed) RaiseFailure(base);
    if (reported) {
        answer.warnings = inputs::AllWarnings(given, reported->calculation);
        if (reported->run)
            answer.warnings.insert(answer.warnings.end(), reported->run->warnings.begin(),
                                   reported->run->warnings.end());
    }
    // The operating point as the command's JSON gives it.
    const py::object document =
        py::module_::import("json").attr("loads")(exporting::ExtruderJson(given, inputs, answer));
    ExtruderResult result;
    result.feed = feed;
    result.operatingPoint = document[answer.floodFed ? "operatingPoint" : "atThroughput"];
    if (!answer.floodFed && document.contains("atThroughput") == false) result.operatingPoint = py::none();
    result.none = document["none"];
    result.rows = StructuredArray(exporting::ProfileColumns(), reported ? exporting::ProfileRows(*reported)
                                                                        : std::vector<exporting::ProfileRowOf>{});
    result.warnings = answer.warnings;
    if (answer.search) {
        result.calculations = answer.search->calculations;
        const py::ssize_t count = static_cast<py::ssize_t>(answer.search->scan.size());
        py::array_t<double> points({count, py::ssize_t{3}});
        auto cells = points.mutable_unchecked<2>();
        for (py::ssize_t i = 0; i < count; ++i) {
            const extruder::CharacteristicPoint& point = answer.search->scan[i];
            cells(i, 0) = point.throughput;
            cells(i, 1) = point.solved ? point.tipPressure : NAN;
            cells(i, 2) = point.solved ? point.dieDrop : NAN;
        }
        py::list fields;
        for (const char* name : {"throughput", "tip_pressure", "die_drop"}) fields.append(py::make_tuple(name, "<f8"));
        result.characteristic =
            points.attr("view")(py::module_::import("numpy").attr("dtype")(fields)).attr("reshape")(count);
    } else {
        result.characteristic = py::none();
    }
    return py::cast(std::move(result));
}

// Pickling (and so copy.copy, copy.deepcopy and process pools) of a result
// type: its state is the tuple of `members`, restored in the same order.
template <class T, class... Member>
auto Picklable(Member T::*... members) {
    return py::pickle([=](const T& value) { return py::make_tuple(value.*members...); },
                      [=](const py::tuple& state) {
                          if (state.size() != sizeof...(members))
                              throw std::runtime_error("not a pickled tadmor result");
                          T value;
                          std::size_t i = 0;
                          ((value.*members = state[i++].template cast<std::remove_cvref_t<decltype(value.*members)>>()),
                           ...);
                          return value;
                      });
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
    py::register_exception_translator(TranslateError);

    py::list inputFields;
    for (const InputField& field : kInputFields)
        inputFields.append(py::make_tuple(field.variable, inputs::FieldCaption(field), field.defaultText));
    m.attr("INPUTS") = py::tuple(inputFields);
    py::list columns;
    for (const ResultColumn& column : kResultColumns) columns.append(py::make_tuple(column.heading, column.unit));
    m.attr("RESULT_COLUMNS") = py::tuple(columns);

    py::class_<Warning>(m, "Warning", "A diagnostic of a completed run; it changes no result.")
        .def(Picklable(&Warning::code, &Warning::message, &Warning::where))
        .def_readonly("code", &Warning::code, "Stable code, e.g. \"bed-wider-than-channel\".")
        .def_readonly("message", &Warning::message, "What is wrong and what it means.")
        .def_readonly("where", &Warning::where, "\"FLIGHT 14.05 to 17.50\", \"input ScrewDiameter\", or empty.")
        .def("__str__", &WarningLine)
        .def("__repr__", [](const Warning& warning) { return "<tadmor.Warning " + warning.code + ">"; });

    py::class_<Result>(m, "Result", "A completed run.")
        .def(Picklable(&Result::outcome, &Result::message, &Result::warnings, &Result::rows,
                       &Result::meltingCompletedAt, &Result::inputs))
        .def_readonly("outcome", &Result::outcome, "\"melting completed\" or \"end of screw\".")
        .def_readonly("message", &Result::message, "Empty for a completed run.")
        .def_readonly("warnings", &Result::warnings,
                      "The run's warnings (tadmor.Warning): where it leaves the ground the model stands on. They never "
                      "change a result.")
        .def_readonly("rows", &Result::rows,
                      R"(The recorded rows: a NumPy structured array, one row per increment, with the fields
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
        .def(Picklable(&SolvePoint::value, &SolvePoint::text, &SolvePoint::outcome, &SolvePoint::message,
                       &SolvePoint::rows, &SolvePoint::meltingFlight, &SolvePoint::solidFraction,
                       &SolvePoint::totalPower, &SolvePoint::viscousPower, &SolvePoint::targetMet,
                       &SolvePoint::notMetAt, &SolvePoint::warnings, &SolvePoint::failedBetween))
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
                      "target is not met; of a bracket: its other end.")
        .def_readonly("failed_between", &SolvePoint::failedBetween,
                      "Of a bracket: the outcome and message of a calculation between its ends that failed; None "
                      "otherwise.")
        .def("__repr__",
             [](const SolvePoint& point) { return "<tadmor.SolvePoint " + point.text + ": " + point.outcome + ">"; });

    py::class_<Solved>(m, "SolveResult", "What solve() found.")
        .def(Picklable(&Solved::input, &Solved::range, &Solved::target, &Solved::outcome, &Solved::calculations,
                       &Solved::failedCalculations, &Solved::solutions, &Solved::brackets, &Solved::low, &Solved::high))
        .def_readonly("input", &Solved::input, "The input solved for.")
        .def_readonly("range", &Solved::range, "(LO, HI), the range scanned.")
        .def_readonly("target", &Solved::target, "The target in words.")
        .def_readonly("outcome", &Solved::outcome,
                      "\"solved\", \"no solution\" (met nowhere), \"met throughout\" (met at every value that "
                      "calculates) or \"bracket\" (crossed only across failing calculations).")
        .def_readonly("calculations", &Solved::calculations, "The number of calculations.")
        .def_readonly("failed_calculations", &Solved::failedCalculations,
                      "The calculations among them that were refused or failed.")
        .def_readonly("solutions", &Solved::solutions,
                      "A SolvePoint per crossing of the target between neighbouring values, in the order of the "
                      "value: where the target is still met.")
        .def_readonly("brackets", &Solved::brackets,
                      "A SolvePoint per crossing across failing calculations (not a solution): the end where the "
                      "target is met, not_met_at the other end, failed_between a failure between them.")
        .def_readonly("low", &Solved::low, "The calculation at LO.")
        .def_readonly("high", &Solved::high, "The calculation at HI.")
        .def("__repr__", [](const Solved& solved) {
            return "<tadmor.SolveResult " + solved.input + ": " + std::to_string(solved.solutions.size()) +
                   " solutions, " + std::to_string(solved.calculations) + " calculations>";
        });

    m.def("solve", &Solve, py::arg("input"), py::kw_only(), py::arg("melted_at") = py::none(),
          py::arg("xw_at_end") = py::none(), py::arg("bed_within_channel") = false, py::arg("range") = py::none(),
          py::arg("over") = py::none(), py::arg("inputs") = py::none(), py::arg("case") = py::none(),
          py::arg("material") = py::none(), py::arg("intervals") = 20, py::arg("jobs") = py::none(),
          py::arg("decimal_separator") = ".",
          R"doc(Finds the value of `input` at which a target is met, as `tadmor solve` does.

input: the input solved for, e.g. "OutputRate".
melted_at: a FLIGHT (melting completes by then; FLIGHTs compared at two
    decimals, as the results show them), "compression-end" (by the end of the
    compression zone) or "end" (by the end of the screw; for OutputRate the
    melting capacity); or xw_at_end: X/W at the end at most this. Exactly one
    of the two. bed_within_channel=True adds X/W never above 1 (no
    bed-wider-than-channel warning).
range: (LO, HI) or "LO:HI"; default a quarter to twice the base value. Its
    ends are rounded inward to the input's precision (one unit of its last
    decimal); a range holding fewer than two such values raises InputError.
    It is scanned in `intervals` steps (geometric ones when its ends have one
    sign and differ by a factor of 1000 or more) and every crossing bisected
    down to neighbouring values; calculations that fail are searched around.
inputs, case, material, decimal_separator: the base case, as in run().

Returns a SolveResult: its outcome, solutions (each the value where the
target is still met, with its result and warnings), brackets (crossings only
across failing calculations: not solutions), calculations, and the
calculations at both ends. No solution in the range ("no solution", "met
throughout" or "bracket": the command's exit code 7) is a result, not an
exception; when no calculation in the range completes, the base case is at
fault and the low end's error is raised (InputError, CalculationError).

over: {NAME: values} (a list, or a text "FROM:TO:STEP" or "V1,V2,...") solves
at each value of a second input (not `input` itself), on `jobs` threads, and
returns the curve instead: one row per value with the columns of the
command's CSV (NAME, the input, outcome, solutions, "melting completed at
FLIGHT (turns)", "X/W at end (-)", "POWER TOT (kW)", "POWER VIS (kW)",
calculations, message, warnings; the largest solution, NaN where none), as
a pandas DataFrame, or a dict of NumPy arrays without pandas.
Ctrl-C stops it as it stops sweep(), with the values solved in .partial.)doc");

    py::class_<Fitted>(m, "FitResult", "The viscosity law fitted by fit().")
        .def(Picklable(&Fitted::coefficients, &Fitted::standardErrors, &Fitted::fitted, &Fitted::range, &Fitted::points,
                       &Fitted::temperatures, &Fitted::shearRates, &Fitted::rmsLogError, &Fitted::maxLogError,
                       &Fitted::rmsPercentError, &Fitted::maxPercentError, &Fitted::index, &Fitted::sensitivity,
                       &Fitted::notes, &Fitted::warnings, &Fitted::report, &Fitted::materialFile))
        .def_readonly("coefficients", &Fitted::coefficients,
                      "ViscA0 ... ViscA12 of ln(eta in gf.s/cm2) = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T, "
                      "T in degC, L = ln(shear rate in 1/s).")
        .def_readonly("standard_errors", &Fitted::standardErrors,
                      "Standard error of each coefficient; NaN when not fitted or not known.")
        .def_readonly("fitted", &Fitted::fitted, "False for a coefficient left at 0: the data cannot determine it.")
        .def_readonly("points", &Fitted::points)
        .def_readonly("temperatures", &Fitted::temperatures,
                      "Distinct temperatures of the data; those less than 0.1 degC apart count as one.")
        .def_readonly("shear_rates", &Fitted::shearRates,
                      "Distinct shear rates of the data; those less than 1 % apart count as one.")
        .def_readonly(
            "range", &Fitted::range,
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
        .def("__repr__",
             [](const Fitted& fit) { return "<tadmor.FitResult " + std::to_string(fit.points) + " points>"; });

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
    source and the thermal properties of the material file `base` (the seven
    thermal properties, with or without a law; the window's defaults without
    it).

Raises InputError (a table, option, law parameter or base material that
cannot be used), FitError (data or a law that cannot be fitted, or a law that
makes no material file that could run, as data at one temperature give) or
FileError (the material file could not be written), each with the command's
message.)doc");

    m.def("sensitivity", &Sensitivity, py::arg("inputs") = py::none(), py::kw_only(), py::arg("case") = py::none(),
          py::arg("material") = py::none(), py::arg("step") = 1.0, py::arg("kelvin") = 1.0,
          py::arg("coefficients") = false, py::arg("rank_by") = "melting", py::arg("decimal_separator") = ".",
          R"doc(Ranks the inputs by their effect, as `tadmor sensitivity` does.

The base case (inputs, case, material, decimal_separator as in run()) is
calculated, then each input the window lets the user edit lowered and raised,
one calculation each: a temperature (BarrelC0, SolidTemp, MeltingPoint) by
`kelvin` K, any other input by `step` % of its value. With a material, each
material input too, the viscosity law as three factors at the melting point
and the base case's mean film shear rate, each by `step` %: ViscosityLevel
(the viscosity there, Pa s), PowerLawIndex (its local n) and
ViscosityTempSensitivity (its b = -d ln eta / dT, 1/degC), the other two and
(for n and b) the viscosity there kept. coefficients=True adds the six
coefficients ViscA0 ... ViscA12. Both steps are above 0 and at most 100.

The melting is measured by the FLIGHT (turns) where X/W falls to 0.002
(interpolated within the increment that melted the bed), or by X/W at the
end of the screw when the base case does not melt; the power by POWER TOT
(kW) of the last row.

Returns one row per input, ranked by the change of `rank_by` ("melting" or
"power") across the input's step, those without a number last: a pandas
DataFrame (a dict of NumPy arrays without pandas) with the columns input,
change ("relative" or "kelvin"), unit ("elasticity" or "% per K"), base, low,
high (the values calculated), "melting sensitivity" (central difference: the
elasticity (dy/y) / (dx/x), or % change of the output per K), "melting low
(%)", "melting high (%)" (change of the output at the low and high value),
"melting why" (the reason there is no number: base value 0, melting no
longer completes, refused, an error, a step below the resolution of X/W at
the end or POWER TOT; empty otherwise), and the same four for "power". NaN
where there is no number. The rows equal the command's --format json.

Raises InputError for a step out of range, InputError or CalculationError
when the base case is refused or fails.)doc");

    m.def("sweep", &Sweep, py::arg("varied"), py::arg("base") = py::none(), py::kw_only(), py::arg("case") = py::none(),
          py::arg("material") = py::none(), py::arg("jobs") = py::none(), py::arg("shard") = py::none(),
          py::arg("decimal_separator") = ".",
          R"doc(Runs every combination of the varied inputs, as `tadmor sweep` does.

varied: a dict of input names to their values: a list (or range, or NumPy
    array) of numbers, or a text as --vary takes it: "FROM:TO:STEP" or
    "V1,V2,..."; the first input varies slowest. Every value is checked before
    the first case.
base: the base case's inputs, as run() takes them; case, material: as in run().
jobs: threads (default: one per processor; at least 1). shard: (K, N) runs
    every N-th case from case K, as --shard K/N.

Returns the summary, one row per case: a pandas DataFrame when pandas is
installed, else a dict of NumPy arrays. Columns: case (index in the whole
sweep), each varied input, outcome, rows (0 unless completed), "melting
completed at FLIGHT (turns)" (of the increment), "X/W at end (-)" and "QS/QT
at end (-)" (0 when melting completed), "POWER TOT at end (kW)", "POWER VIS
at end (kW)" (of the last row; NaN where there is none), message and warnings
(the codes of the case's warnings, separated by spaces). A case that fails is
a row with its outcome and message, not an exception.

Ctrl-C stops it: the running cases finish, and tadmor.Interrupted (a
KeyboardInterrupt) is raised with the finished cases in .partial.)doc");

    py::class_<ExtruderResult>(m, "ExtruderResult",
                               "The whole extruder at its operating point or at a throughput given.")
        .def(Picklable(&ExtruderResult::feed, &ExtruderResult::operatingPoint, &ExtruderResult::none,
                       &ExtruderResult::rows, &ExtruderResult::warnings, &ExtruderResult::characteristic,
                       &ExtruderResult::calculations))
        .def_readonly("feed", &ExtruderResult::feed, "\"flood\" (the operating point) or \"given\" (OutputRate).")
        .def_readonly("operating_point", &ExtruderResult::operatingPoint,
                      "dict of OutputRate (kg/hr), ScrewSpeed (rpm), pressure (MPa at the tip), dieDrop (MPa), "
                      "meltTemperature (degC at the tip), drivePower (kW), specificEnergy (kWh/kg), residenceTime "
                      "(s), barrelHeat (kW), pressureWork (kW), meltingComplete; None when there is none.")
        .def_readonly("none", &ExtruderResult::none, "Why there is no operating point, or None.")
        .def_readonly("rows", &ExtruderResult::rows,
                      "The increments along the screw: a NumPy structured array with FLIGHT, DEPTH, X/W, P (MPa), "
                      "TM (degC), the powers (kW) and, on the melting rows, the melting columns (NaN elsewhere).")
        .def_readonly("warnings", &ExtruderResult::warnings, "Of the melting run and of the melt conveying.")
        .def_readonly("characteristic", &ExtruderResult::characteristic,
                      "The scanned throughputs (flood fed): throughput, tip_pressure, die_drop; None when given.")
        .def_readonly("calculations", &ExtruderResult::calculations, "Melting marches run by the search.")
        .def("__repr__", [](const ExtruderResult& result) {
            return std::string("<tadmor.ExtruderResult ") +
                   (result.operatingPoint.is_none() ? "no operating point" : result.feed) + ">";
        });

    m.def("extruder", &Extruder, py::arg("inputs") = py::none(), py::kw_only(), py::arg("die"),
          py::arg("case") = py::none(), py::arg("material") = py::none(), py::arg("clearance") = 0,
          py::arg("start_pressure") = 0, py::arg("melt_temperature_limit") = py::none(), py::arg("feed") = "flood",
          py::arg("range") = py::none(), py::arg("intervals") = 20, py::arg("over") = py::none(),
          py::arg("jobs") = py::none(), py::arg("decimal_separator") = ".",
          R"doc(The whole extruder, as `tadmor extruder` calculates it (docs/extruder.md).

inputs, case, material, decimal_separator: the melting inputs, as in run().
die: "capillary:D=0.5,L=5", "slit:W=10,H=0.2,L=3", "annulus:Do=2,Di=1.6,L=4"
    (cm, or mm or m after the number) or "table:FILE".
clearance: flight clearance, cm (or a text with mm, cm or m); start_pressure:
    MPa at the start of melting (or a text with MPa, bar, kPa or Pa);
    melt_temperature_limit: degC, warned of above it.
feed: "flood" finds the operating point, the throughput at which the
    pressure the screw builds at its tip equals the die's need, scanning
    `range` (kg/hr; default 2 % to 150 % of the drag flow) in `intervals`;
    "given" calculates at OutputRate.
over: {NAME: values} gives the operating point at each value of a second
    input, on `jobs` threads, as a DataFrame (the command's --over CSV).

Returns an ExtruderResult. Raises InputError, CalculationError as run()
does; tadmor.Interrupted on Ctrl-C.)doc");
}
