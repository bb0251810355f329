#pragma once
// "Копировать сутки": the days a day's entries are copied to, ticked one by
// one or by a template ("Будни", "Выходные", "Каждый день").
#include <QDialog>
#include <array>

#include "edit/calendar_edit.h"

class QCheckBox;
class QPushButton;

namespace livra::ui {

class CopyDaysDialog : public QDialog {
    Q_OBJECT
public:
    // `from` is the day being copied: it is shown and cannot be ticked.
    CopyDaysDialog(QWidget* owner, int from);

    DayMask chosenDays() const;
    QCheckBox* dayBox(int day) const { return days_[std::size_t(day)]; }
    QPushButton* templateButton(int index) const { return templates_[std::size_t(index)]; }  // 0 Будни, 1 Выходные, 2 Каждый день
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    int from_;
    std::array<QCheckBox*, DayCount> days_{};
    std::array<QPushButton*, 3> templates_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace livra::ui
