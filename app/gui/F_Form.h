// The completion dialog: tells the user that a calculation ran to its end.
#pragma once

#include "app/gui/FixedDialog.h"

class QLabel;
class QPushButton;

namespace tadmor::gui {
class BevelPanel;
}

class TFinishForm : public tadmor::gui::FixedDialog {
public:
    TFinishForm();

    tadmor::gui::BevelPanel* Panel1;
    tadmor::gui::BevelPanel* Panel2;
    QLabel* Label2;
    QLabel* Label1;
    QPushButton* BitBtn1;
};
