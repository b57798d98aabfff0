#include "app/studio/AnswersPanel.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/studio/ChartView.h"
#include "charts/Builders.h"
#include "charts/ExtruderCharts.h"
#include "model/NumberText.h"

namespace tadmor::studio {

namespace {

using Clock = std::chrono::steady_clock;

// Progress reaches the GUI thread at most this often.
constexpr auto kReportInterval = std::chrono::milliseconds(50);

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString NumberQ(double value) { return QString::number(value, 'g', 12); }

// The number typed, read as the inputs are; NaN for none.
double NumberOf(const QLineEdit* edit) {
    return TextToNumber(edit->text().trimmed().toStdString(), '.').value_or(NAN);
}

// Shows `value` unless the engineer has typed another number since it was
// last filled in.
void Follow(QLineEdit* edit, double value, bool force = false) {
    const QString text = NumberQ(value);
    if (force || edit->text().isEmpty() || edit->text() == edit->property("filled").toString()) {
        edit->setText(text);
        edit->setProperty("filled", text);
    }
}

QLineEdit* NumberEdit(const QString& name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaximumWidth(90);
    return edit;
}

QSpinBox* CountBox(const QString& name, int most, int value) {
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(2, most);
    box->setValue(value);
    return box;
}

QComboBox* InputChoice(const QString& name) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    for (int i = 0; i < kNumericFieldCount; ++i)
        combo->addItem(Q(charts::InputLabel(kInputFields[i])), Q(std::string(kInputFields[i].variable)));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(18);
    return combo;
}

// "from [ ] to [ ] values [ ]" in one row.
QWidget* RangeRow(QLineEdit* from, QLineEdit* to, QSpinBox* count) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (auto [caption, widget] : {std::pair<QString, QWidget*>{QObject::tr("from"), from},
                                   {QObject::tr("to"), to},
                                   {QObject::tr("values"), count}}) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        layout->addWidget(label);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return row;
}

QString ChooseDie() { return AnswersPanel::tr("Choose a die in Inputs, Die to find the operating point."); }

int FieldOf(const QComboBox* combo) { return FieldIndexOf(combo->currentData().toString().toStdString()); }

}  // namespace

// ---- AnswerTask ----

AnswerTask::AnswerTask(QObject* parent) : QObject(parent) {}

AnswerTask::~AnswerTask() {
    stop_ = 1;
    if (thread_.joinable()) thread_.join();  // the runner finishes its running tasks and stops
}

void AnswerTask::Start(std::function<void()> work) {
    if (thread_.joinable()) thread_.join();
    stop_ = 0;
    done_ = 0;
    total_ = 0;
    error_.clear();
    running_ = true;
    started_ = Clock::now();
    reported_ = {};
    thread_ = std::thread([this, work = std::move(work)] {
        try {
            work();
        } catch (const std::exception& error) {
            error_ = error.what();
        }
        QMetaObject::invokeMethod(this, &AnswerTask::End, Qt::QueuedConnection);
    });
}

void AnswerTask::End() {
    if (thread_.joinable()) thread_.join();
    running_ = false;
    ended_ = Clock::now();
    emit Finished();
}

analysis::RunControl AnswerTask::Control() {
    analysis::RunControl control;
    control.jobs = analysis::AllProcessors();
    control.stop = &stop_;
    control.progress = [this](std::size_t, std::size_t done, std::size_t total) {
        Report(static_cast<long>(done), static_cast<long>(total));
    };
    return control;
}

void AnswerTask::Report(long done, long total) {
    done_ = done;
    total_ = total;
    const auto now = Clock::now();
    if (done < total && now - reported_ < kReportInterval) return;
    reported_ = now;
    emit Progressed(done, total);  // queued: the receivers live in the GUI thread
}

double AnswerTask::Seconds() const {
    return std::chrono::duration<double>((running_ ? Clock::now() : ended_) - started_).count();
}

// ---- AnswersPanel ----

