// The one reader of the program's text files: lines, comments, a byte-order
// mark, and NAME = TEXT with quotes, and its refusals with file and line.
#include "report/TextLines.h"

#include <gtest/gtest.h>

#include <vector>

namespace tadmor {
namespace {

struct Entry {
    std::string name, text, place;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(std::string_view contents) {
    std::vector<Entry> entries;
    ForEachKeyValue(contents, "f.case", ErrorKind::Material, [&](const KeyValue& entry) {
        entries.push_back({std::string(entry.name), std::string(entry.text), entry.place});
    });
    return entries;
}

TEST(KeyValue, TrimsQuotesSkipsCommentsAndAByteOrderMark) {
    EXPECT_EQ(Entries("\xEF\xBB\xBF# note\r\n\n  A = 1 \r\n\tB=\" x \"\nC = \"\"\nD =\nE = a # b\n"),
              (std::vector<Entry>{{"A", "1", "f.case:3"},
                                  {"B", " x ", "f.case:4"},
                                  {"C", "", "f.case:5"},
                                  {"D", "", "f.case:6"},
                                  {"E", "a # b", "f.case:7"}}));
    EXPECT_EQ(Trim(" \t a b \t"), "a b");
}

TEST(KeyValue, RefusalsNameTheFileAndLineWithTheCallersKind) {
    for (const auto& [contents, message] :
         std::vector<std::pair<std::string, std::string>>{{"A = 1\nB 2\n", "f.case:2: expected NAME = TEXT"},
                                                          {"= 2", "f.case:1: expected NAME = TEXT"},
                                                          {"\n\nA = \"open", "f.case:3: missing closing quote"},
                                                          {"A = \"", "f.case:1: missing closing quote"}}) {
        try {
            Entries(contents);
            ADD_FAILURE() << contents;
        } catch (const Error& error) {
            EXPECT_EQ(error.what(), message);
            EXPECT_EQ(static_cast<int>(error.Kind()), static_cast<int>(ErrorKind::Material));
        }
    }
}

}  // namespace
}  // namespace tadmor
