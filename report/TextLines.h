// Reading the program's text files line by line: case files and material
// files (NAME = TEXT lines) and rheometer tables.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/Error.h"

namespace tadmor {

// `text` without the spaces and tabs around it.
std::string_view Trim(std::string_view text);

// Calls `line(text, number)` for each line of `contents` (LF or CR LF, numbered
// from 1), trimmed, leaving out blank lines and those whose first non-blank
// character is #. A UTF-8 byte-order mark at the start is skipped. Returns
// the number of the last line.
int ForEachLine(std::string_view contents, const std::function<void(std::string_view, int)>& line);

// One NAME = TEXT line.
struct KeyValue {
    std::string_view name;  // trimmed
    std::string_view text;  // trimmed; inside its double quotes when written in them
    int line = 0;           // from 1
    std::string place;      // "SOURCE:LINE", for messages
};

// Calls `entry` for each NAME = TEXT line of `contents`, read as ForEachLine
// reads lines. Throws Error of `kind`, "SOURCE:LINE: ...", for a line without
// "=" or a name, and for a quote that is not closed. Returns the number of
// the last line.
int ForEachKeyValue(std::string_view contents, std::string_view source, ErrorKind kind,
                    const std::function<void(const KeyValue&)>& entry);

}  // namespace tadmor
