// The drawing of maps and tornado charts into PNG and SVG files.
#include "charts/ChartFiles.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "charts/qt/Paint.h"
#include "model/Error.h"
#include "support/PlotFiles.h"

namespace tadmor::charts {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// A fresh folder for the files of a test.
class ChartFiles : public testing::Test {
protected:
    fs::path work;
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tadmor-charts-XXXXXX").string();
        work = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(work); }
};

TornadoChart ThreeInputs() {
    TornadoChart chart;
    chart.title = "Sensitivity of FLIGHT where melting completed";
    chart.subtitle = "each input 10 % down and up";
    chart.xLabel = "change of FLIGHT where melting completed (%)";
    chart.lowName = "input -10 %";
    chart.highName = "input +10 %";
    chart.rows = {{"ScrewSpeed (rpm)", -6.5, 7.25, ""},
                  {"OutputRate (kg/hr)", 8.0, std::nullopt, "melting not completed"},
                  {"BarrelC0 (\u00B0C)", 1.5, -1.25, ""}};
    chart.note = "base case: the defaults";
    return chart;
}

TEST_F(ChartFiles, TornadoChartAsPngAndSvg) {
    if (!PlotsAvailable()) GTEST_SKIP() << "built without plots";
    WriteTornado(ThreeInputs(), (work / "t.png").string());
    EXPECT_EQ(PngSize(ReadFile(work / "t.png")), std::pair(1200, 900));

    WriteTornado(ThreeInputs(), (work / "t.svg").string());
    const std::string drawing = ReadFile(work / "t.svg");
    EXPECT_TRUE(WellFormedXml(drawing));
    ExpectPageOf180Millimetres(drawing);
    for (const char* text :
         {"Sensitivity of FLIGHT where melting completed", "each input 10 % down and up",
          "change of FLIGHT where melting completed (%)", "input -10 %", "input +10 %", "ScrewSpeed (rpm)",
          "OutputRate (kg/hr)", "BarrelC0 (\u00B0C)", "melting not completed", "base case: the defaults"})
        EXPECT_NE(drawing.find(text), std::string::npos) << text;
}

TEST_F(ChartFiles, TornadoChartWithoutRowsIsRefused) {
    TornadoChart chart = ThreeInputs();
    chart.rows.clear();
    try {
        WriteTornado(chart, (work / "t.png").string());
        ADD_FAILURE() << "drawn";
    } catch (const Error& error) {
        EXPECT_EQ(static_cast<int>(error.Kind()), static_cast<int>(ErrorKind::Plot));
    }
    EXPECT_FALSE(fs::exists(work / "t.png"));
}

// A chart painted into a rectangle of any painter (a widget's) fills it at
// the page's proportions, centred: nothing outside the rectangle is painted.
TEST(Paint, IntoAnyRectangleOfAPainter) {
    if (!PlotsAvailable()) GTEST_SKIP() << "built without plots";
    Chart chart;
    chart.title = "A line";
    chart.panels.push_back({"y", {{"line", {0, 1, 2}, {0, 1, 4}}}, std::nullopt, {}});
    QImage image(500, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    Paint(painter, chart, QRectF(100, 50, 400, 150));
    painter.end();
    // 400 x 150 at 4:3: a page 200 wide, centred in x from 200 to 400.
    const auto black = [&](int x, int y) { return image.pixel(x, y) == QColor(Qt::black).rgb(); };
    EXPECT_TRUE(black(199, 120) && black(401, 120) && black(300, 49));
    EXPECT_FALSE(black(201, 52));  // the page's white
    EXPECT_FALSE(black(399, 198));
}

// The places of the panels tell where a value is drawn: a marker at data
// (x, y) is found at the pixel they give, in each of two panels, and the
// faint curve and the alert span paint where their data put them.
TEST(Paint, PanelPlacesFindTheDrawnValues) {
    if (!PlotsAvailable()) GTEST_SKIP() << "built without plots";
    Chart chart;
    chart.panels.push_back({"a", {{"", {0, 10}, {0, 5}, false, true, false, 2}}, std::nullopt, {}});
    chart.panels.push_back({"b", {{"", {0, 10}, {100, 300}, false, true, false, 4}}, std::nullopt, {}});
    chart.alerts.push_back({6, 8, "alert"});
    QImage image(900, 700, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const QRectF area(30, 20, 840, 660);
    Paint(painter, chart, area);
    painter.end();
    const std::vector<PanelPlace> places = PanelPlaces(chart, area);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_LT(places[0].rect.bottom(), places[1].rect.top());
    const auto at = [&](const PanelPlace& place, double x, double y) {
        const double px = place.rect.left() + (x - place.x.min) / (place.x.max - place.x.min) * place.rect.width();
        const double py = place.rect.bottom() - (y - place.y.min) / (place.y.max - place.y.min) * place.rect.height();
        return QColor(image.pixel(int(px), int(py)));
    };
    EXPECT_EQ(at(places[0], 10, 5), QColor(192, 57, 43)) << "colour 2 at (10, 5)";
    EXPECT_EQ(at(places[1], 0, 100), QColor(30, 132, 73)) << "colour 4 at (0, 100)";
    // The alert tints the white page between x = 6 and 8 only.
    const QColor tinted = at(places[1], 7.3, 283), clear = at(places[1], 9.3, 283);  // off the grid lines
    EXPECT_GT(tinted.red(), tinted.blue() + 10);
    EXPECT_EQ(clear, QColor(Qt::white));
}

}  // namespace
}  // namespace tadmor::charts
