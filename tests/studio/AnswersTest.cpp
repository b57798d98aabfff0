// The design answers against direct calculations of the same cases, and
// their running, cancelling and messages on the offscreen platform.
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "app/studio/AnswersPanel.h"
#include "app/studio/ChartView.h"
#include "app/studio/MainWindow.h"
#include "inputs/Case.h"
#include "model/NumberText.h"

namespace tadmor::studio {
namespace {

StudioRequest DefaultRequest() { return BuildRequest(DefaultTexts()); }

// The case with the inputs set, calculated directly.
RunSummary Direct(inputs::Case base, const std::vector<std::pair<std::string, double>>& values) {
    for (const auto& [name, value] : values) inputs::SetInput(base, name, ExactNumber(value), "test");
    return inputs::Summarize(base, inputs::Calculate(base));
}

void WaitForAnswers(const AnswersPanel& panel) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.Running(); }, 120000));
    QCoreApplication::processEvents();
}

QString LastStatus(const QSignalSpy& spy) { return spy.isEmpty() ? QString() : spy.last().at(0).toString(); }

TEST(AnswersTest, CapacityMeltsAtItsValueAndNotOneStepAbove) {
    AnswersPanel panel;
    QSignalSpy status(&panel, &AnswersPanel::Status);
    const StudioRequest request = DefaultRequest();
    panel.SetCase(request);
    panel.SetCapacitySpeeds(30, 50, 3);
    panel.RunCapacity();
    EXPECT_EQ(LastStatus(status), "Capacity: 4 solves started");
    WaitForAnswers(panel);
    EXPECT_TRUE(LastStatus(status).startsWith("Capacity: 4 solves in ")) << LastStatus(status).toStdString();

    const CapacityAnswer* answer = panel.Capacity();
    ASSERT_NE(answer, nullptr);
    ASSERT_EQ(answer->results.size(), 4u);
    // The case itself at 38 rpm, then the curve's speeds.
    const double speeds[] = {38, 30, 40, 50};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(speeds[i]);
        ASSERT_TRUE(answer->results[i]);
        ASSERT_EQ(answer->results[i]->outcome, analysis::SolveOutcome::Solved);
        const double capacity = answer->results[i]->solutions.back().met.value;
        const RunSummary at = Direct(request.inputs, {{"ScrewSpeed", speeds[i]}, {"OutputRate", capacity}});
        const RunSummary above =
            Direct(request.inputs, {{"ScrewSpeed", speeds[i]}, {"OutputRate", std::round(capacity * 10 + 1) / 10}});
        EXPECT_TRUE(at.meltingIncrementFlight.has_value()) << capacity;
        EXPECT_EQ(above.outcome, RequestOutcome::Completed);
        EXPECT_FALSE(above.meltingIncrementFlight.has_value()) << capacity;
    }
    EXPECT_TRUE(panel.AnswerText("capacity")->text().startsWith("Melting capacity: "));
    EXPECT_TRUE(std::holds_alternative<charts::Chart>(panel.Chart("capacity")->CurrentChart()));

    // Another speed makes the answer stale; back at the case it is current again.
    StudioRequest faster = request;
    faster.inputs.texts[FieldIndexOf("ScrewSpeed")] = "60";
    panel.SetCase(faster);
    EXPECT_FALSE(panel.StaleNote("capacity")->isHidden());
    panel.SetCase(request);
    EXPECT_TRUE(panel.StaleNote("capacity")->isHidden());
}

