// What the tests check of a plot file: a PNG's size, an SVG's form and width.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QXmlStreamReader>

#include <cstdlib>
#include <string>
#include <utility>

namespace tadmor::test {

// Width and height from a PNG's header, or {0, 0} when it is not one.
inline std::pair<int, int> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto at = [&](std::size_t i) {
        int value = 0;
        for (std::size_t k = i; k < i + 4; ++k) value = value * 256 + static_cast<unsigned char>(bytes[k]);
        return value;
    };
    return {at(16), at(20)};
}

inline ::testing::AssertionResult WellFormedXml(const std::string& text) {
    QXmlStreamReader reader(QByteArray::fromStdString(text));
    while (!reader.atEnd()) reader.readNext();
    if (!reader.hasError() && !text.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not well-formed XML at line " << reader.lineNumber() << ", column "
                                         << reader.columnNumber() << ": " << reader.errorString().toStdString();
}

// The width and height of an SVG's root element in millimetres, or {0, 0}
// when they are not given so.
inline std::pair<double, double> SvgSizeInMillimetres(const std::string& text) {
    QXmlStreamReader reader(QByteArray::fromStdString(text));
    while (!reader.atEnd() && !reader.isStartElement()) reader.readNext();
    const auto millimetres = [&](const char* name) {
        const QString value = reader.attributes().value(name).toString();
        return value.endsWith("mm") ? std::strtod(value.chopped(2).toStdString().c_str(), nullptr) : 0.0;
    };
    return {millimetres("width"), millimetres("height")};
}

// The width and height of an SVG page: about 180 mm wide, in the page's 4:3.
inline void ExpectPageOf180Millimetres(const std::string& drawing) {
    const auto [width, height] = SvgSizeInMillimetres(drawing);
    EXPECT_NEAR(width, 180, 1);
    EXPECT_NEAR(height / width, 900.0 / 1200, 1e-3);
    EXPECT_NE(drawing.find("viewBox=\"0 0 1200 900\""), std::string::npos);
}

}  // namespace tadmor::test
