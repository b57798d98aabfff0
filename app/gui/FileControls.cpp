#include "app/gui/FileControls.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tadmor::gui {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 7;

// Rows of one fixed height, indented by their level.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(QObject* parent, int rowHeight) : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), rowHeight_};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndentPerLevel);
        QStyledItemDelegate::paint(painter, indented, index);
    }

private:
    int rowHeight_;
};

void SetUpList(QListWidget& list, int rowHeight) {
    list.setItemDelegate(new RowDelegate(&list, rowHeight));
    list.setUniformItemSizes(true);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

}  // namespace

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent) {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Skip single files mounted in place; only folder trees are drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            roots << volume.rootPath();
        }
    }
    std::sort(roots.begin(), roots.end());
    roots.removeDuplicates();
    for (const QString& root : roots) {
        AddDrive(root);
    }
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString root = itemData(index).toString();
        emit DriveChosen(folderOfDrive_.value(root, root));
    });
}

int DriveSelector::AddDrive(const QString& rootPath) {
    addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), rootPath, rootPath);
    return count() - 1;
}

void DriveSelector::NoteFolder(const QString& folder) {
    const QString root = QStorageInfo(folder).rootPath();
    int index = findData(root);
    if (index < 0) {
        index = AddDrive(root);
    }
    setCurrentIndex(index);
    folderOfDrive_[root] = folder;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    SetUpList(*this, kRowHeight);
    setIconSize(QSize(14, 14));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenFolder(item->data(kPathRole).toString()); });
}

bool FolderList::OpenFolder(const QString& path) {
    if (!QDir::setCurrent(path)) {
        return false;
    }
    ShowFolder(QDir::currentPath());
    emit FolderOpened(folder_);
    return true;
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (const QListWidgetItem* item = currentItem()) {
            OpenFolder(item->data(kPathRole).toString());
        }
        event->accept();  // Enter belongs to the list, not to the default button
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderList::ShowFolder(const QString& folder) {
    folder_ = QDir::cleanPath(folder);
    clear();

    // The path from the root down, one level per row.
    const QStringList levels = folder_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    AddRow(QStringLiteral("/"), QStringLiteral("/"), 0, true);
    QString path;
    for (int level = 0; level < levels.size(); ++level) {
        path += QLatin1Char('/') + levels[level];
        AddRow(levels[level], path, level + 1, true);
    }
    setCurrentRow(count() - 1);

    // Then the sub-folders of the folder.
    const QDir dir(folder_);
    const int subLevel = int(levels.size()) + 1;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        AddRow(name, dir.filePath(name), subLevel, false);
    }
    scrollToItem(currentItem());
}

void FolderList::AddRow(const QString& text, const QString& path, int level, bool open) {
    auto* item = new QListWidgetItem(style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                                     text, this);
    item->setData(kPathRole, path);
    item->setData(kLevelRole, level);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) { SetUpList(*this, kRowHeight); }

void FileList::ShowFolder(const QString& folder) {
    folder_ = folder;
    Refresh();
}

void FileList::Refresh() {
    clear();
    // QDir::Files without QDir::Hidden and QDir::System: no hidden files, no
    // sockets, pipes or device files.
    addItems(QDir(folder_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

}  // namespace tadmor::gui
