// tadmor-studio: the engineer's workbench over the melting model and the
// whole extruder.
#include <QApplication>

#include "app/studio/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tadmor-studio");
    QApplication::setOrganizationName("tadmor");
    QApplication::setApplicationDisplayName("Tadmor Studio");
    QApplication::setDesktopFileName("tadmor-studio");
    tadmor::studio::MainWindow window;
    window.resize(1280, 860);
    window.show();
    return application.exec();
}
