// The studio's files on Qt's offscreen platform: a case saved and opened
// again, the exports against the program's own writers, undo and redo of
// the inputs, and the files opened lately.
#include "app/studio/FileCommands.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/studio/InputPanel.h"
#include "app/studio/MainWindow.h"
#include "app/studio/StudioFiles.h"
#include "export/RunExport.h"
#include "material/Material.h"
#include "report/ResultsFile.h"

namespace tadmor::studio {
namespace {

std::string Contents(const QString& path) {
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Types `text` into the entry as the engineer does, replacing its text.
void Type(MainWindow& window, const char* key, const QString& text) {
    QLineEdit* entry = window.Inputs()->Field(key);
    entry->selectAll();
    QTest::keyClicks(entry, text);
}

// Whether the result shown is that of the inputs as they are, waiting for it.
bool ResultOfInputs(MainWindow& window) {
    return QTest::qWaitFor(
        [&] {
            const LiveResult* shown = window.Current();
            return shown && shown->inputs.texts == BuildRequest(window.Inputs()->Texts()).inputs.texts;
        },
        60000);
}

void WriteMaterial(const QString& path) {
    material::Material material;
    material.name = "stiff";
    for (std::size_t i = 0; i < material.values.size(); ++i) material.values[i] = 1.0 + i;
    material::WriteMaterialFile(material, path.toStdString());
}

class Files : public ::testing::Test {
protected:
    // The remembered settings go to a folder of the test's own, and back after it.
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.filePath("config"));
    }
    void TearDown() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QString Path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
};

TEST_F(Files, ASavedCaseOpensToTheSameTextsAndResults) {
    MainWindow saved;
    Type(saved, "ScrewSpeed", "45.5");
    Type(saved, "BarrelC0", "275");
    saved.Inputs()->DieChoice()->setCurrentIndex(static_cast<int>(DieKind::Capillary));
    EXPECT_TRUE(saved.isWindowModified());
    saved.Files()->SaveCase(Path("hot.case"));
    EXPECT_FALSE(saved.isWindowModified());
    EXPECT_EQ(saved.windowTitle(), "hot.case[*] — Tadmor Studio");

    MainWindow opened;
    opened.Files()->OpenCase(Path("hot.case"));
    EXPECT_EQ(opened.Files()->CasePath(), Path("hot.case"));
    EXPECT_FALSE(opened.isWindowModified());
    EXPECT_EQ(opened.Inputs()->Texts().texts, saved.Inputs()->Texts().texts);
    EXPECT_EQ(opened.Inputs()->Texts().die, DieKind::Capillary);
    EXPECT_EQ(opened.Inputs()->Field("ScrewSpeed")->text(), "45.5");

    ASSERT_TRUE(ResultOfInputs(saved) && ResultOfInputs(opened));
    EXPECT_EQ(opened.Current()->outcome, saved.Current()->outcome);
    EXPECT_EQ(exporting::ResultsJson(opened.Current()->inputs, opened.Current()->calculation,
                                     opened.Current()->summary.warnings),
              exporting::ResultsJson(saved.Current()->inputs, saved.Current()->calculation,
                                     saved.Current()->summary.warnings));
    EXPECT_TRUE(opened.Current()->extruder.has_value());
}

TEST_F(Files, TheExportsAreThoseOfTheCalculation) {
    MainWindow window;
    Type(window, "OutputRate", "250");
    ASSERT_TRUE(ResultOfInputs(window));

    // The results file as a request writes it for the same inputs, built without the studio.
    inputs::Case given = inputs::DefaultCase();
    inputs::SetInput(given, "OutputRate", "250", "test");
    Calculation calculation = inputs::Calculate(given);
    ASSERT_EQ(calculation.outcome, RequestOutcome::Completed);
    calculation.state.ResultFileName = Path("request.txt").toStdString();
    ResultsFileWriter writer;
    ASSERT_TRUE(writer.WriteInputSection(calculation.state) && writer.WriteResultsTable(calculation.state));

    window.Files()->ExportRun(FileCommands::Export::Results, Path("studio.txt"));
    const std::string results = Contents(Path("studio.txt"));
    EXPECT_EQ(results, Contents(Path("request.txt")));
    EXPECT_NE(results.find("\r\n [RESULTS]\r\n"), std::string::npos);

    const struct {
        const char* name;
        std::string start;
    } files[] = {
        {"run.csv", "FLIGHT (turns),"}, {"run.json", "{"}, {"melting.png", "\x89PNG"}, {"melting.svg", "<?xml"}};
    for (const auto& [name, start] : files) {
        const QString path = Path(name);
        if (path.endsWith(".csv")) window.Files()->ExportRun(FileCommands::Export::Csv, path);
        if (path.endsWith(".json")) window.Files()->ExportRun(FileCommands::Export::Json, path);
        if (path.endsWith(".png") || path.endsWith(".svg")) window.Files()->ExportChart(path);
        EXPECT_EQ(Contents(path).substr(0, start.size()), start) << name;
    }
    EXPECT_EQ(Contents(Path("run.csv")), exporting::ResultsCsv(calculation.state));

    // Inputs not yet calculated are not exported, and an earlier file stays as it was.
    Type(window, "OutputRate", "-1");
    EXPECT_THROW(window.Files()->ExportRun(FileCommands::Export::Results, Path("studio.txt")), Error);
    EXPECT_EQ(Contents(Path("studio.txt")), results);
    // A file that cannot be written is named with the reason.
    try {
        window.Files()->SaveCase(Path("no-such-folder/x.case"));
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const Error& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::File);
        EXPECT_NE(std::string(error.what()).find("no-such-folder/x.case\": No such file or directory"),
                  std::string::npos)
            << error.what();
    }
}

