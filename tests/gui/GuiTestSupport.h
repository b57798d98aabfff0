// Support for the window tests: a temporary current directory per test, the
// main window with its completion dialog, and a responder that answers the
// modal boxes and dialogs that a request opens.
#pragma once

#include <QDir>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/gui/F_Form.h"
#include "app/gui/Tad_Main.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace tadmor::gui::test {

// What the responder saw of one modal window before it closed it.
struct ModalSeen {
    bool isCompletion = false;  // the completion dialog; otherwise a message box
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    Qt::CursorShape windowCursor = Qt::ArrowCursor;  // of the main window, meanwhile
    Qt::CursorShape buttonCursor = Qt::ArrowCursor;  // of its BitBtn1, meanwhile
    QPoint offCentre;                                // window centre minus the screen's centre
    QString focus;                                   // object name of the focused control
    bool closedByEnter = false;
};

// Polls for modal windows and closes each: a message box with its OK button,
// the completion dialog with the Enter key.
class ModalResponder {
public:
    explicit ModalResponder(TMF_Tad& window);
    ~ModalResponder();

    // Run while the completion dialog is open, before it is closed.
    std::function<void()> whileCompletionOpen;

    std::vector<ModalSeen> seen;

private:
    void Poll();

    TMF_Tad& window_;
    QTimer timer_;
    bool polling_ = false;
};

// Double-clicks `row` of `list` through the window system, as a user would.
void DoubleClickRow(QListWidget& list, QListWidgetItem* row);

// Each test runs in a fresh temporary folder as its current directory.
class InTemporaryFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The temporary folder, as the file system names it (symbolic links resolved).
    QString Folder() const { return folder_; }
    bool Exists(const QString& relativePath) const;

private:
    QTemporaryDir temporary_;
    QString folder_;
    QString previous_;
};

// The main window and the completion dialog, created in start-up order
// when first asked for, shown and active.
class MainWindowTest : public InTemporaryFolder {
protected:
    void TearDown() override;

    TMF_Tad& Window();
    QLineEdit& Edit(int number);  // Edit1 .. Edit29
    QStringList FileListNames();

    // Clicks BitBtn1 and returns what the request showed.
    std::vector<ModalSeen> ClickCalculate();

private:
    std::unique_ptr<TMF_Tad> window_;
    std::unique_ptr<TFinishForm> finishForm_;
};

}  // namespace tadmor::gui::test
