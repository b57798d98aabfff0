#include "app/studio/FitDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/studio/ChartView.h"
#include "app/studio/MaterialLibrary.h"
#include "charts/Builders.h"
#include "export/FitReport.h"
#include "material/FitData.h"

namespace tadmor::studio {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

const char* const kTableFolderKey = "studio/fitTableFolder";

// A combo of units: the table's own (its header), then each unit by name.
QComboBox* UnitCombo(const QString& tip, std::initializer_list<const char*> units) {
    auto* combo = new QComboBox;
    combo->addItem(QObject::tr("as the table's header says"), QString());
    for (const char* unit : units) combo->addItem(unit, QString(unit));
    combo->setToolTip(tip);
    return combo;
}

}  // namespace

FitDialog::FitDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Fit the viscosity law to a rheometer table"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;

    auto* tableRow = new QHBoxLayout;
    table_ = new QLineEdit;
    table_->setObjectName("fitTable");
    table_->setPlaceholderText(tr("a CSV file: temperature, shear rate, viscosity"));
    table_->setToolTip(
        tr("The rheometer table: three columns, temperature, shear rate and viscosity, with their units in "
           "parentheses after the column names; numbers written with \".\"; lines starting with # are passed over"));
    auto* browse = new QPushButton(tr("&Browse…"));
    tableRow->addWidget(table_, 1);
    tableRow->addWidget(browse);
    auto* tableCaption = new QLabel(tr("Rheometer &table"));
    tableCaption->setBuddy(table_);
    form->addRow(tableCaption, tableRow);

    temperatureUnit_ =
        UnitCombo(tr("The unit of the table's temperatures, when its header gives none or another"), {"degC", "K"});
    temperatureUnit_->setObjectName("fitTemperatureUnit");
    form->addRow(tr("Te&mperatures in"), temperatureUnit_);
    viscosityUnit_ = UnitCombo(tr("The unit of the table's viscosities, when its header gives none or another"),
                               {"Pa.s", "P", "gf.s/cm2"});
    viscosityUnit_->setObjectName("fitViscosityUnit");
    form->addRow(tr("&Viscosities in"), viscosityUnit_);

    name_ = new QLineEdit;
    name_->setObjectName("fitName");
    name_->setToolTip(tr("The fitted material's name; the table's file name when empty"));
    form->addRow(tr("&Name"), name_);
    source_ = new QLineEdit;
    source_->setObjectName("fitSource");
    source_->setPlaceholderText(tr("where the measurements come from (optional)"));
    source_->setToolTip(tr("Written first among the material's sources"));
    form->addRow(tr("Sou&rce"), source_);
    base_ = new QComboBox;
    base_->setObjectName("fitBase");
    base_->setToolTip(
        tr("The seven thermal properties of the fitted material, which the fit does not give: those of the "
           "material applied last, as applied, or the program's defaults"));
    base_->addItem(QString());
    base_->addItem(tr("the program's defaults"));
    form->addRow(tr("T&hermal properties of"), base_);
    layout->addLayout(form);

    problem_ = new QLabel;
    problem_->setObjectName("fitProblem");
    problem_->setWordWrap(true);
    problem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    problem_->setStyleSheet("color: #c0392b");
    problem_->hide();
    layout->addWidget(problem_);

    auto* splitter = new QSplitter(Qt::Vertical);
    chart_ = new ChartView;
    chart_->setObjectName("fitChart");
    chart_->setMinimumHeight(280);
    report_ = new QPlainTextEdit;
    report_->setObjectName("fitReport");
    report_->setReadOnly(true);
    report_->setFont(QFont("monospace"));
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    splitter->addWidget(chart_);
    splitter->addWidget(report_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    status_ = new QLabel;
    status_->setObjectName("fitStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);

    auto* buttons = new QDialogButtonBox;
    use_ = buttons->addButton(tr("&Use this material"), QDialogButtonBox::ActionRole);
    use_->setObjectName("useMaterial");
    save_ = buttons->addButton(tr("&Save material file…"), QDialogButtonBox::ActionRole);
    save_->setObjectName("saveMaterial");
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(tr("&Close"));
    layout->addWidget(buttons);
    // Return in an entry fits again; it never takes a material.
    for (QPushButton* button : {browse, use_, save_, close}) button->setAutoDefault(false);

    connect(browse, &QPushButton::clicked, this, &FitDialog::ChooseTable);
    connect(table_, &QLineEdit::editingFinished, this, &FitDialog::Refit);
    connect(name_, &QLineEdit::editingFinished, this, &FitDialog::Refit);
    connect(source_, &QLineEdit::editingFinished, this, &FitDialog::Refit);
    for (QComboBox* combo : {temperatureUnit_, viscosityUnit_, base_})
        connect(combo, &QComboBox::currentIndexChanged, this, &FitDialog::Refit);
    connect(use_, &QPushButton::clicked, this, [this] {
        if (fitted_) emit UseMaterial(*fitted_, tr("fitted to %1").arg(table_->text()));
    });
    connect(save_, &QPushButton::clicked, this, &FitDialog::ChooseSaveFile);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    SetMaterialInUse(std::nullopt);
    Refit();
    resize(760, 820);
}

void FitDialog::SetMaterialInUse(const std::optional<material::Material>& material) {
    inUse_ = material;
    base_->setItemText(0, material ? tr("the material in use: %1").arg(Q(material->name))
                                   : tr("the material in use: the program's defaults"));
    if (fitted_) Refit();
}

void FitDialog::FitTable(const QString& path) {
    table_->setText(path);
    Refit();
}

void FitDialog::ShowProblem(const QString& text) {
    problem_->setText(text);
    problem_->setVisible(!text.isEmpty());
}

void FitDialog::Refit() {
    fitted_.reset();
    use_->setEnabled(false);
    save_->setEnabled(false);
    status_->clear();
    report_->clear();
    name_->setPlaceholderText({});
    const QString path = table_->text();
    if (path.isEmpty()) {
        ShowProblem({});
        chart_->SetMessage(tr("Choose a rheometer table to fit the viscosity law to it."));
        return;
    }
    const std::string file = path.toStdString();
    try {
        const material::FitData data =
            material::TableData(file, {temperatureUnit_->currentData().toString().toStdString(),
                                       viscosityUnit_->currentData().toString().toStdString()});
        name_->setPlaceholderText(Q(data.name));
        const material::LawFit fit = material::FitLaw(data);
        QString report = Q(exporting::FitReport(fit, data.description));
        for (const std::string& warning : fit.warnings) report += tr("Warning: %1").arg(Q(warning)) + '\n';
        report_->setPlainText(report);
        chart_->SetChart(charts::FitChart(
            data.points, fit, "Viscosity law fitted to " + QFileInfo(path).fileName().toStdString(), "data"));
        // The chart and the report stay when the law makes no material a run could use.
        const std::optional<material::Material> base = base_->currentIndex() == 0 ? inUse_ : std::nullopt;
        fitted_ = material::FittedMaterial(fit, data, base, name_->text().toStdString(), source_->text().toStdString());
        ShowProblem({});
    } catch (const std::exception& e) {
        if (report_->document()->isEmpty()) chart_->SetMessage(tr("No fit."));
        ShowProblem(tr("No material: %1").arg(Q(e.what())));
    }
    use_->setEnabled(fitted_.has_value());
    save_->setEnabled(fitted_.has_value());
}

void FitDialog::ChooseTable() {
    QSettings settings;
    const QString path = QFileDialog::getOpenFileName(this, tr("Rheometer table"),
                                                      settings.value(kTableFolderKey, QDir::homePath()).toString(),
                                                      tr("Rheometer tables (*.csv *.txt);;All files (*)"));
    if (path.isEmpty()) return;
    settings.setValue(kTableFolderKey, QFileInfo(path).absolutePath());
    FitTable(path);
}

void FitDialog::ChooseSaveFile() {
    if (!fitted_) return;
    const QString folder = Q(UserMaterialsFolder(true));
    QString stem = Q(fitted_->name).simplified().replace(QRegularExpression("[^A-Za-z0-9._-]+"), "-");
    if (stem.isEmpty()) stem = "fitted";
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save material file"), QDir(folder).filePath(stem + ".material"),
                                     tr("Material files (*.material);;All files (*)"));
    if (!path.isEmpty()) SaveMaterial(path);
}

bool FitDialog::SaveMaterial(const QString& path) {
    if (!fitted_) return false;
    try {
        material::WriteMaterialFile(*fitted_, path.toStdString());
    } catch (const std::exception& e) {
        status_->setStyleSheet("color: #c0392b");
        status_->setText(Q(e.what()));
        return false;
    }
    status_->setStyleSheet({});
    status_->setText(tr("Material file written: %1").arg(path));
    emit Saved(path);
    return true;
}

}  // namespace tadmor::studio