TEST_F(Files, UndoAndRedoRestoreTheInputs) {
    MainWindow window;
    QUndoStack* undo = window.Files()->UndoStack();
    const StudioTexts start = window.Inputs()->Texts();
    Type(window, "ScrewSpeed", "40");
    Type(window, "ScrewSpeed", "42");  // typing on in one entry is one step
    Type(window, "FeedTurns", "9");
    EXPECT_EQ(undo->count(), 2);
    window.Inputs()->UnitChoice()->setCurrentIndex(0);  // millimetres
    EXPECT_EQ(window.Inputs()->Field("ScrewDiameter")->text(), "150");

    WriteMaterial(Path("stiff.material"));
    window.Files()->OpenMaterial(Path("stiff.material"));
    EXPECT_EQ(window.Inputs()->Texts().materialOrigin, Path("stiff.material").toStdString());
    const StudioTexts end = window.Inputs()->Texts();

    const struct {
        const char* key;
        const char* text;
    } steps[] = {{"ViscA0", "7.442"}, {"ScrewDiameter", "15.0"}, {"FeedTurns", "10.0"}, {"ScrewSpeed", "38.0"}};
    for (const auto& [key, text] : steps) {
        undo->undo();
        EXPECT_EQ(window.Inputs()->Field(key)->text(), text) << key;
    }
    EXPECT_EQ(window.Inputs()->Texts().texts, start.texts);
    EXPECT_FALSE(window.isWindowModified());
    while (undo->canRedo()) undo->redo();
    EXPECT_EQ(window.Inputs()->Texts().texts, end.texts);
    EXPECT_EQ(window.Inputs()->Texts().unit, LengthUnit::Millimetre);
    EXPECT_EQ(window.Inputs()->Field("ScrewSpeed")->text(), "42");
    EXPECT_TRUE(window.isWindowModified());
}

TEST(RecentFiles, NewestFirstOnceEachAtMostEight) {
    const struct {
        std::vector<std::string> recent;
        std::string opened;
        std::vector<std::string> after;
    } cases[] = {
        {{}, "a", {"a"}},
        {{"a", "b", "c"}, "c", {"c", "a", "b"}},
        {{"a", "b"}, "a", {"a", "b"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8"}, "9", {"9", "1", "2", "3", "4", "5", "6", "7"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8"}, "5", {"5", "1", "2", "3", "4", "6", "7", "8"}},
    };
    for (const auto& [recent, opened, after] : cases) EXPECT_EQ(WithRecentFile(recent, opened), after) << opened;
}

TEST_F(Files, OpenedSavedAndDroppedFilesAreRemembered) {
    MainWindow window;
    EXPECT_EQ(window.windowTitle(), "untitled[*] — Tadmor Studio");
    window.Files()->SaveCase(Path("a.case"));
    window.Files()->SaveCase(Path("b.case"));
    window.Files()->OpenCase(Path("a.case"));

    // A material file dropped on the window sets the material.
    WriteMaterial(Path("stiff.material"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("stiff.material"))});
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    EXPECT_EQ(window.Inputs()->Texts().materialOrigin, Path("stiff.material").toStdString());
    EXPECT_EQ(window.Files()->RecentFiles(), QStringList({Path("stiff.material"), Path("a.case"), Path("b.case")}));
}

}  // namespace
}  // namespace tadmor::studio
