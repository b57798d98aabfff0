// Material files: reading them, the refusals with file and line, writing them
// back, and the same material in SI units and in the model's units giving the
// same results file byte for byte.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "material/Material.h"
#include "model/InputFields.h"
#include "model/NumberText.h"
#include "support/Errors.h"
#include "support/RecordingUi.h"

namespace tadmor::material {
namespace {

namespace fs = std::filesystem;

// The window's default material, as the program's defaults give it.
const std::string kModelUnits = R"(Name = Window default material
Source = the default texts of the window
ViscA0 = 7.442
ViscA1 = -0.80314
ViscA11 = -0.055098
ViscA2 = 0.0047899
ViscA22 = -0.00012377
ViscA12 = 0.0047277
SolidDensity = 1.34
MeltDensity = 1.2
SolidHeat = 0.4
FusionHeat = 17.7
MeltHeat = 0.48
MeltConductivity = 0.00052
MeltingPoint = 265.0
)";

// The same material in SI units, with the law for eta in Pa s and T in
// kelvin. Worked out by hand in 40-digit decimal arithmetic (Python's
// decimal module): a0 = 7.442 + ln 98.0665 - a2 c + a22 c², a1 = a1 - a12 c,
// a2 = a2 - 2 a22 c with c = 273.15; 0.4 x 4.184 = 1.6736, 0.48 x 4.184 =
// 2.00832, 17.7 x 4.184 = 74.0568, 0.00052 x 418.4 = 0.217568.
const std::string kSiUnits = R"(# the window's material in SI units
Name = Window default material
Source = the default texts of the window, converted by hand
ViscosityUnits = Pa.s K
ViscA0 = 1.48469075714865001657933696879
ViscA1 = -2.094511255
ViscA11 = -0.055098
ViscA2 = 0.0724054510
ViscA22 = -0.00012377
ViscA12 = 0.0047277
SolidDensity = 1340 kg/m3
MeltDensity = 1200 kg/m³
SolidHeat = 1.6736 kJ/(kg·K)
FusionHeat = 74.0568 J/g
MeltHeat = 2008.32 J/kg/K
MeltConductivity = 0.217568 W/(m.K)
MeltingPoint = 538.15 K
)";

std::string ErrorOf(const std::string& contents) {
    try {
        ParseMaterial(contents, "m.material");
    } catch (const Error& error) {
        EXPECT_EQ(static_cast<int>(error.Kind()), static_cast<int>(ErrorKind::Material));
        return error.what();
    }
    return "no error";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(MaterialFile, ModelUnitsReadAsTheDefaultTexts) {
    const Material material = ParseMaterial(kModelUnits, "default");
    EXPECT_EQ(material.name, "Window default material");
    ASSERT_EQ(material.sources.size(), 1u);
    EXPECT_FALSE(material.range.has_value());
    const FieldTexts defaults = DefaultFieldTexts('.');
    for (int i = 0; i < kMaterialInputCount; ++i)
        EXPECT_EQ(material.values[i], TextToNumber(defaults[FieldIndexOf(kMaterialInputs[i])], '.'))
            << kMaterialInputs[i];
}

// Every value of the SI file converts to the very double of the default text.
TEST(MaterialFile, SiUnitsConvertToTheSameDoubles) {
    const Material si = ParseMaterial(kSiUnits, "si");
    const Material model = ParseMaterial(kModelUnits, "model");
    for (int i = 0; i < kMaterialInputCount; ++i) EXPECT_EQ(si.values[i], model.values[i]) << kMaterialInputs[i];
}

// A material file or table that is not a regular file is refused at once:
// a FIFO without a writer would otherwise block the read for ever.
TEST(MaterialFile, OnlyRegularFilesAreRead) {
    const fs::path folder = fs::temp_directory_path() / ("tadmor-material-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path fifo = folder / "m.material";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {fifo, folder, folder / "missing.material"}) {
        try {
            ReadMaterialFile(path.string());
            ADD_FAILURE() << path << " was read";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("cannot read material file \"" + path.string() + "\": ", 0), 0u)
                << error.what();
        }
    }
    fs::remove_all(folder);
}

