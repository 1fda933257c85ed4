#include "database/content_cipher.h"

#include "common/gbk_text.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace varendo;

namespace {
const QByteArray kKey(kColumnKey);
}

TEST(ContentCipher, KnownVectorsForSeedsZeroAnd255)
{
    // 'A' = 65; (0 + 65) mod 255 = 65; 65 XOR 'R' (82) = 19.
    EXPECT_EQ(EncodeTextWithSeed("A", kKey, 0), QByteArray("0013"));
    // (255 + 65) mod 255 = 65 again: the sum is reduced modulo 255, not 256.
    EXPECT_EQ(EncodeTextWithSeed("A", kKey, 255), QByteArray("FF13"));
    EXPECT_EQ(DecodeText("0013", kKey), QByteArray("A"));
    EXPECT_EQ(DecodeText("FF13", kKey), QByteArray("A"));
    // Values carry over: 'B' = 66, (19 + 66) mod 255 = 85, 85 XOR 'o' (111) = 58 = 0x3A.
    EXPECT_EQ(EncodeTextWithSeed("AB", kKey, 0), QByteArray("00133A"));
}

TEST(ContentCipher, OutputIsUpperCaseHexOfTwiceLengthPlusOne)
{
    const QByteArray plain = toGbk(QString::fromUtf8("Listen to the tape. 听录音，然后回答问题。\r\n"));
    for (int seed : {0, 7, 10, 171, 255}) {
        const QByteArray cipher = EncodeTextWithSeed(plain, kKey, uint8_t(seed));
        ASSERT_EQ(cipher.size(), 2 * (plain.size() + 1));
        for (char c : cipher)
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << c;
        EXPECT_EQ(cipher.left(2), QByteArray::number(seed, 16).rightJustified(2, '0').toUpper());
    }
}

TEST(ContentCipher, RoundTripsEveryGbkTextWithEverySeed)
{
    const QByteArray plain = toGbk(QString::fromUtf8("Lesson 3 It＇s raining. 下雨了！\r\nNew words and expressions\r\n"));
    for (int seed = 0; seed <= 255; ++seed)
        ASSERT_EQ(DecodeText(EncodeTextWithSeed(plain, kKey, uint8_t(seed)), kKey), plain) << "seed " << seed;
    // Every byte value from 1 to 254 comes back.
    QByteArray all;
    for (int b = 1; b <= 254; ++b)
        all.append(char(b));
    EXPECT_EQ(DecodeText(EncodeText(all, kKey), kKey), all);
}

TEST(ContentCipher, RandomSeedsDifferButDecodeAlike)
{
    const QByteArray plain("The same text, scrambled twice.");
    QSet<QByteArray> seen;
    for (int i = 0; i < 20; ++i) {
        const QByteArray c = EncodeText(plain, kKey);
        EXPECT_EQ(DecodeText(c, kKey), plain);
        seen.insert(c);
    }
    EXPECT_GT(seen.size(), 1);
}

TEST(ContentCipher, KeyWrapsAfterItsLastCharacter)
{
    const QByteArray plain("0123456789AB");
    // A ten-character key whose tenth character equals the first encodes byte 10 alike;
    // one whose tenth differs does not.
    const QByteArray same = EncodeTextWithSeed(plain, kKey + "R", 5);
    const QByteArray other = EncodeTextWithSeed(plain, kKey + "X", 5);
    const QByteArray nine = EncodeTextWithSeed(plain, kKey, 5);
    EXPECT_EQ(nine.left(2 * 11), same.left(2 * 11));
    EXPECT_NE(nine.mid(2 * 10, 2), other.mid(2 * 10, 2));
    EXPECT_EQ(nine.left(2 * 10), other.left(2 * 10));
}

TEST(ContentCipher, EmptyKeyMeansTheInnerKey)
{
    EXPECT_EQ(EncodeTextWithSeed("hello", "", 42), EncodeTextWithSeed("hello", kInnerKey, 42));
    EXPECT_EQ(DecodeText(EncodeTextWithSeed("hello", kInnerKey, 42), ""), QByteArray("hello"));
}

TEST(ContentCipher, DecodeAcceptsLowerCaseAndShortTails)
{
    const QByteArray upper = EncodeTextWithSeed("Excuse me!", kKey, 0xAB);
    EXPECT_EQ(DecodeText(upper.toLower(), kKey), QByteArray("Excuse me!"));
    // A seed and one pair give one byte.
    EXPECT_EQ(DecodeText("0013", kKey).size(), 1);
}

TEST(ContentCipher, DecodeFailures)
{
    EXPECT_THROW(DecodeText("", kKey), CipherError);
    EXPECT_THROW(DecodeText("0", kKey), CipherError);
    EXPECT_THROW(DecodeText("00", kKey), CipherError);
    // The output for an empty text is a seed alone and cannot be decoded.
    EXPECT_THROW(DecodeText(EncodeText("", kKey), kKey), CipherError);
    EXPECT_THROW(DecodeText("00G1", kKey), CipherError);
    EXPECT_THROW(DecodeText("zz13", kKey), CipherError);
    try {
        DecodeText("00!!", kKey);
        FAIL() << "expected a conversion error";
    } catch (const CipherError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("十六进制")));
    }
}

TEST(ContentCipher, WrongKeyGivesWrongBytesWithoutFailing)
{
    const QByteArray c = EncodeTextWithSeed("secret", kKey, 9);
    QByteArray out;
    EXPECT_NO_THROW(out = DecodeText(c, "other"));
    EXPECT_NE(out, QByteArray("secret"));
}

TEST(ContentCipher, ColumnHelpersGoThroughGbk)
{
    const QString text = QString::fromUtf8("参考译文\r\n我叫 Anna。It＇s fine.\r\n");
    const QString cipher = encodeColumn(text);
    EXPECT_EQ(cipher.size(), 2 * (toGbk(text).size() + 1));
    EXPECT_EQ(decodeColumn(cipher), text);
}
