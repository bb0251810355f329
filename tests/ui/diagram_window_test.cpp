// The diagram window and the report, driven through the real menu and
// buttons; pictures for a person to look at go to the screenshot folder.
#include "ui/diagram/diagram_window.h"
#include "diagram_qt/diagram_painter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "diagram_qt/diagram_export.h"
#include "model/project_file.h"
#include "sample_window.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/qt_dialogs.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;
using livra::uitest::SampleWindow;

namespace {

// Opens a menu of the menu bar by clicking its title, then clicks the item.
void clickMenu(MainWindow& w, const QString& menuTitle, const QString& item) {
    auto* bar = w.findChild<QMenuBar*>("menuBar");
    ASSERT_NE(bar, nullptr);
    for (QAction* top : bar->actions()) {
        if (top->text() != menuTitle) continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QMenu* menu = top->menu();
        ASSERT_TRUE(menu->isVisible()) << menuTitle.toStdString();
        for (QAction* a : menu->actions())
            if (a->text() == item) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
        FAIL() << "no item " << item.toStdString();
    }
    FAIL() << "no menu " << menuTitle.toStdString();
}

QString shotDir() {
    const QString out = LIVRA_SCREENSHOT_DIR;
    EXPECT_TRUE(QDir().mkpath(out));
    return out;
}

std::string q(const QString& s) { return s.toStdString(); }

// The PDF reader's tools (poppler-utils), found on the PATH.
std::string tool(const char* name) {
    const QString found = QStandardPaths::findExecutable(name);
    EXPECT_FALSE(found.isEmpty()) << name << " is not installed";
    return found.toStdString();
}

}  // namespace

