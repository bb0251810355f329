#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QToolTip>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWheelEvent>
#include <algorithm>

#include "app/safety_commands.h"
#include "check/validator.h"
#include "edit/calendar_edit.h"
#include "edit/directions_edit.h"
#include "edit/tact_edit.h"
#include "pictures/pictures.h"
#include "ui/canvases.h"
#include "ui/diagram/diagram_window.h"
#include "ui/editors/editors.h"
#include "ui/safety/conflict_matrix_dialog.h"
#include "ui/sumo/sumo_commands.h"

namespace livra::ui {

namespace {

const char* const kDayNames[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
const char* const kChannelCountQuestion =
    "Номера каналов, имеющие значения выше установленного, будут сброшены в нуль\n"
    "Изменить количество каналов в ДК?\n";

QLabel* label(const QString& text, QWidget* parent, int x, int y, int w = 110, int h = 15) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QPushButton* button(const QString& text, QWidget* parent, int x, int y, int w, int h, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
}

QGroupBox* frame(const QString& title, QWidget* parent, int x, int y, int w, int h) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName("frame");
    g->setGeometry(x, y, w, h);
    // The title sits on the top line, not above it: the controls placed
    // just under a frame's top keep their room.
    g->setStyleSheet("QGroupBox#frame { border: 1px solid rgb(170,170,170); border-radius: 2px; margin-top: 7px; }"
                     "QGroupBox#frame::title { subcontrol-origin: margin; subcontrol-position: top left;"
                     " left: 8px; top: 0px; padding: 0px 3px; }");
    g->lower();
    return g;
}

QString twoDigits(int v) { return QString("%1").arg(v, 2, 10, QChar('0')); }

}  // namespace

void CanvasView::setImage(const QImage& image) {
    image_ = image;
    update();
}

bool CanvasView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && toolTipAt) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(e);
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void CanvasView::mousePressEvent(QMouseEvent* e) {
    emit clicked(e->position().toPoint(), e->button());
}

void CanvasView::setWheelScrollBars(QScrollBar* vertical, QScrollBar* horizontal) {
    vertical_ = vertical;
    horizontal_ = horizontal;
}

void CanvasView::wheelEvent(QWheelEvent* e) {
    QPoint delta = e->angleDelta();
    if (e->inverted()) delta = -delta;
    // Shift turns the wheel sideways, as in the usual table views; a picture
    // with one scroll bar takes any wheel on it.
    if (e->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y() ? delta.y() : delta.x(), 0);
    if (!horizontal_) delta = QPoint(0, delta.y() ? delta.y() : delta.x());
    if (!vertical_) delta = QPoint(delta.x() ? delta.x() : delta.y(), 0);
    const int lines = QApplication::wheelScrollLines();
    auto scroll = [lines](QScrollBar* bar, int d, int& rest) {
        if (!bar || d == 0) return;
        rest += d;
        const int notches = rest / QWheelEvent::DefaultDeltasPerStep;
        rest -= notches * QWheelEvent::DefaultDeltasPerStep;
        // Wheel away from the user shows earlier rows and tacts.
        bar->setValue(bar->value() - notches * lines * bar->singleStep());
    };
    scroll(vertical_, delta.y(), verticalRest_);
    scroll(horizontal_, delta.x(), horizontalRest_);
    e->accept();
}

