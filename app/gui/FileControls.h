// The three chained file controls of the main window: a drive selector that
// drives a folder list, which drives a file list. Opening a folder makes it
// the process's current directory.
#pragma once

#include <QComboBox>
#include <QHash>
#include <QListWidget>
#include <QString>

namespace tadmor::gui {

// The mounted file systems, named by their mount points. Remembers the last
// folder opened on each, which becomes current again when it is chosen.
class DriveSelector : public QComboBox {
    Q_OBJECT
public:
    explicit DriveSelector(QWidget* parent);

    // Shows the drive holding `folder` and remembers `folder` as its folder.
    void NoteFolder(const QString& folder);

signals:
    // The user chose a drive; `folder` is the folder to open on it.
    void DriveChosen(const QString& folder);

private:
    int AddDrive(const QString& rootPath);

    QHash<QString, QString> folderOfDrive_;
};

// The path of a folder, one level per row from the root down, followed by the
// folder's sub-folders. Double-click or Enter opens a row's folder.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;

    explicit FolderList(QWidget* parent);

    // Makes `path` the current directory and shows it; false when it cannot
    // be entered, and then nothing changes.
    bool OpenFolder(const QString& path);
    QString Folder() const { return folder_; }

signals:
    void FolderOpened(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowFolder(const QString& folder);
    void AddRow(const QString& text, const QString& path, int level, bool open);

    QString folder_;
};

// The visible files of a folder (no sub-folders, no hidden or special files).
class FileList : public QListWidget {
public:
    static constexpr int kRowHeight = 12;

    explicit FileList(QWidget* parent);

    void ShowFolder(const QString& folder);
    void Refresh();

private:
    QString folder_;
};

}  // namespace tadmor::gui