TEST(DiagramWindow, OpensFromTheMenuFollowsEditsAndExports) {
    SampleWindow sample;
    const TempDir& dir = sample.dir;
    Configuration* c = sample.c.get();
    MainWindow& w = *sample.window;

    clickMenu(w, "Инструменты", "Диаграмма программы");
    DiagramWindow* dw = w.diagramWindow();
    ASSERT_NE(dw, nullptr);
    ASSERT_TRUE(dw->isVisible());
    EXPECT_EQ(dw->windowTitle(), "Диаграмма программы");
    EXPECT_EQ(dw->programBox()->currentIndex(), 3);
    ASSERT_TRUE(dw->view()->layout());
    EXPECT_EQ(dw->view()->layout()->title, "Программа 4 — цикл 76 с (с обслуживанием вызовов ТВП 105 с)");
    EXPECT_EQ(dw->view()->layout()->timeline.rows.size(), 5u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dw->grab().save(shotDir() + "/diagram_window.png"));

    // A narrower window lays the diagram out to its width.
    const double wide = dw->view()->layout()->geometry.width;
    dw->resize(700, 520);
    QCoreApplication::processEvents();
    EXPECT_LT(dw->view()->layout()->geometry.width, wide);
    EXPECT_LE(dw->view()->layout()->geometry.width + 16, dw->view()->width() + 1);

    // An edit in the tact table shows at the next refresh.
    c->TactTable[3][2].tMain = 40;  // road 1's green, after the all-red start-up
    recomputeDerivedTactFields(*c, 3);
    w.refreshPass();
    EXPECT_EQ(dw->view()->layout()->timeline.cycleSeconds, 86);

    // Program 6 is empty: the window says so and offers no export.
    dw->programBox()->setFocus();
    QTest::keyClick(dw->programBox(), Qt::Key_Down);
    QTest::keyClick(dw->programBox(), Qt::Key_Down);
    EXPECT_EQ(dw->programBox()->currentIndex(), 5);
    EXPECT_FALSE(dw->view()->layout());
    EXPECT_EQ(dw->view()->message(), "Программа 6 пуста: в ней нет ни одного такта.");
    EXPECT_FALSE(dw->exportButton(diagram::FileKind::Png)->isEnabled());
    QTest::keyClick(dw->programBox(), Qt::Key_Up);
    QTest::keyClick(dw->programBox(), Qt::Key_Up);
    ASSERT_TRUE(dw->view()->layout());
    ASSERT_TRUE(dw->exportButton(diagram::FileKind::Png)->isEnabled());

    // Export: the file dialog suggests a name beside the project.
    const QString png = QString::fromStdString(pathToUtf8(dir / "crossroad_программа_4.png"));
    {
        ModalScript script;
        script.chooseFile(png);
        QTest::mouseClick(dw->exportButton(diagram::FileKind::Png), Qt::LeftButton);
        EXPECT_TRUE(script.done());
    }
    QImage exported(png);
    ASSERT_FALSE(exported.isNull());
    EXPECT_EQ(exported.width(), 1116);
    EXPECT_EQ(exported.pixelColor(4, 4), QColor(Qt::white));
    EXPECT_TRUE(exported.save(shotDir() + "/diagram_export.png"));
    EXPECT_EQ(suggestedExportName(*c, "программа_4", "png"), pathToUtf8(dir / "crossroad_программа_4.png"));

    // Saving over it asks first; "Нет" leaves the file alone.
    const auto before = std::filesystem::last_write_time(dir / "crossroad_программа_4.png");
    {
        ModalScript script;
        script.chooseFile(png);
        script.answer("Нет");
        QTest::mouseClick(dw->exportButton(diagram::FileKind::Svg), Qt::LeftButton);
        EXPECT_TRUE(script.done());
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_EQ(script.boxes[0].title, "Внимание");
        EXPECT_TRUE(script.boxes[0].text.startsWith("Файл "));
    }
    EXPECT_EQ(std::filesystem::last_write_time(dir / "crossroad_программа_4.png"), before);
    // A name without the extension gets the chosen kind's.
    {
        ModalScript script;
        script.chooseFile(QString::fromStdString(pathToUtf8(dir / "schema")));
        QTest::mouseClick(dw->exportButton(diagram::FileKind::Svg), Qt::LeftButton);
        EXPECT_TRUE(script.done());
    }
    std::ifstream svg(dir / "schema.svg");
    const std::string text((std::istreambuf_iterator<char>(svg)), {});
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("Программа 4"), std::string::npos);
    // An SVG reader draws it at the picture's size, and the diagram is on it.
    QSvgRenderer reader(QString::fromStdString(pathToUtf8(dir / "schema.svg")));
    ASSERT_TRUE(reader.isValid());
    EXPECT_EQ(reader.viewBox().width(), 1116);
    QImage drawn(reader.defaultSize(), QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    {
        QPainter p(&drawn);
        reader.render(&p);
    }
    EXPECT_EQ(drawn.pixelColor(4, 4), QColor(Qt::white));
    EXPECT_TRUE(drawn.save(shotDir() + "/diagram_export_svg.png"));

    // Escape from its program list closes it; the menu shows it again.
    QTest::keyClick(dw->programBox(), Qt::Key_Escape);
    EXPECT_FALSE(dw->isVisible());
    clickMenu(w, "Инструменты", "Диаграмма программы");
    EXPECT_TRUE(dw->isVisible());
    dw->close();
}

