// tadmor fit, run as a user would: a rheometer table to a material file and a
// plot, the standard laws, the notes and warnings, and the refusals.
#include <cmath>

#include "material/Material.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

// The window's law, ln(eta in gf s/cm2) with T in degC.
constexpr double kLaw[6] = {7.442, -0.80314, -0.055098, 0.0047899, -0.00012377, 0.0047277};

double WindowLawPascalSeconds(double rate, double celsius) {
    const double l = std::log(rate), t = celsius;
    return 98.0665 *
           std::exp(kLaw[0] + kLaw[1] * l + kLaw[2] * l * l + kLaw[3] * t + kLaw[4] * t * t + kLaw[5] * l * t);
}

// The window's law as a rheometer table in kelvin and Pa s, every number
// written to 17 digits.
std::string WindowLawTable(const std::vector<double>& temperatures) {
    std::string table = "# made from the window's law\nT (K), shear rate (1/s), viscosity (Pa.s)\n";
    char line[200];
    for (const double t : temperatures)
        for (const double rate : {100.0, 200.0, 500.0, 1000.0, 2000.0}) {
            std::snprintf(line, sizeof line, "%.17g, %.17g, %.17g\n", t + 273.15, rate,
                          WindowLawPascalSeconds(rate, t));
            table += line;
        }
    return table;
}

