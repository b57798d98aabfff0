#include "extruder/Die.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <utility>

#include "extruder/Numerics.h"
#include "extruder/Units.h"
#include "model/NumberText.h"

namespace tadmor::extruder {

namespace {

const char* const kDieForms =
    "capillary:D=0.5,L=5, slit:W=10,H=0.2,L=3, annulus:Do=2,Di=1.6,L=4 or table:FILE "
    "(cm, or mm or m after the number)";

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Cm(double value) { return NumberText(value, 3, 6) + " cm"; }

// ---- Flow of a geometric die at a pressure drop (SI) -----------------------

// Q = pi R^3 / tau_w^3 * integral of tau^2 rate(tau) from 0 to tau_w
// (Rabinowitsch-Mooney), with tau_w = dP R / (2 L).
Extended CapillaryFlow(const Capillary& die, const Melt& melt, Extended dp, Extended t) {
    const Extended r = kMetrePerCm * die.diameter / 2, wall = dp * r / (2 * kMetrePerCm * die.length);
    const FlowCurve curve(melt, t);
    Extended sum = 0;
    ForEachNodeFromZero([&](Extended s, Extended w) { sum += w * s * s * curve.At(wall * s).rate; });
    return kPi * r * r * r * sum;
}

// Q = 2 W h^2 / tau_w^2 * integral of tau rate(tau) from 0 to tau_w, with
// h = H / 2 and tau_w = dP h / L: the wide slit, edges left out.
Extended SlitFlow(const Slit& die, const Melt& melt, Extended dp, Extended t) {
    const Extended h = kMetrePerCm * die.height / 2, wall = dp * h / (kMetrePerCm * die.length);
    const FlowCurve curve(melt, t);
    Extended sum = 0;
    ForEachNodeFromZero([&](Extended s, Extended w) { sum += w * s * curve.At(wall * s).rate; });
    return 2 * kMetrePerCm * die.width * h * h * sum;
}

// The stress tau(r) = -(dP / 2L)(r - lambda^2 / r) vanishes at the radius
// lambda, found so that the velocity, the integral of rate(tau) from the
// inner wall, is 0 again at the outer wall; then Q = -pi * integral of
// r^2 rate(tau(r)) dr (by parts, the velocity 0 at both walls).
Extended AnnulusFlow(const Annulus& die, const Melt& melt, Extended dp, Extended t) {
    const Extended outer = kMetrePerCm * die.outerDiameter / 2, inner = kMetrePerCm * die.innerDiameter / 2;
    const Extended k = dp / (2 * kMetrePerCm * die.length);
    const FlowCurve curve(melt, t);
    // The integral of weight(r) rate(tau(r)) over [inner, outer], the nodes gathered at lambda.
    const auto integral = [&](Extended lambda, auto weight) {
        Extended sum = 0;
        for (const Extended wall : {inner, outer})
            ForEachNodeFromZero([&](Extended s, Extended w) {
                const Extended r = lambda + s * (wall - lambda);
                sum +=
                    w * std::fabs(wall - lambda) * Extended(weight(r)) * curve.At(-k * (r - lambda * lambda / r)).rate;
            });
        return sum;
    };
    const auto velocityAtOuterWall = [&](Extended lambda) { return integral(lambda, [](Extended) { return 1; }); };
    const std::string what = "radius of zero stress in the annular die";
    const Extended lambda =
        BrentRoot(velocityAtOuterWall, {inner, outer, velocityAtOuterWall(inner), velocityAtOuterWall(outer)},
                  1e-16L * outer, what);
    return -kPi * integral(lambda, [](Extended r) { return r * r; });
}

Extended GeometricFlow(const Die& die, const Melt& melt, Extended dp, Extended t) {
    if (const auto* c = std::get_if<Capillary>(&die)) return CapillaryFlow(*c, melt, dp, t);
    if (const auto* s = std::get_if<Slit>(&die)) return SlitFlow(*s, melt, dp, t);
    return AnnulusFlow(std::get<Annulus>(die), melt, dp, t);
}

// The Newtonian pressure drop (Pa) at the viscosity of the wall's apparent
// shear rate: the start of the search for the true one.
Extended NewtonianDrop(const Die& die, const Melt& melt, Extended q, Extended t) {
    if (const auto* c = std::get_if<Capillary>(&die)) {
        const Extended r = kMetrePerCm * c->diameter / 2, l = kMetrePerCm * c->length;
        return 8 * Viscosity(melt, 4 * q / (kPi * r * r * r), t) * l * q / (kPi * r * r * r * r);
    }
    Extended w, h, l;
    if (const auto* s = std::get_if<Slit>(&die)) {
        w = kMetrePerCm * s->width, h = kMetrePerCm * s->height, l = kMetrePerCm * s->length;
    } else {
        const auto& a = std::get<Annulus>(die);  // as the slit of the same gap and mean circumference
        w = kMetrePerCm * kPi * (a.outerDiameter + a.innerDiameter) / 2;
        h = kMetrePerCm * (a.outerDiameter - a.innerDiameter) / 2, l = kMetrePerCm * a.length;
    }
    return 12 * Viscosity(melt, 6 * q / (w * h * h), t) * l * q / (w * h * h * h);
}

// ---- The measured characteristic -------------------------------------------

// Between two points of the table, and beyond its ends along the end
// segments, ln(drop) is linear in ln(throughput): the drop is a power of the
// throughput. The drop at a throughput (toDrop), or the throughput at a drop.
double Interpolated(const MeasuredDie& die, double value, bool toDrop) {
    const auto& p = die.points;
    const auto from = [&](std::size_t i) { return Extended(toDrop ? p[i].throughput : p[i].pressureDrop); };
    const auto to = [&](std::size_t i) { return Extended(toDrop ? p[i].pressureDrop : p[i].throughput); };
    std::size_t i = 0;
    while (i + 2 < p.size() && value > from(i + 1)) ++i;
    const Extended power = std::log(to(i + 1) / to(i)) / std::log(from(i + 1) / from(i));
    return Store(to(i) * std::pow(value / from(i), power));
}

// The factor that takes the table from its temperature to `temperature`: the
// law's viscosity ratio at the table's shear rate (exact for a law whose
// temperature factor does not depend on the shear rate, a12 = 0).
Extended TemperatureFactor(const MeasuredDie& die, const Melt& melt, Extended temperature) {
    return Viscosity(melt, die.shearRate, temperature) / Viscosity(melt, die.shearRate, die.temperature);
}

// ---- Parsing ----------------------------------------------------------------

struct UnitFactor {
    const char* name;
    Extended factor;  // to the default unit
};

// A number with an optional unit of `units` (longest names first), in the
// first unit's terms; `what` starts the messages, `form` says what to write.
double QuantityOf(std::string_view text, std::initializer_list<UnitFactor> units, const std::string& what,
                  const std::string& form) {
    std::string number = Trim(text);
    Extended factor = 1;
    for (const UnitFactor& unit : units) {
        const std::string u = Lower(unit.name);
        if (number.size() > u.size() && Lower(number.substr(number.size() - u.size())) == u) {
            number = Trim(number.substr(0, number.size() - u.size()));
            factor = unit.factor;
            break;
        }
    }
    const std::optional<double> value = TextToNumber(number, '.');
    if (!value) throw ExtruderInputError(what + ShownText(Trim(text)) + " is not " + form);
    const double converted = Store(*value * factor);
    if (!std::isfinite(converted)) throw ExtruderInputError(what + ShownText(Trim(text)) + " is too large");
    return converted;
}

constexpr const char* kLengthForm =
    "a length: write a number with '.', in cm or followed by mm, cm or m (0.5, 5mm, 0.005m)";

double LengthOf(const std::string& kind, const std::string& key, const std::string& text) {
    return QuantityOf(text, {{"mm", 0.1L}, {"cm", 1.0L}, {"m", 100.0L}}, "Die " + kind + ": " + key + "=", kLengthForm);
}

std::string DimensionText(const std::string& key, double cm) { return key + "=" + Cm(cm); }

void RequirePositive(const std::string& kind, const std::string& key, double cm) {
    if (!(cm > 0) || !std::isfinite(cm))
        throw ExtruderInputError("Die " + kind + ": " + key + " must be a length greater than 0 (it is " +
                                 NumberText(cm, 6, 6) + " cm)");
}

}  // namespace

void CheckDie(const Die& die) {
    if (const auto* c = std::get_if<Capillary>(&die)) {
        RequirePositive("capillary", "D", c->diameter);
        RequirePositive("capillary", "L", c->length);
    } else if (const auto* s = std::get_if<Slit>(&die)) {
        RequirePositive("slit", "W", s->width);
        RequirePositive("slit", "H", s->height);
        RequirePositive("slit", "L", s->length);
    } else if (const auto* a = std::get_if<Annulus>(&die)) {
        RequirePositive("annulus", "Do", a->outerDiameter);
        RequirePositive("annulus", "Di", a->innerDiameter);
        RequirePositive("annulus", "L", a->length);
        if (a->innerDiameter >= a->outerDiameter)
            throw ExtruderInputError("Die annulus: the inner diameter Di (" + Cm(a->innerDiameter) +
                                     ") must be smaller than the outer diameter Do (" + Cm(a->outerDiameter) + ")");
    } else {
        const auto& m = std::get<MeasuredDie>(die);
        const std::string name = "Die table " + m.source + ": ";
        if (!std::isfinite(m.temperature))
            throw ExtruderInputError(name +
                                     "give the temperature it was measured at: a line 'temperature = 230' (degC)");
        if (!(m.shearRate > 0) || !std::isfinite(m.shearRate))
            throw ExtruderInputError(name + "the shear rate must be a number greater than 0 (1/s)");
        if (m.points.size() < 2)
            throw ExtruderInputError(name + "give two or more lines 'throughput, pressure drop' (kg/hr, MPa)");
        for (std::size_t i = 0; i < m.points.size(); ++i) {
            const DiePoint& p = m.points[i];
            if (!(p.throughput > 0 && p.pressureDrop > 0 && std::isfinite(p.throughput) &&
                  std::isfinite(p.pressureDrop)))
                throw ExtruderInputError(name + "point " + std::to_string(i + 1) +
                                         ": throughput and pressure drop must be numbers greater than 0");
            if (i > 0 && !(p.throughput > m.points[i - 1].throughput && p.pressureDrop > m.points[i - 1].pressureDrop))
                throw ExtruderInputError(name + "point " + std::to_string(i + 1) +
                                         ": throughput and pressure drop must both increase from point to point");
        }
    }
}

MeasuredDie ParseDieTable(std::string_view contents, const std::string& source) {
    MeasuredDie die;
    die.source = source;
    die.temperature = std::nan("");
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start <= contents.size()) {
        const std::size_t end = std::min(contents.find('\n', start), contents.size());
        std::string line = std::string(contents.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const std::string where = "Die table " + source + ", line " + std::to_string(lineNumber) + ": ";
        if (const auto equals = line.find('='); equals != std::string::npos) {
            const std::string key = Lower(Trim(line.substr(0, equals)));
            const std::optional<double> value = TextToNumber(Trim(line.substr(equals + 1)), '.');
            if (key != "temperature" && key != "shear rate")
                throw ExtruderInputError(where + "\"" + key +
                                         "\" is not known: write 'temperature = 230' (degC) or "
                                         "'shear rate = 100' (1/s)");
            if (!value) throw ExtruderInputError(where + "the " + key + " is not a number (write it with '.')");
            (key == "temperature" ? die.temperature : die.shearRate) = *value;
            continue;
        }
        const auto comma = line.find(',');
        const std::optional<double> throughput =
            comma == std::string::npos ? std::nullopt : TextToNumber(Trim(line.substr(0, comma)), '.');
        const std::optional<double> drop =
            comma == std::string::npos ? std::nullopt : TextToNumber(Trim(line.substr(comma + 1)), '.');
        if (!throughput || !drop)
            throw ExtruderInputError(
                where + "\"" + line +
                "\" is not 'throughput, pressure drop': two numbers with '.', separated by a comma "
                "(kg/hr, MPa)");
        die.points.push_back({*throughput, *drop});
    }
    CheckDie(die);
    return die;
}

Die ParseDie(std::string_view text, const std::function<std::string(const std::string& path)>& readFile) {
    const std::string trimmed = Trim(text);
    const auto colon = trimmed.find(':');
    if (colon == std::string::npos)
        throw ExtruderInputError("Die \"" + trimmed + "\": give its kind and dimensions: " + kDieForms);
    const std::string kind = Lower(Trim(trimmed.substr(0, colon)));
    const std::string rest = Trim(trimmed.substr(colon + 1));
    if (kind == "table") {
        if (rest.empty()) throw ExtruderInputError("Die table: give the table's file after 'table:'");
        if (!readFile) throw ExtruderInputError("Die table " + rest + ": this program reads no die table here");
        return ParseDieTable(readFile(rest), rest);
    }
    std::vector<std::string> keys;
    if (kind == "capillary")
        keys = {"d", "l"};
    else if (kind == "slit")
        keys = {"w", "h", "l"};
    else if (kind == "annulus")
        keys = {"do", "di", "l"};
    else
        throw ExtruderInputError("Die kind \"" + kind + "\" is not known: write " + kDieForms);

    std::vector<std::optional<double>> values(keys.size());
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find(',', start), rest.size());
        const std::string item = Trim(rest.substr(start, end - start));
        start = end + 1;
        const auto equals = item.find('=');
        const std::string key = Trim(item.substr(0, equals));
        const auto found = std::find(keys.begin(), keys.end(), Lower(key));
        if (equals == std::string::npos || found == keys.end())
            throw ExtruderInputError("Die " + kind + ": \"" + item + "\" is not one of its dimensions: write " +
                                     kDieForms);
        auto& value = values[static_cast<std::size_t>(found - keys.begin())];
        if (value) throw ExtruderInputError("Die " + kind + ": " + key + " is given twice");
        value = LengthOf(kind, key, item.substr(equals + 1));
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!values[i]) {
            std::string name = keys[i];
            name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
            throw ExtruderInputError("Die " + kind + ": " + name + " is missing: write " + kDieForms);
        }
    Die die;
    if (kind == "capillary")
        die = Capillary{*values[0], *values[1]};
    else if (kind == "slit")
        die = Slit{*values[0], *values[1], *values[2]};
    else
        die = Annulus{*values[0], *values[1], *values[2]};
    CheckDie(die);
    return die;
}