AnswersPanel::AnswersPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("answersPanel");
    tabs_ = new QTabWidget;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tabs_);

    // Melting capacity.
    capacityView_.name = tr("Capacity");
    capacityView_.unit = tr("solves");
    speedFrom_ = NumberEdit("speedFrom");
    speedTo_ = NumberEdit("speedTo");
    speedCount_ = CountBox("speedCount", 200, 11);
    auto* capacityControls = new QWidget;
    auto* capacityForm = new QFormLayout(capacityControls);
    capacityForm->setContentsMargins(0, 0, 0, 0);
    capacityForm->addRow(tr("Screw &speed (rpm)"), RangeRow(speedFrom_, speedTo_, speedCount_));
    tabs_->addTab(MakeView(capacityView_, "capacity", capacityControls), tr("Capacit&y"));
    capacityView_.chart->SetMessage(
        tr("Run to find the output rate at which the solid just melts by the end of the screw, and how it "
           "changes with screw speed."));
    connect(capacityView_.run, &QPushButton::clicked, this, &AnswersPanel::RunCapacity);

    // Sensitivity.
    sensitivityView_.name = tr("Sensitivity");
    sensitivityView_.unit = tr("calculations");
    QSettings settings;
    measure_ = new QComboBox;
    measure_->setObjectName("measure");
    measure_->addItem(tr("Where melting completes (FLIGHT)"), int(analysis::Measure::Melting));
    measure_->addItem(tr("Total power (POWER TOT)"), int(analysis::Measure::Power));
    measure_->setCurrentIndex(settings.value("answers/measure", 0).toInt() == 1 ? 1 : 0);
    percent_ = new QDoubleSpinBox;
    percent_->setObjectName("stepPercent");
    kelvin_ = new QDoubleSpinBox;
    kelvin_->setObjectName("stepKelvin");
    for (QDoubleSpinBox* box : {percent_, kelvin_}) {
        box->setRange(0.1, analysis::kLargestStep);
        box->setDecimals(1);
        box->setValue(1);
    }
    percent_->setSuffix(tr(" %"));
    kelvin_->setSuffix(tr(" K"));
    auto* steps = new QWidget;
    auto* stepsLayout = new QHBoxLayout(steps);
    stepsLayout->setContentsMargins(0, 0, 0, 0);
    stepsLayout->addWidget(new QLabel(tr("±")));
    stepsLayout->addWidget(percent_);
    stepsLayout->addWidget(new QLabel(tr("of each value, temperatures ±")));
    stepsLayout->addWidget(kelvin_);
    stepsLayout->addStretch(1);
    auto* sensitivityControls = new QWidget;
    auto* sensitivityForm = new QFormLayout(sensitivityControls);
    sensitivityForm->setContentsMargins(0, 0, 0, 0);
    sensitivityForm->addRow(tr("&Measure"), measure_);
    sensitivityForm->addRow(tr("S&teps"), steps);
    tabs_->addTab(MakeView(sensitivityView_, "sensitivity", sensitivityControls), tr("Sensiti&vity"));
    sensitivityView_.chart->SetMessage(
        tr("Run to see how much each input moves the melting or the power: each one lowered and raised."));
    connect(sensitivityView_.run, &QPushButton::clicked, this, &AnswersPanel::RunSensitivity);
    connect(measure_, &QComboBox::currentIndexChanged, this, [this](int index) {
        QSettings().setValue("answers/measure", index);
        ShowSensitivity();
    });

    // Processing-window map.
    mapView_.name = tr("Map");
    mapView_.unit = tr("cases");
    mapX_ = InputChoice("mapX");
    mapY_ = InputChoice("mapY");
    xFrom_ = NumberEdit("mapXFrom");
    xTo_ = NumberEdit("mapXTo");
    yFrom_ = NumberEdit("mapYFrom");
    yTo_ = NumberEdit("mapYTo");
    xCount_ = CountBox("mapXCount", 100, 20);
    yCount_ = CountBox("mapYCount", 100, 20);
    mapValue_ = new QComboBox;
    mapValue_->setObjectName("mapValue");
    for (const charts::SweepValue& value : charts::kSweepValues)
        mapValue_->addItem(Q(std::string(value.label)), Q(std::string(value.name)));
    const auto choose = [](QComboBox* combo, const QString& data) {
        if (const int index = combo->findData(data); index >= 0) combo->setCurrentIndex(index);
    };
    choose(mapX_, settings.value("answers/mapX", "ScrewSpeed").toString());
    choose(mapY_, settings.value("answers/mapY", "OutputRate").toString());
    choose(mapValue_, settings.value("answers/mapValue", "flight").toString());
    auto* mapControls = new QWidget;
    auto* mapForm = new QFormLayout(mapControls);
    mapForm->setContentsMargins(0, 0, 0, 0);
    mapForm->addRow(tr("&Across"), mapX_);
    mapForm->addRow(QString(), RangeRow(xFrom_, xTo_, xCount_));
    mapForm->addRow(tr("&Up"), mapY_);
    mapForm->addRow(QString(), RangeRow(yFrom_, yTo_, yCount_));
    mapForm->addRow(tr("Co&lour by"), mapValue_);
    tabs_->addTab(MakeView(mapView_, "map", mapControls), tr("Processing &window"));
    mapView_.chart->SetMessage(
        tr("Run to map the melting over two inputs: where the solid melts before the end of the screw."));
    connect(mapView_.run, &QPushButton::clicked, this, &AnswersPanel::RunMap);
    for (auto [combo, from, to, key] :
         {std::tuple{mapX_, xFrom_, xTo_, "answers/mapX"}, std::tuple{mapY_, yFrom_, yTo_, "answers/mapY"}})
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, from, to, key] {
            QSettings().setValue(key, combo->currentData());
            if (!case_) return;
            const ValueRange range = RangeAround(case_->inputs, FieldOf(combo), 2);
            Follow(from, range.from, true);
            Follow(to, range.to, true);
        });
    connect(mapValue_, &QComboBox::currentIndexChanged, this, [this] {
        QSettings().setValue("answers/mapValue", mapValue_->currentData());
        ShowMap();
    });

    // Operating point.
    operatingView_.name = tr("Operating point");
    operatingView_.unit = tr("calculations");
    auto* operatingControls =
        new QLabel(tr("Where the pressure the screw builds at its tip meets the pressure drop the die needs, with the "
                      "screw's and the die's characteristics against throughput."));
    operatingControls->setWordWrap(true);
    tabs_->addTab(MakeView(operatingView_, "operating", operatingControls), tr("Operating poin&t"));
    operatingView_.chart->SetMessage(tr("Run to find the operating point of the screw with its die."));
    connect(operatingView_.run, &QPushButton::clicked, this, &AnswersPanel::RunOperatingPoint);

    runMap_ = new QAction(tr("Run the &map"), this);
    runMap_->setObjectName("runMapAction");
    runMap_->setShortcut(QKeySequence(tr("Ctrl+Shift+M")));
    connect(runMap_, &QAction::triggered, this, [this] {
        tabs_->setCurrentIndex(2);
        RunMap();
    });
    cancelAll_ = new QAction(tr("&Cancel the running answers"), this);
    cancelAll_->setObjectName("cancelAnswersAction");
    cancelAll_->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(cancelAll_, &QAction::triggered, this, &AnswersPanel::CancelAll);
}

