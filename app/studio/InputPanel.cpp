#include "app/studio/InputPanel.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>

#include "app/studio/FitDialog.h"

namespace tadmor::studio {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

bool IsDieEntry(const std::string& key) { return key.starts_with("Die"); }

const char* const kMaterialFolderKey = "studio/materialFolder";

// The library's items besides its materials, by their data.
constexpr int kNoMaterial = -1;
constexpr int kOpenFolder = -2;

// The library's list, read again each time it opens, so that files put in a
// folder meanwhile are there.
// What a library item stands for: a material (its index in the list) or one of the above.
int ItemOf(const QComboBox* library, int at) {
    bool number = false;
    const int item = library->itemData(at).toInt(&number);
    return number ? item : kNoMaterial;
}

class LibraryCombo : public QComboBox {
public:
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup) beforePopup();
        QComboBox::showPopup();
    }
};

}  // namespace

InputPanel::InputPanel(QWidget* parent) : QWidget(parent), texts_(DefaultTexts()) {
    auto* layout = new QVBoxLayout(this);

    auto* unitRow = new QHBoxLayout;
    auto* unitCaption = new QLabel(tr("&Lengths in"));
    unit_ = new QComboBox;
    unit_->addItem("mm");
    unit_->addItem("cm");
    unit_->setCurrentIndex(1);
    unit_->setToolTip(tr("The unit of the screw's and the die's lengths as you type them"));
    unitCaption->setBuddy(unit_);
    unitRow->addWidget(unitCaption);
    unitRow->addWidget(unit_);
    unitRow->addStretch();
    layout->addLayout(unitRow);

    for (const EntryGroup& group : EntryGroups()) {
        auto* box = new QGroupBox(Q(group.title));
        box->setObjectName(Q(group.title));
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(1, 1);
        int line = 0;
        if (group.title == "Material") {
            material_ = new QLabel;
            material_->setObjectName("material");
            material_->setWordWrap(true);
            material_->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(material_, line++, 0, 1, 3);
            auto* library = new LibraryCombo;
            library->beforePopup = [this] { FillLibrary(); };
            library_ = library;
            library_->setObjectName("library");
            library_->setToolTip(tr("The materials of the library: the program's and those in your own folder"));
            auto* libraryCaption = new QLabel(tr("Li&brary"));
            libraryCaption->setBuddy(library_);
            grid->addWidget(libraryCaption, line, 0);
            grid->addWidget(library_, line++, 1, 1, 2);
            auto* buttons = new QHBoxLayout;
            openMaterial_ = new QPushButton(tr("&Open material file…"));
            openMaterial_->setToolTip(tr("Apply the thirteen material inputs of a material file"));
            fitMaterial_ = new QPushButton(tr("Fit to a r&heometer table…"));
            fitMaterial_->setToolTip(tr("Fit the viscosity law to measured viscosities and apply the material"));
            buttons->addWidget(openMaterial_);
            buttons->addWidget(fitMaterial_);
            buttons->addStretch();
            grid->addLayout(buttons, line++, 0, 1, 3);
            materialProblem_ = new QLabel;
            materialProblem_->setObjectName("problem:Material");
            materialProblem_->setWordWrap(true);
            materialProblem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
            materialProblem_->setStyleSheet("color: #c0392b");
            materialProblem_->hide();
            grid->addWidget(materialProblem_, line++, 0, 1, 3);
        }
        if (group.title == "Die") {
            auto* caption = new QLabel(tr("&Kind"));
            die_ = new QComboBox;
            for (const char* kind : {"none", "capillary", "slit", "annulus", "table"}) die_->addItem(kind);
            die_->setToolTip(
                tr("The die at the screw tip: with one, the pressure and the melt temperature are "
                   "calculated along the screw to the die"));
            caption->setBuddy(die_);
            grid->addWidget(caption, line, 0);
            grid->addWidget(die_, line++, 1, 1, 2);
            dieProblem_ = new QLabel;
            dieProblem_->setObjectName("problem:Die");
            dieProblem_->setWordWrap(true);
            dieProblem_->setStyleSheet("color: #c0392b");
            dieProblem_->hide();
            grid->addWidget(dieProblem_, line++, 0, 1, 3);
        }
        for (const Entry& entry : group.entries) {
            Row row;
            auto* caption = new QLabel(Q(entry.caption));
            row.caption = caption;
            row.edit = new QLineEdit;
            row.edit->setObjectName(Q(entry.key));
            row.edit->setToolTip(Q(entry.key + ": " + entry.tip));
            caption->setToolTip(row.edit->toolTip());
            caption->setBuddy(row.edit);
            row.unit = new QLabel(Q(entry.unit));
            row.problem = new QLabel;
            row.problem->setObjectName(Q("problem:" + entry.key));
            row.problem->setWordWrap(true);
            row.problem->setStyleSheet("color: #c0392b");
            row.problem->hide();
            grid->addWidget(caption, line, 0);
            grid->addWidget(row.edit, line, 1);
            grid->addWidget(row.unit, line++, 2);
            grid->addWidget(row.problem, line++, 0, 1, 3);
            const std::string key = entry.key;
            connect(row.edit, &QLineEdit::textEdited, this, [this, key](const QString& text) {
                const QString before = shown_[key];
                shown_[key] = text;
                if (!setting_) emit Edited(Q(key), before, text);
                ShowMaterial();
                emit Changed();
            });
            rows_[entry.key] = row;
        }
        layout->addWidget(box);
    }
    layout->addStretch();

    connect(unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (setting_) return;
        SetTexts(WithUnit(Texts(), index == 0 ? LengthUnit::Millimetre : LengthUnit::Centimetre));
    });
    connect(die_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (setting_) return;
        texts_.die = static_cast<DieKind>(index);
        ShowUnitsAndDie();
        emit Changed();
    });
    connect(library_, &QComboBox::activated, this, [this](int index) {
        const int item = ItemOf(library_, index);
        if (item == kOpenFolder) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(Q(UserMaterialsFolder(true))));
            ShowAppliedInLibrary();
        } else if (item >= 0 && libraryEntries_[item].material) {
            ApplyMaterial(*libraryEntries_[item].material, libraryEntries_[item].Origin());
        }
    });
    connect(openMaterial_, &QPushButton::clicked, this, &InputPanel::ChooseMaterialFile);
    connect(fitMaterial_, &QPushButton::clicked, this, &InputPanel::OpenFitDialog);
    folders_ = LibraryFolders();
    SetTexts(texts_);
    FillLibrary();
}