std::string DieDescription(const Die& die) {
    if (const auto* c = std::get_if<Capillary>(&die))
        return "capillary " + DimensionText("D", c->diameter) + ", " + DimensionText("L", c->length);
    if (const auto* s = std::get_if<Slit>(&die))
        return "slit " + DimensionText("W", s->width) + ", " + DimensionText("H", s->height) + ", " +
               DimensionText("L", s->length);
    if (const auto* a = std::get_if<Annulus>(&die))
        return "annulus " + DimensionText("Do", a->outerDiameter) + ", " + DimensionText("Di", a->innerDiameter) +
               ", " + DimensionText("L", a->length);
    const auto& m = std::get<MeasuredDie>(die);
    return "table " + m.source + " (" + NumberText(m.temperature, 1) + " degC)";
}

double DieThroughput(const Die& die, const Melt& melt, double pressureDrop, double temperature) {
    const FloatingPointEnvironmentGuard environment;
    if (!(pressureDrop >= 0)) throw ExtruderInputError("A die's pressure drop must be 0 MPa or more");
    double throughput = 0;
    if (const auto* m = std::get_if<MeasuredDie>(&die))
        throughput = Interpolated(*m, Store(pressureDrop / TemperatureFactor(*m, melt, temperature)), false);
    else if (pressureDrop > 0)
        throughput = Store(KgPerHour(GeometricFlow(die, melt, kPascalPerMPa * pressureDrop, temperature) *
                                     kKgPerM3PerGPerCm3 * melt.density));
    CheckFaults("the die's throughput");
    return throughput;
}

