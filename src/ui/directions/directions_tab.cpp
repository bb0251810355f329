#include "ui/directions/directions_tab.h"

#include <QGroupBox>
#include <QLabel>
#include <QComboBox>
#include <algorithm>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>

#include "edit/calendar_edit.h"
#include "edit/grid_geometry.h"
#include "ui/canvas_view.h"
#include "ui/canvases.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace livra::ui {
namespace {

const char* const kDayNames[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
// The calendar's names column at the form's own size; it takes what the window grows by.
constexpr int kNameColumnWidth = 170;

QString twoDigits(int v) { return QString("%1").arg(v, 2, 10, QChar('0')); }

}  // namespace

DirectionsTab::DirectionsTab(Configuration& c, QWidget* parent) : QWidget(parent), c_(c) {
    setObjectName("directionsTab");
    image_ = makeDirectionsCanvas();
    canvas_ = placeCanvas(this, "directionsCanvas", 5, 15, grid::DirectionsWidth, grid::DirectionsHeight);
    connect(canvas_, &CanvasView::clicked, this, &DirectionsTab::canvasClicked);
    scroll_ = placeScrollBar(Qt::Vertical, this, "directionsScroll", 305, 15, 20, 400, DirectionCount, 11);
    connect(scroll_, &QScrollBar::valueChanged, this, &DirectionsTab::redraw);
    canvas_->setWheelScrollBars(scroll_, nullptr);
    form_.add(canvas_, GrowY);
    form_.add(scroll_, GrowY);

    placeLabel("Кол.каналов в ДК ", this, 340, 15);
    channelCount_ = new QComboBox(this);
    channelCount_->setObjectName("channelCount");
    channelCount_->setGeometry(340, 30, 45, 20);
    for (int n = 8; n <= 64; n += 8) channelCount_->addItem(QString::number(n));
    channelCount_->setCurrentText("64");
    connect(channelCount_, &QComboBox::activated, this, [this](int index) {
        const int wanted = channelCount_->itemText(index).toInt();
        if (wanted != c_.ChannelCount) emit channelCountRequested(wanted);
    });

    auto delayField = [&](const char* caption, int y, const char* name, std::string* text) {
        placeLabel(caption, this, 340, y);
        auto* f = new QLineEdit("0", this);
        f->setObjectName(name);
        f->setGeometry(340, y + 15, 45, 20);
        f->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), f));
        connect(f, &QLineEdit::textEdited, this, [this, f, text] {
            delayEdited(f, text);
            emit delayChanged(text == &c_.Tvp2Delay ? 1 : 0);
        });
        return f;
    };
    tvp1Delay_ = delayField("ТВП1 Задержка сек.", 80, "tvp1Delay", &c_.Tvp1Delay);
    tvp2Delay_ = delayField("ТВП2 Задержка сек.", 125, "tvp2Delay", &c_.Tvp2Delay);

    form_.add(placeFrame("Календарь", this, 450, 5, 440, 410), GrowX | GrowY);
    dayTabs_ = new QTabBar(this);
    dayTabs_->setObjectName("dayTabs");
    dayTabs_->setGeometry(460, 25, 300, 30);
    dayTabs_->setExpanding(false);
    for (const char* d : kDayNames) dayTabs_->addTab(d);
    connect(dayTabs_, &QTabBar::currentChanged, this, &DirectionsTab::refreshCalendarList);

    // The third column: the program's name from the object's passport.
    calendarList_ = new QTableWidget(AlarmCount, 3, this);
    calendarList_->setObjectName("calendarList");
    calendarList_->setGeometry(460, 55, 300, 350);
    calendarList_->setHorizontalHeaderLabels({"ЧЧ:ММ", "Прог.№", kPassportNameColumn});
    calendarList_->setColumnWidth(0, 55);
    calendarList_->setColumnWidth(1, 55);
    calendarList_->setColumnWidth(2, kNameColumnWidth);
    calendarList_->horizontalHeader()->setStretchLastSection(false);
    calendarList_->verticalHeader()->setVisible(false);
    calendarList_->verticalHeader()->setDefaultSectionSize(18);
    calendarList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    calendarList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    calendarList_->setSelectionMode(QAbstractItemView::SingleSelection);
    calendarList_->setContextMenuPolicy(Qt::CustomContextMenu);
    form_.add(calendarList_, GrowX | GrowY);
    connect(calendarList_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        emit calendarMenuRequested(calendarList_->viewport()->mapToGlobal(pos));
    });

    form_.add(placeFrame("", this, 770, 315, 110, 90), MoveX | MoveY);
    form_.add(placeLabel("Копия из сут.плана", this, 775, 325, 100, 20), MoveX | MoveY);
    copyDay_ = new QComboBox(this);
    copyDay_->setObjectName("copyDayBox");
    copyDay_->setGeometry(800, 345, 45, 20);
    for (const char* d : kDayNames) copyDay_->addItem(d);
    auto* ok = placeButton("Ok", this, 800, 375, 45, 20, "copyDayOk");
    form_.add(copyDay_, MoveX | MoveY);
    form_.add(ok, MoveX | MoveY);
    auto* toDays = placeButton(kCopyDaysButton, this, 775, 285, 100, 22, "copyToDaysButton");
    form_.add(toDays, MoveX | MoveY);
    connect(toDays, &QPushButton::clicked, this, [this] { emit copyToDaysRequested(dayTabs_->currentIndex()); });
    connect(ok, &QPushButton::clicked, this,
            [this] { emit copyDayRequested(copyDay_->currentIndex(), dayTabs_->currentIndex()); });
}