TEST(DiagramWindow, ReportFromTheMenuOpensInAPdfReader) {
    SampleWindow sample;
    const TempDir& dir = sample.dir;
    MainWindow& w = *sample.window;
    const std::string pdf = pathToUtf8(dir / "отчёт.pdf");
    {
        ModalScript script;
        script.chooseFile(QString::fromStdString(pdf));
        clickMenu(w, "Инструменты", "Отчёт (PDF)…");
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.boxes.empty());
    }
    ASSERT_TRUE(std::filesystem::exists(dir / "отчёт.pdf"));

    const auto info = test::runProgram(tool("pdfinfo"), {pdf});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    // The passport: title page, plan, per program its phases and table and
    // its diagram, then the calendar and the rest.
    const auto pagesAt = info.out.find("Pages:");
    ASSERT_NE(pagesAt, std::string::npos) << info.out;
    const int pages = std::atoi(info.out.c_str() + pagesAt + 6);
    EXPECT_GE(pages, 6) << info.out;
    EXPECT_NE(info.out.find("A4"), std::string::npos) << info.out;
    const auto fonts = test::runProgram(tool("pdffonts"), {pdf});
    ASSERT_EQ(fonts.exitCode, 0) << fonts.err;
    // Every font is Liberation Sans and embedded (the "emb" column says yes).
    int lines = 0;
    std::istringstream rows(fonts.out);
    std::string line;
    while (std::getline(rows, line)) {
        if (line.rfind("LiberationSans", 0) != 0) continue;
        ++lines;
        EXPECT_NE(line.find(" yes "), std::string::npos) << line;
    }
    EXPECT_GE(lines, 1) << fonts.out;
    EXPECT_EQ(std::count(fonts.out.begin(), fonts.out.end(), '\n'), lines + 2) << fonts.out;

    // A real reader draws every page; the first two are kept for a person to see.
    const QString out = shotDir();
    const auto render = test::runProgram(tool("pdftoppm"), {"-r", "96", "-png", pdf, q(out + "/report_page")});
    ASSERT_EQ(render.exitCode, 0) << render.err;
    for (const char* page : {"/report_page-1.png", "/report_page-2.png"}) {
        QImage img(out + page);
        ASSERT_FALSE(img.isNull()) << page;
        EXPECT_EQ(img.size(), QSize(794, 1123));
    }
    // The report's own text, as the reader extracts it.
    const auto text = test::runProgram(tool("pdftotext"), {"-layout", pdf, "-"});
    ASSERT_EQ(text.exitCode, 0);
    const std::string last = "Лист " + std::to_string(pages) + " из " + std::to_string(pages);
    for (const std::string& expected : {std::string("Паспорт светофорного объекта"), std::string("crossroad.ptm"),
                                       std::string("Направления и выходные каналы"), std::string("Программа 4 — цикл 76 с"), std::string("Программа 5"),
                                       std::string("График режима работы"), last})
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected;

    // Cancelling the save dialog writes nothing.
    std::filesystem::remove(dir / "отчёт.pdf");
    {
        ModalScript script;
        script.chooseFile("");
        clickMenu(w, "Инструменты", "Отчёт (PDF)…");
        EXPECT_TRUE(script.done());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "отчёт.pdf"));
}

TEST(DiagramWindow, A321TactProgramWrapsIntoReadableLines) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    test::addDirection(*c, 2, DirPedestrian);
    test::addDirection(*c, 3, DirTram1);
    const uint8_t cycle[] = {SignalGreen, SignalFlashingGreen, SignalYellow, SignalRed, SignalRedYellow};
    for (int t = 0; t < TactCount; ++t) {
        const int32_t kind = t % 5 == 0 ? TactPhase : TactIntermediate;
        test::addTact(*c, 3, kind, kind == TactPhase ? 12 + t % 7 : 3, 5);
        for (int d = 0; d < 6; ++d) c->TactSignals[3][t][d] = cycle[(t + d) % 5];
    }
    const auto t = diagram::buildTimeline(*c, 3, nullptr);
    ASSERT_TRUE(t);
    const auto d = diagram::layoutDiagram(*t, diagram::screenGeometry());
    EXPECT_GT(d.bands.size(), 10u);
    const QImage img = diagram::diagramImage(d);
    EXPECT_EQ(img.height(), int(std::ceil(d.height)) + 16);
    // A 3-second tact is still a visible bar: at least 18 pixels wide.
    EXPECT_GE(3 * d.pxPerSecond, 18);
    EXPECT_TRUE(img.copy(0, 0, img.width(), std::min(img.height(), 900)).save(shotDir() + "/diagram_321_tacts.png"));

    // The window paints only the bands in view; what it paints there is what
    // the whole picture has at that place.
    DiagramView view;
    view.resize(img.width(), img.height());
    view.setDiagram(d, {});
    for (int y : {0, img.height() / 2, img.height() - 300}) {
        const QRect part(0, y, img.width(), 300);
        const QImage seen = view.grab(part).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(seen, img.copy(part).convertToFormat(QImage::Format_RGB32)) << "at " << y;
    }
}

