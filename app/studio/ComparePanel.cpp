#include "app/studio/ComparePanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/studio/Compare.h"

namespace tadmor::studio {

ComparePanel::ComparePanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* buttons = new QHBoxLayout;
    pin_ = new QPushButton(tr("P&in this case"));
    pin_->setObjectName("pinButton");
    pin_->setToolTip(tr("Keep the current case for comparison (Ctrl+Shift+P)"));
    unpin_ = new QPushButton(tr("U&npin"));
    unpin_->setObjectName("unpinButton");
    unpin_->setToolTip(tr("Unpin the case of the selected column (Delete)"));
    clear_ = new QPushButton(tr("Clear pinned"));
    clear_->setObjectName("clearPinnedButton");
    note_ = new QLabel;
    note_->setObjectName("compareNote");
    buttons->addWidget(pin_);
    buttons->addWidget(unpin_);
    buttons->addWidget(clear_);
    buttons->addWidget(note_, 1);
    layout->addLayout(buttons);

    table_ = new QTableWidget;
    table_->setObjectName("compareTable");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectColumns);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->setWordWrap(false);
    layout->addWidget(table_, 1);

    auto* unpinKey = new QAction(tr("Unpin"), table_);
    unpinKey->setShortcut(QKeySequence::Delete);
    unpinKey->setShortcutContext(Qt::WidgetShortcut);
    table_->addAction(unpinKey);
    connect(unpinKey, &QAction::triggered, this, [this] { Unpin(SelectedPinned()); });
    connect(pin_, &QPushButton::clicked, this, [this] { Pin(current_); });
    connect(unpin_, &QPushButton::clicked, this, [this] { Unpin(SelectedPinned()); });
    connect(clear_, &QPushButton::clicked, this, &ComparePanel::Clear);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { unpin_->setEnabled(SelectedPinned() >= 0); });
    connect(table_, &QWidget::customContextMenuRequested, this, &ComparePanel::ShowMenu);
    ShowTable();
}

bool ComparePanel::Pin(std::shared_ptr<const LiveResult> result) {
    if (!result) {
        note_->setText(tr("Nothing calculated to pin yet."));
        return false;
    }
    if (std::any_of(pinned_.begin(), pinned_.end(), [&](const auto& p) { return p == result; })) {
        note_->setText(tr("This case is pinned already."));
        return false;
    }
    if (pinned_.size() >= kMostPinned) {
        note_->setText(tr("%1 cases are pinned: unpin one first.").arg(kMostPinned));
        return false;
    }
    pinned_.push_back(std::move(result));
    note_->setText(tr("Pinned %1.").arg(pinned_.size()));
    ShowTable();
    emit PinnedChanged();
    return true;
}

void ComparePanel::Unpin(int index) {
    if (index < 0 || index >= int(pinned_.size())) return;
    pinned_.erase(pinned_.begin() + index);
    note_->clear();
    ShowTable();
    emit PinnedChanged();
}

void ComparePanel::Clear() {
    if (pinned_.empty()) return;
    pinned_.clear();
    note_->clear();
    ShowTable();
    emit PinnedChanged();
}

void ComparePanel::SetCurrent(std::shared_ptr<const LiveResult> current) {
    current_ = std::move(current);
    ShowTable();
}

int ComparePanel::SelectedPinned() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    const int column = selected.isEmpty() ? table_->currentColumn() : selected.front()->column();
    return column >= 0 && column < int(pinned_.size()) ? column : -1;
}

void ComparePanel::ShowMenu(const QPoint& at) {
    const int column = table_->columnAt(at.x());
    QMenu menu(this);
    if (column >= 0 && column < int(pinned_.size()))
        menu.addAction(tr("Unpin Pinned %1").arg(column + 1), this, [this, column] { Unpin(column); });
    menu.addAction(tr("Clear pinned cases"), this, &ComparePanel::Clear)->setEnabled(!pinned_.empty());
    menu.exec(table_->viewport()->mapToGlobal(at));
}

void ComparePanel::ShowTable() {
    const CompareTable table = CompareTableOf(pinned_, current_);
    table_->clear();
    table_->setColumnCount(int(table.columns.size()));
    table_->setRowCount(int(table.rows.size()));
    QStringList columns, rows;
    for (const std::string& column : table.columns) columns << QString::fromStdString(column);
    for (const std::string& row : table.rows) rows << QString::fromStdString(row);
    table_->setHorizontalHeaderLabels(columns);
    table_->setVerticalHeaderLabels(rows);
    for (std::size_t column = 0; column < pinned_.size(); ++column)
        table_->horizontalHeaderItem(int(column))->setToolTip(QString::fromStdString(pinned_[column]->outcome));
    if (current_ && !table.columns.empty())
        table_->horizontalHeaderItem(int(table.columns.size()) - 1)
            ->setToolTip(QString::fromStdString(current_->outcome));
    for (std::size_t row = 0; row < table.rows.size(); ++row)
        for (std::size_t column = 0; column < table.columns.size(); ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(table.cells[row][column]));
            if (int(row) < table.inputRows) {
                QFont italic = item->font();
                italic.setItalic(true);
                item->setFont(italic);
            } else {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table_->setItem(int(row), int(column), item);
        }
    table_->resizeColumnsToContents();
    pin_->setEnabled(pinned_.size() < kMostPinned);
    unpin_->setEnabled(SelectedPinned() >= 0);
    clear_->setEnabled(!pinned_.empty());
}

}  // namespace tadmor::studio
