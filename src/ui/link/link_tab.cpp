#include "ui/link/link_tab.h"

#include <QGroupBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace livra::ui {

LinkTab::LinkTab(QWidget* parent) : QWidget(parent) {
    setObjectName("linkTab");
    placeFrame("Конфигурация ДК", this, 10, 20, 150, 125);
    struct ButtonDef { const char* text; int x, y, w; const char* name; LinkCommand cmd; };
    const ButtonDef buttons[] = {
        {kWriteTitle, 40, 65, 85, "writeButton", LinkCommand::Write},
        {kReadTitle, 40, 90, 85, "readButton", LinkCommand::Read},
        {"Читать журнал", 40, 115, 85, "journalButton", LinkCommand::ReadJournal},
        {"Инф.о ДК", 35, 170, 85, "infoButton", LinkCommand::Info},
        {"Читать время и дату", 20, 378, 130, "readClockButton", LinkCommand::ReadClock},
        {"Синхр.часы", 20, 405, 130, "syncClockButton", LinkCommand::SyncClock},
        {"Сохранить в файл", 495, 405, 130, "saveJournalButton", LinkCommand::SaveJournal},
        // In the free space under the frame's title, beside the write and read.
        {kCompareTitle, 40, 40, 85, "compareButton", LinkCommand::Compare},
    };
    placeFrame("Микропрограмма ДК", this, 10, 150, 150, 85);
    placeFrame("Работа с RTC", this, 10, 274, 150, 161);
    form_.add(placeFrame("Журнал", this, 165, 20, 470, 415), GrowX | GrowY);
    for (const ButtonDef& s : buttons) {
        auto* b = placeButton(s.text, this, s.x, s.y, s.w, 20, s.name);
        if (s.cmd == LinkCommand::SaveJournal) form_.add(b, MoveX | MoveY);
        const LinkCommand cmd = s.cmd;
        connect(b, &QPushButton::clicked, this, [this, cmd] {
            emit commandRequested(cmd == LinkCommand::Write && verify_->isChecked() ? LinkCommand::WriteVerified
                                                                                     : cmd);
        });
    }
    // The option of "Записать в ДК"; the frames leave room for its text only
    // in the gap below the firmware frame.
    verify_ = new QCheckBox("Проверить после записи", this);
    verify_->setObjectName("verifyAfterWrite");
    verify_->setGeometry(12, 245, 152, 18);
    verify_->setChecked(true);
    auto* loader = placeButton("Загрузчик", this, 35, 195, 85, 20, "loaderButton");
    connect(loader, &QPushButton::clicked, this, &LinkTab::loaderRequested);

    placeLabel("Системная дата", this, 20, 294, 130);
    computerTime_ = new QLineEdit(this);
    computerTime_->setObjectName("computerTime");
    computerTime_->setGeometry(20, 310, 130, 20);
    computerTime_->setReadOnly(true);
    placeLabel("Дата счит. с ДК", this, 20, 334, 130);
    controllerTime_ = new QLineEdit(this);
    controllerTime_->setObjectName("controllerTime");
    controllerTime_->setGeometry(20, 350, 130, 20);
    controllerTime_->setReadOnly(true);

    journal_ = new QTreeWidget(this);
    journal_->setObjectName("journalList");
    journal_->setGeometry(185, 45, 435, 355);
    journal_->setColumnCount(4);
    journal_->setHeaderLabels({"Время,дата", "Канал", "Направление", "Событие"});
    journal_->setRootIsDecorated(false);
    journal_->setUniformRowHeights(true);
    journal_->setAlternatingRowColors(true);
    const int widths[4] = {120, 60, 80, 400};
    for (int i = 0; i < 4; ++i) journal_->setColumnWidth(i, widths[i]);
    form_.add(journal_, GrowX | GrowY);
}

void LinkTab::showState(const LinkTabState& state) {
    computerTime_->setText(QString::fromStdString(state.computerTime));
    controllerTime_->setText(QString::fromStdString(state.controllerTime));
    computerTime_->setCursorPosition(0);
    controllerTime_->setCursorPosition(0);
    journal_->clear();
    QList<QTreeWidgetItem*> rows;
    for (const JournalRow& r : state.journal) {
        const QString event = QString::fromStdString(r.event);
        auto* row = new QTreeWidgetItem(QStringList{QString::fromStdString(r.date), QString::fromStdString(r.channel),
                                                    QString::fromStdString(r.direction), event});
        // The event column is narrower than its longest texts.
        for (int col = 0; col < 4; ++col) row->setToolTip(col, event);
        rows.append(row);
    }
    journal_->addTopLevelItems(rows);
}

}  // namespace livra::ui
