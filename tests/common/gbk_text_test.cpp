#include "common/gbk_text.h"

#include <gtest/gtest.h>

using namespace varendo;

TEST(GbkText, RoundTripsChineseAndFullWidthApostrophe)
{
    const QString text = QString::fromUtf8("参考译文 It＇s 第1册 第3课\r\n");
    const QByteArray bytes = toGbk(text);
    // 参 is B2 CE in GBK; the full-width apostrophe A3 A7.
    EXPECT_EQ(bytes.left(2), QByteArray::fromHex("b2ce"));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("a3a7")));
    EXPECT_EQ(fromGbk(bytes), text);
}

TEST(GbkText, KnowsWhatGbkCannotHold)
{
    EXPECT_TRUE(fitsGbk(QString::fromUtf8("未学习 abc")));
    EXPECT_FALSE(fitsGbk(QString::fromUtf8("emoji \U0001F600")));
}
