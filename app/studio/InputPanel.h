// The input panel: the entries in their groups (screw, operating point,
// barrel, material, die), each with its unit, its tip from the manual and,
// beside it, what is wrong with its text as it is typed.
#pragma once

#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "app/studio/MaterialLibrary.h"
#include "app/studio/StudioInputs.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tadmor::studio {

class FitDialog;

class InputPanel : public QWidget {
    Q_OBJECT
public:
    explicit InputPanel(QWidget* parent = nullptr);

    StudioTexts Texts() const;
    // Shows `texts` (no Edited signals); Changed follows.
    void SetTexts(const StudioTexts& texts);
    // Shows each problem beside its entry, and clears the others.
    void ShowProblems(const std::map<std::string, std::string>& problems);
    // Reads the material file at `path` and applies it; what is wrong with
    // it is shown in the material group (Problem("Material")), the texts
    // kept as they are.
    void ApplyMaterialFile(const QString& path);
    // Lists the materials of `folders` in the library (LibraryFolders() at
    // first; the list is read again each time it opens).
    void SetLibraryFolders(std::vector<LibraryFolder> folders);

    QLineEdit* Field(const std::string& key) const;
    // The problem beside an entry, of the die ("Die") or of the material ("Material").
    QLabel* Problem(const std::string& key) const;
    QComboBox* UnitChoice() const { return unit_; }
    QComboBox* DieChoice() const { return die_; }
    QPushButton* OpenMaterialButton() const { return openMaterial_; }
    QPushButton* FitMaterialButton() const { return fitMaterial_; }
    QComboBox* LibraryChoice() const { return library_; }

signals:
    // Any entry, the length unit or the die changed.
    void Changed();
    // The engineer changed an entry's text (typing, not SetTexts).
    void Edited(const QString& key, const QString& before, const QString& after);
    // A material was applied (after Changed): from the library, a file or a fit.
    void MaterialApplied(const QString& origin);

private:
    struct Row {
        QLineEdit* edit = nullptr;
        QLabel* unit = nullptr;
        QLabel* problem = nullptr;
        QWidget* caption = nullptr;
    };
    void ShowUnitsAndDie();
    void ApplyMaterial(const material::Material& material, const std::string& origin);
    // The material in words, and in the library when it came from there.
    void ShowMaterial();
    void ShowMaterialProblem(const QString& text);
    void FillLibrary();
    void ShowAppliedInLibrary();
    void ChooseMaterialFile();
    void OpenFitDialog();

    std::map<std::string, Row> rows_;
    std::map<std::string, QString> shown_;  // the texts before the latest edit
    StudioTexts texts_;                     // the material, the unit and the die; the texts are the fields'
    QComboBox* unit_ = nullptr;
    QComboBox* die_ = nullptr;
    QComboBox* library_ = nullptr;
    QLabel* material_ = nullptr;
    QLabel* materialProblem_ = nullptr;
    std::vector<LibraryFolder> folders_;
    std::vector<LibraryEntry> libraryEntries_;
    FitDialog* fit_ = nullptr;
    QLabel* dieProblem_ = nullptr;
    QPushButton* openMaterial_ = nullptr;
    QPushButton* fitMaterial_ = nullptr;
    bool setting_ = false;
};

}  // namespace tadmor::studio