AnswersPanel::~AnswersPanel() {
    // Stop every answer and wait for it before the widgets its results go to are gone.
    for (View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_}) view->task->Cancel();
    for (View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_}) delete view->task;
}

QWidget* AnswersPanel::MakeView(View& view, const QString& id, QWidget* controls) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(controls);
    view.run = new QPushButton(tr("&Run"));
    view.run->setObjectName(id + "Run");
    view.cancel = new QPushButton(tr("Ca&ncel"));
    view.cancel->setObjectName(id + "Cancel");
    view.cancel->setEnabled(false);
    view.progress = new QProgressBar;
    view.progress->setObjectName(id + "Progress");
    view.progress->setRange(0, 1);
    view.progress->setValue(0);
    view.progress->setFormat(tr("%v of %m"));
    view.progress->setTextVisible(false);  // until the first run
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(view.run);
    buttons->addWidget(view.cancel);
    buttons->addWidget(view.progress, 1);
    layout->addLayout(buttons);
    view.error = new QLabel;
    view.error->setObjectName(id + "Error");
    view.error->setStyleSheet("color: #b00020");
    view.stale = new QLabel(tr("The inputs have changed since this was run: it answers the case as it was then."));
    view.stale->setObjectName(id + "Stale");
    view.stale->setStyleSheet("color: #8a5a00; font-style: italic");
    view.text = new QLabel;
    view.text->setObjectName(id + "Text");
    view.text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel* label : {view.error, view.stale, view.text}) {
        label->setWordWrap(true);
        label->hide();
        layout->addWidget(label);
    }
    view.chart = new ChartView;
    view.chart->setObjectName(id + "Chart");
    view.chart->setMinimumHeight(300);
    layout->addWidget(view.chart, 1);
    view.task = new AnswerTask(this);
    view.task->setObjectName(id + "Task");
    connect(view.task, &AnswerTask::Progressed, this, [&view](long done, long total) {
        view.progress->setRange(0, static_cast<int>(total));
        view.progress->setValue(static_cast<int>(done));
    });
    connect(view.cancel, &QPushButton::clicked, view.task, &AnswerTask::Cancel);
    return page;
}

