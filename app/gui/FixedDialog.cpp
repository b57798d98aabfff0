#include "app/gui/FixedDialog.h"

#include <QKeyEvent>

#include "app/gui/Look.h"
#include "app/gui/Pictures.h"

namespace tadmor::gui {

FixedDialog::FixedDialog(Qt::WindowType type, QSize clientSize, const QString& caption)
    : QDialog(nullptr, type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint)
{
    // Without a parent, QDialog centres the window on the screen each time it
    // is shown.
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

void FixedDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tadmor::gui