TEST(MaterialFile, RefusalsNameFileAndLine) {
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltHeat = 0.48\n", "")),
              "m.material:14: MeltHeat is missing; a material gives all thirteen inputs");
    EXPECT_EQ(ErrorOf(kModelUnits + "ViscA2 = 0.1\n"), "m.material:16: ViscA2 is given twice (first at line 6)");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "SolidHeat = 0.4", "SolidHeat = 0.4 kg/m3")),
              "m.material:11: \"kg/m3\" is not a unit of SolidHeat (one of cal/(g.degC), cal/(g.K), J/(kg.K), "
              "J/(kg.degC), kJ/(kg.K), kJ/(kg.degC), J/(g.K), J/(g.degC))");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "ViscA1 = -0.80314", "ViscA1 = -0.80314 Pa.s")),
              "m.material:4: the viscosity law's units go on the ViscosityUnits line, not on ViscA1");
    EXPECT_EQ(ErrorOf(kModelUnits + "ViscosityUnits = Pa.s F\n"),
              "m.material:16: \"F\" is not a unit of the law's temperature (one of degC, K)");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltDensity = 1.2", "MeltDensity = 1,2")),
              "m.material:10: \"1,2\" is not a number written with \".\"");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltDensity = 1.2", "MeltDensity = inf")),
              "m.material:10: \"inf\" is not a number written with \".\"");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltDensity = 1.2", "MeltDensity = 1e309")),
              "m.material:10: \"1e309\" is beyond the range of a double");
    EXPECT_EQ(ErrorOf(kModelUnits + "Colour = green\n"), "m.material:16: unknown name \"Colour\"");
    EXPECT_EQ(ErrorOf(kModelUnits + "Sorce = a handbook\n"),
              "m.material:16: unknown name \"Sorce\"; did you mean Source?");
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltingPoint", "MeltingPiont")),
              "m.material:15: unknown name \"MeltingPiont\"; did you mean MeltingPoint?");
    EXPECT_EQ(ErrorOf(kModelUnits + "just text\n"), "m.material:16: expected NAME = TEXT");
    EXPECT_EQ(ErrorOf(kModelUnits + "FitTemperatureMin = 150 degC\n"),
              "m.material:16: the fitted range needs all four of FitTemperatureMin, FitTemperatureMax, "
              "FitShearRateMin and FitShearRateMax");
    EXPECT_EQ(ErrorOf(kModelUnits + "FitTemperatureMin = 250 degC\nFitTemperatureMax = 500 K\n"
                                    "FitShearRateMin = 1 1/s\nFitShearRateMax = 100\n"),
              "m.material:17: FitTemperatureMax must not be below FitTemperatureMin");
    EXPECT_EQ(ErrorOf(kModelUnits + "FitTemperatureMin = 0 K\nFitTemperatureMax = 500 K\n"
                                    "FitShearRateMin = 1 1/s\nFitShearRateMax = 100\n"),
              "m.material:16: FitTemperatureMin must be above absolute zero, -273.15 degC");
    EXPECT_EQ(ErrorOf(kModelUnits + "FitShearRateMin = 1 1/min\n"),
              "m.material:16: \"1/min\" is not a unit of FitShearRateMin (one of 1/s)");
}

// A value is quoted whole up to 80 bytes, its control characters written out:
// a NUL would otherwise end the message, a huge number flood it.
TEST(MaterialFile, RefusalsQuoteValuesSafely) {
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltDensity = 1.2", "MeltDensity = 1.3" + std::string(1, '\0') + "4")),
              "m.material:10: \"1.3\\x004\" is not a number written with \".\"");
    const std::string huge = "1" + std::string(100000, '0');
    EXPECT_EQ(ErrorOf(Replaced(kModelUnits, "MeltDensity = 1.2", "MeltDensity = " + huge)),
              "m.material:10: \"" + huge.substr(0, 80) + "...\" is beyond the range of a double");
}

TEST(MaterialFile, AByteOrderMarkIsSkipped) {
    EXPECT_EQ(ParseMaterial("\xEF\xBB\xBF" + kModelUnits, "bom").values, ParseMaterial(kModelUnits, "m").values);
}

// The base of a fit gives the thermal properties; the law is the fit's.
TEST(MaterialFile, AFitBaseNeedsNoLaw) {
    std::string thermal = kModelUnits;
    for (int i = 0; i < kLawCoefficientCount; ++i) {
        const auto at = thermal.find(std::string(kMaterialInputs[i]) + " = ");
        thermal.erase(at, thermal.find('\n', at) + 1 - at);
    }
    const Material base = ParseMaterial(thermal, "thermal", MaterialUse::FitBase);
    EXPECT_EQ(base.values[kMaterialInputCount - 1], 265.0);
    EXPECT_EQ(ErrorOf(thermal), "m.material:9: ViscA0 is missing; a material gives all thirteen inputs");
    const auto baseError = [](const std::string& contents) {
        return test::ErrorTextOf([&] { ParseMaterial(contents, "m.material", MaterialUse::FitBase); },
                                 ErrorKind::Material);
    };
    EXPECT_EQ(baseError(thermal + "ViscA0 = 7\n"),
              "m.material:10: ViscA1 is missing; a base material gives the six coefficients of the law all or none");
    EXPECT_EQ(baseError(Replaced(thermal, "MeltHeat = 0.48\n", "")),
              "m.material:8: MeltHeat is missing; a base material gives the seven thermal properties");
}

