#pragma once
// "Направления,каналы,календарь": the directions picture with its scroll bar,
// the channel count, the two call delays and the calendar of the selected
// day. The tab shows the tables and collects input; the directions and
// calendar editors act on it.
#include <QImage>
#include <QWidget>

#include "model/configuration.h"
#include "ui/widget_helpers.h"

class QComboBox;
class QLineEdit;
class QScrollBar;
class QTabBar;
class QTableWidget;

namespace livra::ui {

class CanvasView;

class DirectionsTab : public QWidget {
    Q_OBJECT
public:
    explicit DirectionsTab(Configuration& c, QWidget* parent = nullptr);

    // Every control from the tables, after they were replaced or restored.
    void showTables();
    void redraw();
    void refreshCalendarList();
    void showChannelCount();
    void scrollToTop();
    // The window is this much larger than its smallest size: the directions
    // picture shows more rows, the calendar list grows.
    void growBy(int dx, int dy);

    // For the editors: where a click landed, and the calendar's selection.
    CanvasView* canvas() const { return canvas_; }
    int firstDirection() const;
    int selectedDay() const;
    int selectedCalendarRow() const;  // -1 when no row is selected

signals:
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    void calendarMenuRequested(QPoint globalPos);
    void channelCountRequested(int count);
    // "Ok" of the day copy: day `source` onto day `target` (indexes).
    void copyDayRequested(int source, int target);
    // "В другие дни…": the selected day onto days the user chooses.
    void copyToDaysRequested(int source);
    // A delay field (0 ТВП1, 1 ТВП2) was typed into; the text is stored.
    void delayChanged(int field);

private:
    void delayEdited(QLineEdit* field, std::string* text);

    Configuration& c_;
    QImage image_;
    CanvasView* canvas_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QComboBox* channelCount_ = nullptr;
    QLineEdit* tvp1Delay_ = nullptr;
    QLineEdit* tvp2Delay_ = nullptr;
    QTabBar* dayTabs_ = nullptr;
    QTableWidget* calendarList_ = nullptr;
    QComboBox* copyDay_ = nullptr;
    GrowingForm form_;
};

}  // namespace livra::ui
