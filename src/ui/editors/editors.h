#pragma once
// The one place where the main window's clicks and pop-up items reach the
// editors, and where an edit on one tab reaches the other: the tact grid's
// direction column opens the directions dialog and its menu, and every change
// of directions or channels regenerates the fixed programs and redraws both
// tabs.
#include <QObject>
#include <QPoint>
#include <memory>

namespace livra::ui {

class MainWindow;
class TactEditor;
class DirectionsEditor;
class CalendarEditor;

class Editors : public QObject {
    Q_OBJECT
public:
    explicit Editors(MainWindow& window);
    ~Editors() override;

    MainWindow& window() { return w_; }
    TactEditor& tacts() { return *tacts_; }
    DirectionsEditor& directions() { return *directions_; }
    CalendarEditor& calendar() { return *calendar_; }

    // After any change of directions, channels or the channel count: programs
    // 1..3 follow the directions, both tabs are redrawn.
    void directionsChanged();

private:
    void popupChosen(int context, int id);

    MainWindow& w_;
    std::unique_ptr<TactEditor> tacts_;
    std::unique_ptr<DirectionsEditor> directions_;
    std::unique_ptr<CalendarEditor> calendar_;
};

}  // namespace livra::ui