MainWindow::MainWindow(Configuration& config, LinkContext* link, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      c_(config), link_(link) {
    setObjectName("mainWindow");
    setWindowTitle(kBaseTitle);
    setWindowIcon(pictures::builtInPictures().appIcon);
    setFixedSize(980, 640);
    QFont arial("Arial");
    arial.setPixelSize(11);
    setFont(arial);
    tactImage_ = makeTactCanvas();
    dirImage_ = makeDirectionsCanvas();

    buildMenus();

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("tabs");
    tabs_->setGeometry(5, 25, 970, 470);
    auto* dirPage = new QWidget;
    auto* progPage = new QWidget;
    auto* linkPage = new QWidget;
    tabs_->addTab(dirPage, "Направления,каналы,календарь");
    tabs_->addTab(progPage, "Программы,фазы,такты");
    tabs_->addTab(linkPage, "Связь с ДК");
    buildDirectionsTab(dirPage);
    buildProgramsTab(progPage);
    buildLinkTab(linkPage);

    frame("Ошибки", this, 5, 500, 970, 115);
    errorList_ = new QListWidget(this);
    errorList_->setObjectName("errorList");
    errorList_->setGeometry(15, 520, 900, 85);
    QPalette pal = errorList_->palette();
    pal.setColor(QPalette::Base, QColor(246, 239, 140));
    errorList_->setPalette(pal);
    auto* test = button("Тест", this, 925, 520, 45, 20, "testButton");
    connect(test, &QPushButton::clicked, this, &MainWindow::runValidator);

    dialogs_ = std::make_unique<QtDialogs>(this, errorList_);
    linkState_.changed = [this] { showLinkState(); };
    dialogs_->setStartPath([this] { return c_.ProjectFileName; });

    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refreshPass(); });
    refresh_.setInterval(150);
    connect(&refresh_, &QTimer::timeout, this, &MainWindow::refreshPass);

    editors_ = new Editors(*this);

    refreshCalendarList();
    showLinkState();
    refreshPass();
    history_.reset(c_);  // the tables as the first redraw left them
    recordEdits();
    updateSafetyMarks();
    // Centred on the screen.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

MainWindow::~MainWindow() { refresh_.stop(); }

