#include "ui/popup_menus.h"
#include "ui/texts.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace livra::ui {

PopupMenus::PopupMenus(QWidget* parent) : QObject(parent) {
    auto popup = [parent](const char* name, std::initializer_list<std::pair<const char*, int>> items) {
        auto* m = new QMenu(parent);
        m->setObjectName(name);
        for (auto [text, id] : items) {
            if (!*text) {
                m->addSeparator();
                continue;
            }
            QAction* a = m->addAction(text);
            a->setData(id);
        }
        return m;
    };
    directions_ = popup("directionMenu",
                        {{"Удалить направление", 1}, {"Сбросить все номера каналов", 3}, {kCancelButton, 2}});
    tacts_ = popup("tactMenu", {{"Вставить до", 1}, {"Вставить после", 2}, {"Удалить", 3}, {"Удалить все", 5},
                                {kCancelButton, 4}});
    calendar_ = popup("calendarMenu", {{"Добавить", 1}, {"Редактировать", 2}, {"Удалить", 3}, {kCancelButton, 4}});
    cells_ = popup("cellMenu", {{kCellSignalItem, CellSignalForSelected},
                                {kCellFillDirectionItem, CellFillDirection},
                                {kCellFillTactItem, CellFillTact},
                                {"", 0},
                                {kCellCopyItem, CellCopyTacts},
                                {kCellCutItem, CellCutTacts},
                                {kCellPasteItem, CellPasteTacts},
                                {kCellAllRedItem, CellAllRed},
                                {"", 0},
                                {kCancelButton, CellCancel}});
}

QMenu* PopupMenus::menu(PopupKind kind) const {
    switch (kind) {
    case PopupDirections: return directions_;
    case PopupTacts: return tacts_;
    case PopupCalendar: return calendar_;
    case PopupCells: return cells_;
    default: return nullptr;
    }
}

void PopupMenus::show(PopupKind kind, QPoint globalPos) {
    QMenu* m = menu(kind);
    if (!m) return;
    context_ = kind;
    QAction* picked = m->exec(globalPos);
    if (!picked || picked->text() == kCancelButton) return;
    emit chosen(context_, picked->data().toInt());
}

}  // namespace livra::ui