bool AnswersPanel::Start(View& view, std::function<void()> work, std::function<void()> done, long total) {
    if (view.task->Running()) return false;
    view.error->hide();
    view.stale->hide();
    view.run->setEnabled(false);
    view.cancel->setEnabled(true);
    view.progress->setRange(0, static_cast<int>(total));  // 0: busy until the first report
    view.progress->setTextVisible(true);
    view.progress->setValue(0);
    view.key = caseKey_;
    disconnect(view.task, &AnswerTask::Finished, this, nullptr);
    connect(view.task, &AnswerTask::Finished, this, [this, &view, done] { Ended(view, done); });
    view.task->Start(std::move(work));
    emit Status(total > 0 ? tr("%1: %2 %3 started").arg(view.name).arg(total).arg(view.unit)
                          : tr("%1: started").arg(view.name));
    return true;
}

void AnswersPanel::Ended(View& view, std::function<void()> done) {
    AnswerTask& task = *view.task;
    view.run->setEnabled(true);
    view.cancel->setEnabled(false);
    view.progress->setRange(0, std::max(1, static_cast<int>(task.Total())));
    view.progress->setValue(static_cast<int>(task.Done()));
    ShowStale(view);
    if (!task.Error().empty()) {
        view.error->setText(Q(task.Error()));
        view.error->show();
        view.text->hide();
        view.chart->SetMessage(tr("Not answered: %1").arg(Q(task.Error())));
        emit Status(tr("%1: failed: %2").arg(view.name, Q(task.Error())));
        return;
    }
    done();
    if (task.Cancelled()) {
        const QString cancelled = tr("Cancelled after %1 of %2 %3.").arg(task.Done()).arg(task.Total()).arg(view.unit);
        view.text->setText(cancelled + (view.text->text().isEmpty() ? QString() : "\n" + view.text->text()));
        view.text->show();
        emit Status(
            tr("%1: cancelled after %2 of %3 %4").arg(view.name).arg(task.Done()).arg(task.Total()).arg(view.unit));
    } else {
        emit Status(
            tr("%1: %2 %3 in %4 s").arg(view.name).arg(task.Done()).arg(view.unit).arg(task.Seconds(), 0, 'f', 1));
    }
}

