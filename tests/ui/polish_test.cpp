// What a user expects of a finished program: Qt's own dialogs in Russian,
// menu shortcuts, file dialogs that start in the documents folder, visible
// results of controller commands, and "Справка" opening the user guide.
#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "emulator/virtual_controller.h"
#include "model/files.h"
#include "model/project_file.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/qt_translations.h"
#include "ui/session.h"
#include "ui/user_guide.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::ModalScript;

namespace {

// Takes the URLs the program asks the desktop to open, instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

QStringList texts(const QList<QAbstractButton*>& buttons) {
    QStringList t;
    for (auto* b : buttons) t << b->text().remove('&');
    return t;
}

void shoot(QWidget* w, const char* name) {
    QDir().mkpath(LIVRA_SCREENSHOT_DIR);
    EXPECT_TRUE(w->grab().save(QString(LIVRA_SCREENSHOT_DIR) + "/" + name)) << name;
}

}  // namespace

TEST(Polish, QtsOwnDialogsSpeakRussian) {
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance()));
    QFileDialog open(nullptr, "Открыть");
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    open.show();
    QStringList labels;
    for (auto* l : open.findChildren<QLabel*>()) labels << l->text().remove('&');
    EXPECT_TRUE(labels.contains("Имя файла:")) << labels.join('|').toStdString();
    const QStringList buttons = texts(open.findChild<QDialogButtonBox*>()->buttons());
    EXPECT_TRUE(buttons.contains("Открыть")) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains("Отмена")) << buttons.join('|').toStdString();
    shoot(&open, "file_dialog_open.png");
    QFileDialog save(nullptr, "Сохранить");
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.show();
    EXPECT_TRUE(texts(save.findChild<QDialogButtonBox*>()->buttons()).contains("Сохранить"));
    // The "Тип" column of a folder, which Qt's catalogue leaves in English.
    livra::test::TempDir dir;
    const QFileInfo folder(QString::fromStdString(pathToUtf8(dir.path())));
    EXPECT_EQ(QAbstractFileIconProvider().type(folder), "Папка");
}

TEST(Polish, MenuShortcutsAndWhereFileDialogsStart) {
    livra::test::TempDir dir;
    const QString started = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(pathToUtf8(dir.path())));  // not where dialogs should start
    auto c = std::make_unique<Configuration>();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    c->Modified = 1;
    MainWindow w(*c, nullptr);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The items keep their texts; the keys are shown beside them.
    EXPECT_EQ(w.menuAction(MenuNew)->text(), "Создать");
    EXPECT_EQ(w.menuAction(MenuSaveAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));

    QStringList folders;
    auto cancelFileDialog = [&](QWidget* m) {
        auto* d = qobject_cast<QFileDialog*>(m);
        if (!d) return false;
        folders << QDir(d->directory()).absolutePath();
        d->reject();
        return true;
    };
    ModalScript script;
    script.answer("Нет");               // Ctrl+N: "Создать" asks about the unsaved work
    script.answer("Да");                // Ctrl+O: the same question for opening
    script.act(cancelFileDialog);       // … then the open dialog
    script.act(cancelFileDialog);       // Ctrl+S of an unnamed project: the save dialog
    script.act(cancelFileDialog);       // Ctrl+Shift+S
    // Each key goes to the main window, active again after the last dialog.
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods) {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, key, mods);
    };
    press(Qt::Key_N, Qt::ControlModifier);
    press(Qt::Key_O, Qt::ControlModifier);
    press(Qt::Key_S, Qt::ControlModifier);
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(script.done()) << script.boxes.size() << " boxes, " << folders.size() << " dialogs";
    EXPECT_EQ(script.boxes[0].title, "Создать");
    EXPECT_EQ(script.boxes[1].title, "Чтение файла");
    const QString documents = documentsFolder();
    EXPECT_EQ(folders, QStringList(3, QDir(documents).absolutePath()));
    EXPECT_NE(QDir(documents).absolutePath(), QDir::currentPath());

    // F1: without help.chm the user guide, a real file with every chapter.
    UrlCatcher urls;
    press(Qt::Key_F1, Qt::NoModifier);
    ASSERT_EQ(urls.opened.size(), 1);
    const QString guide = urls.opened[0].toLocalFile();
    EXPECT_EQ(guide, findUserGuide());
    EXPECT_TRUE(guide.endsWith("docs/guide/index.html")) << guide.toStdString();
    QFile index(guide);
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(index.readAll());
    for (const char* chapter : {"start.html", "compose.html", "check.html", "link.html", "journal.html",
                                "simulator.html", "design.html"}) {
        EXPECT_TRUE(html.contains(chapter)) << chapter;
        EXPECT_TRUE(QFileInfo(QFileInfo(guide).dir().filePath(chapter)).isFile()) << chapter;
    }
    QDir::setCurrent(started);
}

// A computer with the guide but nothing to show HTML: the box says where the
// guide is, instead of naming the help file that was never meant to be there.
TEST(Polish, AGuideThatCannotBeShownIsNamedInTheBox) {
    livra::test::TempDir dir;
    const QString started = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(pathToUtf8(dir.path())));  // no help.chm here
    auto c = std::make_unique<Configuration>();
    MainWindow w(*c, nullptr);
    w.show();
    ASSERT_FALSE(findUserGuide().isEmpty());
    QObject nobody;
    QDesktopServices::setUrlHandler("file", &nobody, "noSuchSlot");  // every file fails to open
    ModalScript script;
    script.answer("Ок");
    w.menuAction(MenuHelp)->trigger();
    QDesktopServices::unsetUrlHandler("file");
    QDir::setCurrent(started);
    ASSERT_TRUE(script.done());
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].title, "Справка");
    EXPECT_EQ(script.boxes[0].text, "Не удалось открыть руководство пользователя.\nОткройте в браузере файл " +
                                        QDir::toNativeSeparators(findUserGuide()));
}

