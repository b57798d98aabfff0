#include "cli/SensitivityCommand.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include "cli/Export.h"
#include "model/NumberText.h"

namespace tadmor::cli {

using analysis::Change;
using analysis::InputResponse;
using analysis::Measure;
using analysis::Response;
using analysis::SensitivityResult;

namespace {

constexpr Measure kMeasures[] = {Measure::Melting, Measure::Power};

// The base case in words.
std::string BaseText(const Response& base) {
    if (base.outcome != RequestOutcome::Completed) return OutcomeName(base.outcome, {}) + ": " + base.message;
    return (base.meltedFlight ? "melted at FLIGHT " + NumberText(*base.meltedFlight, 3) + " (within its increment)"
                              : "X/W " + NumberText(base.solidFraction, 3) + " left at the end of the screw") +
           ", POWER TOT " + NumberText(base.totalPower, 2) + " kW";
}

std::string PercentText(double percent) { return ExactNumber(percent) + " %"; }

nlohmann::json ChangeJson(const Change& change) {
    if (!change.elasticity) return {{"why", change.why}};
    return {{"lowPercent", *change.lowPercent}, {"highPercent", *change.highPercent}, {"elasticity", *change.elasticity}};
}

}  // namespace

std::vector<int> SensitivityFields(bool withMaterial) {
    std::vector<int> fields;
    for (int i = 0; i < kNumericFieldCount; ++i)
        if (kInputFields[i].editable || withMaterial) fields.push_back(i);
    return fields;
}

std::vector<const InputResponse*> Ranked(const SensitivityResult& result, Measure measure) {
    std::vector<std::pair<const InputResponse*, std::optional<double>>> inputs;
    for (const InputResponse& input : result.inputs)
        inputs.emplace_back(&input, ChangeOf(result, input, measure).elasticity);
    std::stable_sort(inputs.begin(), inputs.end(), [](const auto& a, const auto& b) {
        if (!a.second || !b.second) return a.second.has_value() && !b.second.has_value();
        return std::fabs(*a.second) > std::fabs(*b.second);
    });
    std::vector<const InputResponse*> ranked;
    for (const auto& input : inputs) ranked.push_back(input.first);
    return ranked;
}

std::string MeasureName(const SensitivityResult& result, Measure measure) {
    if (measure == Measure::Power) return "POWER TOT (kW)";
    return result.base.meltedFlight ? "FLIGHT where melting completed (turns)" : "X/W at the end of the screw (-)";
}

std::string SensitivityText(const SensitivityResult& result, Measure rankBy) {
    std::string text = "Base case: " + BaseText(result.base) + "\n";
    if (result.base.outcome != RequestOutcome::Completed) return text;
    text += "Elasticity = (relative change of the output) / (relative change of the input), each input lowered\n"
            "and raised by " + PercentText(result.percent) + " of its value; ranked by " +
            MeasureName(result, rankBy) + ".\n\n";
    const auto padded = [](std::string cell, std::size_t width) {
        return cell + std::string(width > cell.size() ? width - cell.size() : 1, ' ');
    };
    text += padded("input", 18) + padded("base value", 14) +
            padded(result.base.meltedFlight ? "FLIGHT melted" : "X/W at end", 15) + "POWER TOT\n";
    for (const InputResponse* input : Ranked(result, rankBy)) {
        std::string line = padded(std::string(kInputFields[input->field].variable), 18) +
                           padded(ExactNumber(input->base), 14);
        std::vector<std::string> whys;
        for (const Measure measure : kMeasures) {
            const Change change = ChangeOf(result, *input, measure);
            line += padded(change.elasticity ? NumberText(*change.elasticity, 4) : "-", 15);
            if (!change.why.empty() && std::find(whys.begin(), whys.end(), change.why) == whys.end())
                whys.push_back(change.why);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        for (const std::string& why : whys) line += "   " + why;
        text += line + "\n";
    }
    return text + "\n" + std::to_string(result.calculations) + " calculations\n";
}

std::string SensitivityJson(const SensitivityResult& result, Measure rankBy) {
    nlohmann::json base = {{"outcome", OutcomeName(result.base.outcome, {})}};
    if (result.base.outcome == RequestOutcome::Completed) {
        base["outcome"] = result.base.meltedFlight ? "melting completed" : "end of screw";
        base["meltedFlight"] = result.base.meltedFlight ? nlohmann::json(*result.base.meltedFlight) : nlohmann::json();
        base["solidFractionAtEnd"] = result.base.solidFraction;
        base["totalPower"] = result.base.totalPower;
    } else {
        base["message"] = result.base.message;
    }
    nlohmann::json inputs = nlohmann::json::array();
    for (const InputResponse* input : Ranked(result, rankBy))
        inputs.push_back({{"input", kInputFields[input->field].variable},
                          {"base", input->base},
                          {"low", input->low},
                          {"high", input->high},
                          {"melting", ChangeJson(ChangeOf(result, *input, Measure::Melting))},
                          {"power", ChangeJson(ChangeOf(result, *input, Measure::Power))}});
    const nlohmann::json json = {{"percent", result.percent},
                                 {"melting", MeasureName(result, Measure::Melting)},
                                 {"power", MeasureName(result, Measure::Power)},
                                 {"rankedBy", rankBy == Measure::Power ? "power" : "melting"},
                                 {"base", base},
                                 {"calculations", result.calculations},
                                 {"inputs", inputs}};
    return json.dump(2) + "\n";
}

TornadoChart SensitivityChart(const SensitivityResult& result, Measure measure) {
    TornadoChart chart;
    const std::string name = MeasureName(result, measure);
    chart.title = "Sensitivity of " + name.substr(0, name.rfind(" ("));
    chart.subtitle = "base case: " + BaseText(result.base);
    chart.xLabel = "change of " + name.substr(0, name.rfind(" (")) + " (% of its base value)";
    chart.lowName = "input lowered by " + PercentText(result.percent);
    chart.highName = "input raised by " + PercentText(result.percent);
    for (const InputResponse* input : Ranked(result, measure)) {
        const Change change = ChangeOf(result, *input, measure);
        chart.rows.push_back({std::string(kInputFields[input->field].variable), change.lowPercent,
                              change.highPercent, change.why});
    }
    chart.note = std::to_string(result.calculations) + " calculations; elasticity = (raised - lowered) / (2 x " +
                 PercentText(result.percent) + ")";
    return chart;
}

}  // namespace tadmor::cli
