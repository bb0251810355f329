// Pictures of every tab of a filled-in window, for a person to look at
// (written into the build folder, not kept in the sources).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QPainter>
#include <QTabWidget>
#include <filesystem>

#include "app/controller_commands.h"
#include "model/project_file.h"
#include "pictures/pictures.h"
#include "sample_window.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;

namespace {

TEST(Screenshots, EveryTab) {
    const QString out = LIVRA_SCREENSHOT_DIR;
    ASSERT_TRUE(QDir().mkpath(out));
    auto c = livra::uitest::sampleCrossroad();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.setTitle("Конфигуратор ДК 'Ливра'  -  crossroad.ptm");
    LinkTabState& s = w.linkState();
    s.computerTime = "Вт. 08.12.2026  21:05:03";
    s.controllerTime = "Вт. 08.12.2026  21:04:58";
    s.journal = {
        {"08.12.2026  20:58:11", "", "", "Установлена новая конфигурация"},
        {"08.12.2026  20:58:02", "", "", "Нормальный запуск ДК"},
        {"07.12.2026  06:12:40", "12", "3", "Нет нагрузки"},
        {"??.??.????  ??:??:??", "", "", "Часы не отвечают"},
        {"01.12.2026  14:03:27", "Плата №", "2", "Плата силовых ключей не отвечает"},
    };
    w.showLinkState();
    w.runValidator();
    // The verdict, then the safety check's line(s).
    ASSERT_GE(named<QListWidget>(w, "errorList")->count(), 2);
    EXPECT_EQ(named<QListWidget>(w, "errorList")->item(0)->text(), "Ошибок не обнаружено");
    w.show();
    const char* names[] = {"tab1_directions.png", "tab2_programs.png", "tab3_link.png"};
    for (int tab = 0; tab < 3; ++tab) {
        named<QTabWidget>(w, "tabs")->setCurrentIndex(tab);
        w.refreshPass();
        const QImage shot = w.grab().toImage();
        EXPECT_EQ(shot.size(), QSize(980, 640));
        EXPECT_TRUE(shot.save(out + "/" + names[tab])) << names[tab];
    }
    w.dialogs().exchangeBegin();
    w.dialogs().exchangeProgress(24600, 61440);
    EXPECT_TRUE(w.dialogs().exchangeWindow()->grab().save(out + "/exchange.png"));
    w.dialogs().exchangeEnd();
    w.showAbout();
    QWidget* about = w.findChild<QDialog*>("aboutBox");
    ASSERT_NE(about, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(about->grab().save(out + "/about.png"));
    about->close();
}

TEST(Screenshots, PictureSheet) {
    const auto& p = livra::pictures::builtInPictures();
    QImage sheet(1000, 420, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(220, 220, 220));
    QPainter painter(&sheet);
    int x = 5;
    for (const QImage& img : p.signalCell) { painter.drawImage(x, 5, img); x += 68; }
    x = 5;
    for (const QImage& img : p.directionSymbol) { painter.drawImage(x, 45, img); x += 68; }
    x = 5;
    for (const auto* set : {&p.modeCell}) for (const QImage& img : *set) { painter.drawImage(x, 85, img); x += 38; }
    painter.drawImage(x, 85, p.notApplicableCell); x += 38;
    painter.drawImage(x, 85, p.greyCell); x += 38;
    for (const QImage& img : p.slotHeader) { painter.drawImage(x, 85, img); x += 38; }
    x = 5;
    for (const QImage& img : p.vehicleHead) { painter.drawImage(x, 125, img); x += 104; }
    for (const QImage& img : p.pedestrianHead) { painter.drawImage(x, 125, img); x += 104; }
    x = 5;
    for (const QImage& img : p.sectionHead) { painter.drawImage(x, 230, img); x += 104; }
    for (const QImage& img : p.tramHead) { if (x > 900) break; painter.drawImage(x, 230, img); x += 104; }
    x = 5;
    for (int i = 5; i < 9; ++i) { painter.drawImage(x, 335, p.tramHead[i]); x += 104; }
    for (const QImage* img : {&p.runIcon, &p.runPressedIcon, &p.pauseIcon, &p.pausePressedIcon, &p.stopIcon,
                              &p.stepIcon, &p.callIdleIcon[0], &p.callCalledIcon[0], &p.callIdleIcon[1],
                              &p.callCalledIcon[1]}) {
        painter.drawImage(x, 340, *img);
        x += img->width() + 6;
    }
    painter.end();
    EXPECT_TRUE(sheet.save(livra::uitest::screenshotPath("pictures.png")));
}

}  // namespace
