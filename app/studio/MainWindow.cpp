#include "app/studio/MainWindow.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/studio/ChartView.h"
#include "app/studio/InputPanel.h"
#include "app/studio/LiveCalculator.h"

namespace tadmor::studio {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Tadmor Studio"));
    setObjectName("TadmorStudio");

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    outcome_ = new QLabel;
    outcome_->setObjectName("outcome");
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = outcome_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    outcome_->setFont(bold);
    layout->addWidget(outcome_);
    tabs_ = new QTabWidget;
    melting_ = new ChartView;
    melting_->setObjectName("meltingChart");
    pressure_ = new ChartView;
    pressure_->setObjectName("pressureChart");
    pressure_->SetMessage(tr("Choose a die (Inputs, Die) to see the pressure and the melt temperature to the die."));
    tabs_->addTab(melting_, tr("&Melting"));
    tabs_->addTab(pressure_, tr("&Pressure"));
    layout->addWidget(tabs_, 1);
    setCentralWidget(central);

    inputs_ = new InputPanel;
    auto* scroll = new QScrollArea;
    scroll->setWidget(inputs_);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(inputs_->sizeHint().width() + 24);
    auto* inputsDock = new QDockWidget(tr("Inputs"));
    inputsDock->setObjectName("inputsDock");
    inputsDock->setWidget(scroll);
    inputsDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::LeftDockWidgetArea, inputsDock);

    warnings_ = new QTreeWidget;
    warnings_->setObjectName("warnings");
    warnings_->setHeaderLabels({tr("Warning"), tr("Where"), tr("What it means")});
    warnings_->setRootIsDecorated(false);
    warnings_->setWordWrap(true);
    warnings_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    auto* warningsDock = new QDockWidget(tr("Warnings"));
    warningsDock->setObjectName("warningsDock");
    warningsDock->setWidget(warnings_);
    addDockWidget(Qt::BottomDockWidgetArea, warningsDock);

    live_ = new LiveCalculator(this);
    connect(live_, &LiveCalculator::Finished, this, &MainWindow::Show);
    connect(inputs_, &InputPanel::Changed, this, &MainWindow::Recalculate);
    Recalculate();
}

MainWindow::~MainWindow() = default;

void MainWindow::Recalculate() {
    StudioRequest request = BuildRequest(inputs_->Texts());
    inputs_->ShowProblems(request.problems);
    if (!request.problems.empty()) {
        const auto& [key, problem] = *request.problems.begin();
        outcome_->setText(tr("Not recalculated until the inputs are corrected: %1 %2 (%3 in all)")
                              .arg(Q(key), Q(problem))
                              .arg(request.problems.size()));
        return;
    }
    live_->Submit(std::move(request));
}

void MainWindow::Show(std::shared_ptr<const LiveResult> result) {
    current_ = std::move(result);
    const LiveResult& r = *current_;
    outcome_->setText(Q(r.outcome));
    if (r.calculation.outcome == RequestOutcome::Completed)
        melting_->SetChart(r.melting);
    else
        melting_->SetMessage(Q(r.outcome));
    if (r.pressure)
        pressure_->SetChart(*r.pressure);
    else if (r.extruderInputs)
        pressure_->SetMessage(Q(r.outcome));
    else
        pressure_->SetMessage(
            tr("Choose a die (Inputs, Die) to see the pressure and the melt temperature to the die."));
    // The refused field is shown beside its entry, too.
    if (r.calculation.outcome == RequestOutcome::InvalidInput && r.calculation.refusedField >= 0)
        inputs_->ShowProblems(
            {{std::string(kInputFields[r.calculation.refusedField].variable), r.calculation.message}});

    warnings_->clear();
    std::vector<Warning> all = r.summary.warnings;
    if (r.extruder) all.insert(all.end(), r.extruder->warnings.begin(), r.extruder->warnings.end());
    for (const Warning& warning : all) {
        auto* item = new QTreeWidgetItem({Q(warning.code), Q(warning.where), Q(warning.message)});
        item->setToolTip(2, Q(warning.message));
        warnings_->addTopLevelItem(item);
    }
    warnings_->resizeColumnToContents(0);
    warnings_->resizeColumnToContents(1);
    emit ResultShown();
}

}  // namespace tadmor::studio
