#include "app/gui/FixedDialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "app/gui/Look.h"
#include "app/gui/Pictures.h"

namespace tadmor::gui {

void CentreOnScreen(QWidget& window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    // Some window systems tell the frame only once a window has been shown;
    // until then, the frame of another window of the program is the best guess.
    window.winId();  // creates the native window
    QMargins frame = window.windowHandle()->frameMargins();
    if (frame.isNull()) {
        for (const QWindow* other : QGuiApplication::topLevelWindows()) {
            if (other->isVisible() && !other->frameMargins().isNull()) {
                frame = other->frameMargins();
                break;
            }
        }
    }
    const QSize outer = window.size().grownBy(frame);
    const QRect area = screen->availableGeometry();
    window.move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

FixedDialog::FixedDialog(Qt::WindowType type, QSize clientSize, const QString& caption)
    : QDialog(nullptr, type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(caption);
    setWindowIcon(QPixmap::fromImage(ProgramIcon(32)));
    setFixedSize(clientSize);
    setSizeGripEnabled(false);
    setFont(GothicFont(12));
    QPalette look = palette();
    look.setColor(QPalette::Window, look.color(QPalette::Button));
    setPalette(look);
    setAutoFillBackground(true);
}

void FixedDialog::setVisible(bool visible) {
    if (visible && !isVisible()) {
        CentreOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

void FixedDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tadmor::gui
