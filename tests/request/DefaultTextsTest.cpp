// The default texts of the fields, with either decimal separator.
#include <gtest/gtest.h>

#include "app/request/CalculationRequest.h"
#include "model/NumberText.h"
#include "support/DefaultInputs.h"

namespace tadmor {
namespace {

TEST(DefaultFieldTexts, ReadBackAsTheDefaultInputsWithEitherSeparator) {
    const SimulationState defaults = test::DefaultInputs();
    for (const char separator : {'.', ','}) {
        const FieldTexts texts = DefaultFieldTexts(separator);
        for (int i = 0; i < kNumericFieldCount; ++i) {
            EXPECT_EQ(TextToNumber(texts[i], separator), defaults.*kInputFields[i].value)
                << kInputFields[i].variable << " with '" << separator << "'";
        }
        EXPECT_EQ(texts[kFieldCount - 1], "result.txt");  // the file name keeps its dot
    }
    EXPECT_EQ(DefaultFieldTexts(',')[0], "15,0");
    EXPECT_EQ(DefaultFieldTexts(',')[25], "0,00052");
}

}  // namespace
}  // namespace tadmor
