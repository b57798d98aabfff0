// The studio's materials: the library's folders, applying a material from
// the library or a file, and the fit dialog against the fit library.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/studio/FitDialog.h"
#include "app/studio/InputPanel.h"
#include "app/studio/MaterialLibrary.h"
#include "export/FitReport.h"
#include "material/FitData.h"
#include "model/NumberText.h"

namespace tadmor::studio {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();
const std::string kTable = (kSourceRoot / "docs/materials-example/rheometer.csv").string();

// The program's default material in SI units, converted by hand (as in
// docs/materials.md): it must read as the model-unit values below.
const char* const kSiMaterial = R"(Name = Default in SI
ViscosityUnits = Pa.s degC
ViscA0 = 12.02764581997365
ViscA1 = -0.80314
ViscA11 = -0.055098
ViscA2 = 0.0047899
ViscA22 = -0.00012377
ViscA12 = 0.0047277
SolidDensity = 1340 kg/m3
MeltDensity = 1.2 g/cm3
SolidHeat = 1.6736 kJ/(kg.K)
FusionHeat = 74.0568 J/g
MeltHeat = 2008.32 J/(kg.K)
MeltConductivity = 0.217568 W/(m.K)
MeltingPoint = 538.15 K
)";
const std::array<double, 13> kDefaultValues = {7.442, -0.80314, -0.055098, 0.0047899, -0.00012377, 0.0047277, 1.34,
                                               1.2,   0.4,      17.7,      0.48,      0.00052,     265};

void Write(const fs::path& path, const std::string& contents) { std::ofstream(path) << contents; }

double TextValue(const InputPanel& panel, std::string_view key) {
    return TextToNumber(panel.Texts().texts.at(std::string(key)), '.').value_or(NAN);
}

// Two folders: the program's (the default material, and the same in SI
// units) and the engineer's (files that cannot be read, each with its reason).
class MaterialFolders : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = fs::path(folder_.path().toStdString()) / "program";
        user_ = fs::path(folder_.path().toStdString()) / "user";
        fs::create_directories(program_);
        fs::create_directories(user_);
        fs::copy_file(kSourceRoot / "materials/default.material", program_ / "default.material");
        Write(program_ / "si.material", kSiMaterial);
        Write(program_ / "notes.txt", "not a material");
        for (const BadFile& bad : kBadFiles) Write(user_ / bad.file, bad.contents);
    }
    std::vector<LibraryFolder> Folders() const {
        return {{program_.string(), "the program's materials"},
                {user_.string(), "your materials"},
                {(user_ / "none").string(), "a folder that is not there"}};
    }

    struct BadFile {
        const char* file;
        std::string contents;
        const char* reason;  // with the line
    };
    const std::vector<BadFile> kBadFiles = {
        {"huge.material", "SolidDensity = 1e999\n", ":1: \"1e999\" is beyond the range of a double"},
        {"twice.material", "Name = A\nViscA0 = 1\nViscA0 = 2\n", ":3: ViscA0 is given twice (first at line 2)"},
        {"unit.material", "SolidDensity = 1.3 cal/g\n",
         ":1: \"cal/g\" is not a unit of SolidDensity (one of g/cm3, kg/m3)"},
        {"unknown.material", "Colour = red\n", ":1: unknown name \"Colour\""},
    };
    QTemporaryDir folder_;
    fs::path program_, user_;
};

TEST_F(MaterialFolders, TheLibraryListsBothFoldersAndRefusesBadFilesWithTheReason) {
    const std::vector<LibraryEntry> entries = ListLibrary(Folders());
    ASSERT_EQ(entries.size(), 2 + kBadFiles.size());
    EXPECT_EQ(entries[0].Name(), "Window default material");
    EXPECT_EQ(entries[0].Origin(), "the program's materials: default.material");
    EXPECT_EQ(entries[1].Name(), "Default in SI");
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(entries[i].material && entries[i].problem.empty()) << i;
    for (std::size_t i = 0; i < kBadFiles.size(); ++i) {
        const LibraryEntry& entry = entries[2 + i];
        SCOPED_TRACE(kBadFiles[i].file);
        EXPECT_EQ(entry.folder.title, "your materials");
        EXPECT_FALSE(entry.material);
        EXPECT_EQ(entry.Name(), fs::path(kBadFiles[i].file).stem().string());
        EXPECT_EQ(entry.problem, entry.path + kBadFiles[i].reason);
    }
}