void MainWindow::buildMenus() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName("menuBar");
    menuBar_->setNativeMenuBar(false);
    menuBar_->setGeometry(0, 0, 980, 22);
    auto add = [this](QMenu* m, const char* text, int id, QKeySequence keys = {}) {
        QAction* a = m->addAction(text);
        a->setData(id);
        a->setObjectName(QString("menu_%1").arg(id));
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, [this, id] { menuChosen(id); });
    };
    QMenu* file = menuBar_->addMenu("Файл");
    add(file, "Создать", MenuNew, QKeySequence(Qt::CTRL | Qt::Key_N));
    add(file, "Открыть", MenuOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
    add(file, "Сохранить", MenuSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    add(file, "Сохранить как", MenuSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    add(file, "Выход", MenuExit);
    QMenu* edit = menuBar_->addMenu("Правка");
    add(edit, "Отменить", MenuUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    add(edit, "Повторить", MenuRedo, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QMenu* tools = menuBar_->addMenu("Инструменты");
    add(tools, "Имитатор", MenuSimulator);
    add(tools, "Сервис", MenuService);
    add(tools, "Матрица конфликтов…", MenuConflictMatrix);
    tools->addSeparator();
    add(tools, "Диаграмма программы", MenuDiagram);
    add(tools, "Отчёт (PDF)…", MenuReport);
    tools->addSeparator();
    add(tools, "Экспорт в SUMO…", MenuSumoExport);
    add(tools, "Импорт из SUMO…", MenuSumoImport);
    QMenu* help = menuBar_->addMenu("Помощь");
    add(help, "Справка", MenuHelp, QKeySequence(Qt::Key_F1));
    add(help, "Сайт", MenuSite);
    add(help, "О программе", MenuAbout);
    undoAction_ = menuAction(MenuUndo);
    redoAction_ = menuAction(MenuRedo);

    auto popup = [this](const char* name, std::initializer_list<std::pair<const char*, int>> items) {
        auto* m = new QMenu(this);
        m->setObjectName(name);
        for (auto [text, id] : items) {
            QAction* a = m->addAction(text);
            a->setData(id);
        }
        return m;
    };
    directionMenu_ = popup("directionMenu",
                           {{"Удалить направление", 1}, {"Сбросить все номера каналов", 3}, {"Отмена", 2}});
    tactMenu_ = popup("tactMenu", {{"Вставить до", 1}, {"Вставить после", 2}, {"Удалить", 3}, {"Удалить все", 5},
                                   {"Отмена", 4}});
    calendarMenu_ = popup("calendarMenu", {{"Добавить", 1}, {"Редактировать", 2}, {"Удалить", 3}, {"Отмена", 4}});
}

void MainWindow::buildDirectionsTab(QWidget* page) {
    dirCanvas_ = new CanvasView(page);
    dirCanvas_->setObjectName("directionsCanvas");
    dirCanvas_->setGeometry(5, 15, DirectionsCanvasWidth, DirectionsCanvasHeight);
    connect(dirCanvas_, &CanvasView::clicked, this, &MainWindow::directionsCanvasClicked);
    dirScroll_ = new QScrollBar(Qt::Vertical, page);
    dirScroll_->setObjectName("directionsScroll");
    dirScroll_->setGeometry(305, 15, 20, 400);
    dirScroll_->setRange(0, DirectionCount - 1);
    dirScroll_->setPageStep(11);
    connect(dirScroll_, &QScrollBar::valueChanged, this, &MainWindow::redrawDirections);
    dirCanvas_->setWheelScrollBars(dirScroll_, nullptr);

    label("Кол.каналов в ДК ", page, 340, 15);
    channelCount_ = new QComboBox(page);
    channelCount_->setObjectName("channelCount");
    channelCount_->setGeometry(340, 30, 45, 20);
    for (int n = 8; n <= 64; n += 8) channelCount_->addItem(QString::number(n));
    channelCount_->setCurrentText("64");
    connect(channelCount_, &QComboBox::activated, this, &MainWindow::channelCountChosen);

    auto delayField = [&](const char* caption, int y, const char* name, std::string& text) {
        label(caption, page, 340, y);
        auto* f = new QLineEdit("0", page);
        f->setObjectName(name);
        f->setGeometry(340, y + 15, 45, 20);
        f->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), f));
        std::string* target = &text;
        connect(f, &QLineEdit::textEdited, this, [this, f, target] { delayEdited(f, *target); });
        return f;
    };
    tvp1Delay_ = delayField("ТВП1 Задержка сек.", 80, "tvp1Delay", c_.Tvp1Delay);
    tvp2Delay_ = delayField("ТВП2 Задержка сек.", 125, "tvp2Delay", c_.Tvp2Delay);

    frame("Календарь", page, 450, 5, 440, 410);
    dayTabs_ = new QTabBar(page);
    dayTabs_->setObjectName("dayTabs");
    dayTabs_->setGeometry(460, 25, 300, 30);
    dayTabs_->setExpanding(false);
    for (const char* d : kDayNames) dayTabs_->addTab(d);
    connect(dayTabs_, &QTabBar::currentChanged, this, &MainWindow::refreshCalendarList);

    calendarList_ = new QTableWidget(AlarmCount, 2, page);
    calendarList_->setObjectName("calendarList");
    calendarList_->setGeometry(460, 55, 300, 350);
    calendarList_->setHorizontalHeaderLabels({"ЧЧ:ММ", "Прог.№"});
    calendarList_->setColumnWidth(0, 55);
    calendarList_->setColumnWidth(1, 55);
    calendarList_->horizontalHeader()->setStretchLastSection(false);
    calendarList_->verticalHeader()->setVisible(false);
    calendarList_->verticalHeader()->setDefaultSectionSize(18);
    calendarList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    calendarList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    calendarList_->setSelectionMode(QAbstractItemView::SingleSelection);
    calendarList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(calendarList_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        showPopup(PopupCalendar, calendarList_->viewport()->mapToGlobal(pos));
    });

    frame("", page, 770, 315, 110, 90);
    label("Копия из сут.плана", page, 775, 325, 100, 20);
    copyDay_ = new QComboBox(page);
    copyDay_->setObjectName("copyDayBox");
    copyDay_->setGeometry(800, 345, 45, 20);
    for (const char* d : kDayNames) copyDay_->addItem(d);
    auto* ok = button("Ok", page, 800, 375, 45, 20, "copyDayOk");
    connect(ok, &QPushButton::clicked, this, &MainWindow::copyDay);
}

