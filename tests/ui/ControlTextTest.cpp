// Texts from outside in controls: a very long language text is elided and
// never widens its window past the screen; texts that fit stay whole.
#include "ui/ControlText.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TEST(ControlText, ALongTextIsElidedAndTheWindowStaysOnTheScreen) {
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* label = new QLabel(&window);
    auto* button = new QPushButton(&window);
    layout->addWidget(label);
    layout->addWidget(button);
    window.resize(400, 60);
    window.show();
    QApplication::processEvents();

    const QString huge(5000, QLatin1Char('W'));
    ui::setControlText(label, huge);
    ui::setControlText(button, huge);
    window.adjustSize();
    QApplication::processEvents();
    EXPECT_LE(window.width(), window.screen()->availableGeometry().width());
    for (const QString& shown : {ui::controlText(label), ui::controlText(button)}) {
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.size();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("WWW")));
    }

    ui::setControlText(label, QStringLiteral("Speed: 37.0 km/h & more"));
    ui::setControlText(button, QStringLiteral("A & B"));
    EXPECT_EQ(ui::controlText(label), QStringLiteral("Speed: 37.0 km/h & more"));
    EXPECT_EQ(ui::controlText(button), QStringLiteral("A & B"));
}
