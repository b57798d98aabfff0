// `tadmor extruder`: the whole extruder from the start of melting to the die
// (pressure and melt temperature along the screw, drive power, specific
// energy), at its operating point against a die or at a throughput given.
#pragma once

#include <string>

#include "cli/InputOptions.h"
#include "export/ExtruderExport.h"
#include "extruder/Extruder.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct ExtruderOptions {
    RunOptions base;
    std::string die;
    std::string clearance = "0";
    std::string startPressure = "0";
    std::string meltLimit;       // empty: none
    std::string feed = "flood";  // flood (the operating point) or given (OutputRate)
    std::string range;           // "LO:HI" of the throughput scan, kg/hr; empty: from the drag flow
    int intervals = 20;
    std::string format = "table";
    std::string plot, plotCharacteristic;
    std::string over, output;  // a curve over a second input, and its CSV
    int jobs = 1;
    bool strict = false;
};

CLI::App* AddExtruderCommand(CLI::App& app, ExtruderOptions& options);
int ExtruderMain(const ExtruderOptions& options);

// The inputs of the options beyond the melting inputs. Throws Error of kind Input.
extruder::ExtruderInputs ExtruderInputsOf(const ExtruderOptions& options);

// The summary line of an answer: the operating point (or the given
// throughput) with its pressure, melt temperature, power and energy.
std::string ExtruderSummary(const exporting::ExtruderAnswer& answer);

}  // namespace tadmor::cli
