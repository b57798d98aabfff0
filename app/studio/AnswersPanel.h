// The design answers: the melting capacity with its curve over screw speed,
// the sensitivity tornado, the processing-window map of two inputs and the
// operating point with the screw's and the die's characteristics. Each runs
// on a thread of its own for the case as it was when Run was pressed, shows
// its progress, can be cancelled, and says when the inputs have changed since.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "analysis/Runner.h"
#include "analysis/Sensitivity.h"
#include "app/studio/AnswerJobs.h"
#include "extruder/OperatingPoint.h"

class QAction;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace tadmor::studio {

class ChartView;

// One answer's work on a thread of its own: its stop flag, its progress
// sent to the GUI thread at most 20 times a second, and its end.
class AnswerTask : public QObject {
    Q_OBJECT
public:
    explicit AnswerTask(QObject* parent = nullptr);
    ~AnswerTask() override;  // stops the work and waits for it

    // Runs `work` on a new thread; what it throws becomes Error().
    void Start(std::function<void()> work);
    void Cancel() { stop_ = 1; }
    bool Running() const { return running_; }
    bool Cancelled() const { return stop_ != 0; }

    // The runner's control: every processor, this task's stop flag, progress.
    analysis::RunControl Control();
    const analysis::StopFlag* Stop() const { return &stop_; }
    // From the work, one call at a time.
    void Report(long done, long total);

    long Done() const { return done_; }
    long Total() const { return total_; }
    double Seconds() const;  // from the start to the end (or now)
    const std::string& Error() const { return error_; }

signals:
    void Progressed(long done, long total);
    void Finished();

private:
    void End();

    std::thread thread_;
    analysis::StopFlag stop_{0};
    std::atomic<long> done_{0}, total_{0};
    bool running_ = false;
    std::string error_;
    std::chrono::steady_clock::time_point started_, ended_, reported_;
};

class AnswersPanel : public QWidget {
    Q_OBJECT
public:
    explicit AnswersPanel(QWidget* parent = nullptr);
    ~AnswersPanel() override;

    // The case the next Run computes; the answers computed for another are
    // marked stale.
    void SetCase(const StudioRequest& request);
    // The inputs have a problem: no answer runs until they are corrected.
    void ClearCase();

    void RunCapacity();
    void RunSensitivity();
    void RunMap();
    void RunOperatingPoint();
    void CancelAll();
    bool Running() const;

    // The map's inputs (by variable name) and their ranges.
    void SetMap(const std::string& xInput, double from, double to, int count, const std::string& yInput, double from2,
                double to2, int count2);
    void SetCapacitySpeeds(double from, double to, int count);

    // "Run the map" (Ctrl+Shift+M) and "Cancel the running answers" (Escape),
    // for the window's Answers menu.
    QList<QAction*> Actions() const;

    // The answers last finished, for tests; none before the first.
    const CapacityAnswer* Capacity() const { return capacity_.get(); }
    const MapAnswer* Map() const { return map_.get(); }
    const analysis::SensitivityResult* SensitivityAnswer() const { return sensitivity_.get(); }
    const extruder::OperatingPointSearch* OperatingPoint() const { return operating_.get(); }

    // The text of an answer ("capacity", "sensitivity", "map", "operating"),
    // its error label, its stale note and its chart.
    QLabel* AnswerText(const QString& answer) const;
    QLabel* ErrorText(const QString& answer) const;
    QLabel* StaleNote(const QString& answer) const;
    ChartView* Chart(const QString& answer) const;

signals:
    void Status(const QString& text);

private:
    // What each answer shows and runs.
    struct View {
        QString name;  // "Map", for the status texts
        QString unit;  // "cases"
        QPushButton* run = nullptr;
        QPushButton* cancel = nullptr;
        QProgressBar* progress = nullptr;
        QLabel* error = nullptr;
        QLabel* stale = nullptr;
        QLabel* text = nullptr;
        ChartView* chart = nullptr;
        AnswerTask* task = nullptr;
        std::string key;  // the case it was (or is being) computed for
    };
    QWidget* MakeView(View& view, const QString& id, QWidget* controls);
    // Starts `work` for `view`, or shows why not; `done` runs on the GUI
    // thread once the work has ended.
    bool Start(View& view, std::function<void()> work, std::function<void()> done, long total);
    void Ended(View& view, std::function<void()> done);
    void ShowStale(View& view);
    View* ViewOf(const QString& answer) const;

    void ShowCapacity();
    void ShowSensitivity();
    void ShowMap();
    void ShowOperatingPoint();

    std::optional<StudioRequest> case_;
    std::string caseKey_;
    View capacityView_, sensitivityView_, mapView_, operatingView_;

    QLineEdit *speedFrom_ = nullptr, *speedTo_ = nullptr;
    QSpinBox* speedCount_ = nullptr;
    QComboBox* measure_ = nullptr;
    QDoubleSpinBox *percent_ = nullptr, *kelvin_ = nullptr;
    QComboBox *mapX_ = nullptr, *mapY_ = nullptr, *mapValue_ = nullptr;
    QLineEdit *xFrom_ = nullptr, *xTo_ = nullptr, *yFrom_ = nullptr, *yTo_ = nullptr;
    QSpinBox *xCount_ = nullptr, *yCount_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QAction *runMap_ = nullptr, *cancelAll_ = nullptr;

    std::shared_ptr<CapacityAnswer> capacity_;
    std::shared_ptr<analysis::SensitivityResult> sensitivity_;
    std::shared_ptr<MapAnswer> map_;
    std::shared_ptr<extruder::OperatingPointSearch> operating_;
};

}  // namespace tadmor::studio
