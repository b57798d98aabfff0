// The eleven columns of a run's results, in table order: the one table that
// the march records rows from and that the results file, its reader, the CSV
// and JSON exports and the charts take their columns from.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "model/Cal_Main.h"

namespace tadmor {

struct ResultColumn {
    std::string_view heading;                      // as in the results table: "FLIGHT" .. "POWER VIS"
    std::string_view unit;                         // ASCII: "turns", "cm", "-", "degC", "kW"
    std::vector<double> SimulationState::*values;  // the result column, row i at index i
    double SimulationState::*recorded;             // the state value a row records
    int precision;                                 // the results table's fixed-point format (P, D)
    int decimals;
};

inline constexpr std::array<ResultColumn, 11> kResultColumns = {{
    {"FLIGHT", "turns", &SimulationState::ResFlight, &SimulationState::FlightPosition, 5, 2},
    {"DEPTH", "cm", &SimulationState::ResDepth, &SimulationState::ChannelDepth, 5, 3},
    {"X/W", "-", &SimulationState::ResSolidFraction, &SimulationState::SolidFraction, 5, 3},
    {"QS/QT", "-", &SimulationState::ResSolidFlowRatio, &SimulationState::SolidFlowRatio, 5, 3},
    {"TB", "degC", &SimulationState::ResBarrelTemp, &SimulationState::BarrelTemp, 5, 1},
    {"T121", "degC", &SimulationState::ResSolvedMidTemp, &SimulationState::SolvedMidTemp, 5, 1},
    {"TAV", "degC", &SimulationState::ResFilmAvgTemp, &SimulationState::FilmAvgTemp, 5, 1},
    {"FILM", "cm", &SimulationState::ResFilmThickness, &SimulationState::FilmThickness, 6, 4},
    {"1/PSAI", "-", &SimulationState::ResInversePsi, &SimulationState::InversePsi, 5, 1},
    {"POWER TOT", "kW", &SimulationState::ResTotalPower, &SimulationState::TotalPower, 5, 2},
    {"POWER VIS", "kW", &SimulationState::ResViscousPower, &SimulationState::ViscousPower, 5, 2},
}};

inline constexpr int kResultColumnCount = static_cast<int>(kResultColumns.size());

}  // namespace tadmor
