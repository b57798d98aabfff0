// A case as an engineer gives it: the case file's lines, single values, the
// material, where each text came from, and what to write instead of a text
// that is refused.
#include "inputs/Case.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "model/NumberText.h"
#include "support/Errors.h"

namespace tadmor::inputs {
namespace {

using tadmor::test::ErrorTextOf;

const std::string& TextOf(const Case& inputs, std::string_view variable) {
    return inputs.texts[FieldIndexOf(variable)];
}

TEST(CaseFile, LinesCommentsAndQuotes) {
    Case inputs = DefaultCase();
    ApplyCaseText(inputs,
                  "# a comment\r\n"
                  "\n"
                  "   \t\n"
                  "  # an indented comment\n"
                  "ScrewDiameter = 16.5 \r\n"
                  "\tBarrelC0=300\n"
                  "SolidTemp =   \" 25.0 \"  \n"
                  "ResultFileName = \" \"\n"
                  "FeedTurns = 12\n"
                  "FeedTurns = 11 # not a comment\n"
                  "ScrewPitch =\nBarrelC1 = \"a = \"b\"",
                  "hot.case");
    EXPECT_EQ(TextOf(inputs, "ScrewDiameter"), "16.5");
    EXPECT_EQ(TextOf(inputs, "BarrelC0"), "300");
    EXPECT_EQ(TextOf(inputs, "SolidTemp"), " 25.0 ");
    EXPECT_EQ(TextOf(inputs, "ResultFileName"), " ");
    EXPECT_EQ(TextOf(inputs, "FeedTurns"), "11 # not a comment");
    EXPECT_EQ(TextOf(inputs, "ScrewPitch"), "");
    EXPECT_EQ(TextOf(inputs, "BarrelC1"), "a = \"b");
    EXPECT_EQ(TextOf(inputs, "MeteringDepth"), "0.4");
    EXPECT_EQ(inputs.origins[FieldIndexOf("FeedTurns")], "hot.case:10");
    EXPECT_EQ(inputs.origins[FieldIndexOf("MeteringDepth")], "the default");
}

// A byte-order mark is ignored at the start of the file only.
TEST(CaseFile, AByteOrderMarkAtTheStartIsIgnored) {
    Case inputs = DefaultCase();
    ApplyCaseText(inputs, "\xEF\xBB\xBFScrewSpeed = 45\r\nOutputRate = 250\r\n", "bom.case");
    EXPECT_EQ(TextOf(inputs, "ScrewSpeed"), "45");
    EXPECT_EQ(TextOf(inputs, "OutputRate"), "250");
    EXPECT_EQ(ErrorTextOf([&] { ApplyCaseText(inputs, "ScrewSpeed = 45\n\xEF\xBB\xBFOutputRate = 250", "bom.case"); }),
              "bom.case:2: unknown input name \"\xEF\xBB\xBFOutputRate\"; did you mean OutputRate?");
}

TEST(CaseFile, ErrorsNameTheFileAndLine) {
    Case inputs = DefaultCase();
    const auto errorOf = [&inputs](const std::string& contents) {
        return ErrorTextOf([&] { ApplyCaseText(inputs, contents, "run.case"); });
    };
    EXPECT_EQ(errorOf("# ok\nScrewDiameter 15\n"), "run.case:2: expected NAME = TEXT");
    EXPECT_EQ(errorOf("\n\n = 15\n"), "run.case:3: expected NAME = TEXT");
    EXPECT_EQ(errorOf("screwdiameter = 15"),
              "run.case:1: unknown input name \"screwdiameter\"; did you mean ScrewDiameter?");
    EXPECT_EQ(errorOf("Edit1 = 15"), "run.case:1: unknown input name \"Edit1\"");
    EXPECT_EQ(errorOf("ScrewDiameter = 1\nResultFileName = \"out.txt"), "run.case:2: missing closing quote");
    EXPECT_EQ(errorOf("ResultFileName = \""), "run.case:1: missing closing quote");
    // A huge name is cut short, a control character written out.
    EXPECT_EQ(errorOf(std::string(100, 'x') + "\x01 = 1"),
              "run.case:1: unknown input name \"" + std::string(80, 'x') + "...\"");
    EXPECT_EQ(ErrorTextOf([&] { ApplyCaseFile(inputs, "/nonexistent/folder/run.case"); }),
              "cannot read case file \"/nonexistent/folder/run.case\": No such file or directory");
}

TEST(SetInput, TextIsTakenExactlyAndTheLastWins) {
    Case inputs = DefaultCase(',');
    SetInput(inputs, " ScrewDiameter", " 16 ", "--set");
    SetInput(inputs, "ResultFileName", "a=b.txt", "--set");
    SetInput(inputs, "BarrelC2", "", "--set");
    SetInput(inputs, "ResultFileName", "out.txt", "-o");
    EXPECT_EQ(TextOf(inputs, "ScrewDiameter"), " 16 ");
    EXPECT_EQ(TextOf(inputs, "BarrelC2"), "");
    EXPECT_EQ(TextOf(inputs, "ResultFileName"), "out.txt");
    EXPECT_EQ(inputs.origins.back(), "-o");
    EXPECT_EQ(TextOf(inputs, "ViscA22"), "-0,00012377");  // the defaults follow the separator
    EXPECT_EQ(ErrorTextOf([&] { SetInput(inputs, "Diameter", "15", "--set"); }),
              "--set: unknown input name \"Diameter\"");
}

TEST(WithSeparator, PointAndCommaChangePlaces) {
    Case inputs = DefaultCase();
    SetInput(inputs, "ScrewSpeed", "4,5", "--set");  // not a number with "."
    const Case comma = WithSeparator(inputs, ',');
    EXPECT_EQ(comma.separator, ',');
    EXPECT_EQ(TextOf(comma, "ScrewDiameter"), "15,0");
    EXPECT_EQ(TextOf(comma, "ScrewSpeed"), "4.5");  // still not a number
    EXPECT_EQ(TextOf(WithSeparator(comma, '.'), "ScrewSpeed"), "4,5");
}

TEST(RefusalDetail, TheOriginTheTextAndWhatToWriteInstead) {
    Case inputs = DefaultCase();
    ApplyCaseText(inputs, "ScrewSpeed = 4,5\nOutputRate = 300 kg/hr\nScrewPitch = -3\nBarrelC0 = abc", "c.case");
    const struct {
        const char* variable;
        const char* detail;
    } cases[] = {
        {"ScrewSpeed",
         "c.case:1: ScrewSpeed \"4,5\" is not a number: the decimal separator is \".\": write 4.5 (or give "
         "--decimal-separator ,)"},
        {"OutputRate",
         "c.case:2: OutputRate \"300 kg/hr\" is not a number: write the number alone, without a unit (OutputRate "
         "is Output (kg/hr))"},
        {"ScrewPitch", "c.case:3: ScrewPitch \"-3\" must be greater than 0"},
        {"BarrelC0",
         "c.case:4: BarrelC0 \"abc\" is not a number: write an optional sign, digits with at most one \".\" and "
         "an optional exponent (E or e), such as 290.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(RefusalDetail(inputs, FieldIndexOf(c.variable)), c.detail);
}

material::Material TestMaterial() {
    material::Material material;
    material.name = "test";
    const FieldTexts defaults = DefaultFieldTexts();
    for (int i = 0; i < material::kMaterialInputCount; ++i)
        material.values[i] = *TextToNumber(defaults[FieldIndexOf(material::kMaterialInputs[i])], '.');
    material.values[0] = 7.5;
    return material;
}

TEST(Material, SetsTheMaterialInputsThenCaseAndSetWin) {
    Case inputs = DefaultCase(',');
    ApplyMaterial(inputs, TestMaterial(), "m.material");
    EXPECT_EQ(TextOf(inputs, "ViscA0"), "7,5");
    EXPECT_EQ(inputs.origins[FieldIndexOf("ViscA0")], "m.material");
    EXPECT_EQ(inputs.origins[FieldIndexOf("ViscA1")], "the default");  // the same text as before
    ApplyCaseText(inputs, "ViscA0 = 7.6", "c.case");
    EXPECT_EQ(TextOf(inputs, "ViscA0"), "7.6");
    ASSERT_TRUE(inputs.material);
}

// The default barrel is at 290 degC throughout: every row lies above a
// fitted range that ends at 280 degC, while the law is the material's.
TEST(AllWarnings, TheFittedRangeOnlyWhileTheLawIsTheMaterials) {
    material::Material material = TestMaterial();
    material.values[0] = 7.442;
    material.range = material::FittedRange{250, 280, 0.001, 1e6};
    Case inputs = DefaultCase();
    ApplyMaterial(inputs, material, "m.material");
    const auto codes = [](const Case& c) { return WarningCodes(Summarize(c, Calculate(c))); };
    EXPECT_EQ(codes(inputs), "bed-wider-than-channel viscosity-extrapolated");
    SetInput(inputs, "ViscA2", "0.004", "--set");
    EXPECT_EQ(codes(inputs).find("viscosity-extrapolated"), std::string::npos);
    SetInput(inputs, "ScrewSpeed", "-1", "--set");
    EXPECT_EQ(codes(inputs), "");  // refused: no warnings
}

// The metering channel of the default case, 0.4 cm deep and about 13 cm wide,
// drags 0.5 V_bz W H F_d rho_m of melt at open discharge, worked out here:
// a throughput above it is warned of, one below is not.
// A text's problem, alone, is what the request refuses: for texts of every
// kind in fields of every test, the field is refused exactly when a problem
// is named.
TEST(FieldProblem, AgreesWithTheRequest) {
    const char* texts[] = {"15",    "0",  "-1", "1e-320", "abc",  "",    " 2 ", "1,5",    "1.5",
                           "1e309", "-0", "+3", "0x10",   "5 cm", "nan", "inf", "1e-4000"};
    for (const char* variable : {"ScrewDiameter", "BarrelC1", "FusionHeat", "ViscA0", "MeltingPoint"}) {
        const int field = FieldIndexOf(variable);
        for (const char* text : texts) {
            Case inputs = DefaultCase();
            inputs.texts[field] = text;
            const std::string problem = FieldProblem(text, field, '.');
            EXPECT_EQ(problem.empty(), RefusedField(inputs.texts, '.') != field)
                << variable << " = \"" << text << "\": " << problem;
        }
    }
    EXPECT_EQ(FieldProblem("1,5", FieldIndexOf("ScrewDiameter"), '.'),
              "not a number: the decimal separator is \".\": write 1.5");
    EXPECT_EQ(FieldProblem("0", FieldIndexOf("ScrewDiameter"), '.'), "must be greater than 0");
}

// The codes of a summary's warnings but those `ignored`, in order.
std::string CodesBut(const RunSummary& summary, const std::set<std::string>& ignored) {
    std::string codes;
    for (const Warning& warning : summary.warnings)
        if (!ignored.contains(warning.code)) codes += (codes.empty() ? "" : " ") + warning.code;
    return codes;
}

TEST(DragFlowWarning, AboveTheMeteringZonesDragFlow) {
    const double pi = 3.14159265358979323846, diameter = 15, pitch = 15, flight = 1.5, depth = 0.4;
    const double angle = std::atan(pitch / (pi * diameter));
    const double width = pitch * std::cos(angle) - flight;
    const double speed = pi * diameter * 38 / 60 * std::cos(angle);  // cm/s down the channel
    const double ratio = depth / width;
    double series = 0;  // F_d = (16 W / (pi^3 H)) sum over odd i of tanh(i pi H / (2 W)) / i^3
    for (int i = 1; i < 2001; i += 2) series += std::tanh(i * pi * ratio / 2) / (double(i) * i * i);
    const double dragFlow =
        0.5 * speed * width * depth * 16 / (pi * pi * pi * ratio) * series * 1.2 * 3.6;  // rho_m 1.2
    // Above the drag flow, and below 5 % of it (296.6 kg/hr at 38 rpm: 15 kg/hr).
    const struct {
        double factor;
        const char* codes;
    } cases[] = {
        {0.0499, "throughput-far-below-drag-flow"}, {0.0501, ""}, {0.999, ""}, {1.001, "throughput-above-drag-flow"}};
    for (const auto& [factor, expected] : cases) {
        Case inputs = DefaultCase();
        SetInput(inputs, "OutputRate", ExactNumber(dragFlow * factor), "--set");
        EXPECT_EQ(CodesBut(Summarize(inputs, Calculate(inputs)), {"bed-wider-than-channel"}), expected) << factor;
    }
}

// Screws typed in other units: each rule at its edge, and a screw so
// oversized for its throughput that the bed melts before the first row.
TEST(ScrewWarnings, GeometryNoScrewHasAndARunWithoutRows) {
    const struct {
        std::vector<std::pair<const char*, const char*>> set;
        const char* codes;
    } cases[] = {
        {{{"FeedDepth", "5"}}, ""},  // a third of the 15 cm diameter
        {{{"FeedDepth", "5.01"}}, "geometry-implausible"},
        {{{"ScrewPitch", "7.5"}}, ""},
        {{{"ScrewPitch", "7.49"}}, "geometry-implausible"},
        {{{"ScrewPitch", "30"}}, ""},
        {{{"ScrewPitch", "30.1"}}, "geometry-implausible"},
        // A 60 mm screw typed in mm but for its pitch, and all in mm:
        {{{"ScrewDiameter", "60"}, {"FeedDepth", "10.5"}}, "geometry-implausible"},
        {{{"ScrewDiameter", "60"},
          {"ScrewPitch", "60"},
          {"FeedDepth", "10.5"},
          {"MeteringDepth", "3"},
          {"FlightWidth", "6"},
          {"OutputRate", "100"}},
         "throughput-far-below-drag-flow"},
        {{{"OutputRate", "1"}}, "throughput-far-below-drag-flow no-rows"},
    };
    for (const auto& [set, expected] : cases) {
        Case inputs = DefaultCase();
        SetInput(inputs, "OutputRate", "100", "--set");  // within the drag flow of each pitch
        for (const auto& [name, text] : set) SetInput(inputs, name, text, "--set");
        const Calculation calculation = Calculate(inputs);
        ASSERT_EQ(calculation.outcome, RequestOutcome::Completed) << set[0].first << calculation.message;
        EXPECT_EQ(CodesBut(Summarize(inputs, calculation), {"bed-wider-than-channel", "film-hotter-than-barrel"}),
                  expected)
            << set[0].first << "=" << set[0].second;
    }
}

}  // namespace
}  // namespace tadmor::inputs
