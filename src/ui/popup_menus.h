#pragma once
// The pop-up menus of the two table pictures and the calendar. Each is shown
// at the mouse; the chosen item goes to the editor of the menu's table.
#include <QObject>
#include <QPoint>

class QMenu;
class QWidget;

namespace livra::ui {

enum PopupKind { PopupNone = 0, PopupDirections = 1, PopupTacts = 2, PopupCalendar = 3, PopupCells = 4 };

// The items of the cells' menu.
enum CellMenuId {
    CellSignalForSelected = 1, CellFillDirection = 2, CellFillTact = 3, CellCopyTacts = 4, CellCutTacts = 5,
    CellPasteTacts = 6, CellAllRed = 7, CellCancel = 8,
};

class PopupMenus : public QObject {
    Q_OBJECT
public:
    explicit PopupMenus(QWidget* parent);

    // Shows a menu at a screen position and remembers which one.
    void show(PopupKind kind, QPoint globalPos);
    int context() const { return context_; }
    QMenu* menu(PopupKind kind) const;

signals:
    // The menu's kind and the item's id as in the menu tables; "Отмена" is
    // not passed on.
    void chosen(int context, int id);

private:
    int context_ = PopupNone;
    QMenu* directions_ = nullptr;
    QMenu* tacts_ = nullptr;
    QMenu* calendar_ = nullptr;
    QMenu* cells_ = nullptr;
};

}  // namespace livra::ui
