// tadmor-studio: the engineer's workbench over the melting model and the
// whole extruder.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>

#include "app/studio/ChartView.h"
#include "app/studio/FileCommands.h"
#include "app/studio/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tadmor-studio");
    QApplication::setOrganizationName("tadmor");
    QApplication::setApplicationDisplayName("Tadmor Studio");
    QApplication::setApplicationVersion(TADMOR_VERSION);
    QApplication::setDesktopFileName("tadmor-studio");
    QApplication::setWindowIcon(QIcon::fromTheme("tadmor-studio", QIcon(":/tadmor-studio.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QApplication::translate(
        "main",
        "The engineer's workbench over the Tadmor melting model of a single-screw extruder: the inputs in their "
        "groups, recalculated as you type, the melting along the screw and, with a die, the pressure and the melt "
        "temperature to the die, with every warning.\n\nFILE is a case file (NAME = TEXT lines, as tadmor run "
        "--case reads them) or a material file (.material) opened at the start. The window's size and docks, the "
        "length unit and the files opened lately are remembered in ~/.config/tadmor/tadmor-studio.conf."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption verbose(
        "verbose",
        QApplication::translate("main", "Write every status-bar message to the standard error, one line each."));
    parser.addOption(verbose);
    parser.addPositionalArgument("FILE", QApplication::translate("main", "A case file or a material file to open."),
                                 "[FILE]");
    parser.process(application);

    tadmor::studio::MainWindow window;
    if (parser.isSet(verbose)) {
        QObject::connect(window.statusBar(), &QStatusBar::messageChanged, [](const QString& text) {
            if (!text.isEmpty()) std::fprintf(stderr, "status: %s\n", qUtf8Printable(text));
        });
        QObject::connect(&window, &tadmor::studio::MainWindow::OutcomeShown, [&window](const QString& text) {
            const QRect chart(window.MeltingChart()->mapToGlobal(QPoint(0, 0)), window.MeltingChart()->size());
            std::fprintf(stderr, "outcome: %s\nmelting chart: %d %d %d %d\n", qUtf8Printable(text), chart.x(),
                         chart.y(), chart.width(), chart.height());
        });
    }
    if (!window.Files()->RestoreSettings()) {
        // 1280 × 860, or nine tenths of a smaller screen.
        const QRect screen = window.screen()->availableGeometry();
        window.resize(std::min(1280, screen.width() * 9 / 10), std::min(860, screen.height() * 9 / 10));
    }
    window.show();
    if (!parser.positionalArguments().isEmpty()) window.Files()->OpenFile(parser.positionalArguments().first());
    return application.exec();
}
