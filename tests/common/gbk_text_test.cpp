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

TEST(GbkText, NoByteIsLostAtTheEnd)
{
    // A text cut after the first byte of its last character keeps a visible mark.
    const QByteArray cut = toGbk(QString::fromUtf8("第一课")).chopped(1);
    EXPECT_EQ(fromGbk(cut), QString::fromUtf8("第一\uFFFD"));
    EXPECT_EQ(fromGbk(cut.right(1)), QString(QChar::ReplacementCharacter));
    // After a character, an invalid pair or a single byte, every last byte shows: a lead byte
    // as U+FFFD, anything else as itself or as a replacement of its own.
    for (const QByteArray& before : {QByteArray("\xB2\xCE"), QByteArray("\x81\x30"), QByteArray("a\xFF")}) {
        const QString head = fromGbk(before);
        for (int b = 0; b < 256; ++b) {
            const QString text = fromGbk(before + char(b));
            ASSERT_EQ(text.size(), head.size() + 1) << std::hex << b;
            EXPECT_TRUE(text.startsWith(head)) << std::hex << b;
            if (b >= 0x81 && b <= 0xFE) {
                EXPECT_EQ(text.back(), QChar(QChar::ReplacementCharacter)) << std::hex << b;
            }
        }
    }
}

TEST(GbkText, FilesWrittenEitherWayReadBack)
{
    const QString text = QString::fromUtf8("第一课 Lesson 1\n");
    EXPECT_EQ(fromUtf8OrGbk(text.toUtf8()), text);
    EXPECT_EQ(fromUtf8OrGbk("\xEF\xBB\xBF" + text.toUtf8()), text) << "byte order mark dropped";
    EXPECT_EQ(fromUtf8OrGbk(toGbk(text)), text);
    // UTF-8 cut inside its last character is not UTF-8: the bytes are read as GBK,
    // every one of them shown, rather than the last character dropped in silence.
    const QByteArray cut = QString::fromUtf8("ab课").toUtf8().chopped(1);
    const QString read = fromUtf8OrGbk(cut);
    EXPECT_EQ(read, fromGbk(cut));
    EXPECT_EQ(read.left(2), QStringLiteral("ab"));
    EXPECT_GT(read.size(), 2);
}