TEST(AnswersTest, MapCellsAreTheDirectRunsOfTheirCases) {
    AnswersPanel panel;
    const StudioRequest request = DefaultRequest();
    panel.SetCase(request);
    panel.findChild<QComboBox*>("mapValue")->setCurrentIndex(panel.findChild<QComboBox*>("mapValue")->findData("xw"));
    // Output rates either side of the capacity: some cells melt, some do not.
    panel.SetMap("ScrewSpeed", 30, 50, 3, "OutputRate", 100, 500, 3);
    panel.RunMap();
    WaitForAnswers(panel);
    const auto* map = std::get_if<charts::MapChart>(&panel.Chart("map")->CurrentChart());
    ASSERT_NE(map, nullptr);
    ASSERT_EQ(map->cells.size(), 9u);
    int melted = 0;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const double speed = 30 + 10 * i, rate = 100 + 200 * j;
            SCOPED_TRACE(testing::Message() << speed << " rpm, " << rate << " kg/hr");
            const RunSummary direct = Direct(request.inputs, {{"ScrewSpeed", speed}, {"OutputRate", rate}});
            const charts::MapCell& cell = map->cells[j * 3 + i];
            EXPECT_EQ(cell.outcome,
                      direct.meltingIncrementFlight ? charts::CellOutcome::Melted : charts::CellOutcome::EndOfScrew);
            ASSERT_TRUE(cell.value && direct.solidFractionAtEnd);
            EXPECT_EQ(*cell.value, *direct.solidFractionAtEnd);
            melted += cell.outcome == charts::CellOutcome::Melted;
        }
    EXPECT_GT(melted, 0);
    EXPECT_LT(melted, 9);
}

TEST(AnswersTest, CancelStopsTheMapAndASecondRunCompletes) {
    AnswersPanel panel;
    QSignalSpy status(&panel, &AnswersPanel::Status);
    panel.SetCase(DefaultRequest());
    panel.SetMap("ScrewSpeed", 20, 60, 20, "OutputRate", 100, 500, 20);
    panel.RunMap();
    EXPECT_TRUE(panel.Running());
    EXPECT_EQ(LastStatus(status), "Map: 400 cases started");
    // Cancelled once the first cases have reported.
    const auto* progress = panel.findChild<QProgressBar*>("mapProgress");
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, 60000));
    panel.Actions().at(1)->trigger();  // Cancel the running answers (Escape)
    WaitForAnswers(panel);
    ASSERT_NE(panel.Map(), nullptr);
    const long done = CasesRun(*panel.Map());
    EXPECT_GT(done, 0);
    EXPECT_LT(done, 400);
    EXPECT_EQ(LastStatus(status), QString("Map: cancelled after %1 of 400 cases").arg(done));
    EXPECT_TRUE(panel.AnswerText("map")->text().startsWith(QString("Cancelled after %1 of 400 cases.").arg(done)));

    QSignalSpy progressed(panel.findChild<AnswerTask*>("mapTask"), &AnswerTask::Progressed);
    QElapsedTimer timer;
    timer.start();
    panel.Actions().at(0)->trigger();  // Run the map (Ctrl+Shift+M)
    WaitForAnswers(panel);
    EXPECT_EQ(CasesRun(*panel.Map()), 400);
    // Progress reaches the window at most 20 times a second, and the last report is the end.
    EXPECT_LE(progressed.size(), timer.elapsed() / 50 + 2);
    ASSERT_FALSE(progressed.isEmpty());
    EXPECT_EQ(progressed.last().at(0).toLongLong(), 400);
    EXPECT_TRUE(LastStatus(status).startsWith("Map: 400 cases in ")) << LastStatus(status).toStdString();
    EXPECT_TRUE(std::holds_alternative<charts::MapChart>(panel.Chart("map")->CurrentChart()));
}

