#pragma once
// The editors of the two table tabs, composed: the tabs' clicks and the
// pop-up items reach the editor of their table, and an edit on one tab
// reaches the other: the tact grid's direction column opens the directions
// dialog and its menu, and every change of directions or channels
// regenerates the fixed programs and redraws both tabs.
#include <QObject>
#include <memory>

#include "model/configuration.h"

namespace livra::ui {

class CalendarEditor;
class DirectionsEditor;
class DirectionsTab;
class PopupMenus;
class ProgramsTab;
class QtDialogs;
class TactEditor;

class Editors : public QObject {
    Q_OBJECT
public:
    Editors(Configuration& c, QtDialogs& dialogs, DirectionsTab& directionsTab, ProgramsTab& programsTab,
            QObject* parent);
    ~Editors() override;

    TactEditor& tacts() { return *tacts_; }
    DirectionsEditor& directions() { return *directions_; }
    CalendarEditor& calendar() { return *calendar_; }
    PopupMenus& popups() { return *popups_; }

    // After any change of directions, channels or the channel count: programs
    // 1..3 follow the directions, the tables are settled, both tabs redrawn.
    void directionsChanged();
    // After an edit of a program's tacts or signals: the tables are settled
    // and the grid redrawn.
    void tactsChanged();

signals:
    // Either of the above: the window checks the tables again at once (the
    // error list never shows the verdict of tables that are gone).
    void tablesChanged();

private:
    void popupChosen(int context, int id);

    Configuration& c_;
    DirectionsTab& directionsTab_;
    ProgramsTab& programsTab_;
    PopupMenus* popups_;  // child QObject
    std::unique_ptr<DirectionsEditor> directions_;
    std::unique_ptr<TactEditor> tacts_;
    std::unique_ptr<CalendarEditor> calendar_;
};

}  // namespace livra::ui