StudioTexts InputPanel::Texts() const {
    StudioTexts texts = texts_;
    for (const auto& [key, row] : rows_) texts.texts[key] = row.edit->text().toStdString();
    return texts;
}

void InputPanel::SetTexts(const StudioTexts& texts) {
    setting_ = true;
    texts_ = texts;
    for (auto& [key, row] : rows_) {
        const auto found = texts.texts.find(key);
        const QString text = found == texts.texts.end() ? QString() : Q(found->second);
        if (row.edit->text() != text) {
            row.edit->setText(text);
            row.edit->setCursorPosition(0);  // a long exact number shows its leading digits
        }
        shown_[key] = text;
    }
    unit_->setCurrentIndex(texts.unit == LengthUnit::Millimetre ? 0 : 1);
    die_->setCurrentIndex(static_cast<int>(texts.die));
    setting_ = false;
    ShowUnitsAndDie();
    emit Changed();
}

void InputPanel::ShowUnitsAndDie() {
    const std::vector<std::string> dieEntries = DieEntries(texts_.die);
    for (auto& [key, row] : rows_) {
        const Entry* entry = FindEntry(key);
        if (entry->length) row.unit->setText(Q(UnitName(texts_.unit)));
        const bool shown = !IsDieEntry(key)
                               ? (key != "FlightClearance" && key != "StartPressure") || texts_.die != DieKind::None
                               : std::find(dieEntries.begin(), dieEntries.end(), key) != dieEntries.end();
        row.caption->setVisible(shown);
        row.edit->setVisible(shown);
        row.unit->setVisible(shown);
        if (!shown) row.problem->hide();
    }
    ShowMaterial();
}

void InputPanel::ShowProblems(const std::map<std::string, std::string>& problems) {
    for (auto& [key, row] : rows_) {
        const auto found = problems.find(key);
        const bool has = found != problems.end() && row.edit->isVisibleTo(this);
        row.problem->setText(has ? Q(found->second) : QString());
        row.problem->setVisible(has);
        row.edit->setStyleSheet(has ? "border: 1px solid #c0392b" : "");
    }
    const auto die = problems.find("Die");
    dieProblem_->setText(die != problems.end() ? Q(die->second) : QString());
    dieProblem_->setVisible(die != problems.end());
    ShowMaterial();
}

