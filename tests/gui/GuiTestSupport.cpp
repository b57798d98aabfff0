#include "tests/gui/GuiTestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTest>

#include "app/gui/FileControls.h"

namespace tadmor::gui::test {

ModalResponder::ModalResponder(TMF_Tad& window) : window_(window) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

ModalResponder::~ModalResponder() { timer_.stop(); }

void ModalResponder::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (polling_ || modal == nullptr || !modal->isVisible()) {
        return;
    }
    const QScopedValueRollback guard(polling_, true);
    ModalSeen record;
    record.title = modal->windowTitle();
    record.windowCursor = window_.cursor().shape();
    record.buttonCursor = window_.BitBtn1->cursor().shape();
    record.offCentre = modal->frameGeometry().center() - modal->screen()->availableGeometry().center();
    if (QWidget* focus = QApplication::focusWidget()) {
        record.focus = focus->objectName();
    }

    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        record.text = box->text();
        record.icon = box->icon();
        record.buttonCount = int(box->buttons().size());
        seen.push_back(record);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->done(0);
        }
        return;
    }

    record.isCompletion = dynamic_cast<TFinishForm*>(modal) != nullptr;
    if (record.isCompletion && whileCompletionOpen) {
        whileCompletionOpen();
    }
    QTest::keyClick(modal->windowHandle(), Qt::Key_Return);
    record.closedByEnter = !modal->isVisible();
    if (modal->isVisible()) {
        modal->close();
    }
    seen.push_back(record);
}

void DoubleClickRow(QListWidget& list, QListWidgetItem* row) {
    const QPoint centre = list.viewport()->mapTo(list.window(), list.visualItemRect(row).center());
    QTest::mouseDClick(list.window()->windowHandle(), Qt::LeftButton, {}, centre);
}

void InTemporaryFolder::SetUp() {
    ASSERT_TRUE(temporary_.isValid());
    previous_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temporary_.path()));
    folder_ = QDir::currentPath();
}

void InTemporaryFolder::TearDown() { QDir::setCurrent(previous_); }

bool InTemporaryFolder::Exists(const QString& relativePath) const {
    return QFileInfo::exists(QDir(folder_).filePath(relativePath));
}

void MainWindowTest::TearDown() {
    window_.reset();
    finishForm_.reset();
    InTemporaryFolder::TearDown();
}

TMF_Tad& MainWindowTest::Window() {
    if (!window_) {
        window_ = std::make_unique<TMF_Tad>();
        finishForm_ = std::make_unique<TFinishForm>();
        window_->SetFinishForm(*finishForm_);
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    return *window_;
}

QLineEdit& MainWindowTest::Edit(int number) {
    auto* edit = Window().findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(number));
    EXPECT_NE(edit, nullptr) << "Edit" << number;
    return *edit;
}

QStringList MainWindowTest::FileListNames() {
    QStringList names;
    for (int row = 0; row < Window().FileListBox1->count(); ++row) {
        names << Window().FileListBox1->item(row)->text();
    }
    return names;
}

std::vector<ModalSeen> MainWindowTest::ClickCalculate() {
    ModalResponder responder(Window());
    QTest::mouseClick(Window().BitBtn1, Qt::LeftButton);
    return responder.seen;
}

}  // namespace tadmor::gui::test
