#include "ui/calendar/copy_days_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {
const char* const kDayNames[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
}

CopyDaysDialog::CopyDaysDialog(QWidget* owner, int from)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), from_(from) {
    setObjectName("copyDaysDialog");
    setWindowTitle(kCopyDaysTitle);
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(QString(kCopyDaysLabel).arg(from >= 0 && from < DayCount ? kDayNames[from] : ""), this));
    auto* row = new QHBoxLayout;
    for (int d = 0; d < DayCount; ++d) {
        auto* box = new QCheckBox(kDayNames[d], this);
        box->setObjectName(QString("copyDay_%1").arg(d));
        box->setEnabled(d != from);
        days_[std::size_t(d)] = box;
        row->addWidget(box);
    }
    top->addLayout(row);
    auto* shortcuts = new QHBoxLayout;
    const char* names[3] = {kWeekdaysItem, kWeekendItem, kEveryDayItem};
    const DayMask masks[3] = {kWeekdays, kWeekend, kEveryDay};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(names[i], this);
        b->setObjectName(QString("copyTemplate_%1").arg(i));
        b->setAutoDefault(false);
        const DayMask mask = masks[i];
        connect(b, &QPushButton::clicked, this, [this, mask] {
            for (int d = 0; d < DayCount; ++d)
                if (d != from_) days_[std::size_t(d)]->setChecked(mask & dayBit(d));
        });
        templates_[std::size_t(i)] = b;
        shortcuts->addWidget(b);
    }
    top->addLayout(shortcuts);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("okButton");
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    bottom->addWidget(ok_);
    bottom->addWidget(cancel_);
    top->addLayout(bottom);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    bindDialogKeys(this, ok_, cancel_);
}

DayMask CopyDaysDialog::chosenDays() const {
    DayMask mask = 0;
    for (int d = 0; d < DayCount; ++d)
        if (d != from_ && days_[std::size_t(d)]->isChecked()) mask |= dayBit(d);
    return mask;
}

}  // namespace livra::ui
