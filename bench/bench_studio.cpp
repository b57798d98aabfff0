// The studio's speed as the engineer feels it, on Qt's offscreen platform:
// from an edit of the screw speed to the redrawn melting chart (median and
// worst of 100 edits), and how late the event loop answers a 10 ms timer
// while a 1,000-case map runs on every core. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_studio
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/studio/AnswersPanel.h"
#include "app/studio/ChartView.h"
#include "app/studio/InputPanel.h"
#include "app/studio/MainWindow.h"

using namespace tadmor::studio;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until `done` holds (looked at every millisecond) or
// `seconds` pass.
template <class Done>
bool WaitFor(Done done, double seconds) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    MainWindow window;
    window.resize(1400, 900);
    window.show();
    ChartView* chart = window.MeltingChart();
    int painted = 0;
    int shown = 0;
    QObject::connect(chart, &ChartView::Painted, [&] { ++painted; });
    QObject::connect(&window, &MainWindow::ResultShown, [&] { ++shown; });
    if (!WaitFor([&] { return shown > 0 && painted > 0; }, 10)) {
        std::fprintf(stderr, "the first result was not shown\n");
        return 1;
    }

    // 100 edits, each waited for: typed text to the chart painted with its result.
    QLineEdit* speed = window.Inputs()->Field("ScrewSpeed");
    std::vector<double> delays;
    for (int edit = 0; edit < 100; ++edit) {
        const QString text = QString::number(40 + edit % 41);
        const int shownBefore = shown;
        QElapsedTimer clock;
        clock.start();
        speed->setText(text);
        emit speed->textEdited(text);
        if (!WaitFor([&] { return shown > shownBefore; }, 10)) {
            std::fprintf(stderr, "edit %d was not shown\n", edit);
            return 1;
        }
        const int paintedBefore = painted;
        chart->repaint();  // the paint that the shown result asked for, now
        if (painted == paintedBefore) WaitFor([&] { return painted > paintedBefore; }, 10);
        delays.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("edit to redrawn chart over %zu edits: median %.1f ms, worst %.1f ms\n", delays.size(), Median(delays),
                *std::max_element(delays.begin(), delays.end()));

    // A 1,000-case map (40 speeds × 25 throughputs) while a 10 ms timer
    // measures how late the event loop answers.
    auto* answers = window.findChild<AnswersPanel*>();
    if (!answers) {
        std::fprintf(stderr, "no answers panel\n");
        return 1;
    }
    answers->SetMap("ScrewSpeed", 20, 100, 40, "OutputRate", 50, 300, 25);
    std::vector<double> lateness;
    QElapsedTimer tick;
    QElapsedTimer mapClock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        lateness.push_back(std::max(0.0, tick.nsecsElapsed() / 1e6 - 10));
        if (lateness.back() > 20) std::printf("late %.1f ms at %.3f s\n", lateness.back(), mapClock.elapsed() / 1000.0);
        tick.restart();
    });
    mapClock.start();
    answers->RunMap();
    tick.start();
    timer.start(10);
    if (!WaitFor([&] { return !answers->Running(); }, 600)) {
        std::fprintf(stderr, "the map did not finish in 10 minutes\n");
        return 1;
    }
    timer.stop();
    std::printf("1000-case map in %.1f s; event loop lateness over %zu ticks: median %.1f ms, worst %.1f ms\n",
                mapClock.elapsed() / 1000.0, lateness.size(), Median(lateness),
                *std::max_element(lateness.begin(), lateness.end()));
    return 0;
}
