#include "ui/ColorConversion.h"

#include <gtest/gtest.h>

TEST(ColorConversion, AllThreeFormsGiveTheSameColour) {
    const QColor red = ui::colorFromArgb(0xFFC81E0Fu);
    EXPECT_EQ(red, QColor(0xC8, 0x1E, 0x0F, 0xFF));
    EXPECT_EQ(ui::colorFromColorRef(0x000F1EC8u), red);  // 0x00BBGGRR
    EXPECT_EQ(ui::colorFromColorRef(0xAB0F1EC8u), red);  // high byte ignored
    EXPECT_EQ(ui::colorFromAttribute(u"#FFC81E0F"), red);
    EXPECT_EQ(ui::colorFromAttribute(u"#c81e0f"), red);

    // The alpha byte is kept, except for text, which is drawn opaque.
    EXPECT_EQ(ui::colorFromArgb(0x800080FFu).alpha(), 0x80);
    EXPECT_EQ(ui::colorFromAttribute(u"#000080FF")->alpha(), 0);
    EXPECT_EQ(ui::textColorFromArgb(0x000080FFu), QColor(0x00, 0x80, 0xFF));
}

TEST(ColorConversion, AttributeTextThatIsNoColourGivesNothing) {
    for (const char16_t* text : {u"", u"#", u"FFC81E0F", u"#FFC81E0", u"#FFC81E0F0", u"#GGC81E0F", u"#FF C81E0",
                                 u"#FF\u0661\u0662\u0663\u0664\u0665\u0666"}) {
        EXPECT_FALSE(ui::colorFromAttribute(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
}
