#include "cli/Help.h"

#include <string_view>

#include "inputs/Case.h"
#include "model/InputFields.h"
#include "report/ReadFile.h"

namespace tadmor::cli {

namespace {

// The help states the limit of the files read.
static_assert(kMaxReadBytes == 64 * 1024 * 1024);

constexpr std::string_view kExitCodesHelp = R"(
Files read (case files, results files) must be regular files of at most
64 MiB; a folder, a FIFO or a device is refused at once.

Exit codes:
  0  success
  2  usage error: bad option, unknown NAME, malformed case file line,
     case file that cannot be read
  3  invalid input: a text is not a number, or a value fails its test
  4  a file could not be written: the results file (not created, or its
     table not written), the plot, the summary or the results folder
  5  calculation error: arithmetic fault or no convergence
  6  the file given to plot is not a results file or cannot be read
  8  (--strict) the run completed but gave a warning (solve: a solution)
)";

}  // namespace

std::string RunHelp() {
    std::string help = R"(Runs one calculation of the melting model without the window and writes the
results file (the inputs, then the results table), the same bytes as the window.

Inputs (NAME, default text, meaning):
)";
    for (const InputField& field : kInputFields) {
        std::string line = "  " + std::string(field.variable);
        line.resize(20, ' ');
        line += std::string(field.defaultText);
        line.resize(34, ' ');
        help += line + inputs::FieldCaption(field) + (field.editable ? "" : " (fixed in the window)") + "\n";
    }
    help += R"(
Each input starts at its default text; a material file (--material, see
docs/materials.md) sets the thirteen material inputs, a case file overrides
them, --set overrides the case file (the last --set of a NAME wins), and -o
overrides the results file name. A TEXT is read like the window's fields:
blanks, an optional sign, digits with at most one decimal separator, an
optional exponent (E or e), blanks. Case files, material files and --set
texts are read with "." as the decimal separator whatever the locale, so
that they run alike everywhere; the results file is written with the
separator of the user's locale ("," or ".", "." for any other), as the
window writes it. --decimal-separator "." or "," sets both. When a text is
refused, a second line names the input, its text and where it came from
(FILE:LINE, --set or -o), and tells what to write instead.

Case file: one NAME = TEXT per line; blank lines and lines whose first
non-blank character is # are ignored, and so is a UTF-8 byte-order mark at
the start. TEXT is trimmed of surrounding blanks unless it is written in
double quotes. Example, hot.case:

  # hotter barrel, melting starts later
  BarrelC0 = 300.0
  DelayTurns = 6.0
  ResultFileName = "hot barrel.txt"

  tadmor run --case hot.case --set ScrewSpeed=45 -o hot45.txt

Files written: -o FILE (or ResultFileName) always gets the results file, the
window's text format, whatever --format says; a warning is given when its
name ends in .csv or .json. --csv FILE writes the CSV of a completed run and
--json FILE the JSON document (whatever the outcome), both as --format would
print them; --plot FILE the melting profile. Each file is written whole or
not at all, and the CSV and JSON files are tried before the run.

Output: messages go to standard error, one line each, prefixed "tadmor: ";
calculation errors are prefixed "tadmor: error: " and start with their cause
when it is found (melting beyond the screw, a channel of no width, a barrel
not above the melting point, the local n outside (0, 1], a viscosity that
does not fall with temperature), then the error's own text with its routine
and FLIGHT. The results file is
written in every format. With --format table (the default), one line on
standard output after a completed run names the file, the rows recorded, and
the FLIGHT where melting completed or the X/W left at the end of the screw.
With --format csv, standard output gets a header line of the column names
with their units, then one line per increment, every number in full double
precision with "." as its decimal point. With --format json it gets one
document whatever the outcome: "inputs" by name, "outcome" ("melting
completed", "end of screw", "invalid input", "file not written" or
"calculation error"), "message", "rowsRecorded", "meltingCompletedAtFlight",
"columns" (name and unit), "rows", "warnings" and "material" (its name and
sources with --material, else null; the CSV then starts "# material: ...").
--plot FILE.png|FILE.svg also draws the
melting profile of a completed run.

