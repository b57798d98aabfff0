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

class ChartView;
class InputPanel;
class LiveCalculator;

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

signals:
    // A new result is shown.
    void ResultShown();

private:
    void Recalculate();
    void Show(std::shared_ptr<const LiveResult> result);

    InputPanel* inputs_ = nullptr;
    LiveCalculator* live_ = nullptr;
    QLabel* outcome_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ChartView* melting_ = nullptr;
    ChartView* pressure_ = nullptr;
    QTreeWidget* warnings_ = nullptr;
    std::shared_ptr<const LiveResult> current_;
};

}  // namespace tadmor::studio
