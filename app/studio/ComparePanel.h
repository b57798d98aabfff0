// The cases pinned for comparison: their key results beside the current
// case's in a table, each headed by the inputs it differs in; unpinned one
// by one (button, Delete or the context menu) or all at once.
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

#include "app/studio/LiveResult.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tadmor::studio {

class ComparePanel : public QWidget {
    Q_OBJECT
public:
    explicit ComparePanel(QWidget* parent = nullptr);

    // Pins `result`: false (and says why) for none, one already pinned, or
    // when kMostPinned are.
    bool Pin(std::shared_ptr<const LiveResult> result);
    void Unpin(int index);
    void Clear();
    // The case the pinned ones are compared with.
    void SetCurrent(std::shared_ptr<const LiveResult> current);

    const std::vector<std::shared_ptr<const LiveResult>>& Pinned() const { return pinned_; }
    QTableWidget* Table() const { return table_; }

signals:
    // A case was pinned or unpinned.
    void PinnedChanged();

private:
    void ShowTable();
    int SelectedPinned() const;  // the pinned case of the selected column, or -1
    void ShowMenu(const QPoint& at);

    std::vector<std::shared_ptr<const LiveResult>> pinned_;
    std::shared_ptr<const LiveResult> current_;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* pin_ = nullptr;
    QPushButton* unpin_ = nullptr;
    QPushButton* clear_ = nullptr;
};

}  // namespace tadmor::studio