double DiePressureDrop(const Die& die, const Melt& melt, double throughput, double temperature) {
    const FloatingPointEnvironmentGuard environment;
    if (!(throughput >= 0)) throw ExtruderInputError("A die's throughput must be 0 kg/hr or more");
    const std::string what = "pressure drop of the die";
    double drop = 0;
    if (const auto* m = std::get_if<MeasuredDie>(&die)) {
        drop = Store(Interpolated(*m, throughput, true) * TemperatureFactor(*m, melt, temperature));
    } else if (throughput > 0) {
        const Extended q = KgPerSecond(throughput) / (kKgPerM3PerGPerCm3 * melt.density);
        // The logarithm of the flow rises with the logarithm of the pressure drop.
        const auto excess = [&](Extended logDrop) {
            return std::log(GeometricFlow(die, melt, std::exp(logDrop), temperature) / q);
        };
        const Extended guess = std::log(NewtonianDrop(die, melt, q, temperature));
        const Extended logDrop =
            BrentRoot(excess, BracketRoot(excess, guess, 0.5L, -HUGE_VALL, HUGE_VALL, what), 1e-15L, what);
        drop = Store(std::exp(logDrop) / kPascalPerMPa);
    }
    CheckFaults(what);
    return drop;
}

bool DieCovers(const Die& die, double throughput) {
    const auto* m = std::get_if<MeasuredDie>(&die);
    return m == nullptr || (throughput >= m->points.front().throughput && throughput <= m->points.back().throughput);
}

double ParseLength(std::string_view text, const std::string& what) {
    return QuantityOf(text, {{"mm", 0.1L}, {"cm", 1.0L}, {"m", 100.0L}}, what + " ", kLengthForm);
}

double ParsePressure(std::string_view text, const std::string& what) {
    return QuantityOf(text, {{"MPa", 1.0L}, {"kPa", 0.001L}, {"bar", 0.1L}, {"Pa", 1e-6L}}, what + " ",
                      "a pressure: write a number with '.', in MPa or followed by MPa, bar, kPa or Pa (5, 50bar)");
}

}  // namespace tadmor::extruder
