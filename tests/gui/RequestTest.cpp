// Requests started from the window: where the results file goes, what the
// user sees on each path, and that the cursors always come back.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "app/gui/FileControls.h"
#include "tests/gui/GuiTestSupport.h"

namespace tadmor::gui::test {
namespace {

void ExpectCursorsRestored(TMF_Tad& window) {
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window.BitBtn1->cursor().shape(), Qt::ArrowCursor);
}

// A message box as the request shows it: the program's title, one OK
// button, centred on the screen, the busy cursors still on.
void ExpectMessage(const ModalSeen& seen, const QString& text, QMessageBox::Icon icon) {
    EXPECT_FALSE(seen.isCompletion);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.icon, icon);
    EXPECT_EQ(seen.title, "Tadmor Model Simulation");
    EXPECT_EQ(seen.buttonCount, 1);
    EXPECT_LE(seen.offCentre.manhattanLength(), 1);
    EXPECT_EQ(seen.windowCursor, Qt::WaitCursor);
    EXPECT_EQ(seen.buttonCursor, Qt::WaitCursor);
}

TEST_F(MainWindowTest, DefaultRequestWritesResultTxtHereAndShowsTheCompletionDialog) {
    const std::vector<ModalSeen> seen = ClickCalculate();

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].isCompletion);
    EXPECT_EQ(seen[0].title, "FinishForm");
    EXPECT_EQ(seen[0].focus, "BitBtn1");
    EXPECT_TRUE(seen[0].closedByEnter);
    EXPECT_LE(seen[0].offCentre.manhattanLength(), 1);
    EXPECT_EQ(seen[0].windowCursor, Qt::WaitCursor);  // busy while the dialog is open
    EXPECT_EQ(seen[0].buttonCursor, Qt::WaitCursor);

    ASSERT_TRUE(Exists("result.txt"));
    QFile results(QDir(Folder()).filePath("result.txt"));
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    const QByteArray content = results.readAll();
    EXPECT_TRUE(content.startsWith("Screw Diameter"));
    EXPECT_TRUE(content.contains("FLIGHT"));  // the results table follows the inputs
    EXPECT_TRUE(FileListNames().contains("result.txt"));
    ExpectCursorsRestored(Window());
}

TEST_F(MainWindowTest, MainWindowTakesNoInputWhileTheCompletionDialogIsOpen) {
    TMF_Tad& window = Window();
    Edit(1).setFocus();
    ModalResponder responder(window);
    int nestedRequests = 0;
    responder.whileCompletionOpen = [&] {
        QTest::keyClick(window.windowHandle(), Qt::Key_9);
        const QPoint button = window.BitBtn1->mapTo(&window, window.BitBtn1->rect().center());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button);
        nestedRequests = int(responder.seen.size());
    };
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);

    ASSERT_EQ(responder.seen.size(), 1u);
    EXPECT_TRUE(responder.seen[0].isCompletion);
    EXPECT_EQ(nestedRequests, 0);
    EXPECT_EQ(Edit(1).text(), "15.0");
}

TEST_F(MainWindowTest, AfterOpeningAFolderTheNextRequestWritesThere) {
    ASSERT_TRUE(QDir(Folder()).mkdir("runs"));
    FolderList& folders = *Window().DirectoryListBox1;
    const QList<QListWidgetItem*> rows = folders.findItems("runs", Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    DoubleClickRow(folders, rows[0]);
    const QString runs = QDir(Folder()).filePath("runs");
    EXPECT_EQ(QDir::currentPath(), runs);
    EXPECT_TRUE(FileListNames().isEmpty());

    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].isCompletion);
    EXPECT_TRUE(Exists("runs/result.txt"));
    EXPECT_FALSE(Exists("result.txt"));
    EXPECT_EQ(FileListNames(), QStringList{"result.txt"});
}

TEST_F(MainWindowTest, TextThatIsNotANumberStopsTheRequestBeforeAnythingIsWritten) {
    Edit(1).setText("15.0 cm");
    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], "Input value is not correct!", QMessageBox::NoIcon);
    EXPECT_FALSE(Exists("result.txt"));
    EXPECT_TRUE(FileListNames().isEmpty());
    ExpectCursorsRestored(Window());
}

TEST_F(MainWindowTest, FileInAMissingFolderIsReportedAndNothingElseHappens) {
    Edit(29).setText("missing/result.txt");
    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], "File can not open!", QMessageBox::NoIcon);
    EXPECT_FALSE(Exists("missing"));
    ExpectCursorsRestored(Window());
}

TEST_F(MainWindowTest, AFailedCalculationLeavesTheEarlierResultsFileAsItWas) {
    ASSERT_EQ(ClickCalculate().size(), 1u);
    QFile results(QDir(Folder()).filePath("result.txt"));
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    const QByteArray earlier = results.readAll();
    results.close();
    ASSERT_TRUE(earlier.contains("[RESULTS]"));

    Edit(12).setText("265.0");  // the barrel at the melting point: the march fails
    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    EXPECT_EQ(results.readAll(), earlier);
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"result.txt"});
    EXPECT_EQ(FileListNames(), QStringList{"result.txt"});
}

TEST_F(MainWindowTest, ErrorInTheCalculationIsShownWithAnErrorIcon) {
    // The viscosity fields are locked for the user, not for the program:
    // an absurd coefficient makes the march fail.
    Edit(15).setText("800");
    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], seen[0].text, QMessageBox::Critical);
    EXPECT_TRUE(seen[0].text.contains("Invalid floating-point operation")) << seen[0].text.toStdString();
    ExpectCursorsRestored(Window());
    // A failed calculation writes no file, so the list has nothing new to show.
    EXPECT_FALSE(Exists("result.txt"));
    EXPECT_TRUE(FileListNames().isEmpty());

    // The window stays usable for the next request.
    Edit(15).setText("7.442");
    const std::vector<ModalSeen> next = ClickCalculate();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_TRUE(next[0].isCompletion);
}

TEST_F(MainWindowTest, AnErrorWithAKnownCauseNamesItBeforeTheErrorsText) {
    Edit(12).setText("265");  // the barrel at the melting point
    const std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(
        seen[0].text.startsWith("the barrel temperature 265.00 degC at FLIGHT 5.10 is not above the melting "
                                "point 265.00 degC"))
        << seen[0].text.toStdString();
    EXPECT_TRUE(
        seen[0].text.endsWith(": Invalid floating-point operation (square root or logarithm of a negative "
                              "number, or 0/0) in StartFirstIncrement at increment 1 (FLIGHT 5.10)"))
        << seen[0].text.toStdString();
}

// Runs under the user's locale (CTest runs it again with a comma locale):
// numbers are read with the locale's decimal separator.
TEST_F(MainWindowTest, NumbersAreReadWithTheLocaleDecimalSeparator) {
    const QString separator = QLocale::system().decimalPoint();
    ASSERT_EQ(QString(QChar::fromLatin1(LocaleDecimalSeparator())), separator);
    // The defaults are shown with the locale's separator, so they run as they stand.
    EXPECT_EQ(Edit(1).text(), "15" + separator + "0");
    EXPECT_EQ(Edit(26).text(), "0" + separator + "00052");
    std::vector<ModalSeen> seen = ClickCalculate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].isCompletion);
    EXPECT_TRUE(Exists("result.txt"));

    if (separator != ".") {
        Edit(1).setText("15.0");  // the other separator is no number here
        seen = ClickCalculate();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, "Input value is not correct!");
    }
}

}  // namespace
}  // namespace tadmor::gui::test
