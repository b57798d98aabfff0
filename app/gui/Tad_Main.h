// The main window: the 28 labelled input fields, the results file name, the
// file controls, the calculate and close buttons and the extruder picture.
#pragma once

#include <QString>

#include <array>
#include <string>

#include "app/gui/FixedDialog.h"
#include "app/request/CalculationRequest.h"
#include "model/Cal_Main.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TFinishForm;

namespace tadmor::gui {
class BevelPanel;
class CaptionGroupBox;
class DriveSelector;
class FileList;
class FolderList;
}  // namespace tadmor::gui

class TMF_Tad : public tadmor::gui::FixedDialog, public tadmor::RequestUi {
public:
    static const QString kTitle;

    TMF_Tad();

    // The completion dialog that requests show; created after this window.
    void SetFinishForm(TFinishForm& finishForm) { finishForm_ = &finishForm; }

    // The click handler of the calculate button: one calculation request.
    void BitBtn1Click();

    // The request's user interface.
    void SetBusy(bool busy) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowCompletion() override;
    void RefreshFileList() override;

    tadmor::gui::CaptionGroupBox* GroupBox1;
    tadmor::gui::CaptionGroupBox* GroupBox2;
    std::array<tadmor::gui::BevelPanel*, tadmor::kNumericFieldCount> Panels;
    std::array<QLineEdit*, tadmor::kFieldCount> Edits;  // Edit1 .. Edit29
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    tadmor::gui::DriveSelector* DriveComboBox1;
    tadmor::gui::FolderList* DirectoryListBox1;
    tadmor::gui::FileList* FileListBox1;
    tadmor::gui::BevelPanel* Panel29;
    QLabel* Image1;

private:
    void BuildInputFields();
    void BuildFileControls();
    void SetTabOrder();

    tadmor::SimulationState state_;
    TFinishForm* finishForm_ = nullptr;
};

// The decimal separator of the user's locale, "." when the locale's is not a
// single ASCII character.
char LocaleDecimalSeparator();