void MainWindow::buildProgramsTab(QWidget* page) {
    tactCanvas_ = new CanvasView(page);
    tactCanvas_->setObjectName("tactCanvas");
    tactCanvas_->setGeometry(5, 15, TactCanvasWidth, TactCanvasHeight);
    connect(tactCanvas_, &CanvasView::clicked, this, &MainWindow::tactCanvasClicked);
    tactScroll_ = new QScrollBar(Qt::Horizontal, page);
    tactScroll_->setObjectName("tactScroll");
    tactScroll_->setGeometry(0, 415, 830, 25);
    tactScroll_->setRange(0, TactCount - 1);
    tactScroll_->setPageStep(12);
    tactDirScroll_ = new QScrollBar(Qt::Vertical, page);
    tactDirScroll_->setObjectName("tactDirectionScroll");
    tactDirScroll_->setGeometry(835, 10, 20, 400);
    tactDirScroll_->setRange(0, DirectionCount - 1);
    tactDirScroll_->setPageStep(8);
    connect(tactScroll_, &QScrollBar::valueChanged, this, &MainWindow::redrawTactTable);
    connect(tactDirScroll_, &QScrollBar::valueChanged, this, &MainWindow::redrawTactTable);
    tactCanvas_->setWheelScrollBars(tactDirScroll_, tactScroll_);
    tactCanvas_->toolTipAt = [this](QPoint pos) {
        return safetyMarkToolTip(safetyReport_, c_.CurrentProgram, tactScroll_->value(), pos);
    };

    label("Программа № ", page, 870, 10, 90);
    programBox_ = new QComboBox(page);
    programBox_->setObjectName("programBox");
    programBox_->setGeometry(870, 25, 65, 20);
    for (int p = 0; p < ProgramCount; ++p) programBox_->addItem(QString::fromStdString(programTitle(p)));
    programBox_->setCurrentIndex(c_.CurrentProgram);
    connect(programBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        c_.CurrentProgram = uint8_t(index);
        redrawTactTable();
    });

    label("Копия из пр.№", page, 870, 355, 90);
    copyProgram_ = new QComboBox(page);
    copyProgram_->setObjectName("copyProgramBox");
    copyProgram_->setGeometry(870, 375, 65, 20);
    for (int p = FirstUserProgram + 1; p <= ProgramCount; ++p) copyProgram_->addItem(QString::number(p));
    auto* ok = button("Ok", page, 870, 405, 45, 20, "copyProgramOk");
    connect(ok, &QPushButton::clicked, this, &MainWindow::copyProgram);
}

void MainWindow::buildLinkTab(QWidget* page) {
    frame("Конфигурация ДК", page, 10, 20, 150, 125);
    struct ButtonDef { const char* text; int x, y, w; const char* name; LinkCommand cmd; };
    const ButtonDef buttons[] = {
        {"Записать в ДК", 40, 65, 85, "writeButton", LinkCommand::Write},
        {"Читать из ДК", 40, 90, 85, "readButton", LinkCommand::Read},
        {"Читать журнал", 40, 115, 85, "journalButton", LinkCommand::ReadJournal},
        {"Инф.о ДК", 35, 170, 85, "infoButton", LinkCommand::Info},
        {"Читать время и дату", 20, 378, 130, "readClockButton", LinkCommand::ReadClock},
        {"Синхр.часы", 20, 405, 130, "syncClockButton", LinkCommand::SyncClock},
        {"Сохранить в файл", 495, 405, 130, "saveJournalButton", LinkCommand::SaveJournal},
        // In the free space under the frame's title, beside the write and read.
        {"Сравнить с ДК", 40, 40, 85, "compareButton", LinkCommand::Compare},
    };
    frame("Микропрограмма ДК", page, 10, 150, 150, 85);
    frame("Работа с RTC", page, 10, 274, 150, 161);
    frame("Журнал", page, 165, 20, 470, 415);
    for (const ButtonDef& s : buttons) {
        auto* b = button(s.text, page, s.x, s.y, s.w, 20, s.name);
        const int cmd = int(s.cmd);
        connect(b, &QPushButton::clicked, this, [this, cmd] { linkCommand(cmd); });
    }
    // The option of "Записать в ДК"; the frames leave room for its text only
    // in the gap below the firmware frame.
    auto* verify = new QCheckBox("Проверить после записи", page);
    verify->setObjectName("verifyAfterWrite");
    verify->setGeometry(12, 245, 152, 18);
    verify->setChecked(true);
    auto* loader = button("Загрузчик", page, 35, 195, 85, 20, "loaderButton");
    connect(loader, &QPushButton::clicked, this, &MainWindow::startLoader);

    label("Системная дата", page, 20, 294, 130);
    computerTime_ = new QLineEdit(page);
    computerTime_->setObjectName("computerTime");
    computerTime_->setGeometry(20, 310, 130, 20);
    computerTime_->setReadOnly(true);
    label("Дата счит. с ДК", page, 20, 334, 130);
    controllerTime_ = new QLineEdit(page);
    controllerTime_->setObjectName("controllerTime");
    controllerTime_->setGeometry(20, 350, 130, 20);
    controllerTime_->setReadOnly(true);

    journal_ = new QTreeWidget(page);
    journal_->setObjectName("journalList");
    journal_->setGeometry(185, 45, 435, 355);
    journal_->setColumnCount(4);
    journal_->setHeaderLabels({"Время,дата", "Канал", "Направление", "Событие"});
    journal_->setRootIsDecorated(false);
    journal_->setUniformRowHeights(true);
    journal_->setAlternatingRowColors(true);
    const int widths[4] = {120, 60, 80, 400};
    for (int i = 0; i < 4; ++i) journal_->setColumnWidth(i, widths[i]);
}

