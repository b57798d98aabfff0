// The chained file controls: drive selector -> folder list -> file list, and
// the current directory that the folder list sets.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QStorageInfo>
#include <QTest>

#include "app/gui/FileControls.h"
#include "tests/gui/GuiTestSupport.h"

namespace tadmor::gui::test {
namespace {

QStringList RowTexts(const QListWidget& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text();
    }
    return texts;
}

class FileControlsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QDir here(Folder());
        for (const char* folder : {"beta", "Alpha", ".hidden"}) {
            ASSERT_TRUE(here.mkdir(folder));
        }
        for (const char* file : {"b.txt", "A.dat", ".secret", "Alpha/inner.txt"}) {
            QFile touch(here.filePath(file));
            ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
        }
    }

    int RowOf(const QString& text) {
        const QList<QListWidgetItem*> rows = Window().DirectoryListBox1->findItems(text, Qt::MatchExactly);
        EXPECT_EQ(rows.size(), 1) << text.toStdString();
        return rows.isEmpty() ? -1 : Window().DirectoryListBox1->row(rows[0]);
    }
};

TEST_F(FileControlsTest, AtStartTheControlsShowTheFolderTheProgramStartedIn) {
    QStringList expected{"/"};
    expected << Folder().split('/', Qt::SkipEmptyParts);
    const int folderRow = int(expected.size()) - 1;
    expected << "Alpha"
             << "beta";  // sub-folders, hidden ones left out
    const FolderList& folders = *Window().DirectoryListBox1;
    EXPECT_EQ(RowTexts(folders), expected);
    EXPECT_EQ(folders.currentRow(), folderRow);
    EXPECT_EQ(folders.Folder(), Folder());

    EXPECT_EQ(FileListNames(), (QStringList{"A.dat", "b.txt"}));  // no folders, no hidden files
    EXPECT_EQ(Window().DriveComboBox1->currentText(), QStorageInfo(Folder()).rootPath());
}

TEST_F(FileControlsTest, EnterOnAFolderRowOpensItAndStartsNoRequest) {
    FolderList& folders = *Window().DirectoryListBox1;
    folders.setFocus();
    folders.setCurrentRow(RowOf("Alpha"));
    ModalResponder responder(Window());
    QTest::keyClick(Window().windowHandle(), Qt::Key_Return);

    EXPECT_TRUE(responder.seen.empty());
    const QString alpha = QDir(Folder()).filePath("Alpha");
    EXPECT_EQ(QDir::currentPath(), alpha);
    EXPECT_EQ(folders.Folder(), alpha);
    EXPECT_EQ(RowTexts(folders).last(), "Alpha");  // no sub-folders below it
    EXPECT_EQ(FileListNames(), QStringList{"inner.txt"});
}

TEST_F(FileControlsTest, DoubleClickOnAPathRowGoesUpToThatFolder) {
    FolderList& folders = *Window().DirectoryListBox1;
    ASSERT_TRUE(folders.OpenFolder(QDir(Folder()).filePath("Alpha")));
    const QString parentName = QDir(Folder()).dirName();
    QListWidgetItem* parentRow = folders.item(RowOf(parentName));
    DoubleClickRow(folders, parentRow);

    EXPECT_EQ(QDir::currentPath(), Folder());
    EXPECT_EQ(FileListNames(), (QStringList{"A.dat", "b.txt"}));
}

TEST_F(FileControlsTest, ChoosingADriveOpensTheFolderLastOpenedOnIt) {
    FolderList& folders = *Window().DirectoryListBox1;
    const QString alpha = QDir(Folder()).filePath("Alpha");
    ASSERT_TRUE(folders.OpenFolder(alpha));
    QDir::setCurrent(Folder());  // the current directory moved behind the controls' back

    DriveSelector& drives = *Window().DriveComboBox1;
    emit drives.activated(drives.currentIndex());
    EXPECT_EQ(QDir::currentPath(), alpha);
    EXPECT_EQ(FileListNames(), QStringList{"inner.txt"});
}

TEST_F(FileControlsTest, AFolderThatCannotBeEnteredChangesNothing) {
    FolderList& folders = *Window().DirectoryListBox1;
    EXPECT_FALSE(folders.OpenFolder(QDir(Folder()).filePath("gone")));
    EXPECT_EQ(QDir::currentPath(), Folder());
    EXPECT_EQ(folders.Folder(), Folder());
}

}  // namespace
}  // namespace tadmor::gui::test
