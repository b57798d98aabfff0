// The fit of the viscosity law to a rheometer table: the table and the fit's
// options, the points with the fitted law, the fit's report, and the
// material it makes, which the panel applies or the engineer saves.
#pragma once

#include <QDialog>

#include <optional>

#include "material/Material.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tadmor::studio {

class ChartView;

class FitDialog : public QDialog {
    Q_OBJECT
public:
    explicit FitDialog(QWidget* parent = nullptr);

    // The material in use, whose thermal properties the fitted material may
    // keep (none: the program's defaults).
    void SetMaterialInUse(const std::optional<material::Material>& material);
    // Shows the table at `path` and fits it with the options shown.
    void FitTable(const QString& path);
    // The material of the latest fit; none when it failed.
    const std::optional<material::Material>& Fitted() const { return fitted_; }
    // Writes the fitted material to `path`, whole or not at all; false, with
    // the reason shown, when it cannot.
    bool SaveMaterial(const QString& path);

signals:
    // "Use this material": the fitted material, its origin "fitted to PATH".
    void UseMaterial(const tadmor::material::Material& material, const QString& origin);
    // A material file was written.
    void Saved(const QString& path);

private:
    void Refit();
    void ChooseTable();
    void ChooseSaveFile();
    void ShowProblem(const QString& text);

    std::optional<material::Material> inUse_;
    std::optional<material::Material> fitted_;
    QLineEdit* table_ = nullptr;
    QComboBox* temperatureUnit_ = nullptr;
    QComboBox* viscosityUnit_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* source_ = nullptr;
    QComboBox* base_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* status_ = nullptr;
    ChartView* chart_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* save_ = nullptr;
};

}  // namespace tadmor::studio