TEST(MaterialFile, RangeInEitherTemperatureScale) {
    const Material material = ParseMaterial(kModelUnits +
                                                "FitTemperatureMin = 453.15 K\nFitTemperatureMax = 240 degC\n"
                                                "FitShearRateMin = 2.5 1/s\nFitShearRateMax = 4000\n",
                                            "m");
    ASSERT_TRUE(material.range.has_value());
    EXPECT_NEAR(material.range->temperatureMin, 180.0, 1e-12);
    EXPECT_EQ(material.range->temperatureMax, 240.0);
    EXPECT_EQ(material.range->shearRateMin, 2.5);
    EXPECT_EQ(material.range->shearRateMax, 4000.0);
    // Data at one temperature and one shear rate make a range of one of each.
    const Material point = ParseMaterial(kModelUnits +
                                             "FitTemperatureMin = 200 degC\nFitTemperatureMax = 200\n"
                                             "FitShearRateMin = 10\nFitShearRateMax = 10\n",
                                         "m");
    ASSERT_TRUE(point.range.has_value());
    EXPECT_EQ(point.range->temperatureMin, point.range->temperatureMax);
}

TEST(MaterialFile, WrittenFileReadsBackToTheSameDoubles) {
    Material material = ParseMaterial(kSiUnits, "si");
    material.name = "  padded name";
    material.sources.push_back("a second source");
    material.range = FittedRange{180.0 + 1.0 / 3, 240.1, 0.1, 1e4 / 7};
    const Material back = ParseMaterial(MaterialFileText(material), "written");
    EXPECT_EQ(back.name, material.name);
    EXPECT_EQ(back.sources, material.sources);
    EXPECT_EQ(back.values, material.values);
    ASSERT_TRUE(back.range.has_value());
    EXPECT_EQ(back.range->temperatureMin, material.range->temperatureMin);
    EXPECT_EQ(back.range->shearRateMax, material.range->shearRateMax);
}

TEST(MaterialFile, ExactNumberReadsBackAsTheSameDouble) {
    std::mt19937_64 random(12);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int k = 0; k < 20000; ++k) {
        const double value = std::ldexp(mantissa(random), exponent(random));
        EXPECT_EQ(TextToNumber(ExactNumber(value), '.'), value) << ExactNumber(value);
    }
}

class MaterialRun : public testing::Test {
protected:
    fs::path folder;
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tadmor-material-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(folder); }

    // The results file of the default inputs with `material`.
    std::string ResultsWith(const Material& material, const std::string& name, char separator = '.') {
        FieldTexts texts = DefaultFieldTexts(separator);
        ApplyMaterial(material, texts, separator);
        texts[kFieldCount - 1] = (folder / name).string();
        SimulationState state;
        test::RecordingUi ui;
        EXPECT_EQ(RunCalculationRequest(texts, separator, state, ui), RequestOutcome::Completed);
        std::ifstream file(folder / name, std::ios::binary);
        std::ostringstream contents;
        contents << file.rdbuf();
        return contents.str();
    }
};

TEST_F(MaterialRun, SiAndModelUnitsGiveTheSameResultsFile) {
    const std::string model = ResultsWith(ParseMaterial(kModelUnits, "model"), "model.txt");
    ASSERT_GT(model.size(), 10000u);
    EXPECT_EQ(ResultsWith(ParseMaterial(kSiUnits, "si"), "si.txt"), model);
    // and the same as the defaults with no material at all
    FieldTexts texts = DefaultFieldTexts('.');
    texts[kFieldCount - 1] = (folder / "defaults.txt").string();
    SimulationState state;
    test::RecordingUi ui;
    RunCalculationRequest(texts, '.', state, ui);
    std::ifstream file(folder / "defaults.txt", std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    EXPECT_EQ(contents.str(), model);
    EXPECT_EQ(ResultsWith(ParseMaterial(kSiUnits, "si"), "comma.txt", ','),
              ResultsWith(ParseMaterial(kModelUnits, "model"), "comma-model.txt", ','));
}

// Every example material names its source and runs the default screw.
TEST_F(MaterialRun, ExampleMaterialsRun) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(TADMOR_MATERIALS_DIR)) {
        if (entry.path().extension() != ".material") continue;
        ++count;
        const Material material = ReadMaterialFile(entry.path().string());
        EXPECT_FALSE(material.sources.empty()) << entry.path();
        EXPECT_FALSE(material.name.empty()) << entry.path();
        EXPECT_GT(ResultsWith(material, entry.path().stem().string() + ".txt").size(), 1000u) << entry.path();
    }
    EXPECT_GE(count, 1);
}

}  // namespace
}  // namespace tadmor::material

namespace tadmor::material {
namespace {

TEST_F(MaterialRun, WrittenFileOnDisk) {
    const Material material = ParseMaterial(kSiUnits, "si");
    const std::string path = (folder / "written.material").string();
    WriteMaterialFile(material, path);
    EXPECT_EQ(ReadMaterialFile(path).values, material.values);
    try {
        WriteMaterialFile(material, (folder / "no-such-folder" / "m.material").string());
        ADD_FAILURE() << "written";
    } catch (const Error& error) {
        EXPECT_EQ(static_cast<int>(error.Kind()), static_cast<int>(ErrorKind::File));
        EXPECT_TRUE(std::string(error.what()).ends_with("\": No such file or directory")) << error.what();
    }
}

}  // namespace
}  // namespace tadmor::material