QLineEdit* InputPanel::Field(const std::string& key) const {
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : found->second.edit;
}

QLabel* InputPanel::Problem(const std::string& key) const {
    if (key == "Die") return dieProblem_;
    if (key == "Material") return materialProblem_;
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : found->second.problem;
}

void InputPanel::ApplyMaterial(const material::Material& material, const std::string& origin) {
    ShowMaterialProblem({});
    SetTexts(WithMaterial(Texts(), material, origin));
    emit MaterialApplied(Q(origin));
}

void InputPanel::ShowMaterial() {
    material_->setText(tr("Material: %1").arg(Q(MaterialText(Texts()))));
    ShowAppliedInLibrary();
}

void InputPanel::ShowMaterialProblem(const QString& text) {
    materialProblem_->setText(text);
    materialProblem_->setVisible(!text.isEmpty());
}

void InputPanel::ApplyMaterialFile(const QString& path) {
    material::Material material;
    try {
        material = material::ReadMaterialFile(path.toStdString());
    } catch (const std::exception& e) {
        ShowMaterialProblem(Q(e.what()));
        return;
    }
    ApplyMaterial(material, path.toStdString());
}

void InputPanel::ChooseMaterialFile() {
    QSettings settings;
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open material file"), settings.value(kMaterialFolderKey, Q(UserMaterialsFolder(true))).toString(),
        tr("Material files (*.material);;All files (*)"));
    if (path.isEmpty()) return;
    settings.setValue(kMaterialFolderKey, QFileInfo(path).absolutePath());
    ApplyMaterialFile(path);
}

void InputPanel::OpenFitDialog() {
    if (!fit_) {
        fit_ = new FitDialog(this);
        connect(fit_, &FitDialog::UseMaterial, this, [this](const material::Material& material, const QString& origin) {
            ApplyMaterial(material, origin.toStdString());
            fit_->close();
        });
        connect(fit_, &FitDialog::Saved, this, &InputPanel::FillLibrary);
    }
    fit_->SetMaterialInUse(texts_.material);
    fit_->show();
    fit_->raise();
    fit_->activateWindow();
}

void InputPanel::SetLibraryFolders(std::vector<LibraryFolder> folders) {
    folders_ = std::move(folders);
    FillLibrary();
}

void InputPanel::FillLibrary() {
    libraryEntries_ = ListLibrary(folders_);
    const QSignalBlocker blocker(library_);
    library_->clear();
    library_->addItem(tr("(a material of the library)"), kNoMaterial);
    auto* model = qobject_cast<QStandardItemModel*>(library_->model());
    for (std::size_t i = 0; i < libraryEntries_.size(); ++i) {
        const LibraryEntry& entry = libraryEntries_[i];
        const QString name = Q(entry.Name());
        const int at = library_->count();
        if (entry.material) {
            library_->addItem(name, static_cast<int>(i));
            library_->setItemData(at, tr("%1 (%2)").arg(Q(entry.path), Q(entry.folder.title)), Qt::ToolTipRole);
        } else {
            library_->addItem(tr("%1 (cannot be read)").arg(name), static_cast<int>(i));
            library_->setItemData(at, Q(entry.problem), Qt::ToolTipRole);
            model->item(at)->setEnabled(false);
        }
    }
    library_->insertSeparator(library_->count());
    library_->addItem(tr("Open your materials folder…"), kOpenFolder);
    library_->setItemData(library_->count() - 1, Q(UserMaterialsFolder()), Qt::ToolTipRole);
    ShowAppliedInLibrary();
}

void InputPanel::ShowAppliedInLibrary() {
    if (!library_) return;
    int shown = 0;
    for (int at = 0; at < library_->count(); ++at) {
        const int item = ItemOf(library_, at);
        if (item >= 0 && texts_.material && libraryEntries_[item].Origin() == texts_.materialOrigin) shown = at;
    }
    const QSignalBlocker blocker(library_);
    library_->setCurrentIndex(shown);
}

}  // namespace tadmor::studio