TEST_F(TadmorCommand, FitATableToAMaterialAndRunIt) {
    WriteFile(work / "w.csv", WindowLawTable({230, 250, 270, 290}));
    const Result fit =
        Run({"fit", "w.csv", "--name", "window law", "--source", "made up", "-o", "w.material", "--plot", "w.png"});
    ASSERT_EQ(fit.exitCode, 0) << fit.err;
    // The window's law itself thickens at 100 1/s and 290 degC:
    // n = 1 + a1 + 2 a11 ln 100 + a12 290 = 1.06.
    EXPECT_EQ(fit.err,
              "tadmor: warning: the local power-law index n leaves (0, 1] inside the data's range: the law "
              "is not shear-thinning there, and the model's film solutions expect 0 < n <= 1\n");
    EXPECT_NE(fit.out.find("Fitted to the rheometer table w.csv: 20 points at 4 temperatures and 5 shear rates, "
                           "230.0 to 290.0 degC, 100 to 2000 1/s\n"),
              std::string::npos)
        << fit.out;
    EXPECT_NE(fit.out.find("Material file: w.material\n"), std::string::npos);
    EXPECT_EQ(ReadFile(work / "w.png").substr(1, 3), "PNG");

    const material::Material m = material::ReadMaterialFile((work / "w.material").string());
    EXPECT_EQ(m.name, "window law");
    ASSERT_EQ(m.sources.size(), 3u);
    EXPECT_EQ(m.sources[0], "made up");
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(m.values[i], kLaw[i], 1e-9 * std::fabs(kLaw[i])) << i;
    ASSERT_TRUE(m.range.has_value());
    EXPECT_NEAR(m.range->temperatureMin, 230, 1e-12);
    EXPECT_EQ(m.range->shearRateMax, 2000);

    // The default run's film reaches 290 degC, the top of the range, but is
    // sheared faster than 2000 1/s towards the end of the screw.
    const Result run = Run({"run", "--material", "w.material"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The fitted law is the default one: the default case's warning comes first.
    EXPECT_EQ(run.err.find("tadmor: warning: film temperatures"), std::string::npos) << run.err;
    ASSERT_EQ(run.err.substr(0, kDefaultCaseWarning.size()), kDefaultCaseWarning) << run.err;
    EXPECT_EQ(run.err.substr(kDefaultCaseWarning.size(), 60),
              "tadmor: warning: film shear rates up to 4.17e+03 1/s lie abo")
        << run.err;
    EXPECT_TRUE(run.err.ends_with(" [viscosity-extrapolated]\n")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
}

// A material file that a fit writes runs: data at one shear rate, on a base
// of the thermal properties alone. Data at one temperature (or in one row,
// or over a window too narrow to resolve) are fitted and reported, but their
// law has b = 0, which no run can use: -o is refused.
TEST_F(TadmorCommand, EveryMaterialFileOfAFitRuns) {
    const std::string header = "T (degC), shear rate (1/s), viscosity (Pa.s)\n";
    WriteFile(work / "one-rate.csv", header + "200, 10, 5000\n220, 10, 3000\n240, 10, 2000\n");
    WriteFile(work / "one-temperature.csv", header + "200, 10, 5000\n200, 100, 2000\n200, 1000, 600\n");
    WriteFile(work / "one-row.csv", header + "200, 10, 5000\n");
    WriteFile(work / "thermal.material",
              "Source = a handbook\nSolidDensity = 1340 kg/m3\nMeltDensity = 1.2\nSolidHeat = 0.4\n"
              "FusionHeat = 17.7\nMeltHeat = 0.48\nMeltConductivity = 0.00052\nMeltingPoint = 265\n");

    for (const std::string base : {"", "thermal.material"}) {
        std::vector<std::string> fit = {"fit", "one-rate.csv", "-o", "m.material"};
        if (!base.empty()) fit.insert(fit.end(), {"--base", base});
        ASSERT_EQ(Run(fit).exitCode, 0) << base;
        const Result run = Run({"run", "--material", "m.material", "-o", "r.txt"});
        EXPECT_EQ(run.exitCode, 0) << base << run.err;
    }
    const material::Material based = material::ReadMaterialFile((work / "m.material").string());
    EXPECT_EQ(based.values[6], 1.34);  // SolidDensity, g/cm3
    EXPECT_EQ(based.sources.back(), "thermal properties: a handbook");
    ASSERT_TRUE(based.range.has_value());
    EXPECT_EQ(based.range->shearRateMin, based.range->shearRateMax);

    const std::vector<std::string> constant[] = {
        {"one-temperature.csv"},
        {"one-row.csv"},
        {"--law", "power-law", "--param", "m=1000", "n=0.5", "--temperatures", "200:200.0000000001", "--shear-rates",
         "10:10.000000001"},
    };
    for (const std::vector<std::string>& data : constant) {
        std::vector<std::string> fit = {"fit"};
        fit.insert(fit.end(), data.begin(), data.end());
        EXPECT_EQ(Run(fit).exitCode, 0) << data[0];
        fit.insert(fit.end(), {"-o", "c.material"});
        const Result refused = Run(fit);
        EXPECT_EQ(refused.exitCode, 3) << data[0];
        EXPECT_TRUE(refused.err.ends_with("; one temperature cannot give b: measure at two or more\n")) << refused.err;
        EXPECT_EQ(refused.out, "");
        EXPECT_FALSE(fs::exists(work / "c.material"));
    }
}

TEST_F(TadmorCommand, FitReportsAReducedLawAndWarns) {
    WriteFile(work / "two.csv",
              "T (degC), rate (1/s), eta (Pa.s)\n200, 1, 5000\n200, 10, 6000\n240, 1, 3000\n"
              "240, 10, 3500\n");
    const Result result = Run({"fit", "two.csv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Note: two temperatures only: a22 is 0 (ln eta linear in T)\n"), std::string::npos);
    EXPECT_NE(result.out.find("Note: two shear rates only: a11 is 0 (ln eta linear in ln shear rate)\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("  ViscA22 = 0                       not fitted (see the note)\n"), std::string::npos)
        << result.out;
    // Four points, four coefficients: an exact fit without standard errors.
    EXPECT_NE(result.out.find("standard error not known"), std::string::npos);
    // ln(6000/5000) / ln 10 = 0.079: the viscosity rises with the shear rate.
    EXPECT_NE(result.err.find("tadmor: warning: the local power-law index n leaves (0, 1]"), std::string::npos)
        << result.err;
}

TEST_F(TadmorCommand, FitAStandardLaw) {
    const Result result = Run({"fit", "--law", "power-law", "--param", "m=135990", "--param", "n=0.3286", "--param",
                               "b=0.00863", "--temperatures", "160:240", "--shear-rates", "10:1000", "--base",
                               "thermal.material", "-o", "ldpe.material"});
    EXPECT_EQ(result.exitCode, 2);  // no such base file
    EXPECT_EQ(result.err, "tadmor: cannot read material file \"thermal.material\": No such file or directory\n");

    const Result law = Run({"fit", "--law", "power-law", "--param", "m=135990", "--param", "n=0.3286", "--param",
                            "b=0.00863", "--temperatures", "160:240", "--shear-rates", "10:1000"});
    ASSERT_EQ(law.exitCode, 0) << law.err;
    EXPECT_NE(law.out.find("Error of eta:    RMS 0.000 %, largest 0.000 %\n"), std::string::npos) << law.out;
    EXPECT_NE(law.out.find("  local power-law index n = 1 + d ln eta / dL: 0.3286 to 0.3286\n"), std::string::npos);
    // ln(135990 / 98.0665) = 7.2346908126...
    EXPECT_NE(law.out.find("  ViscA0  = 7.23469081262935"), std::string::npos) << law.out;
}

TEST_F(TadmorCommand, FitRefusals) {
    WriteFile(work / "t.csv", "T (degC), rate (1/s), eta (Pa.s)\n200, 10, 5000\n240, 10, 3000\n");
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"fit"}, 2, "tadmor: tadmor fit takes either a rheometer table or --law, not both or neither\n"},
        {{"fit", "t.csv", "--law", "power-law"},
         2,
         "tadmor: tadmor fit takes either a rheometer table or --law, not both or neither\n"},
        {{"fit", "--law", "cross"}, 2, "tadmor: --law expects cross-wlf, carreau-yasuda or power-law, not \"cross\"\n"},
        {{"fit", "--law", "power-law", "--temperatures", "200:180", "--shear-rates", "1:10"},
         2,
         "tadmor: --temperatures expects FROM:TO, two numbers written with \".\" and FROM below TO, not "
         "\"200:180\"\n"},
        {{"fit", "--law", "power-law", "--temperatures", "180:200", "--shear-rates", "1:10"},
         2,
         "tadmor: power-law needs the parameter m (consistency at T0, Pa.s^n)\n"},
        {{"fit", "--law", "power-law", "--temperatures", "180:200", "--shear-rates", "1:10", "--param", "m=1", "n"},
         2,
         "tadmor: --param expects NAME=VALUE, not \"n\"\n"},
        {{"fit", "missing.csv"}, 2, "tadmor: cannot read the table \"missing.csv\": No such file or directory\n"},
        {{"fit", "t.csv", "--plot", "p.jpg"},
         2,
         "tadmor: the plot file name must end in .png or .svg, not \"p.jpg\"\n"},
        {{"fit", "t.csv", "--temperature-unit", "F"},
         2,
         "tadmor: t.csv:1: \"F\" is not a unit of the temperature (one of degC, K)\n"},
        {{"fit", "t.csv", "-o", "no-folder/m.material"},
         4,
         "tadmor: cannot write the material file \"no-folder/m.material\": No such file or directory\n"},
        // Every file is tried before any is written.
        {{"fit", "t.csv", "-o", "m.material", "--plot", "no-folder/p.png"},
         4,
         "tadmor: cannot write the plot \"no-folder/p.png\": No such file or directory\n"},
        {{"fit", "t.csv", "--base", "thermal.material"},
         2,
         "tadmor: cannot read material file \"thermal.material\": No such file or directory\n"},
        {{"fit", "t.csv", "-o", ""}, 2, "tadmor: -o needs a file name, not an empty text\n"},
        {{"fit", "t.csv", "--plot", ""}, 2, "tadmor: --plot needs a file name, not an empty text\n"},
        {{"fit", "t.csv", "--base", ""}, 2, "tadmor: --base needs a file name, not an empty text\n"},
        {{"fit", "--law", "power-law", "--temperatures", "180:200", "--shear-rates", "1:10", "--param", "m=1", "n=x"},
         2,
         "tadmor: --param \"n=x\": not a number written with \".\"\n"},
        {{"fit", "--law", "power-law", "--temperatures", "180:200", "--shear-rates", "1:10", "--param", "m=1", "m=2"},
         2,
         "tadmor: --param m is given twice\n"},
        // What cannot be physical: each parameter at fault named.
        {{"fit", "--law", "power-law", "--param", "m=1000", "n=0.5", "T0=-300", "--temperatures", "200:250",
          "--shear-rates", "10:100"},
         2,
         "tadmor: power-law parameter T0 must be above absolute zero, -273.15 degC, not -300\n"},
        {{"fit", "--law", "cross-wlf", "--param", "n=0.3", "tau=30000", "D1=1e12", "D2=400", "A1=25", "A2=60",
          "--temperatures", "50:150", "--shear-rates", "10:1000"},
         3,
         "tadmor: cannot fit cross-wlf (n = 0.3, tau = 30000 Pa, D1 = 1e+12 Pa.s, D2 = 400 K, A1 = 25, A2 = 60 K) "
         "sampled over 50.0 to 150.0 degC, 10 to 1000 1/s: its pole, where A2 + T_K - D2 = 0, lies at T = D2 - A2 = "
         "66.85 degC, and the law holds above it only: the window's temperatures must lie above the pole\n"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.back();
        EXPECT_EQ(result.err, c.err) << c.arguments.back();
    }
    EXPECT_FALSE(fs::exists(work / "m.material"));
    // Temperature and ln(shear rate) rising in step cannot be told apart.
    WriteFile(work / "line.csv",
              "T (degC), rate (1/s), eta (Pa.s)\n200, 1, 5000\n210, 2, 4000\n220, 4, 3000\n"
              "230, 8, 2000\n240, 16, 1500\n250, 32, 1000\n");
    const Result line = Run({"fit", "line.csv"});
    EXPECT_EQ(line.exitCode, 3);
    EXPECT_EQ(line.err,
              "tadmor: cannot fit the rheometer table line.csv: the points do not determine ViscA1, "
              "ViscA11, ViscA2, ViscA22 and ViscA12 together: measure more shear rates at more "
              "temperatures\n");
    WriteFile(work / "few.csv", "T (degC), rate (1/s), eta (Pa.s)\n200, 1, 5000\n210, 2, 4000\n220, 4, 3000\n");
    const Result few = Run({"fit", "few.csv"});
    EXPECT_EQ(few.exitCode, 3);
    EXPECT_EQ(few.err, "tadmor: cannot fit the rheometer table few.csv: 3 points cannot determine 6 coefficients\n");
}

}  // namespace
}  // namespace tadmor
