// The studio's main window: the input panel, the outcome in words, the
// charts that follow every edit, and the warnings with their codes.
#pragma once

#include <QMainWindow>

#include <memory>

#include "app/studio/LiveResult.h"

class QLabel;
class QTabWidget;
class QTreeWidget;

namespace tadmor::studio {

class AnswersPanel;
class ChartView;
class ComparePanel;
class FileCommands;
class InputPanel;
class LiveCalculator;
class ScrewView;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    InputPanel* Inputs() const { return inputs_; }
    // The newest result shown; nullptr before the first.
    const LiveResult* Current() const { return current_.get(); }
    std::shared_ptr<const LiveResult> CurrentShared() const { return current_; }
    ChartView* MeltingChart() const { return melting_; }
    ChartView* PressureChart() const { return pressure_; }
    QLabel* Outcome() const { return outcome_; }
    QTreeWidget* WarningList() const { return warnings_; }
    LiveCalculator* Live() const { return live_; }
    // The File and Edit menus and what they do.
    FileCommands* Files() const { return files_; }
    QTabWidget* ChartTabs() const { return tabs_; }
    // The design answers: capacity, sensitivity, map, operating point.
    AnswersPanel* Answers() const { return answers_; }
    // The screw drawn above the charts, and the pinned cases compared.
    ScrewView* Screw() const { return screw_; }
    ComparePanel* Compare() const { return compare_; }

signals:
    // A new result is shown.
    void ResultShown();
    // The outcome line changed: a result's outcome, or why there is none.
    void OutcomeShown(const QString& text);

private:
    void Recalculate();
    void Show(std::shared_ptr<const LiveResult> result);
    void SetUpScrewAndCompare();
    void ShowMeltingChart();

    InputPanel* inputs_ = nullptr;
    LiveCalculator* live_ = nullptr;
    QLabel* outcome_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ChartView* melting_ = nullptr;
    ChartView* pressure_ = nullptr;
    QTreeWidget* warnings_ = nullptr;
    std::shared_ptr<const LiveResult> current_;
    FileCommands* files_ = nullptr;
    AnswersPanel* answers_ = nullptr;
    ScrewView* screw_ = nullptr;
    ComparePanel* compare_ = nullptr;
};

}  // namespace tadmor::studio
