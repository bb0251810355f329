#pragma once
// Driving the directions tab and the calendar from a test: clicking rows and
// slots of the directions picture, choosing pop-up menu items with the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "window_parts.h"

namespace livra::uitest {

// Clicks the item with this text in the next pop-up menu that opens.
class PopupClick {
public:
    explicit PopupClick(QString text) : text_(std::move(text)) {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool done() const { return done_; }
    QStringList items;  // the menu's items as seen

private:
    void poll() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || done_) return;
        done_ = true;
        timer_.stop();
        for (QAction* a : menu->actions()) items << a->text();
        for (QAction* a : menu->actions()) {
            if (a->text() != text_) continue;
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
            return;
        }
        ADD_FAILURE() << "no item " << text_.toStdString();
        menu->close();
    }
    QString text_;
    QTimer timer_;
    bool done_ = false;
};

// Centre of the kind column and of slot s of direction row d, at scroll 0.
inline QPoint directionRow(int d) { return QPoint(31, 33 * (d + 1) + 16); }
inline QPoint slotCell(int d, int s) { return QPoint(63 + 33 * s + 16, 33 * (d + 1) + 16); }

// A right click on the calendar list: the press selects the row, the context
// menu event opens the calendar menu, as the window system sends them.
inline void rightClickCalendar(ui::MainWindow& w, int row) {
    QWidget* view = named<QTableWidget>(w, "calendarList")->viewport();
    const QPoint pos = named<QTableWidget>(w, "calendarList")->visualRect(named<QTableWidget>(w, "calendarList")->model()->index(row, 0)).center();
    QTest::mouseClick(view, Qt::RightButton, {}, pos);
    QContextMenuEvent e(QContextMenuEvent::Mouse, pos, view->mapToGlobal(pos));
    QApplication::sendEvent(view, &e);
}

}  // namespace livra::uitest