Warnings tell where a run leaves the ground the model stands on; they never
change a result or the results file. Each is one line on standard error,
"tadmor: warning: MESSAGE at FLIGHT ... [CODE]" or "... (input NAME) [CODE]",
and an object {"code", "message", "where"} in the JSON's "warnings". Codes:
  melting-beyond-screw         DelayTurns at or beyond the end of the screw
  bed-wider-than-channel       X/W above 1: the bed is squeezed into the channel
  negative-solid-flow          QS/QT below -0.01 at the end (the last increment)
  solid-above-melting-point    SolidTemp at or above MeltingPoint
  barrel-not-above-melting-point  TB at or below MeltingPoint
  barrel-temperature-implausible  TB outside 0 to 450 degC
  dimension-implausible        a screw dimension above 100 cm (mm for cm?)
  geometry-implausible         a depth above D/3 or a pitch outside 0.5 to 2 D
  no-rows                      the bed melted before a row was recorded
  throughput-above-drag-flow   OutputRate above the metering zone's drag flow
  throughput-far-below-drag-flow  OutputRate below 5 % of that drag flow
  power-law-index-outside      the local power-law index n outside (0, 1]
  temperature-sensitivity-not-positive  the viscosity does not fall with T
  film-hotter-than-barrel      T121 above TB: strong viscous heating
  viscosity-extrapolated       beyond a material file's fitted range
--strict makes a completed run with warnings exit 8 (7 is tadmor solve's).
)" + std::string(kExitCodesHelp);
    return help;
}

std::string PlotHelp() {
    return R"(Draws the melting profile of a results file, written by the window or by
tadmor run with "." or "," as its decimal separator: X/W and QS/QT against
FLIGHT on one panel, the barrel temperature TB and the film temperatures T121
and TAV on a second, with the feed, compression and metering zones and the
start of melting marked. The extension of FILE chooses PNG or SVG.

  tadmor plot result.txt -o profile.png
)" + std::string(kExitCodesHelp);
}

std::string SweepHelp() {
    return R"(Runs every combination of the --vary values over the base case (the
defaults, then --material, then --case, then each --set), each through the
same conversion and tests as the window, on --jobs threads (default: every
core). The first --vary varies slowest. FROM:TO:STEP gives FROM, FROM+STEP,
... up to TO, written with the most decimal places of the three (in exponent
form, such as 1e+300, when they are very large or small); V1,V2,... gives the
texts as they stand. --vary values are always written with "." (the comma
separates the list), whatever the locale, as are the --case and --set texts;
the results files of --results-dir are written with the locale's separator
(see tadmor run).

The summary has one line per case, in case order: the case number (from 0),
the varied values, the outcome, the rows recorded, the FLIGHT of the increment
where melting completed (empty when it did not), X/W and QS/QT at the end of
the screw (those of the last row when solid is left, 0 when melting
completed), the total and viscous power of the last row recorded, the
request's message when it has one, and the codes of its warnings. A case
that is refused or fails is a line with its message; the sweep goes on.
--results-dir DIR keeps each case's results file as DIR/case-N.txt; without
it no results file is written.

The last line of the summary is its status: "# tadmor sweep ID: complete",
or "# tadmor sweep ID: incomplete, N of M cases" after SIGINT or SIGTERM, which
stop the sweep: no further case starts, the running ones finish, the summary
of the finished cases is written, and the exit code is 130 or 143. ID names
the sweep: the base inputs, the decimal separator and the varied inputs with
their values. --resume SUMMARY runs only the cases missing from that earlier
summary of the same sweep (a summary of another sweep is refused) and writes
the whole summary. The summary, the plot and the results folder are tried
before the first case; every file is written whole or not at all.

--shard K/N runs only the cases K, K+N, K+2N, ...: the summaries of the N
shards hold every case once. --plot FILE.png|FILE.svg draws --plot-value
(default flight: FLIGHT of complete melting) against the first varied input.

  tadmor sweep --vary ScrewSpeed=30:60:5 --vary OutputRate=250,300 -o speed.csv
  tadmor sweep --vary ScrewSpeed=30:60:5 --vary OutputRate=250,300 -o speed.csv \
               --resume speed.csv
)" + std::string(kExitCodesHelp) +
           R"(  130  the sweep was stopped by SIGINT (143: by SIGTERM)
A sweep exits with 4 also when the results file of any case was not written,
and with 2 when the --resume summary cannot be read or is not of this sweep.
)";
}

std::string ExitCodesHelp() { return std::string(kExitCodesHelp); }

}  // namespace tadmor::cli
