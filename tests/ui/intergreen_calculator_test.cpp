// The intergreen calculator asks for the clearing distance before it gives
// a time, and shows on a sketch which distance each input is.
#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/test_support.h"
#include "ui/safety/intergreen_calculator_dialog.h"

using namespace livra;
using namespace livra::ui;

TEST(IntergreenCalculatorDialog, TheClearingDistanceStartsEmptyAndIsRequired) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    using F = IntergreenCalculatorDialog;
    IntergreenInputs start;
    start.vehicleLength = 6, start.clearingSpeed = 10, start.enteringSpeed = 1.2, start.crossingTime = 3;
    F calc(nullptr, *c, 0, 1, start);
    calc.show();
    QDoubleSpinBox* s0 = calc.field(F::ClearingDistance);
    // Empty, not "0,0": nothing measured yet, and no time from it.
    EXPECT_TRUE(s0->text().trimmed().isEmpty()) << s0->text().toStdString();
    EXPECT_FALSE(calc.acceptButton()->isEnabled());
    EXPECT_TRUE(calc.resultLabel()->text().startsWith("Укажите путь освобождения s₀"))
        << calc.resultLabel()->text().toStdString();

    // Typed in as a user types it: the time follows and may be taken.
    s0->setFocus();
    s0->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(s0, "20");
    QTest::keyClick(s0, Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(s0->value(), 20);
    EXPECT_TRUE(calc.acceptButton()->isEnabled());
    EXPECT_EQ(calc.resultLabel()->text(), "Промежуточное время: 6 с");  // 3 + 26 / 10 = 5,6 → 6

    // The sketch beside the fields names every distance it shows.
    auto* sketch = calc.findChild<QLabel*>("intergreenSketch");
    ASSERT_NE(sketch, nullptr);
    EXPECT_TRUE(sketch->isVisible());
    ASSERT_FALSE(sketch->pixmap().isNull());
    const QImage picture = sketch->pixmap().toImage();
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) red += picture.pixelColor(x, y) == QColor(220, 0, 0);
    EXPECT_GT(red, 20);  // the conflict point
    EXPECT_TRUE(calc.grab().save(QString(LIVRA_SCREENSHOT_DIR) + "/intergreen_calculator_empty.png"));
}
