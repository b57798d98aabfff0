// Build tool: writes the program's icon as PNG files for the desktop's icon
// theme. Usage: tadmor-write-icons <folder> <size>...
// Each icon goes to <folder>/<size>x<size>/apps/tadmor-gui.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include "app/gui/Pictures.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return EXIT_FAILURE;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = folder.filePath(sub + QStringLiteral("/tadmor-gui.png"));
        if (size <= 0 || !folder.mkpath(sub) || !tadmor::gui::ProgramIcon(size).save(file)) {
            std::fprintf(stderr, "%s: cannot write the %s icon\n", argv[0], argv[i]);
            return EXIT_FAILURE;
        }
    }
    return EXIT_SUCCESS;
}
