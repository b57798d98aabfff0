// Start-up: the main window first, then the completion dialog, hidden; the
// event loop runs until the main window is closed. Nothing is saved.
#include <QApplication>
#include <QStyleFactory>

#include "app/gui/F_Form.h"
#include "app/gui/Pictures.h"
#include "app/gui/Tad_Main.h"

int main(int argc, char* argv[]) {
    // The layout is drawn in device pixels at 96 dots per inch.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("tadmor-gui"));
    QApplication::setApplicationDisplayName(TMF_Tad::kTitle);
    QApplication::setDesktopFileName(QStringLiteral("tadmor-gui"));
    QApplication::setWindowIcon(QPixmap::fromImage(tadmor::gui::ProgramIcon(64)));

    TMF_Tad MF_Tad;
    TFinishForm FinishForm;
    MF_Tad.SetFinishForm(FinishForm);
    MF_Tad.show();
    return QApplication::exec();
}
