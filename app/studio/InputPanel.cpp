#include "app/studio/InputPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tadmor::studio {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

bool IsDieEntry(const std::string& key) { return key.starts_with("Die"); }

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
            material_->setWordWrap(true);
            material_->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(material_, line++, 0, 1, 3);
            library_ = new QComboBox;
            library_->setToolTip(tr("The materials of the library: the program's and those in your own folder"));
            grid->addWidget(library_, line++, 0, 1, 3);
            auto* buttons = new QHBoxLayout;
            openMaterial_ = new QPushButton(tr("&Open material file…"));
            fitMaterial_ = new QPushButton(tr("&Fit to a rheometer table…"));
            buttons->addWidget(openMaterial_);
            buttons->addWidget(fitMaterial_);
            grid->addLayout(buttons, line++, 0, 1, 3);
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
    SetTexts(texts_);
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
        if (row.edit->text() != text) row.edit->setText(text);
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
    material_->setText(tr("Material: %1").arg(Q(MaterialText(Texts()))));
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
    material_->setText(tr("Material: %1").arg(Q(MaterialText(Texts()))));
}

QLineEdit* InputPanel::Field(const std::string& key) const {
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : found->second.edit;
}

QLabel* InputPanel::Problem(const std::string& key) const {
    if (key == "Die") return dieProblem_;
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : found->second.problem;
}

}  // namespace tadmor::studio
