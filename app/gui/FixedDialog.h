// A window with a fixed dialog frame: a fixed client size, a caption and a
// close box, no minimise or maximise box, centred on the screen when shown.
#pragma once

#include <QDialog>

namespace tadmor::gui {

// Moves the top-level `window` so that it stands, frame included, in the
// middle of the screen.
void CentreOnScreen(QWidget& window);

class FixedDialog : public QDialog {
public:
    // `type` is Qt::Window for a program's main window, Qt::Dialog for a dialog.
    FixedDialog(Qt::WindowType type, QSize clientSize, const QString& caption);

    void setVisible(bool visible) override;

protected:
    // Escape does not close the window: only its buttons and close box do.
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tadmor::gui
