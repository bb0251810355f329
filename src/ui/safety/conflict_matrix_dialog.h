#pragma once
// "Матрица конфликтов": the used directions as rows and columns. A click
// selects a cell; digits typed on it set the intergreen of its ordered pair —
// the row's direction clears, the column's enters — 0..255, and declare the
// pair's conflict (the matrix stays symmetric); Space or a double click
// switches the conflict, Delete clears the time. Removing a conflict that has
// intergreens asks first.
// The dialog edits a copy; "Ок" hands it back, "Отмена" drops it. The rules
// live in edit/conflict_matrix.
#include <QDialog>
#include <vector>

#include "model/configuration.h"

class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;

namespace livra::ui {

class ConflictMatrixModel;

class ConflictMatrixDialog : public QDialog {
    Q_OBJECT
public:
    ConflictMatrixDialog(QWidget* owner, const Configuration& config);
    ~ConflictMatrixDialog() override;

    // The edited data, ready to be stored ("Ок" pressed).
    const SafetyData& result() const { return edited_; }
    bool changed() const { return !(edited_ == config_.Safety); }
    const std::vector<int>& directions() const { return dirs_; }

    QTableView* table() const { return table_; }
    QPushButton* proposeButton() const { return propose_; }
    QPushButton* confirmButton() const { return confirm_; }
    QPushButton* calculatorButton() const { return calculator_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* pairLabel() const { return pair_; }
    QLabel* statusLabel() const { return status_; }

    // The cell of directions (0-based) from, to; an invalid index when one
    // of them has no row.
    QModelIndex cellOf(int from, int to) const;
    // The calculator for the current cell; opens it modally.
    void openCalculator();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void toggleAsked(const QModelIndex& index);
    void contextMenu(QPoint pos);
    void propose();
    void confirmProposals();
    void showCurrent();
    void changedCells();

    const Configuration& config_;
    SafetyData edited_;
    std::vector<int> dirs_;
    ConflictMatrixModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* propose_ = nullptr;
    QPushButton* confirm_ = nullptr;
    QPushButton* calculator_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* pair_ = nullptr;
    QLabel* status_ = nullptr;
};

// The kind's name without the list's dash: "Транспортный".
QString directionKindName(uint8_t kind);

}  // namespace livra::ui