void DirectionsTab::showTables() {
    refreshCalendarList();
    redraw();
    showChannelCount();
    tvp1Delay_->setText(QString::fromStdString(c_.Tvp1Delay));
    tvp2Delay_->setText(QString::fromStdString(c_.Tvp2Delay));
    delayEdited(nullptr, nullptr);  // colours only
}

void DirectionsTab::redraw() {
    drawDirectionsPicture(image_, c_, scroll_->value());
    canvas_->setImage(image_);
}

void DirectionsTab::growBy(int dx, int dy) {
    form_.apply(dx, dy);
    calendarList_->setColumnWidth(2, kNameColumnWidth + dx);  // the names take the room
    if (image_.height() != canvas_->height()) image_ = makeDirectionsCanvas(canvas_->height());
    // The rows in view, the last one partly.
    const int rows = canvas_->height() - grid::CellHeight * grid::DirectionsHeaderRows;
    scroll_->setPageStep(std::max(1, (rows + grid::CellHeight - 1) / grid::CellHeight));
    redraw();
}

void DirectionsTab::scrollToTop() { scroll_->setValue(0); }

int DirectionsTab::firstDirection() const { return scroll_->value(); }

int DirectionsTab::selectedDay() const { return dayTabs_->currentIndex(); }

int DirectionsTab::selectedCalendarRow() const {
    return calendarList_->selectionModel()->hasSelection() ? calendarList_->currentRow() : -1;
}

void DirectionsTab::delayEdited(QLineEdit* field, std::string* text) {
    if (field) {
        *text = field->text().toStdString();
        c_.Modified = 1;
    }
    // Out of range values are shown in red until corrected.
    for (QLineEdit* f : {tvp1Delay_, tvp2Delay_}) {
        QPalette pal = f->palette();
        pal.setColor(QPalette::Base, parseDelay(f->text().toStdString()) > 255 ? QColor(243, 1, 26) : Qt::white);
        f->setPalette(pal);
    }
}

void DirectionsTab::showChannelCount() {
    // A project may carry a count that is not in the list; show it anyway.
    const QString text = QString::number(c_.ChannelCount);
    if (channelCount_->findText(text) < 0) {
        int at = 0;
        while (at < channelCount_->count() && channelCount_->itemText(at).toInt() < c_.ChannelCount) ++at;
        channelCount_->insertItem(at, text);
    }
    channelCount_->setCurrentText(text);
}

void DirectionsTab::refreshCalendarList() {
    const int day = dayTabs_->currentIndex();
    for (int i = 0; i < AlarmCount; ++i) {
        QString time, program, name;
        if (day >= 0 && day < DayCount) {
            const CalendarEntry& e = c_.Calendar[day][i];
            if (e.hour < 125) time = twoDigits(e.hour) + ":";
            if (e.minute < 125) time += twoDigits(e.minute);
            if (e.program < 125) {
                program = twoDigits(e.program);
                if (e.program == 2) program += "(ЖМ)";
                if (e.program == 3) program += "(ОС)";
                if (e.program >= 1 && e.program <= ProgramCount)
                    name = QString::fromStdString(c_.Safety.object.programNames[e.program - 1]);
            }
        }
        for (int col = 0; col < 3; ++col) {
            QTableWidgetItem* item = calendarList_->item(i, col);
            if (!item) {
                item = new QTableWidgetItem;
                calendarList_->setItem(i, col, item);
            }
            item->setText(col == 0 ? time : col == 1 ? program : name);
        }
    }
}

}  // namespace livra::ui
