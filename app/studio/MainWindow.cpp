#include "app/studio/MainWindow.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/studio/AnswersPanel.h"
#include "app/studio/ChartView.h"
#include "app/studio/Compare.h"
#include "app/studio/ComparePanel.h"
#include "app/studio/FileCommands.h"
#include "app/studio/InputPanel.h"
#include "app/studio/LiveCalculator.h"
#include "app/studio/ScrewView.h"

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

    // The answers' charts need the room of the live ones: a tab beside them.
    answers_ = new AnswersPanel;
    answers_->setObjectName("answers");
    tabs_->addTab(answers_, tr("&Design answers"));
    statusBar();  // made now, so that the layout does not move at the first message
    connect(answers_, &AnswersPanel::Status, this, [this](const QString& text) { statusBar()->showMessage(text); });

    SetUpScrewAndCompare();
    resizeDocks({warningsDock}, {150}, Qt::Vertical);  // the charts keep the height
    live_ = new LiveCalculator(this);
    connect(live_, &LiveCalculator::Finished, this, &MainWindow::Show);
    connect(inputs_, &InputPanel::Changed, this, &MainWindow::Recalculate);
    Recalculate();
    files_ = new FileCommands(this);
    inputs_->Field("ScrewDiameter")->setFocus();  // typing starts at the first entry
    QMenu* answersMenu = menuBar()->addMenu(tr("&Answers"));
    answersMenu->addActions(answers_->Actions());
    for (QAction* action : answers_->Actions())
        if (action->objectName() == "runMapAction")
            connect(action, &QAction::triggered, this, [this] { tabs_->setCurrentWidget(answers_); });
}

MainWindow::~MainWindow() = default;

void MainWindow::Recalculate() {
    StudioRequest request = BuildRequest(inputs_->Texts());
    inputs_->ShowProblems(request.problems);
    if (!request.problems.empty()) {
        const auto& [key, problem] = *request.problems.begin();
        const Entry* entry = FindEntry(key);
        outcome_->setText(tr("Not recalculated until the inputs are corrected: %1: %2 (%3 in all)")
                              .arg(entry ? Q(entry->caption) : Q(key), Q(problem))
                              .arg(request.problems.size()));
        emit OutcomeShown(outcome_->text());
        answers_->ClearCase();
        return;
    }
    answers_->SetCase(request);
    live_->Submit(std::move(request));
}

void MainWindow::Show(std::shared_ptr<const LiveResult> result) {
    current_ = std::move(result);
    const LiveResult& r = *current_;
    outcome_->setText(Q(r.outcome));
    emit OutcomeShown(outcome_->text());
    ShowMeltingChart();
    screw_->SetResult(current_, inputs_->Texts().unit);
    compare_->SetCurrent(current_);
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

// The screw above the charts, in step with the tab shown; the Compare dock
// and the Case menu that pins the current case.
void MainWindow::SetUpScrewAndCompare() {
    screw_ = new ScrewView;
    screw_->setObjectName("screwView");
    auto* layout = qobject_cast<QVBoxLayout*>(centralWidget()->layout());
    layout->insertWidget(layout->indexOf(tabs_), screw_);
    screw_->Follow(melting_);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        auto* chart = qobject_cast<ChartView*>(tabs_->currentWidget());
        screw_->setVisible(chart);  // the answers have their own charts
        screw_->Follow(chart ? chart : melting_);
    });

    compare_ = new ComparePanel;
    auto* compareDock = new QDockWidget(tr("Compare"));
    compareDock->setObjectName("compareDock");
    compareDock->setWidget(compare_);
    addDockWidget(Qt::BottomDockWidgetArea, compareDock);
    if (auto* warningsDock = findChild<QDockWidget*>("warningsDock")) {
        tabifyDockWidget(warningsDock, compareDock);
        warningsDock->raise();
    }
    connect(compare_, &ComparePanel::PinnedChanged, this, [this, compareDock] {
        ShowMeltingChart();
        statusBar()->showMessage(tr("Pinned cases: %1").arg(compare_->Pinned().size()));
        compareDock->show();
        compareDock->raise();
    });

    QMenu* caseMenu = menuBar()->findChild<QMenu*>("caseMenu");
    if (!caseMenu) {
        caseMenu = menuBar()->addMenu(tr("&Case"));
        caseMenu->setObjectName("caseMenu");
    }
    QAction* pin = caseMenu->addAction(tr("&Pin this case"), this, [this] { compare_->Pin(current_); });
    pin->setObjectName("pinAction");
    pin->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    caseMenu->addAction(tr("&Clear pinned cases"), compare_, &ComparePanel::Clear)->setObjectName("clearPinnedAction");
}

// The melting chart of the current case, the pinned cases' curves faint behind it.
void MainWindow::ShowMeltingChart() {
    if (!current_) return;
    if (current_->calculation.outcome == RequestOutcome::Completed)
        melting_->SetChart(WithPinnedCurves(current_->melting, compare_->Pinned()));
    else
        melting_->SetMessage(Q(current_->outcome));
}

}  // namespace tadmor::studio
