// Runs the built tadmor program on temporary folders: the fixture and the
// helpers that the tests of the command share.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::test {

namespace fs = std::filesystem;

// The warning of the default case on standard error. Its reference rows
// (tests/data/reference/default.csv) have X/W above 1 from FLIGHT 14.05 to
// 17.50, at most 1.393 at FLIGHT 15.95.
inline const std::string kDefaultCaseWarning =
    "tadmor: warning: the solid bed is wider than the channel (X/W up to 1.393 at FLIGHT 15.95): the model then "
    "lets the bed spread beyond the channel, where a real screw would plug or the bed break up at FLIGHT 14.05 to "
    "17.50 "
    "[bed-wider-than-channel]\n";

inline std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

inline void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A fresh folder `work` to run the program in, with its output captured
// beside it.
class TadmorCommand : public testing::Test {
protected:
    // Far above any run of the tests, also under the sanitizers.
    static constexpr unsigned kHangGuardSeconds = 600;

    fs::path root;
    fs::path work;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tadmor-cli-XXXXXX").string();
        root = mkdtemp(pattern.data());
        work = root / "work";
        fs::create_directory(work);
    }
    void TearDown() override { fs::remove_all(root); }

    // The most memory (address space, bytes) the program may take; 0: no limit.
    rlim_t memoryLimit = 0;

    // Starts tadmor with `arguments` in `work`, its standard output and error
    // going to the files `out` and `err`, with `environment` added
    // ("NAME=VALUE") and LC_ALL=C unless it sets a locale itself.
    pid_t Start(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err,
                std::vector<std::string> environment = {}) {
        std::vector<std::string> words = {TADMOR_COMMAND};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        if (environment.empty()) environment.push_back("LC_ALL=C");

        const pid_t child = fork();
        if (child == 0) {
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0 || chdir(work.c_str()) != 0)
                _exit(127);
            const rlimit limit{memoryLimit, memoryLimit};
            if (memoryLimit != 0 && setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
            for (std::string& variable : environment) putenv(variable.data());
            // A program that hangs is ended, so that the test fails instead.
            alarm(kHangGuardSeconds);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return child;
    }

    // The exit code of a started program; -1 when it did not exit.
    static int Wait(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Runs tadmor as Start does and waits for it.
    Result Run(const std::vector<std::string>& arguments, std::vector<std::string> environment = {}) {
        const fs::path out = root / "stdout", err = root / "stderr";
        Result result;
        result.exitCode = Wait(Start(arguments, out, err, std::move(environment)));
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }

    // Writes the results file `name` (in `root`) from `texts` with the
    // request that the window runs, and returns its path.
    fs::path WriteByRequest(FieldTexts texts, char separator, const std::string& name = "direct.txt") {
        const fs::path path = root / name;
        texts[kFieldCount - 1] = path.string();
        SimulationState state;
        SilentUi ui;
        EXPECT_EQ(RunCalculationRequest(texts, separator, state, ui), RequestOutcome::Completed);
        return path;
    }

    // The environment ("LOCPATH=...", "LC_ALL=de_DE.UTF-8") of a German
    // locale, whose decimal separator is ",", built in `root` for the test;
    // empty when localedef cannot build it (the Debian package locales,
    // which scripts/install-deps.sh installs, gives it).
    std::vector<std::string> GermanLocale() {
        const fs::path locales = root / "locales";
        fs::create_directory(locales);
        const std::string build =
            "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(build.c_str()) != 0) return {};
        return {"LOCPATH=" + locales.string(), "LC_ALL=de_DE.UTF-8"};
    }
    static constexpr const char* kNoGermanLocale =
        "localedef cannot build de_DE.UTF-8: install the Debian package locales (scripts/install-deps.sh)";

    // The results file that the request writes from `texts`, read back.
    std::string RequestFile(const FieldTexts& texts, char separator) {
        return ReadFile(WriteByRequest(texts, separator));
    }
};

// The lines of a program's output, without their line ends.
inline std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// The rows of the results table in a file.
inline std::vector<std::string> TableRows(const std::string& file) {
    std::vector<std::string> rows;
    const auto table = file.find(" [RESULTS]\r\n");
    std::istringstream lines(file.substr(table == std::string::npos ? file.size() : table));
    std::string line;
    for (int heading = 0; heading < 3 && std::getline(lines, line);) ++heading;
    while (std::getline(lines, line) && line != "\r") rows.push_back(line);
    return rows;
}

}  // namespace tadmor::test
