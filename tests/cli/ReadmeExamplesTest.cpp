// The README's examples of the command, run as they stand there under a
// German locale, whose decimal separator is ",".
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

// A command of the README and the lines of the README's transcript after it
// (empty for a command not shown with its output).
struct Example {
    std::string command;
    std::vector<std::string> shown;
};

// The README's `tadmor` commands, continued lines joined, in README order;
// those that need what the README does not give (a rheometer table, a
// cluster, a batch scheduler) are left out.
std::vector<Example> ReadmeExamples(const std::string& readme) {
    const std::vector<std::string> lines = OutputLines(readme);
    std::vector<Example> examples;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        const bool transcript = line.starts_with("$ tadmor ") || line.starts_with("    $ tadmor ");
        if (!transcript && !line.starts_with("    tadmor ")) continue;
        Example example;
        example.command = line.substr(line.find("tadmor "));
        while (example.command.ends_with("\\") && i + 1 < lines.size())
            example.command = example.command.substr(0, example.command.size() - 1) + " " + lines[++i];
        // A transcript in a fenced block, or in an indented one.
        const bool indented = line.starts_with("    ");
        for (std::size_t j = i + 1; transcript && j < lines.size(); ++j) {
            if (indented && !lines[j].starts_with("    ")) break;
            const std::string shown = indented ? lines[j].substr(4) : lines[j];
            if (shown.empty() || shown.starts_with("$ ") || shown.starts_with("```")) break;
            example.shown.push_back(shown);
        }
        const bool needsMore = example.command.find("tadmor fit") != std::string::npos ||
                               example.command.find("polymer.material") != std::string::npos ||
                               example.command.find("SLURM") != std::string::npos ||
                               example.command.find("{}") != std::string::npos;
        if (!needsMore) examples.push_back(std::move(example));
    }
    return examples;
}

// Whether the README shortened a transcript ("...").
bool Shortened(const std::vector<std::string>& shown) {
    return std::any_of(shown.begin(), shown.end(),
                       [](const std::string& line) { return line.find("...") != std::string::npos; });
}

// The indented block after the line that ends with `marker`.
std::string IndentedBlockAfter(const std::string& readme, const std::string& marker) {
    const std::vector<std::string> lines = OutputLines(readme);
    std::string block;
    bool found = false;
    for (const std::string& line : lines) {
        if (!found) {
            found = line.ends_with(marker);
            continue;
        }
        if (line.starts_with("    "))
            block += line.substr(4) + "\n";
        else if (!block.empty())
            break;
    }
    return block;
}

TEST_F(TadmorCommand, TheReadmesExamplesRunAsWrittenUnderADecimalCommaLocale) {
    const std::vector<std::string> german = GermanLocale();
    if (german.empty()) GTEST_SKIP() << kNoGermanLocale;
    const std::string readme = ReadFile(TADMOR_README);
    const std::string hotCase = IndentedBlockAfter(readme, "`hot.case`:");
    ASSERT_NE(hotCase.find("BarrelC0 = 300.0"), std::string::npos) << hotCase;
    WriteFile(work / "hot.case", hotCase);
    fs::create_directory(work / "examples");
    const fs::path examplesDir = fs::path(TADMOR_README).parent_path() / "examples";
    fs::copy_file(examplesDir / "screw-60mm-hdpe.case", work / "examples" / "screw-60mm-hdpe.case");

    const std::vector<Example> examples = ReadmeExamples(readme);
    ASSERT_GE(examples.size(), 8u);
    const std::string program = fs::path(TADMOR_COMMAND).parent_path().string();
    std::string environment;
    for (const std::string& variable : german) environment += variable + " ";
    for (const Example& example : examples) {
        const std::string script = "cd '" + work.string() + "' && PATH='" + program + "':\"$PATH\" " + environment +
                                   "bash -c '" + example.command + "' >'" + (root / "out").string() + "' 2>'" +
                                   (root / "err").string() + "'";
        const int status = std::system(script.c_str());
        const std::string out = ReadFile(root / "out"), err = ReadFile(root / "err");
        // Only the example that shows a refusal is refused.
        const bool refusal = !example.shown.empty() && example.shown.front() == "tadmor: Input value is not correct!";
        EXPECT_EQ(WEXITSTATUS(status), refusal ? 3 : 0) << example.command << "\n" << err;
        if (refusal) {
            EXPECT_EQ(OutputLines(err), example.shown) << example.command;
        } else if (!example.shown.empty() && !Shortened(example.shown)) {
            EXPECT_EQ(OutputLines(out), example.shown) << example.command;
        }
    }

    // The case file's "300.0" was read, and the results files have the locale's ",".
    EXPECT_NE(ReadFile(work / "hot45.txt").find("300,0"), std::string::npos);
    EXPECT_NE(ReadFile(work / "hot45.txt").find("45,0"), std::string::npos);
    // The CSV keeps "." whatever the locale, as the README's head -3 shows it.
    const std::vector<std::string> rows = OutputLines(ReadFile(work / "result.csv"));
    const std::vector<std::string> readmeRows = OutputLines(readme.substr(readme.find("$ head -3 result.csv\n") + 21));
    ASSERT_GE(rows.size(), 3u);
    ASSERT_GE(readmeRows.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 3),
              std::vector<std::string>(readmeRows.begin(), readmeRows.begin() + 3));
    EXPECT_TRUE(fs::exists(work / "speed.csv"));
}

}  // namespace
}  // namespace tadmor