TEST_F(MaterialFolders, ALibraryMaterialGivesTheFileNumbersAndChangedOnce) {
    InputPanel panel;
    panel.SetLibraryFolders(Folders());
    QComboBox* library = panel.LibraryChoice();
    auto* model = qobject_cast<QStandardItemModel*>(library->model());
    // The placeholder, two materials, the bad files disabled with their reason.
    for (std::size_t i = 0; i < kBadFiles.size(); ++i) {
        const int at = 3 + static_cast<int>(i);
        EXPECT_FALSE(model->item(at)->isEnabled());
        EXPECT_TRUE(library->itemData(at, Qt::ToolTipRole).toString().endsWith(kBadFiles[i].reason));
    }
    for (const auto& [at, file] : {std::pair{1, "default.material"}, std::pair{2, "si.material"}}) {
        SCOPED_TRACE(file);
        const material::Material read = material::ReadMaterialFile((program_ / file).string());
        QSignalSpy changed(&panel, &InputPanel::Changed);
        QSignalSpy applied(&panel, &InputPanel::MaterialApplied);
        library->setCurrentIndex(at);
        emit library->activated(at);
        EXPECT_EQ(changed.count(), 1);
        ASSERT_EQ(applied.count(), 1);
        EXPECT_EQ(applied[0][0].toString(), QString("the program's materials: ") + file);
        for (int i = 0; i < material::kMaterialInputCount; ++i) {
            EXPECT_EQ(TextValue(panel, material::kMaterialInputs[i]), read.values[i]) << material::kMaterialInputs[i];
            EXPECT_NEAR(TextValue(panel, material::kMaterialInputs[i]), kDefaultValues[i],
                        1e-12 * std::abs(kDefaultValues[i]))
                << material::kMaterialInputs[i];
        }
        EXPECT_EQ(library->currentIndex(), at);
        EXPECT_EQ(panel.findChild<QLabel*>("material")->text(),
                  QString("Material: %1 (the program's materials: %2)").arg(library->itemText(at), file));
    }
    QTest::keyClicks(panel.Field("MeltingPoint"), "1");
    EXPECT_TRUE(panel.findChild<QLabel*>("material")->text().endsWith(", edited"));
}

TEST_F(MaterialFolders, AFileThatCannotBeReadIsShownBesideAndChangesNothing) {
    InputPanel panel;
    const StudioTexts before = panel.Texts();
    QSignalSpy changed(&panel, &InputPanel::Changed);
    std::vector<std::pair<std::string, std::string>> cases;  // path, the message
    for (const BadFile& bad : kBadFiles) cases.emplace_back((user_ / bad.file).string(), bad.reason);
    cases.emplace_back((user_ / "absent.material").string(), "");
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        panel.ApplyMaterialFile(QString::fromStdString(path));
        const QString shown = panel.Problem("Material")->text();
        EXPECT_FALSE(panel.Problem("Material")->isHidden());
        EXPECT_TRUE(shown.contains(QString::fromStdString(path))) << shown.toStdString();
        if (!reason.empty()) EXPECT_EQ(shown.toStdString(), path + reason);
    }
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(panel.Texts().texts, before.texts);
    // A good file clears the message and names its path.
    panel.ApplyMaterialFile(QString::fromStdString((program_ / "si.material").string()));
    EXPECT_TRUE(panel.Problem("Material")->isHidden());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(panel.Texts().materialOrigin, (program_ / "si.material").string());
}