TEST(Polish, AboutBoxClosesWithEnterAndEscape) {
    auto c = std::make_unique<Configuration>();
    MainWindow w(*c, nullptr);
    w.show();
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        w.showAbout();
        auto* about = w.findChild<QDialog*>("aboutBox");
        ASSERT_NE(about, nullptr);
        QTest::keyClick(about, Qt::Key(key));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.findChild<QDialog*>("aboutBox"), nullptr) << key;
    }
}

class LinkPolish : public ::testing::Test {
protected:
    livra::test::TempDir dir;
    std::unique_ptr<VirtualController> controller;
    std::unique_ptr<Session> session;

    void SetUp() override {
        qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
        VirtualControllerOptions o;
        o.applyTime = std::chrono::milliseconds(0);
        controller = std::make_unique<VirtualController>(std::move(o));
        const std::string pty = controller->start();
        ASSERT_FALSE(pty.empty()) << controller->error();
        StartOptions s;
        s.port = pty;
        session = std::make_unique<Session>(s);
        ASSERT_TRUE(session->start());
    }
    void TearDown() override {
        session.reset();
        if (controller) controller->stop();
        qunsetenv("LIVRA_WORKDIR");
    }
    void click(const char* name) {
        auto* b = session->window().findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString lastLine() {
        QListWidget* list = named<QListWidget>(session->window(), "errorList");
        return list->count() ? list->item(list->count() - 1)->text() : QString();
    }
};

TEST_F(LinkPolish, ResultsAreShownAndAFailedReadKeepsTheView) {
    MainWindow& w = session->window();
    Configuration& c = w.configuration();
    // A project with many directions, scrolled down the list.
    auto many = livra::test::newConfiguration();
    for (int d = 0; d < 20; ++d) livra::test::addDirection(*many, d, d % 2 ? DirPedestrian : DirVehicle);
    livra::test::addTact(*many, 3, TactPhase, 20, 10, SignalGreen);
    livra::test::addTact(*many, 3, TactIntermediate, 3, 0, SignalYellow);
    livra::test::addAlarm(*many, 0, 0, 0, 4);
    replaceTables(c, *many);
    c.Modified = 0;
    w.configurationReplaced();
    named<QScrollBar>(w, "directionsScroll")->setValue(7);

    // The controller is fresh from the factory: said so, nothing replaced.
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabLink);
    {
        ModalScript script;
        script.answer("Ок");
        click("readButton");
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.boxes[0].text, "В памяти ДК нет конфигурации.");
    }
    EXPECT_EQ(named<QScrollBar>(w, "directionsScroll")->value(), 7) << "the view stays where the user left it";
    EXPECT_TRUE(c.sameTables(*many));
    EXPECT_EQ(c.Modified, 0);

    // A write says what it did, in the list's visible last line.
    click("writeButton");
    std::size_t bytes = 0;
    for (const auto& part : encodeImage(c)) bytes += part.size();
    ASSERT_GT(bytes, 1000u);
    const QString grouped = QString("%1 %2").arg(bytes / 1000).arg(bytes % 1000, 3, 10, QChar('0'));
    // With the read-back check on (the default) the verdict follows it.
    QListWidget* lines = named<QListWidget>(w, "errorList");
    ASSERT_GE(lines->count(), 2);
    // What went well is on the status line, not among the errors.
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), "Конфигурация записана в ДК (" + grouped + " байт)");
    EXPECT_EQ(lastLine(), "Конфигурация в ДК совпадает с проектом");
    QListWidget* list = named<QListWidget>(w, "errorList");
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(list->count() - 1)).center()));
    shoot(&w, "link_written.png");

    // The verified write went into the passport's record of writes: a change,
    // so the read asks first. A read replaces the project and marks it changed.
    EXPECT_EQ(c.Modified, 1);
    {
        ModalScript script;
        script.answer("Нет");
        click("readButton");
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.boxes[0].title, "Читать из ДК") << script.boxes[0].title.toStdString();
    }
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), "Конфигурация прочитана из ДК (" + grouped + " байт)");
    EXPECT_EQ(c.Modified, 1);

    // Clock sync: the fields are filled while the box is still up.
    ModalScript sync;
    QString timeAtBox;
    sync.act([&](QWidget* m) {
        auto* box = qobject_cast<QMessageBox*>(m);
        if (!box) return false;
        timeAtBox = named<QLineEdit>(w, "controllerTime")->text();
        box->accept();
        return true;
    });
    click("syncClockButton");
    ASSERT_TRUE(sync.done());
    EXPECT_FALSE(timeAtBox.isEmpty());
    EXPECT_TRUE(named<QLabel>(w, "statusLine")->text().startsWith("Часы ДК установлены: "))
        << named<QLabel>(w, "statusLine")->text().toStdString();

    // Journal rows carry their whole event as a tooltip.
    click("journalButton");
    QTreeWidget* journal = named<QTreeWidget>(w, "journalList");
    ASSERT_GE(journal->topLevelItemCount(), 2);
    for (int i = 0; i < journal->topLevelItemCount(); ++i)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(journal->topLevelItem(i)->toolTip(col), journal->topLevelItem(i)->text(3));
    EXPECT_EQ(journal->topLevelItem(0)->toolTip(3), "Установлена новая конфигурация");
}

#include "polish_test.moc"
