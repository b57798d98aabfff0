// The Python module `tadmor`: the calculation and the sweep of the command,
// with their inputs and results converted to Python types.
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
#include "app/request/Warnings.h"
#include "cli/Export.h"
#include "cli/Materials.h"
#include "cli/RunCommand.h"
#include "cli/Sweep.h"
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
    std::string text = cli::ExactNumber(number);
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
    try {
        return py::module_::import("pandas").attr("DataFrame")(summary);
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_ImportError)) throw;
        for (const char* text : {"outcome", "message", "warnings"}) summary[text] = py::module_::import("numpy").attr("array")(summary[text]);
        return summary;
    }
}

}  // namespace

PYBIND11_MODULE(tadmor, m) {
    m.doc() = R"(The Tadmor melting model of a single-screw extruder.

run() calculates one case, sweep() many. Inputs are named as the command's
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
