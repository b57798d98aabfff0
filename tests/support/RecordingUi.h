// A front-end for the calculation request that records every call, in order.
#pragma once

#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::test {

class RecordingUi : public RequestUi {
public:
    std::vector<std::string> calls;
    void SetBusy(bool busy) override { calls.push_back(busy ? "busy on" : "busy off"); }
    void ShowMessage(const std::string& text) override { calls.push_back("message: " + text); }
    void ShowError(const std::string& text) override { calls.push_back("error: " + text); }
    void ShowCompletion() override { calls.push_back("completion"); }
    void RefreshFileList() override { calls.push_back("refresh"); }
};

}  // namespace tadmor::test
