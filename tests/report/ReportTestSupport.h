// Shared by the results file tests: a temporary folder per test, the default
// inputs with a file name, and the input section they must give.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/Cal_Main.h"
#include "report/ResultsFile.h"
#include "support/DefaultInputs.h"

namespace tadmor::test {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "report-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string Blanks(int count) { return std::string(count, ' '); }

inline SimulationState DefaultInputs(const std::string& fileName) {
    SimulationState s = DefaultInputs();
    s.ResultFileName = fileName;
    return s;
}

// The input section of the default inputs: name, blanks, unit, " =  ", value.
// "\x81\x8E" is the degree-Celsius sign.
inline std::string DefaultInputSection() {
    return "Screw Diameter" + Blanks(21) + "(cm) =  15.0\r\n" + "Turns of Feed Zone" + Blanks(21) + " =  10.0\r\n" +
           "Turns of Compression Zone" + Blanks(14) + " =  6.0\r\n" + "Turns of Metering Zone" + Blanks(17) +
           " =  8.7\r\n" + "Turns of Delay in Metering" + Blanks(13) + " =  5.0\r\n" + "Depth of Feed Zone Channel" +
           Blanks(9) + "(cm) =  1.40\r\n" + "Depth of Metering Zone Channel" + Blanks(5) + "(cm) =  0.40\r\n" +
           "Screw Pitch" + Blanks(24) + "(cm) =  15.0\r\n" + "Flight Width" + Blanks(23) + "(cm) =  1.50\r\n" +
           "Number of Revolution" + Blanks(14) + "(rpm) =  38.0\r\n" + "Output" + Blanks(26) + "(kg/hr) =  300.0\r\n" +
           "Barrel Temperature Para.(C0)" + Blanks(7) + "(\x81\x8E) =  290.0\r\n" + "Barrel Temperature Para.(C1)" +
           Blanks(11) + " =  0.000\r\n" + "Barrel Temperature Para.(C2)" + Blanks(11) + " =  0.000\r\n" +
           "Viscosity Equation Para. (a0)" + Blanks(10) + " =  7.442000\r\n" + "Viscosity Equation Para. (a1)" +
           Blanks(10) + " =  -0.8031400\r\n" + "Viscosity Equation Para. (a11)" + Blanks(9) + " =  -0.05509800\r\n" +
           "Viscosity Equation Para. (a2)" + Blanks(10) + " =  0.004789900\r\n" + "Viscosity Equation Para. (a22)" +
           Blanks(9) + " =  -0.0001237700\r\n" + "Viscosity Equation Para. (a12)" + Blanks(9) + " =  0.004727700\r\n" +
           "Density of Solid" + Blanks(16) + "(g/cm3) =  1.34\r\n" + "Density of Melt" + Blanks(17) +
           "(g/cm3) =  1.20\r\n" + "Specific Heat of Solid" + Blanks(7) + "(cal/g.\x81\x8E) =  0.40\r\n" +
           "Heat of Fusion" + Blanks(18) + "(cal/g) =  17.70\r\n" + "Specific Heat of Melt" + Blanks(8) +
           "(cal/g.\x81\x8E) =  0.48\r\n" + "Thermal Cond. of Melt" + Blanks(5) +
           "(cal/s.cm.\x81\x8E) =  0.000520\r\n" + "Melting Point" + Blanks(22) + "(\x81\x8E) =  265.0\r\n" +
           "Solid Temperature" + Blanks(18) + "(\x81\x8E) =  30.0\r\n" + "\r\n\r\n\r\n";
}

}  // namespace tadmor::test