QAction* MainWindow::menuAction(int id) const {
    for (QAction* a : menuBar_->findChildren<QAction*>())
        if (a->data().toInt() == id && a->objectName() == QString("menu_%1").arg(id)) return a;
    return nullptr;
}

QMenu* MainWindow::popupMenu(PopupKind kind) const {
    switch (kind) {
    case PopupDirections: return directionMenu_;
    case PopupTacts: return tactMenu_;
    case PopupCalendar: return calendarMenu_;
    default: return nullptr;
    }
}

void MainWindow::showPopup(PopupKind kind, QPoint globalPos) {
    QMenu* menu = popupMenu(kind);
    if (!menu) return;
    popupContext_ = kind;
    QAction* chosen = menu->exec(globalPos);
    if (!chosen || chosen->text() == "Отмена") return;
    emit popupChosen(popupContext_, chosen->data().toInt());
}

void MainWindow::menuChosen(int id) {
    switch (id) {
    case MenuNew: newConfiguration(c_, *dialogs_, *this); break;
    case MenuOpen: openProject(c_, *dialogs_, *this); break;
    case MenuSave: saveProjectCommand(c_, *dialogs_, *this); break;
    case MenuSaveAs: saveProjectAs(c_, *dialogs_, *this); break;
    case MenuExit: close(); break;
    case MenuHelp: openHelp(); break;
    case MenuSite: openSite(); break;
    case MenuAbout: showAbout(); break;
    case MenuSimulator: openSimulator(); break;
    case MenuService: linkCommand(int(LinkCommand::Service)); break;
    case MenuDiagram: openDiagram(); break;
    case MenuReport: saveReport(c_, *dialogs_); break;
    case MenuSumoExport: exportToSumo(this, c_, *dialogs_); break;
    case MenuSumoImport:
        if (const int program = importFromSumo(this, c_, *dialogs_); program >= 0) {
            showRestoredTables(program);
            recordEdits();
        }
        break;
    case MenuUndo: stepHistory(true); break;
    case MenuRedo: stepHistory(false); break;
    case MenuConflictMatrix: openConflictMatrix(); break;
    default: break;
    }
}

