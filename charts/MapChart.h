// The processing-window map of a sweep over two inputs, decided without
// drawing anything: one cell per case, coloured by a value, with the edge
// between the cases that melted and those that reached the end of the
// screw. charts/qt/Paint.h draws it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "charts/Chart.h"

namespace tadmor::charts {

// What became of the case of a cell.
enum class CellOutcome {
    NotRun,      // no case of this sweep (or shard) lies there
    Melted,      // the run completed and melting completed
    EndOfScrew,  // the run completed with solid left at the end of the screw
    Refused,     // invalid input
    Failed,      // calculation error, or its results file not written
};

struct MapCell {
    CellOutcome outcome = CellOutcome::NotRun;
    std::optional<double> value;  // the value drawn, when the case has one
};

// A straight line from (x0, y0) to (x1, y1), in the values of the inputs.
struct Segment {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const Segment&) const = default;
};

struct MapChart {
    std::string title, subtitle, xLabel, yLabel, valueLabel;
    // Cell (i, j) spans xEdges[i] to xEdges[i + 1] and yEdges[j] to
    // yEdges[j + 1]; it is cells[j * (xEdges.size() - 1) + i].
    std::vector<double> xEdges, yEdges;
    std::vector<MapCell> cells;
    Axis x, y;                         // the edges' span
    std::vector<Tick> xTicks, yTicks;  // at the inputs' values when there are few, else on round values
    std::optional<Axis> values;        // the colour bar; none when no cell has a value
    std::vector<Segment> boundary;     // between Melted and EndOfScrew cells
    std::string noValueName;           // legend of a completed case without a value
    std::string note;                  // a line under the plot
    // A limit drawn across the cells (x, y in the inputs' values), named in
    // the legend: the metering zone's drag flow when OutputRate is an axis.
    std::vector<std::pair<double, double>> limit;
    std::string limitName;
};

// The edges of the cells around `centres` (ascending, distinct): halfway
// between neighbours, and as far beyond the first and last as halfway to
// their neighbour. One centre gets a cell of width 1 around it.
std::vector<double> CellEdges(const std::vector<double>& centres);

// The cell edges where a Melted cell meets an EndOfScrew cell, one segment
// per cell side, first the vertical sides (by column, then row), then the
// horizontal ones.
std::vector<Segment> MeltingBoundary(const std::vector<double>& xEdges, const std::vector<double>& yEdges,
                                     const std::vector<MapCell>& cells);

// A colour as red, green and blue from 0 to 1.
struct Rgb {
    double red = 0, green = 0, blue = 0;
};

// The colour of `fraction` (0 to 1, clamped) of a sequential scale whose
// lightness rises with it, from dark to light, never black or white.
Rgb ScaleColor(double fraction);

}  // namespace tadmor::charts