// The table of docs/materials-example fitted by the dialog: the fit library's
// coefficients with the same options, and those of the material file the
// command made from it (docs/materials-example/refitted.material).
TEST(FitDialog, FitsAsTheFitLibraryDoesAndUsesOrSavesTheMaterial) {
    QTemporaryDir folder;
    const std::string kelvin = folder.filePath("kelvin.csv").toStdString();
    {  // the same table in K and without units in the header: the units come from the dialog
        std::ifstream in(kTable);
        std::ofstream out(kelvin);
        out << "T, rate, eta\n";
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#' || line[0] == 'T') continue;
            const double t = std::stod(line.substr(0, line.find(',')));
            out << ExactNumber(t + 273.15) << line.substr(line.find(',')) << "\n";
        }
    }
    const material::FitData data = material::TableData(kTable, {});
    const material::LawFit direct = material::FitLaw(data);
    const material::Material refitted =
        material::ReadMaterialFile((kSourceRoot / "docs/materials-example/refitted.material").string());

    InputPanel panel;
    panel.FitMaterialButton()->click();
    auto* dialog = panel.findChild<FitDialog*>();
    ASSERT_TRUE(dialog);
    struct Case {
        std::string table;
        int temperatureUnit, viscosityUnit;  // the combos' rows: 0 the header's
        double tolerance;                    // relative
    };
    for (const Case& c : {Case{kTable, 0, 0, 0}, Case{kelvin, 2, 1, 1e-9}}) {
        SCOPED_TRACE(c.table);
        dialog->findChild<QComboBox*>("fitTemperatureUnit")->setCurrentIndex(c.temperatureUnit);
        dialog->findChild<QComboBox*>("fitViscosityUnit")->setCurrentIndex(c.viscosityUnit);
        dialog->FitTable(QString::fromStdString(c.table));
        ASSERT_TRUE(dialog->Fitted()) << dialog->findChild<QLabel*>("fitProblem")->text().toStdString();
        for (int i = 0; i < material::kLawCoefficientCount; ++i) {
            const double a = dialog->Fitted()->values[i];
            EXPECT_NEAR(a, direct.coefficients[i], c.tolerance * std::abs(direct.coefficients[i])) << i;
            EXPECT_NEAR(a, refitted.values[i], 1e-12 * std::abs(refitted.values[i])) << i;
        }
        for (int i = material::kLawCoefficientCount; i < material::kMaterialInputCount; ++i)
            EXPECT_EQ(dialog->Fitted()->values[i], kDefaultValues[i]);  // the program's defaults
    }
    dialog->findChild<QComboBox*>("fitTemperatureUnit")->setCurrentIndex(0);
    dialog->findChild<QComboBox*>("fitViscosityUnit")->setCurrentIndex(0);
    dialog->FitTable(QString::fromStdString(kTable));
    EXPECT_TRUE(dialog->findChild<QPlainTextEdit*>("fitReport")
                    ->toPlainText()
                    .startsWith(QString::fromStdString(exporting::FitReport(direct, data.description))));

    // Saved, it reads back the same; a folder that is not there is refused in words.
    const QString saved = folder.filePath("fitted.material");
    EXPECT_TRUE(dialog->SaveMaterial(saved));
    EXPECT_EQ(material::ReadMaterialFile(saved.toStdString()).values, dialog->Fitted()->values);
    EXPECT_FALSE(dialog->SaveMaterial(folder.filePath("none/fitted.material")));
    EXPECT_TRUE(dialog->findChild<QLabel*>("fitStatus")->text().contains("cannot write the material file"));

    QSignalSpy changed(&panel, &InputPanel::Changed);
    dialog->findChild<QPushButton*>("useMaterial")->click();
    EXPECT_EQ(changed.count(), 1);
    for (int i = 0; i < material::kLawCoefficientCount; ++i)
        EXPECT_EQ(TextValue(panel, material::kMaterialInputs[i]), direct.coefficients[i]);
    EXPECT_EQ(panel.Texts().materialOrigin, "fitted to " + kTable);
    EXPECT_FALSE(dialog->isVisible());
}

TEST(FitDialog, ATableThatCannotBeFittedSaysWhyAndLeavesTheMaterial) {
    QTemporaryDir folder;
    const struct {
        const char* contents;
        const char* reason;
    } kBadTables[] = {
        {"T (degC), rate (1/s), eta (Pa.s)\n200, 10, many\n", ":2: "},
        {"T, rate, eta\n200, 10, 100\n", "no unit of the temperature"},
        {"T (degC), rate (1/s), eta (Pa.s)\n200, 10, 1\n200, 10, 100\n", "the law misses the data by a factor"},
        // Fitted, but one temperature gives no temperature sensitivity: no material a run could use.
        {"T (degC), rate (1/s), eta (Pa.s)\n200, 10, 100\n200, 100, 50\n200, 1000, 20\n",
         "makes no material file that could run"},
        {"# nothing\n", "the table has no rows"},
    };
    InputPanel panel;
    const StudioTexts before = panel.Texts();
    QSignalSpy changed(&panel, &InputPanel::Changed);
    FitDialog* dialog = nullptr;
    panel.FitMaterialButton()->click();
    dialog = panel.findChild<FitDialog*>();
    ASSERT_TRUE(dialog);
    int n = 0;
    for (const auto& bad : kBadTables) {
        SCOPED_TRACE(bad.contents);
        const QString path = folder.filePath(QString("bad%1.csv").arg(n++));
        Write(path.toStdString(), bad.contents);
        dialog->FitTable(path);
        EXPECT_FALSE(dialog->Fitted());
        const QLabel* problem = dialog->findChild<QLabel*>("fitProblem");
        EXPECT_FALSE(problem->isHidden());
        EXPECT_TRUE(problem->text().contains(bad.reason)) << problem->text().toStdString();
        EXPECT_FALSE(dialog->findChild<QPushButton*>("useMaterial")->isEnabled());
        EXPECT_FALSE(dialog->findChild<QPushButton*>("saveMaterial")->isEnabled());
        dialog->findChild<QPushButton*>("useMaterial")->click();
    }
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(panel.Texts().texts, before.texts);
    EXPECT_FALSE(panel.Texts().material);
}

}  // namespace
}  // namespace tadmor::studio
