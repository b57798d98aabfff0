#include "app/studio/Compare.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "extruder/Die.h"
#include "model/NumberText.h"

namespace tadmor::studio {

namespace {

constexpr const char* kNone = "–";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Number(std::optional<double> value, int decimals) {
    return value ? NumberText(*value, decimals) : std::string(kNone);
}

std::string Change(const std::string& name, const std::string& from, const std::string& to,
                   const std::string& unit = "") {
    return name + " " + from + " → " + to + (unit.empty() ? "" : " " + unit);
}

}  // namespace

std::vector<std::string> DifferingInputs(const LiveResult& pinned, const LiveResult& current) {
    std::vector<std::string> changes;
    const inputs::Case &a = pinned.inputs, &b = current.inputs;
    for (int field = 0; field < kNumericFieldCount; ++field) {
        const std::string from = Trimmed(a.texts[field]), to = Trimmed(b.texts[field]);
        const std::optional<double> x = TextToNumber(from, a.separator), y = TextToNumber(to, b.separator);
        if (x && y ? *x == *y : from == to) continue;
        const InputField& f = kInputFields[field];
        changes.push_back(Change(std::string(f.variable), from, to, std::string(f.unit)));
    }

    const auto& e = pinned.extruderInputs;
    const auto& g = current.extruderInputs;
    if (!e || !g) {
        if (e || g)
            changes.push_back(Change("die", e ? extruder::DieDescription(e->die) : "none",
                                     g ? extruder::DieDescription(g->die) : "none"));
        return changes;
    }
    if (const std::string from = extruder::DieDescription(e->die), to = extruder::DieDescription(g->die); from != to)
        changes.push_back(Change("die", from, to));
    const auto number = [&](const std::string& name, double x, double y, const std::string& unit) {
        if (x != y) changes.push_back(Change(name, SignificantNumber(x, 6), SignificantNumber(y, 6), unit));
    };
    number("FlightClearance", e->flightClearance, g->flightClearance, "cm");
    number("StartPressure", e->startPressure, g->startPressure, "MPa");
    if (e->meltTemperatureLimit != g->meltTemperatureLimit) {
        const auto text = [](std::optional<double> limit) { return limit ? SignificantNumber(*limit, 6) : "none"; };
        changes.push_back(
            Change("melt temperature limit", text(e->meltTemperatureLimit), text(g->meltTemperatureLimit), "°C"));
    }
    if (e->adiabaticBarrel != g->adiabaticBarrel)
        changes.push_back(
            Change("barrel", e->adiabaticBarrel ? "adiabatic" : "heated", g->adiabaticBarrel ? "adiabatic" : "heated"));
    return changes;
}

CompareTable CompareTableOf(const std::vector<std::shared_ptr<const LiveResult>>& pinned,
                            const std::shared_ptr<const LiveResult>& current) {
    std::vector<const LiveResult*> cases;
    CompareTable table;
    for (std::size_t k = 0; k < pinned.size(); ++k) {
        cases.push_back(pinned[k].get());
        table.columns.push_back("Pinned " + std::to_string(k + 1));
    }
    if (current) {
        cases.push_back(current.get());
        table.columns.push_back("Current");
    }

    // The differing inputs: one per row, as many rows as the case with most.
    std::vector<std::vector<std::string>> changes;
    std::size_t most = 0;
    for (const LiveResult* c : cases) {
        changes.push_back(current && c != current.get() ? DifferingInputs(*c, *current) : std::vector<std::string>{});
        if (c != current.get() && changes.back().empty()) changes.back().push_back("no difference");
        most = std::max(most, changes.back().size());
    }
    for (std::size_t row = 0; row < most; ++row) {
        table.rows.push_back(row == 0 ? "Inputs (pinned → current)" : "");
        std::vector<std::string> cells;
        for (const auto& list : changes) cells.push_back(row < list.size() ? list[row] : "");
        table.cells.push_back(std::move(cells));
    }
    table.inputRows = static_cast<int>(most);

    const auto add = [&](const std::string& name, const std::function<std::string(const LiveResult&)>& value) {
        table.rows.push_back(name);
        std::vector<std::string> cells;
        for (const LiveResult* c : cases) cells.push_back(value(*c));
        table.cells.push_back(std::move(cells));
    };
    add("Outcome", [](const LiveResult& r) { return r.summary.outcomeName; });
    add("Melted at FLIGHT", [](const LiveResult& r) {
        if (r.summary.meltingIncrementFlight) return NumberText(*r.summary.meltingIncrementFlight, 2);
        return std::string(r.calculation.outcome == RequestOutcome::Completed ? "solid left" : kNone);
    });
    add("X/W at the end", [](const LiveResult& r) { return Number(r.summary.solidFractionAtEnd, 3); });
    add("QS/QT at the end", [](const LiveResult& r) { return Number(r.summary.solidFlowRatioAtEnd, 3); });
    add("POWER TOT (kW)", [](const LiveResult& r) { return Number(r.summary.totalPower, 2); });
    add("POWER VIS (kW)", [](const LiveResult& r) { return Number(r.summary.viscousPower, 2); });

    if (std::none_of(cases.begin(), cases.end(), [](const LiveResult* c) { return c->extruderInputs.has_value(); }))
        return table;
    const auto run = [&](const std::string& name, double extruder::ExtruderRun::*value, int decimals) {
        add(name, [=](const LiveResult& r) {
            return r.extruder ? NumberText((*r.extruder).*value, decimals) : std::string(kNone);
        });
    };
    run("Throughput (kg/hr)", &extruder::ExtruderRun::throughput, 1);
    run("Pressure at the die (MPa)", &extruder::ExtruderRun::tipPressure, 2);
    run("Die needs (MPa)", &extruder::ExtruderRun::dieDrop, 2);
    run("Melt temperature at the die (°C)", &extruder::ExtruderRun::meltTemperature, 1);
    run("Drive power (kW)", &extruder::ExtruderRun::drivePower, 2);
    run("Specific energy (kWh/kg)", &extruder::ExtruderRun::specificEnergy, 3);
    return table;
}

charts::Chart WithPinnedCurves(charts::Chart chart, const std::vector<std::shared_ptr<const LiveResult>>& pinned) {
    for (const auto& result : pinned)
        if (result && result->calculation.outcome == RequestOutcome::Completed)
            chart = WithFaintCurves(std::move(chart), result->melting);
    return chart;
}

}  // namespace tadmor::studio
