// The summary of a sweep: its columns and status line, and reading it back
// for --resume, refusing a summary cut short or of another sweep.
#include "export/SweepSummary.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/Errors.h"

namespace tadmor::exporting {
namespace {

using namespace tadmor::analysis;
using tadmor::test::ErrorTextOf;

std::size_t Present(const CaseResults& results) {
    return static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(), [](const auto& r) { return r.has_value(); }));
}

RunSummary Completed(const char* name, int rows, std::optional<double> flight, std::array<double, 4> atEnd,
                     const std::vector<std::string>& codes) {
    RunSummary run;
    run.outcome = RequestOutcome::Completed;
    run.outcomeName = name;
    run.rows = rows;
    run.meltingIncrementFlight = flight;
    run.solidFractionAtEnd = atEnd[0];
    run.solidFlowRatioAtEnd = atEnd[1];
    run.totalPower = atEnd[2];
    run.viscousPower = atEnd[3];
    for (const std::string& code : codes) run.warnings.push_back({code, "", ""});
    return run;
}

RunSummary Failed(RequestOutcome outcome, const char* name, const char* message) {
    RunSummary run;
    run.outcome = outcome;
    run.outcomeName = name;
    run.message = message;
    return run;
}

// Four cases; the last has not run.
class SweepSummary : public testing::Test {
protected:
    const std::vector<VariedInput> varied = {VariedText(FieldIndexOf("ScrewSpeed"), "30,40"),
                                             VariedText(FieldIndexOf("OutputRate"), "250,300")};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    const std::string id = "0123456789abcdef";
    const CaseResults results = {
        Completed("melting completed", 118, 22.7, {0, 0, 38.25, 35.5}, {"negative-solid-flow"}),
        Completed("end of screw", 129, std::nullopt, {0.1, 0.05, 43.5, 31.25},
                  {"bed-wider-than-channel", "film-hotter-than-barrel"}),
        Failed(RequestOutcome::CalculationError, "calculation error", "Invalid \"x\", at\nFLIGHT 5"),
        std::nullopt,
    };
    const std::string text =
        "case,ScrewSpeed,OutputRate,outcome,rows,melting completed at FLIGHT (turns),X/W at end (-),"
        "QS/QT at end (-),POWER TOT at end (kW),POWER VIS at end (kW),message,warnings\n"
        "0,30,250,melting completed,118,22.7,0,0,38.25,35.5,,negative-solid-flow\n"
        "1,30,300,end of screw,129,,0.1,0.05,43.5,31.25,,bed-wider-than-channel film-hotter-than-barrel\n"
        "2,40,250,calculation error,,,,,,,\"Invalid \"\"x\"\", at\nFLIGHT 5\",\n"
        "# tadmor sweep 0123456789abcdef: incomplete, 3 of 4 cases\n";

    std::string ReadError(const std::string& summary, const std::string& sweepId,
                          const std::vector<VariedInput>& inputs) const {
        CaseResults back(cases.size());
        return ErrorTextOf([&] { ReadSummary(summary, "s.csv", inputs, sweepId, cases, back); });
    }
    std::string Replaced(const std::string& from, const std::string& to) const {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    }
};

TEST_F(SweepSummary, EndsWithItsStatusAndReadsBackToTheSameBytes) {
    EXPECT_EQ(SummaryCsv(varied, id, cases, results), text);
    CaseResults back(cases.size());
    ReadSummary(text, "s.csv", varied, id, cases, back);
    EXPECT_EQ(Present(back), 3u);
    EXPECT_FALSE(back[3].has_value());
    EXPECT_EQ(back[2]->message, "Invalid \"x\", at\nFLIGHT 5");
    EXPECT_EQ(back[0]->meltingIncrementFlight, 22.7);
    EXPECT_EQ(WarningCodes(*back[1]), "bed-wider-than-channel film-hotter-than-barrel");
    EXPECT_EQ(SummaryCsv(varied, id, cases, back), text);

    CaseResults whole = results;
    whole[3] = Failed(RequestOutcome::InvalidInput, "invalid input", "Bad");
    const std::string complete = SummaryCsv(varied, id, cases, whole);
    EXPECT_TRUE(complete.ends_with("\n3,40,300,invalid input,,,,,,,Bad,\n# tadmor sweep 0123456789abcdef: complete\n"));
}

TEST_F(SweepSummary, ASummaryCutShortOrOfAnotherSweepIsRefused) {
    const std::string noStatus =
        "--resume s.csv: no status line at its end: not a whole summary written by tadmor sweep";
    EXPECT_EQ(ReadError("", id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.size() - 1), id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor")), id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor") - 12), id, varied), noStatus);
    EXPECT_EQ(ReadError(text, "fedcba9876543210", varied),
              "--resume s.csv: the summary of another sweep (other base inputs or varied values)");
    EXPECT_EQ(ReadError(text, id, {varied[0], VariedText(FieldIndexOf("BarrelC0"), "250,300")}),
              "--resume s.csv: its first line is not the header of this sweep");

    const std::string badLine = "--resume s.csv: line 3 is not a line of this sweep's summary";
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"end of screw", "end of the screw"},                        // no outcome
             {"1,30,300", "9,30,300"},                                    // no case of the sweep
             {"1,30,300", "1,35,300"},                                    // not the case's values
             {"129,,", "12x,,"},                                          // rows not a number
             {"43.5,31.25", "43.5,x"},                                    // a power not a number
             {"0.05,", "0.05,,"},                                         // a field too many
             {",bed-wider-than-channel film-hotter-than-barrel", ""}}) {  // no warnings column
        SCOPED_TRACE(to);
        EXPECT_EQ(ReadError(Replaced(from, to), id, varied), badLine);
    }
    // Lines are counted through a message's line end.
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor")) + "3,40,300,lost\n" + text.substr(text.find("# tadmor")),
                        id, varied),
              "--resume s.csv: line 6 is not a line of this sweep's summary");
}

TEST_F(SweepSummary, OnlyTheCasesOfTheShardAreTaken) {
    const std::vector<SweepCase> odd = SweepCases(varied, {1, 2});  // cases 1 and 3
    CaseResults back(odd.size());
    ReadSummary(text, "s.csv", varied, id, odd, back);
    ASSERT_TRUE(back[0].has_value());
    EXPECT_EQ(back[0]->outcomeName, "end of screw");
    EXPECT_FALSE(back[1].has_value());
}

}  // namespace
}  // namespace tadmor::exporting