void AnswersPanel::ShowStale(View& view) {
    view.stale->setVisible(!view.key.empty() && !view.task->Running() && view.key != caseKey_);
}

void AnswersPanel::ClearCase() {
    case_.reset();
    caseKey_.clear();
    for (View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_}) ShowStale(*view);
}

void AnswersPanel::SetCase(const StudioRequest& request) {
    case_ = request;
    caseKey_ = CaseKey(request);
    const ValueRange speeds = RangeAround(request.inputs, FieldIndexOf("ScrewSpeed"), 2);
    Follow(speedFrom_, speeds.from);
    Follow(speedTo_, speeds.to);
    for (auto [combo, from, to] : {std::tuple{mapX_, xFrom_, xTo_}, std::tuple{mapY_, yFrom_, yTo_}}) {
        const ValueRange range = RangeAround(request.inputs, FieldOf(combo), 2);
        Follow(from, range.from);
        Follow(to, range.to);
    }
    for (View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_}) ShowStale(*view);
    const QString chooseDie = ChooseDie();
    if (request.extruder && operatingView_.error->text() == chooseDie) operatingView_.error->hide();
    if (!operating_ && !operatingView_.task->Running())
        operatingView_.chart->SetMessage(
            request.extruder ? tr("Run to find the operating point of the screw with its die.") : chooseDie);
}

void AnswersPanel::SetMap(const std::string& xInput, double from, double to, int count, const std::string& yInput,
                          double from2, double to2, int count2) {
    for (auto [combo, name, low, high, edits, box, n] :
         {std::tuple{mapX_, xInput, from, to, std::pair{xFrom_, xTo_}, xCount_, count},
          std::tuple{mapY_, yInput, from2, to2, std::pair{yFrom_, yTo_}, yCount_, count2}}) {
        if (const int index = combo->findData(Q(name)); index >= 0) combo->setCurrentIndex(index);
        Follow(edits.first, low, true);
        Follow(edits.second, high, true);
        box->setValue(n);
    }
}

void AnswersPanel::SetCapacitySpeeds(double from, double to, int count) {
    Follow(speedFrom_, from, true);
    Follow(speedTo_, to, true);
    speedCount_->setValue(count);
}

QList<QAction*> AnswersPanel::Actions() const { return {runMap_, cancelAll_}; }

void AnswersPanel::CancelAll() {
    for (View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_})
        if (view->task->Running()) view->task->Cancel();
}

bool AnswersPanel::Running() const {
    for (const View* view : {&capacityView_, &sensitivityView_, &mapView_, &operatingView_})
        if (view->task->Running()) return true;
    return false;
}

AnswersPanel::View* AnswersPanel::ViewOf(const QString& answer) const {
    auto* self = const_cast<AnswersPanel*>(this);
    if (answer == "capacity") return &self->capacityView_;
    if (answer == "sensitivity") return &self->sensitivityView_;
    if (answer == "map") return &self->mapView_;
    if (answer == "operating") return &self->operatingView_;
    return nullptr;
}

QLabel* AnswersPanel::AnswerText(const QString& answer) const { return ViewOf(answer)->text; }
QLabel* AnswersPanel::ErrorText(const QString& answer) const { return ViewOf(answer)->error; }
QLabel* AnswersPanel::StaleNote(const QString& answer) const { return ViewOf(answer)->stale; }
ChartView* AnswersPanel::Chart(const QString& answer) const { return ViewOf(answer)->chart; }

namespace {

// Shows `message` as the answer's error; false, for a Run that cannot start.
bool Refuse(QLabel* error, const QString& message) {
    error->setText(message);
    error->show();
    return false;
}

}  // namespace

