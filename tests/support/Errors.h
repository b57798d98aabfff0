// The text of the error an action throws, for tests of refusals.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/Error.h"

namespace tadmor::test {

// The text of the Error that `action` throws, checked to be of `kind`; ""
// when it throws none.
template <typename Action>
std::string ErrorTextOf(Action action, ErrorKind kind = ErrorKind::Input) {
    try {
        action();
    } catch (const Error& error) {
        EXPECT_EQ(static_cast<int>(error.Kind()), static_cast<int>(kind)) << error.what();
        return error.what();
    }
    return "";
}

}  // namespace tadmor::test
