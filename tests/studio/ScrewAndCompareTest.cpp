// The screw drawn above the charts and the pinned cases compared: the
// drawing's geometry against hand computations, the bed from the rows, the
// differing inputs, the table against the summaries, and pinning in the
// window.
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/studio/ChartView.h"
#include "app/studio/Compare.h"
#include "app/studio/ComparePanel.h"
#include "app/studio/InputPanel.h"
#include "app/studio/MainWindow.h"
#include "app/studio/ScrewDrawing.h"
#include "app/studio/ScrewView.h"
#include "model/NumberText.h"

namespace tadmor::studio {
namespace {

StudioTexts TextsWith(std::map<std::string, std::string> values, LengthUnit unit = LengthUnit::Centimetre) {
    StudioTexts texts = WithUnit(DefaultTexts(), unit);
    for (auto& [key, text] : values) texts.texts[key] = text;
    return texts;
}

std::shared_ptr<const LiveResult> Live(const StudioTexts& texts) {
    const StudioRequest request = BuildRequest(texts);
    EXPECT_TRUE(request.problems.empty());
    return std::make_shared<const LiveResult>(ComputeLive(request, 1));
}

TEST(ScrewDrawing, ZonesAndDepthsOfTheCase) {
    // theta = atan(pitch / (pi D)); the land takes e / (cos theta pitch) of a turn.
    const auto landShare = [](double d, double pitch, double e) {
        return e / (std::cos(std::atan(pitch / (std::numbers::pi * d))) * pitch);
    };
    const struct {
        const char* name;
        StudioTexts texts;
        double diameter, feedEnd, compressionEnd, end, feedDepth, meteringDepth, land;
        std::vector<std::pair<double, double>> depths;  // (FLIGHT, cm)
    } cases[] = {
        {"default",
         DefaultTexts(),
         15,
         10,
         16,
         24.7,
         1.4,
         0.4,
         landShare(15, 15, 1.5),
         // 1.4 - (1.4 - 0.4) (FLIGHT - 10) / 6 in the compression zone
         {{0, 1.4}, {5, 1.4}, {10, 1.4}, {13, 0.9}, {14.5, 0.65}, {16, 0.4}, {24.7, 0.4}}},
        {"25 mm",
         TextsWith({{"ScrewDiameter", "25"},
                    {"ScrewPitch", "25"},
                    {"FlightWidth", "2.5"},
                    {"FeedTurns", "8"},
                    {"CompressionTurns", "8"},
                    {"MeteringTurns", "8"},
                    {"DelayTurns", "2"},
                    {"FeedDepth", "4"},
                    {"MeteringDepth", "1.5"},
                    {"OutputRate", "5"},
                    {"ScrewSpeed", "60"}},
                   LengthUnit::Millimetre),
         2.5,
         8,
         16,
         24,
         0.4,
         0.15,
         landShare(2.5, 2.5, 0.25),
         // 0.4 - 0.25 (FLIGHT - 8) / 8
         {{4, 0.4}, {10, 0.3375}, {12, 0.275}, {15, 0.18125}, {20, 0.15}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<const LiveResult> live = Live(c.texts);
        const std::optional<ScrewDrawing> d =
            ScrewDrawingOf(live->calculation.state, live->summary.interpolatedMeltedFlight);
        ASSERT_TRUE(d);
        EXPECT_DOUBLE_EQ(d->diameter, c.diameter);
        EXPECT_DOUBLE_EQ(d->feedDepth, c.feedDepth);
        EXPECT_DOUBLE_EQ(d->meteringDepth, c.meteringDepth);
        EXPECT_NEAR(d->landShare, c.land, 1e-12);
        ASSERT_EQ(d->zones.size(), 3u);
        EXPECT_EQ(d->zones[1].name, "compression");
        EXPECT_DOUBLE_EQ(d->zones[0].to, c.feedEnd);
        EXPECT_DOUBLE_EQ(d->zones[1].to, c.compressionEnd);
        EXPECT_NEAR(d->End(), c.end, 1e-12);
        for (const auto& [flight, depth] : c.depths) EXPECT_NEAR(DepthAt(*d, flight), depth, 1e-12) << flight;
        EXPECT_EQ(ZoneAt(*d, c.feedEnd + 0.5)->name, "compression");
        EXPECT_EQ(ZoneAt(*d, c.end + 0.1), nullptr);
    }
    // No drawing of a screw without turns.
    SimulationState none;
    EXPECT_FALSE(ScrewDrawingOf(none, std::nullopt));
}

TEST(ScrewDrawing, FlightsEveryTurnOrEveryFewTurns) {
    ScrewDrawing d;
    d.zones = {{0, 10, "feed"}, {10, 16, "compression"}, {16, 24.7, "metering"}};
    const struct {
        int most;
        std::size_t count;
        double step;
    } cases[] = {{100, 25, 1}, {25, 25, 1}, {24, 13, 2}, {10, 5, 5}, {4, 3, 10}, {2, 2, 20}};
    for (const auto& [most, count, step] : cases) {
        const std::vector<double> marks = FlightMarks(d, most);
        ASSERT_EQ(marks.size(), count) << most;
        EXPECT_EQ(marks.front(), 0);
        EXPECT_EQ(marks[1] - marks[0], step) << most;
    }
}

TEST(ScrewDrawing, TheBedFollowsTheRows) {
    for (const char* rate : {"300.0", "150"}) {  // solid left at the end; melted
        SCOPED_TRACE(rate);
        const auto live = Live(TextsWith({{"OutputRate", rate}}));
        const SimulationState& s = live->calculation.state;
        const std::optional<ScrewDrawing> d = ScrewDrawingOf(s, live->summary.interpolatedMeltedFlight);
        ASSERT_TRUE(d && s.StepCount > 2);
        EXPECT_EQ(SolidFractionAt(*d, 2.0), 1.0);  // before melting starts at FLIGHT 5
        for (int row = 1; row <= s.StepCount; ++row)
            EXPECT_DOUBLE_EQ(*SolidFractionAt(*d, s.ResFlight[row]), s.ResSolidFraction[row]) << row;
        const double between = (s.ResFlight[1] + s.ResFlight[2]) / 2;
        EXPECT_NEAR(*SolidFractionAt(*d, between), (s.ResSolidFraction[1] + s.ResSolidFraction[2]) / 2, 1e-12);
        // Past the last row: nothing solid once melted, the last row's X/W otherwise.
        const double atEnd = *SolidFractionAt(*d, d->End());
        if (live->summary.meltingIncrementFlight)
            EXPECT_EQ(atEnd, 0);
        else
            EXPECT_DOUBLE_EQ(atEnd, s.ResSolidFraction[s.StepCount]);
    }
}

TEST(Compare, DifferingInputsAreNamed) {
    LiveResult current;
    current.inputs = inputs::DefaultCase();
    const auto changed = [&](std::map<std::string, std::string> values,
                             std::optional<extruder::ExtruderInputs> die = std::nullopt) {
        LiveResult pinned = current;
        for (const auto& [name, text] : values) inputs::SetInput(pinned.inputs, name, text, "test");
        pinned.extruderInputs = die;
        return DifferingInputs(pinned, current);
    };
    using List = std::vector<std::string>;
    EXPECT_EQ(changed({}), List{});
    EXPECT_EQ(changed({{"ScrewSpeed", "38"}, {"FeedDepth", " 1.40 "}}), List{});  // the same values
    EXPECT_EQ(changed({{"ScrewSpeed", "60"}}), List{"ScrewSpeed 60 → 38.0 rpm"});
    EXPECT_EQ(changed({{"MeltingPoint", "250"}, {"ViscA1", "-0.8"}}),
              (List{"ViscA1 -0.8 → -0.80314", "MeltingPoint 250 → 265.0 °C"}));
    extruder::ExtruderInputs capillary;
    capillary.die = extruder::Capillary{0.5, 10};
    EXPECT_EQ(changed({}, capillary), List{"die capillary D=0.500 cm, L=10.000 cm → none"});
}

TEST(Compare, TheTableHoldsTheSummaries) {
    StudioTexts withDie = DefaultTexts();
    withDie.die = DieKind::Capillary;
    const auto pinned = Live(TextsWith({{"OutputRate", "150"}}));
    const auto current = Live(withDie);
    ASSERT_TRUE(pinned->summary.meltingIncrementFlight && !current->summary.meltingIncrementFlight);
    ASSERT_TRUE(current->extruder) << current->extruderError;

    const CompareTable table = CompareTableOf({pinned}, current);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"Pinned 1", "Current"}));
    ASSERT_EQ(table.inputRows, 2);
    EXPECT_EQ(table.cells[0][0], "OutputRate 150 → 300.0 kg/hr");
    EXPECT_TRUE(table.cells[1][0].starts_with("die none → capillary D=")) << table.cells[1][0];
    EXPECT_EQ(table.cells[0][1], "");