TEST(AnswersTest, ClosingTheWindowStopsARunningMap) {
    auto* window = new MainWindow;
    AnswersPanel* panel = window->Answers();
    QSignalSpy status(panel, &AnswersPanel::Status);
    panel->SetMap("ScrewSpeed", 20, 60, 100, "OutputRate", 100, 500, 100);
    panel->RunMap();  // the window has given the panel its case
    ASSERT_TRUE(panel->Running());
    EXPECT_EQ(LastStatus(status), "Map: 10000 cases started");
    QElapsedTimer timer;
    timer.start();
    delete window;
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(AnswersTest, OperatingPointMeetsTheDieDrop) {
    AnswersPanel panel;
    StudioTexts texts = DefaultTexts();
    texts.die = DieKind::Capillary;
    panel.SetCase(BuildRequest(texts));
    panel.RunOperatingPoint();
    WaitForAnswers(panel);
    ASSERT_NE(panel.OperatingPoint(), nullptr);
    const extruder::OperatingPointSearch& search = *panel.OperatingPoint();
    ASSERT_TRUE(search.point && search.point->run) << search.none;
    // At the operating point the screw builds what the die needs.
    const extruder::ExtruderRun& run = *search.point->run;
    EXPECT_NEAR(run.tipPressure, run.dieDrop, 0.01 * std::max(1.0, run.dieDrop));
    EXPECT_TRUE(std::holds_alternative<charts::Chart>(panel.Chart("operating")->CurrentChart()));
}

TEST(AnswersTest, SensitivityRowsAreTheDirectRunsRaised) {
    AnswersPanel panel;
    const StudioRequest request = DefaultRequest();
    panel.SetCase(request);
    panel.RunSensitivity();
    WaitForAnswers(panel);
    ASSERT_NE(panel.SensitivityAnswer(), nullptr);
    const analysis::SensitivityResult& result = *panel.SensitivityAnswer();
    EXPECT_TRUE(std::holds_alternative<charts::TornadoChart>(panel.Chart("sensitivity")->CurrentChart()));
    // The default case leaves solid at the end: the melting is measured by X/W there.
    const RunSummary base = Direct(request.inputs, {});
    ASSERT_FALSE(base.interpolatedMeltedFlight);
    // Screw speed raised by 1 %, the barrel temperature by 1 K.
    for (const auto& [name, raised] : {std::pair{"ScrewSpeed", 38.38}, std::pair{"BarrelC0", 291.0}}) {
        SCOPED_TRACE(name);
        const auto row =
            std::find_if(result.inputs.begin(), result.inputs.end(),
                         [&](const analysis::InputResponse& r) { return r.varied.field == FieldIndexOf(name); });
        ASSERT_NE(row, result.inputs.end());
        const double xw = *Direct(request.inputs, {{name, raised}}).solidFractionAtEnd;
        const analysis::Change change = analysis::ChangeOf(result, *row, analysis::Measure::Melting);
        ASSERT_TRUE(change.highPercent);
        EXPECT_NEAR(*change.highPercent, (xw / *base.solidFractionAtEnd - 1) * 100, 1e-9);
    }
}

TEST(AnswersTest, AnswersThatCannotStartSayWhyBesideThem) {
    struct Refusal {
        const char* answer;
        std::function<void(AnswersPanel&)> run;
        const char* says;
    };
    const Refusal refusals[] = {
        {"map", [](AnswersPanel& p) { p.RunMap(); }, "No case to answer yet"},
        {"capacity",
         [](AnswersPanel& p) {
             p.SetCase(DefaultRequest());
             p.ClearCase();  // an entry went wrong since
             p.RunCapacity();
         },
         "correct the inputs first"},
        {"map",
         [](AnswersPanel& p) {
             p.SetCase(DefaultRequest());
             p.SetMap("OutputRate", 100, 200, 3, "OutputRate", 100, 200, 3);
             p.RunMap();
         },
         "two different inputs"},
        {"capacity",
         [](AnswersPanel& p) {
             p.SetCase(DefaultRequest());
             p.SetCapacitySpeeds(40, 40, 3);
             p.RunCapacity();
         },
         "ends must differ"},
        {"operating",
         [](AnswersPanel& p) {
             p.SetCase(DefaultRequest());
             p.RunOperatingPoint();
         },
         "Choose a die in Inputs, Die"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.says);
        AnswersPanel panel;
        refusal.run(panel);
        EXPECT_FALSE(panel.Running());
        EXPECT_FALSE(panel.ErrorText(refusal.answer)->isHidden());
        EXPECT_TRUE(panel.ErrorText(refusal.answer)->text().contains(refusal.says))
            << panel.ErrorText(refusal.answer)->text().toStdString();
    }
}

TEST(AnswersTest, RangesAreEvenAndRefuseTooFewValues) {
    const int speed = FieldIndexOf("ScrewSpeed");
    EXPECT_EQ(RangeOf(speed, {0.1, 0.5, 5}).values, (std::vector<std::string>{"0.1", "0.2", "0.3", "0.4", "0.5"}));
    EXPECT_EQ(RangeOf(speed, {60, 20, 3}).values, (std::vector<std::string>{"60", "40", "20"}));
    for (const ValueRange range : {ValueRange{1, 2, 1}, ValueRange{3, 3, 4}, ValueRange{NAN, 2, 3}})
        EXPECT_THROW(RangeOf(speed, range), Error);
}

}  // namespace
}  // namespace tadmor::studio
