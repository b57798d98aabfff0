#include "material/RheometerTable.h"

#include <cmath>
#include <optional>

#include "material/Units.h"
#include "model/NumberText.h"
#include "report/ReadFile.h"
#include "report/TextLines.h"

namespace tadmor::material {

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = line.find(',');
        fields.push_back(Trim(line.substr(0, comma)));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

// The unit in "name (unit)" or "name [unit]", or "".
std::string_view UnitOfColumn(std::string_view name) {
    if (name.empty()) return {};
    const char close = name.back();
    const char open = close == ')' ? '(' : close == ']' ? '[' : '\0';
    if (open == '\0') return {};
    const auto at = name.rfind(open);
    return at == std::string_view::npos ? std::string_view() : Trim(name.substr(at + 1, name.size() - at - 2));
}

}  // namespace

std::vector<RheometerPoint> ParseRheometerTable(std::string_view contents, std::string_view source,
                                                const TableUnits& units) {
    const Quantity quantities[3] = {Quantity::Temperature, Quantity::ShearRate, Quantity::Viscosity};
    const char* columns[3] = {"temperature", "shear rate", "viscosity"};
    const char* examples[3] = {"T (degC)", "shear rate (1/s)", "viscosity (Pa.s)"};
    std::string given[3] = {units.temperature, "", units.viscosity};
    std::optional<Unit> unit[3];
    std::vector<RheometerPoint> points;
    int number = 0;
    const auto fail = [&](const std::string& what) {
        throw Error(ErrorKind::Material, std::string(source) + ":" + std::to_string(number) + ": " + what);
    };
    const auto resolveUnits = [&] {
        for (int c = 0; c < 3; ++c) {
            if (given[c].empty() && c == 1) given[c] = "1/s";
            if (given[c].empty())
                fail(std::string("no unit of the ") + columns[c] + ": give it in the header, e.g. \"" + examples[c] +
                     "\", or as an option");
            unit[c] = FindUnit(quantities[c], given[c]);
            if (!unit[c])
                fail(ShownText(given[c]) + " is not a unit of the " + columns[c] + " (one of " +
                     UnitNames(quantities[c]) + ")");
        }
    };

    const int last = ForEachLine(contents, [&](std::string_view line, int lineNumber) {
        number = lineNumber;
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() != 3) fail("expected three columns: temperature, shear rate, viscosity");
        if (!unit[0] && points.empty() && !TextToExtended(fields[0], '.')) {  // the header
            for (int c = 0; c < 3; ++c)
                if (given[c].empty()) given[c] = UnitOfColumn(fields[c]);
            resolveUnits();
            return;
        }
        if (!unit[0]) resolveUnits();
        double values[3];  // in the model's units
        for (int c = 0; c < 3; ++c) {
            const std::optional<long double> value = TextToExtended(fields[c], '.');
            if (!value) fail(NotANumber(fields[c]));
            if (c > 0 && !(*value > 0)) fail("shear rate and viscosity must be above 0");
            values[c] = static_cast<double>(ToModel(*unit[c], *value));
            // A positive value too small for a double would read as 0.
            if (c > 0 && !(values[c] > 0))
                fail("the " + std::string(columns[c]) + " " + ShownText(fields[c]) +
                     " is beyond the range of a double");
        }
        if (!(values[0] > kAbsoluteZero))
            fail("the temperature " + ShownText(fields[0]) + " " + std::string(unit[0]->name) +
                 " lies at or below absolute zero, -273.15 degC");
        points.push_back({values[0], values[1], values[2]});
    });
    number = last;
    if (points.empty()) fail("the table has no rows");
    return points;
}

std::vector<RheometerPoint> ReadRheometerTable(const std::string& path, const TableUnits& units) {
    return ParseRheometerTable(ReadRegularFile(path, ErrorKind::Material, "the table"), path, units);
}

}  // namespace tadmor::material
