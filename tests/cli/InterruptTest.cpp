// SIGINT and SIGTERM stop the long answers as they stop a sweep: no further
// calculation starts, the finished part is written, and the exit code says
// which signal.
#include <signal.h>

#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::cli {
namespace {

using namespace tadmor::test;

class Interrupted : public TadmorCommand {
protected:
    // Runs tadmor and signals it after 0.4 s: each command here takes seconds.
    Result RunAndSignal(const std::vector<std::string>& arguments, int signal) {
        const pid_t child = Start(arguments, root / "out", root / "err");
        usleep(400 * 1000);
        kill(child, signal);
        Result result;
        result.exitCode = Wait(child);
        result.out = ReadFile(root / "out");
        result.err = ReadFile(root / "err");
        return result;
    }
};

TEST_F(Interrupted, ASolveCurveWritesTheValuesSolvedSoFar) {
    const Result result = RunAndSignal({"solve", "--for", "OutputRate", "--melted-at", "end", "--range", "100:400",
                                        "--over", "ScrewSpeed=20:80:1", "--jobs", "2", "-o", "c.csv"},
                                       SIGINT);
    ASSERT_EQ(result.exitCode, 130) << result.err;
    const std::vector<std::string> lines = OutputLines(ReadFile(work / "c.csv"));
    ASSERT_GE(lines.size(), 2u);
    const std::size_t solved = lines.size() - 2;
    EXPECT_LT(solved, 61u);
    EXPECT_EQ(result.err, "tadmor: stopped by SIGINT: the curve \"c.csv\" holds " + std::to_string(solved) +
                              " of 61 values of ScrewSpeed\n");
    EXPECT_EQ(lines.back(), "# tadmor solve curve: incomplete, " + std::to_string(solved) + " of 61 values");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const int speed = std::stoi(lines[i]);
        EXPECT_TRUE(speed >= 20 && speed <= 80) << lines[i];
    }
    EXPECT_EQ(result.out, "");
}

TEST_F(Interrupted, ASensitivityStopsWithoutItsReport) {
    const Result result = RunAndSignal({"sensitivity", "--material", TADMOR_MATERIALS_DIR "/default.material", "--set",
                                        "MeteringTurns=2000", "OutputRate=20000", "--jobs", "2"},
                                       SIGTERM);
    EXPECT_EQ(result.exitCode, 143) << result.err;
    EXPECT_EQ(result.err, "tadmor: stopped by SIGTERM: the sensitivity is incomplete\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace tadmor::cli