void AnswersPanel::RunCapacity() {
    View& view = capacityView_;
    if (view.task->Running()) return;
    if (!case_) return (void)Refuse(view.error, tr("No case to answer yet: correct the inputs first."));
    auto answer = std::make_shared<CapacityAnswer>();
    try {
        *answer = CapacityOf(case_->inputs, {NumberOf(speedFrom_), NumberOf(speedTo_), speedCount_->value()});
    } catch (const std::exception& error) {
        return (void)Refuse(view.error, Q(error.what()));
    }
    AnswerTask* task = view.task;
    Start(
        view, [answer, task] { studio::RunCapacity(*answer, task->Control()); },
        [this, answer] {
            capacity_ = answer;
            ShowCapacity();
        },
        static_cast<long>(answer->speeds.values.size() + 1));
}

void AnswersPanel::ShowCapacity() {
    View& view = capacityView_;
    if (!capacity_) return;
    const CapacityAnswer& answer = *capacity_;
    const int field = answer.problem.field;
    const auto with = [&](const analysis::Point& point) {
        return Q(charts::ValueWithUnit(kInputFields[field], point.text));
    };
    QString text;
    if (answer.results.empty() || !answer.results[0]) {
        text = tr("The capacity at the case was not solved.");
    } else {
        const analysis::SolveResult& result = *answer.results[0];
        switch (result.outcome) {
            case analysis::SolveOutcome::Solved: {
                const analysis::Solution& solution = result.solutions.back();
                text = tr("Melting capacity: %1. The solid melts by the end of the screw at %1, not at %2.")
                           .arg(with(solution.met), with(solution.unmet));
                if (const std::string codes = WarningCodes(solution.met.run); !codes.empty())
                    text += tr(" Warnings there: %1.").arg(Q(codes));
                break;
            }
            case analysis::SolveOutcome::NoSolution:
                text = tr("The solid does not melt by the end of the screw at any output rate from %1 to %2.")
                           .arg(with(result.low), with(result.high));
                break;
            case analysis::SolveOutcome::MetThroughout:
                text = tr("The solid melts by the end of the screw at every output rate from %1 to %2: the "
                          "capacity lies above.")
                           .arg(with(result.low), with(result.high));
                break;
            case analysis::SolveOutcome::Bracketed:
                text = tr("The capacity lies between %1 and %2, where calculations failed: %3")
                           .arg(with(result.brackets.back().met), with(result.brackets.back().unmet),
                                Q(result.brackets.back().failure));
                break;
            case analysis::SolveOutcome::Refused:
            case analysis::SolveOutcome::Failed:
                text = tr("Not calculated: %1").arg(Q(result.low.run.message));
                break;
        }
    }
    view.text->setText(text);
    view.text->show();
    view.chart->SetChart(CapacityChart(answer, tr("Melting capacity against screw speed").toStdString()));
}

void AnswersPanel::RunSensitivity() {
    View& view = sensitivityView_;
    if (view.task->Running()) return;
    if (!case_) return (void)Refuse(view.error, tr("No case to answer yet: correct the inputs first."));
    auto result = std::make_shared<analysis::SensitivityResult>();
    const analysis::SensitivitySteps steps{percent_->value(), kelvin_->value()};
    AnswerTask* task = view.task;
    Start(
        view,
        [result, task, steps, base = case_->inputs] {
            // The studio edits the material's values too: they are rows of the tornado.
            *result = analysis::Sensitivity(base, analysis::SensitivityInputs(true, false), steps, task->Control());
        },
        [this, result] {
            sensitivity_ = result;
            ShowSensitivity();
        },
        0);
}

void AnswersPanel::ShowSensitivity() {
    View& view = sensitivityView_;
    if (!sensitivity_) return;
    const auto measure = static_cast<analysis::Measure>(measure_->currentData().toInt());
    view.text->setText(tr("Base case: %1; %2 calculations.")
                           .arg(Q(charts::SensitivityBaseText(sensitivity_->base)))
                           .arg(sensitivity_->calculations));
    view.text->show();
    if (sensitivity_->inputs.empty())
        view.chart->SetMessage(tr("No input was varied: %1").arg(Q(charts::SensitivityBaseText(sensitivity_->base))));
    else
        view.chart->SetChart(charts::SensitivityChart(*sensitivity_, measure));
}

