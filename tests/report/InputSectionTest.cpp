#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "report/ResultsFile.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(InputSection, DefaultInputsGiveTheSectionByteForByte) {
    const std::string content = InputSectionText(DefaultInputs());
    EXPECT_EQ(content, DefaultInputSection());

    const std::vector<std::string> lines = SplitLines(content);
    ASSERT_EQ(lines.size(), 31u);
    for (std::size_t i = 0; i < 28; ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].substr(39, 4), " =  ");  // "=" in column 41
    }
    for (std::size_t i = 28; i < 31; ++i) EXPECT_EQ(lines[i], "");
}

TEST(InputSection, UsesTheGivenDecimalSeparator) {
    const std::vector<std::string> lines = SplitLines(InputSectionText(DefaultInputs(), ','));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "Screw Diameter" + Blanks(21) + "(cm) =  15,0");
    EXPECT_EQ(lines[15], "Viscosity Equation Para. (a1)" + Blanks(10) + " =  -0,8031400");
    EXPECT_EQ(lines[25], "Thermal Cond. of Melt" + Blanks(5) + "(cal/s.cm.\x81\x8E) =  0,000520");
}

TEST(InputSection, ValuesOutsideTheirWidths) {
    SimulationState s = DefaultInputs();
    s.OutputRate = 1234567;
    s.ViscA22 = -0.00000000001;
    const std::vector<std::string> lines = SplitLines(InputSectionText(s));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[10], "Output" + Blanks(26) + "(kg/hr) =  1.23457E6");
    EXPECT_EQ(lines[18], "Viscosity Equation Para. (a22)" + Blanks(9) + " =  0.0000000000");
}

}  // namespace
}  // namespace tadmor