void MainWindow::setTitle(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void MainWindow::configurationReplaced() {
    dirScroll_->setValue(0);
    // A grid left scrolled far into the old project would show the new one's
    // programs as empty columns.
    tactScroll_->setValue(0);
    tactDirScroll_->setValue(0);
    showRestoredTables(-1);
    // Another project's tables (as the redraw left them): nothing before
    // them can be undone.
    history_.reset(c_);
    recordEdits();
    updateSafetyMarks();
}

// Every control that shows a stored table, after the tables changed under it.
void MainWindow::showRestoredTables(int changedProgram) {
    refreshCalendarList();
    redrawDirections();
    showChannelCount();
    tvp1Delay_->setText(QString::fromStdString(c_.Tvp1Delay));
    tvp2Delay_->setText(QString::fromStdString(c_.Tvp2Delay));
    delayEdited(nullptr, c_.Tvp1Delay);  // colours only
    // An undone change in a program is shown where it happened.
    if (changedProgram >= 0) c_.CurrentProgram = uint8_t(changedProgram);
    programBox_->setCurrentIndex(c_.CurrentProgram);
    redrawTactTable();
    if (diagramWindow_ && diagramWindow_->isVisible()) diagramWindow_->refresh();
}

void MainWindow::recordEdits() {
    if (history_.checkpoint(c_)) updateSafetyMarks();
    undoAction_->setEnabled(history_.canUndo());
    redoAction_->setEnabled(history_.canRedo());
}

void MainWindow::stepHistory(bool back) {
    if (dialogs_->exchangeActive()) return;
    const int program = back ? history_.undo(c_) : history_.redo(c_);
    if (program != -2) showRestoredTables(program);
    recordEdits();
    updateSafetyMarks();
}

void MainWindow::delayEdited(QLineEdit* field, std::string& text) {
    if (field) {
        text = field->text().toStdString();
        c_.Modified = 1;
    }
    // Out of range values are shown in red until corrected.
    for (QLineEdit* f : {tvp1Delay_, tvp2Delay_}) {
        QPalette pal = f->palette();
        pal.setColor(QPalette::Base, parseDelay(f->text().toStdString()) > 255 ? QColor(243, 1, 26) : Qt::white);
        f->setPalette(pal);
    }
}

void MainWindow::channelCountChosen(int index) {
    const int wanted = channelCount_->itemText(index).toInt();
    if (wanted == c_.ChannelCount) return;
    if (dialogs_->messageBox("Внимание!", kChannelCountQuestion, Buttons::YesNo, Icon::Exclamation) == Answer::Yes &&
        changeChannelCount(c_, wanted)) {
        editors_->directionsChanged();
    } else {
        showChannelCount();
    }
}

void MainWindow::showChannelCount() {
    // A project may carry a count that is not in the list; show it anyway.
    const QString text = QString::number(c_.ChannelCount);
    if (channelCount_->findText(text) < 0) {
        int at = 0;
        while (at < channelCount_->count() && channelCount_->itemText(at).toInt() < c_.ChannelCount) ++at;
        channelCount_->insertItem(at, text);
    }
    channelCount_->setCurrentText(text);
}

void MainWindow::refreshCalendarList() {
    const int day = dayTabs_->currentIndex();
    for (int i = 0; i < AlarmCount; ++i) {
        QString time, program;
        if (day >= 0 && day < DayCount) {
            const CalendarEntry& e = c_.Calendar[day][i];
            if (e.hour < 125) time = twoDigits(e.hour) + ":";
            if (e.minute < 125) time += twoDigits(e.minute);
            if (e.program < 125) {
                program = twoDigits(e.program);
                if (e.program == 2) program += "(ЖМ)";
                if (e.program == 3) program += "(ОС)";
            }
        }
        for (int col = 0; col < 2; ++col) {
            QTableWidgetItem* item = calendarList_->item(i, col);
            if (!item) {
                item = new QTableWidgetItem;
                calendarList_->setItem(i, col, item);
            }
            item->setText(col == 0 ? time : program);
        }
    }
}

void MainWindow::copyDay() {
    if (livra::copyDay(c_, copyDay_->currentIndex(), dayTabs_->currentIndex())) refreshCalendarList();
}

void MainWindow::copyProgram() {
    if (livra::copyProgram(c_, copyProgram_->currentText().toInt() - 1)) redrawTactTable();
}

void MainWindow::showLinkState() {
    computerTime_->setText(QString::fromStdString(linkState_.computerTime));
    controllerTime_->setText(QString::fromStdString(linkState_.controllerTime));
    computerTime_->setCursorPosition(0);
    controllerTime_->setCursorPosition(0);
    journal_->clear();
    QList<QTreeWidgetItem*> rows;
    for (const JournalRow& r : linkState_.journal) {
        const QString event = QString::fromStdString(r.event);
        auto* row = new QTreeWidgetItem(QStringList{QString::fromStdString(r.date), QString::fromStdString(r.channel),
                                                    QString::fromStdString(r.direction), event});
        // The event column is narrower than its longest texts.
        for (int col = 0; col < 4; ++col) row->setToolTip(col, event);
        rows.append(row);
    }
    journal_->addTopLevelItems(rows);
}

void MainWindow::linkCommand(int which) {
    auto cmd = LinkCommand(which);
    if (cmd == LinkCommand::Write) {
        auto* verify = findChild<QCheckBox*>("verifyAfterWrite");
        if (verify && verify->isChecked()) cmd = LinkCommand::WriteVerified;
    }
    const std::string projectBefore = c_.ProjectFileName;
    if (!runLinkCommand(cmd, c_, link_, *dialogs_, linkState_)) return;
    if (cmd == LinkCommand::Read) {
        // Reading may have saved the old project under a new name first; the
        // title changes only with the project's name.
        if (c_.ProjectFileName != projectBefore) updateTitle(c_, *this);
        // A failed or cancelled read leaves the views, their scrolling too.
        if (link_ && link_->lastSucceeded) configurationReplaced();
    }
    // The read-back's verdict comes after the size report: keep it in view.
    if (cmd == LinkCommand::WriteVerified) errorList_->scrollToBottom();
    showLinkState();
}

void MainWindow::runValidator() {
    // The safety lines follow a clean verdict; an error comes alone.
    if (validateConfiguration(c_, *dialogs_) == 0) addSafetyLines(c_, *dialogs_);
}

void MainWindow::openSimulator() {
    if (validateConfiguration(c_, *dialogs_) != 0) {
        dialogs_->messageBox("Внимание", kSimulationRefusedText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    addSafetyLines(c_, *dialogs_);
    emit simulatorRequested();
}

void MainWindow::redrawDirections() {
    drawDirectionsPicture(dirImage_, c_, dirScroll_->value());
    dirCanvas_->setImage(dirImage_);
}

void MainWindow::redrawTactTable() {
    const int t = tactScroll_->value();
    const int d = tactDirScroll_->value();
    drawTactGrid(tactImage_, c_, t, d);
    drawDirectionColumn(tactImage_, c_, d);
    drawTactHeader(tactImage_, c_, t);
    drawSafetyMarks(tactImage_, safetyReport_, c_.CurrentProgram, t);
    tactCanvas_->setImage(tactImage_);
}

void MainWindow::refreshPass() {
    // A controller command keeps the events moving while it waits; the
    // tables it is about to replace are not touched in the meantime.
    if (dialogs_->exchangeActive()) return;
    switch (tabs_->currentIndex()) {
    case TabDirections: redrawDirections(); break;
    case TabPrograms: redrawTactTable(); break;
    default: break;
    }
    if (diagramWindow_ && diagramWindow_->isVisible()) diagramWindow_->refresh();
    // After the redraw, whose clean-up of the tables belongs to the edit.
    recordEdits();
}

void MainWindow::openDiagram() {
    if (!diagramWindow_) {
        diagramWindow_ = new DiagramWindow(c_, *dialogs_, this);
        diagramWindow_->placeOver(this);
    }
    diagramWindow_->showProgram(c_.CurrentProgram);
    diagramWindow_->show();
    diagramWindow_->raise();
    diagramWindow_->activateWindow();
}

void MainWindow::openConflictMatrix() {
    ConflictMatrixDialog dialog(this, c_);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed()) return;
    c_.Safety = dialog.result();
    c_.Modified = 1;
    recordEdits();  // one undo step
    updateSafetyMarks();
}

void MainWindow::updateSafetyMarks() {
    SafetyReport report = checkSafety(c_, c_.Safety);
    const bool changed = report.findings.size() != safetyReport_.findings.size() ||
                         !std::equal(report.findings.begin(), report.findings.end(), safetyReport_.findings.begin(),
                                     [](const SafetyFinding& a, const SafetyFinding& b) {
                                         return a.program == b.program && a.tact == b.tact && a.text == b.text;
                                     });
    safetyReport_ = std::move(report);
    if (changed && tabs_->currentIndex() == TabPrograms) redrawTactTable();
}

void MainWindow::startRefresh() { refresh_.start(); }
void MainWindow::stopRefresh() { refresh_.stop(); }

void MainWindow::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    // No exit in the middle of a controller command.
    if (dialogs_->exchangeActive() || !exitApplication(c_, *dialogs_, *this)) {
        e->ignore();
        return;
    }
    closing_ = true;
    stopRefresh();
    e->accept();
}

}  // namespace livra::ui