    const auto cell = [&](const std::string& row, int column) {
        const auto at = std::find(table.rows.begin(), table.rows.end(), row);
        EXPECT_NE(at, table.rows.end()) << row;
        return at == table.rows.end() ? std::string() : table.cells[at - table.rows.begin()][column];
    };
    EXPECT_EQ(cell("Melted at FLIGHT", 1), "solid left");
    EXPECT_EQ(cell("Outcome", 1), "end of screw");
    EXPECT_EQ(cell("Throughput (kg/hr)", 0), "–");  // no die
    // Each number as the summary has it, to its last written decimal.
    const struct {
        const char* row;
        int column;
        double value, within;
    } numbers[] = {
        {"Melted at FLIGHT", 0, *pinned->summary.meltingIncrementFlight, 0.005},
        {"X/W at the end", 0, 0, 0},
        {"X/W at the end", 1, *current->summary.solidFractionAtEnd, 0.0005},
        {"QS/QT at the end", 1, *current->summary.solidFlowRatioAtEnd, 0.0005},
        {"POWER TOT (kW)", 0, *pinned->summary.totalPower, 0.005},
        {"POWER TOT (kW)", 1, *current->summary.totalPower, 0.005},
        {"POWER VIS (kW)", 1, *current->summary.viscousPower, 0.005},
        {"Throughput (kg/hr)", 1, current->extruder->throughput, 0.05},
        {"Pressure at the die (MPa)", 1, current->extruder->tipPressure, 0.005},
        {"Melt temperature at the die (°C)", 1, current->extruder->meltTemperature, 0.05},
        {"Drive power (kW)", 1, current->extruder->drivePower, 0.005},
    };
    for (const auto& [row, column, value, within] : numbers) {
        const std::optional<double> shown = TextToNumber(cell(row, column), '.');
        ASSERT_TRUE(shown) << row << " " << cell(row, column);
        EXPECT_NEAR(*shown, value, within) << row;
    }
}

TEST(ComparePanel, PinsUpToSixAndUnpins) {
    ComparePanel panel;
    QSignalSpy changed(&panel, &ComparePanel::PinnedChanged);
    std::vector<std::shared_ptr<const LiveResult>> results;
    for (int k = 0; k < 7; ++k) results.push_back(std::make_shared<const LiveResult>());
    for (int k = 0; k < 7; ++k) EXPECT_EQ(panel.Pin(results[k]), k < 6) << k;
    EXPECT_FALSE(panel.Pin(nullptr));
    panel.Unpin(0);
    EXPECT_FALSE(panel.Pin(results[1]));  // pinned already
    panel.SetCurrent(results[6]);
    ASSERT_EQ(panel.Pinned().size(), 5u);
    EXPECT_EQ(panel.Pinned().front(), results[1]);
    EXPECT_EQ(panel.Table()->columnCount(), 6);
    EXPECT_EQ(panel.Table()->horizontalHeaderItem(4)->text(), "Pinned 5");
    EXPECT_EQ(panel.Table()->horizontalHeaderItem(5)->text(), "Current");
    panel.Clear();
    EXPECT_TRUE(panel.Pinned().empty());
    EXPECT_EQ(changed.count(), 8);  // six pins, one unpin, the clearing
}

// The melting chart's curves of X/W: (faint ones, drawn ones).
std::pair<std::vector<charts::Curve>, std::vector<charts::Curve>> SolidFractionCurves(const MainWindow& window) {
    const auto* chart = std::get_if<charts::Chart>(&window.MeltingChart()->CurrentChart());
    std::pair<std::vector<charts::Curve>, std::vector<charts::Curve>> curves;
    if (!chart) return curves;
    for (const charts::Curve& curve : chart->panels.at(0).curves)
        if (curve.faint)
            curves.first.push_back(curve);
        else if (curve.name.starts_with("X/W"))
            curves.second.push_back(curve);
    return curves;
}

TEST(ComparePanel, PinnedCaseStaysFaintOnTheMeltingChart) {
    MainWindow window;
    window.resize(1400, 900);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Current() != nullptr; }, 30000));
    const auto before = window.CurrentShared();
    EXPECT_TRUE(SolidFractionCurves(window).first.empty());

    window.findChild<QAction*>("pinAction")->trigger();
    EXPECT_EQ(SolidFractionCurves(window).first.size(), 2u);  // at once, faint behind its own
    QSignalSpy shown(&window, &MainWindow::ResultShown);
    QLineEdit* speed = window.Inputs()->Field("ScrewSpeed");
    speed->selectAll();
    QTest::keyClicks(speed, "60");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return window.Current() != before.get() &&
                   window.Current()->inputs.texts[FieldIndexOf("ScrewSpeed")] == "60";
        },
        30000));

    const auto [faint, drawn] = SolidFractionCurves(window);
    ASSERT_EQ(drawn.size(), 1u);
    ASSERT_EQ(faint.size(), 2u);  // the pinned case's X/W and QS/QT
    EXPECT_EQ(faint[0].y, before->melting.panels[0].curves[0].y);
    EXPECT_EQ(drawn[0].y, window.Current()->melting.panels[0].curves[0].y);
    EXPECT_NE(faint[0].y, drawn[0].y);

    const QTableWidget* table = window.Compare()->Table();
    EXPECT_EQ(table->item(0, 0)->text(), "ScrewSpeed 38.0 → 60 rpm");
    // The screw spans the chart's FLIGHT axis, and reads out where it is.
    const ScrewView::Span span = window.Screw()->PlotSpan();
    EXPECT_EQ(span.from, 0);
    EXPECT_NEAR(span.to, 24.7, 1e-9);
    EXPECT_TRUE(window.Screw()->ReadoutAt(span.X(13)).startsWith("FLIGHT 13.00, compression, depth 0.9 cm"))
        << window.Screw()->ReadoutAt(span.X(13)).toStdString();

    window.findChild<QAction*>("clearPinnedAction")->trigger();
    EXPECT_TRUE(SolidFractionCurves(window).first.empty());
}

}  // namespace
}  // namespace tadmor::studio
