// Reading the text files of materials: lines, blanks, numbers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tadmor::material {

std::string_view Trim(std::string_view text);

// Calls `line(text, number)` for each line of `contents` (LF or CR LF, numbered
// from 1), trimmed of blanks, leaving out blank lines and those starting with
// #. Returns the number of the last line.
int ForEachLine(std::string_view contents, const std::function<void(std::string_view, int)>& line);

// A finite number written with "." (an optional sign, digits, an optional
// exponent), read with a 64-bit mantissa; nothing for any other text.
std::optional<long double> ReadNumber(std::string_view text);

// The bytes of the regular file at `path`, read bounded; `what` names it in
// the MaterialError thrown when it cannot be read ("material file", "the table").
std::string ReadWholeFile(const std::string& path, const std::string& what);

}  // namespace tadmor::material