// The window asks for 1140 × 620; on a smaller screen (the offscreen one is
// 800 × 600) it must still open whole on it, its export buttons in reach,
// and a second opening leaves it where the user put it.
TEST(DiagramWindow, OpensWholeOnASmallScreenAndStaysWhereItWasPut) {
    SampleWindow sample(SampleWindow::Unnamed);
    MainWindow& w = *sample.window;
    const QRect area = w.screen()->availableGeometry();
    ASSERT_LT(area.width(), 1140);

    clickMenu(w, "Инструменты", "Диаграмма программы");
    DiagramWindow* dw = w.diagramWindow();
    ASSERT_NE(dw, nullptr);
    ASSERT_TRUE(dw->isVisible());
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(dw->frameGeometry()));
    const QPushButton* pdf = dw->exportButton(diagram::FileKind::Pdf);
    EXPECT_TRUE(area.contains(QRect(pdf->mapToGlobal(QPoint(0, 0)), pdf->size())));

    dw->close();
    dw->move(area.left() + 10, area.top() + 20);
    clickMenu(w, "Инструменты", "Диаграмма программы");
    ASSERT_TRUE(dw->isVisible());
    EXPECT_EQ(dw->pos(), QPoint(area.left() + 10, area.top() + 20));
}

// A project not saved yet has no folder of its own: the report and the
// diagram exports are offered in the documents folder, like the project's
// own save dialog, and not in the folder the program was started from.
TEST(DiagramWindow, ExportsOfAnUnnamedProjectStartInTheDocumentsFolder) {
    SampleWindow sample(SampleWindow::Unnamed);
    const QString started = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(pathToUtf8(sample.dir.path())));
    MainWindow& w = *sample.window;
    const QString documents = QDir(documentsFolder()).absolutePath();
    ASSERT_NE(documents, QDir::currentPath());

    QStringList offered;
    auto cancel = [&](QWidget* m) {
        auto* d = qobject_cast<QFileDialog*>(m);
        if (!d) return false;
        offered << (d->selectedFiles().isEmpty() ? QString() : d->selectedFiles().first());
        d->reject();
        return true;
    };
    {
        ModalScript script;
        script.act(cancel);
        clickMenu(w, "Инструменты", "Отчёт (PDF)…");
        ASSERT_TRUE(script.done());
    }
    clickMenu(w, "Инструменты", "Диаграмма программы");
    ASSERT_NE(w.diagramWindow(), nullptr);
    {
        ModalScript script;
        script.act(cancel);
        QTest::mouseClick(w.diagramWindow()->exportButton(diagram::FileKind::Svg), Qt::LeftButton);
        ASSERT_TRUE(script.done());
    }
    QDir::setCurrent(started);
    EXPECT_EQ(offered, (QStringList{documents + "/отчёт.pdf", documents + "/программа_4.svg"}));
}

// The report's quick eliding against Qt's own, over texts like a report's
// cells (direction lists, numbers, arrows, dashes) and widths from nothing
// to wider than any text: the same string every time.
TEST(TextFitter, ElidesAndMeasuresExactlyAsTheFontMetricsDo) {
    const QStringList words{"5", "12", "направление", "ул. Ленина,", "прямо", "→", "—", "Фаза", "Промтакт",
                            "1→4:", "6 с;", "Ж", "ЩШ", "iii", "…", "W", "ТВП1", "(меньше требуемого)"};
    std::mt19937 random(11);
    for (const double size : {10.0, 10.5, 12.0}) {
        for (const bool bold : {false, true}) {
            const QFont font = livra::diagram::diagramFont(size, bold);
            const QFontMetricsF fm(font);
            livra::diagram::TextFitter fit(font);
            std::vector<std::pair<QString, double>> cases;
            for (int round = 0; round < 400; ++round) {
                QString text;
                const int count = int(random() % 40);
                for (int i = 0; i < count; ++i) text += (i ? " " : "") + words[int(random() % words.size())];
                cases.emplace_back(text, round % 50 == 0 ? 0.0 : double(random() % 700) / 1.7);
                // The same text again at other widths, as a report's columns ask.
                if (round % 7 == 0) cases.emplace_back(text, double(random() % 300) / 1.3);
            }
            // Twice over: the second time from what the fitter remembers.
            for (int pass = 0; pass < 2; ++pass) {
                for (const auto& [text, width] : cases) {
                    EXPECT_EQ(fit(text, width), fm.elidedText(text, Qt::ElideRight, width))
                        << text.toStdString() << " at " << width << ", pass " << pass;
                    EXPECT_EQ(fit.fits(text, width), fm.horizontalAdvance(text) <= width)
                        << text.toStdString() << " at " << width;
                }
            }
        }
    }
}
