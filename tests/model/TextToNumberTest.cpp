#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace tadmor {
namespace {

TEST(TextToNumber, AcceptsBlanksSignsAndALoneSeparator) {
    EXPECT_EQ(TextToNumber(" 15.0 ", '.'), 15.0);
    EXPECT_EQ(TextToNumber("+.5", '.'), 0.5);
    EXPECT_EQ(TextToNumber("-5.", '.'), -5.0);
    EXPECT_EQ(TextToNumber("7", '.'), 7.0);
    EXPECT_EQ(TextToNumber("2.5E+2", '.'), 250.0);
    EXPECT_EQ(TextToNumber("  -1.25e-1  ", '.'), -0.125);
    EXPECT_EQ(TextToNumber(".", '.'), 0.0);
    EXPECT_EQ(TextToNumber(".e5", '.'), 0.0);
    const std::optional<double> minusZero = TextToNumber("-.", '.');
    ASSERT_TRUE(minusZero);
    EXPECT_EQ(*minusZero, 0.0);
    EXPECT_TRUE(std::signbit(*minusZero));
}

TEST(TextToNumber, RefusesAnythingElse) {
    for (const char* text : {"15.0 cm", "1,5", "",    "   ",   "1e",   "e5",  "1.2.3", "--1",  "\t1", "1\t",
                             "+",       "-",   "1e+", "1 000", "0x10", "inf", "nan",   "1. 5", ". 5", "1e 5"})
        EXPECT_FALSE(TextToNumber(text, '.')) << '"' << text << '"';
}

TEST(TextToNumber, SeparatorIsTheGivenCharacter) {
    EXPECT_EQ(TextToNumber("1,5", ','), 1.5);
    EXPECT_EQ(TextToNumber(",25e1", ','), 2.5);
    EXPECT_FALSE(TextToNumber("1.5", ','));
}

TEST(TextToNumber, RangeOfADouble) {
    EXPECT_FALSE(TextToNumber("1e400", '.'));
    EXPECT_FALSE(TextToNumber("-1e400", '.'));
    EXPECT_FALSE(TextToNumber("1e99999999999999999999", '.'));
    const std::optional<double> tiny = TextToNumber("1e-400", '.');
    ASSERT_TRUE(tiny);
    EXPECT_EQ(*tiny, 0.0);
    EXPECT_EQ(TextToNumber("4.9406564584124654e-324", '.'), 4.9406564584124654e-324);
    EXPECT_EQ(TextToNumber("1.7976931348623157e308", '.'), DBL_MAX);
    // Above DBL_MAX, but below the midpoint to the next power of two.
    EXPECT_EQ(TextToNumber("1.7976931348623158e308", '.'), DBL_MAX);
}

TEST(TextToNumber, LongDigitStrings) {
    const std::string ones(400, '1');
    EXPECT_FALSE(TextToNumber(ones, '.'));  // about 1.1e399
    const std::string fraction = "0." + std::string(500, '0') + "1e501";
    EXPECT_EQ(TextToNumber(fraction, '.'), 1.0);
    const std::string padded = std::string(300, '0') + "42." + std::string(300, '0');
    EXPECT_EQ(TextToNumber(padded, '.'), 42.0);
}

TEST(TextToNumber, RoundsTwiceThroughA64BitMantissa) {
    // 1 + 2^-53 + 2^-70: nearest double is 1 + 2^-52, but with a 64-bit
    // mantissa it first becomes 1 + 2^-53, a tie that rounds to even, 1.
    EXPECT_EQ(TextToNumber("1.0000000000000001110231494954629083427022351315827108919620513916015625", '.'), 1.0);
    // Below the midpoint between DBL_MAX and 2^1024 by 2^958, so its nearest
    // double is DBL_MAX; but a 64-bit mantissa rounds it to the midpoint, a
    // tie that rounds to even, infinity: the text is refused.
    EXPECT_FALSE(
        TextToNumber("179769313486231580791292642902453415309845787113069029858454722266046216411047774332345780804895"
                     "600570713882650222385346140229318794088235584792696205205047170264405176630220321391035420828593"
                     "274296778316397556443483167061253038320101439435455126573982637577540498269301135776858923438706"
                     "272423030406195970048",
                     '.'));
}

}  // namespace
}  // namespace tadmor