void AnswersPanel::RunMap() {
    View& view = mapView_;
    if (view.task->Running()) return;
    if (!case_) return (void)Refuse(view.error, tr("No case to answer yet: correct the inputs first."));
    auto answer = std::make_shared<MapAnswer>();
    try {
        *answer = MapOf(case_->inputs, FieldOf(mapX_), {NumberOf(xFrom_), NumberOf(xTo_), xCount_->value()},
                        FieldOf(mapY_), {NumberOf(yFrom_), NumberOf(yTo_), yCount_->value()});
    } catch (const std::exception& error) {
        return (void)Refuse(view.error, Q(error.what()));
    }
    AnswerTask* task = view.task;
    Start(
        view, [answer, task] { studio::RunMap(*answer, task->Control()); },
        [this, answer] {
            map_ = answer;
            ShowMap();
        },
        static_cast<long>(answer->cases.size()));
}

void AnswersPanel::ShowMap() {
    View& view = mapView_;
    if (!map_) return;
    int melted = 0, solid = 0, other = 0;
    for (const auto& result : map_->results) {
        if (!result) continue;
        if (result->meltingIncrementFlight)
            ++melted;
        else if (result->outcome == RequestOutcome::Completed)
            ++solid;
        else
            ++other;
    }
    view.text->setText(tr("%1 of %2 cases: %3 melted, %4 with solid at the end of the screw, %5 not calculated.")
                           .arg(melted + solid + other)
                           .arg(map_->cases.size())
                           .arg(melted)
                           .arg(solid)
                           .arg(other));
    view.text->show();
    const auto chart =
        MapChartOf(*map_, mapValue_->currentData().toString().toStdString(), tr("Processing window").toStdString());
    if (chart)
        view.chart->SetChart(*chart);
    else
        view.chart->SetMessage(tr("The map shows once every case has run: run it again."));
}

void AnswersPanel::RunOperatingPoint() {
    View& view = operatingView_;
    if (view.task->Running()) return;
    if (!case_) return (void)Refuse(view.error, tr("No case to answer yet: correct the inputs first."));
    if (!case_->extruder) {
        const QString message = ChooseDie();
        Refuse(view.error, message);
        view.chart->SetMessage(message);
        emit Status(tr("%1: choose a die in Inputs, Die").arg(view.name));
        return;
    }
    auto search = std::make_shared<extruder::OperatingPointSearch>();
    AnswerTask* task = view.task;
    Start(
        view,
        [search, task, request = *case_] {
            const extruder::Progress progress{[task](int done, int total) { task->Report(done, total); }, task->Stop()};
            *search = extruder::FindOperatingPoint(request.inputs.texts, request.inputs.separator, *request.extruder,
                                                   {}, progress);
        },
        [this, search] {
            operating_ = search;
            ShowOperatingPoint();
        },
        0);
}

void AnswersPanel::ShowOperatingPoint() {
    View& view = operatingView_;
    if (!operating_) return;
    const extruder::OperatingPointSearch& search = *operating_;
    const extruder::ExtruderRun* run = search.point && search.point->run ? &*search.point->run : nullptr;
    if (run)
        view.text->setText(tr("Operating point: %1 kg/hr at %2 MPa; melt at %3 °C into the die; %4 kWh/kg.")
                               .arg(run->throughput, 0, 'f', 1)
                               .arg(run->tipPressure, 0, 'f', 2)
                               .arg(run->meltTemperature, 0, 'f', 1)
                               .arg(run->specificEnergy, 0, 'f', 3));
    else
        view.text->setText(search.none.empty() ? tr("No operating point found.") : Q(search.none));
    view.text->show();
    if (search.scan.empty())
        view.chart->SetMessage(view.text->text());
    else
        view.chart->SetChart(
            charts::CharacteristicChart(search.scan, run, tr("Screw and die characteristics").toStdString()));
}

}  // namespace tadmor::studio
