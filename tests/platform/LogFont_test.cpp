#include "platform/LogFont.h"

#include <gtest/gtest.h>

using platform::LogFont;

TEST(LogFont, BinaryFormRoundTripsEveryField) {
    LogFont f;
    f.height = -15; f.width = 3; f.escapement = 900; f.orientation = -900; f.weight = 700;
    f.italic = 1; f.underline = 1; f.strikeOut = 0; f.charSet = 1; f.outPrecision = 2;
    f.clipPrecision = 3; f.quality = 5; f.pitchAndFamily = 34;
    f.setFaceName(QStringLiteral("Calibri"));
    const QByteArray bytes = f.toBinary();
    ASSERT_EQ(bytes.size(), 92);
    EXPECT_EQ(static_cast<uchar>(bytes[0]), 0xF1);  // -15, little-endian
    EXPECT_EQ(bytes[28], 'C');
    LogFont back;
    ASSERT_TRUE(LogFont::fromBinary(bytes, &back));
    EXPECT_EQ(back, f);
    EXPECT_EQ(back.faceNameString(), QStringLiteral("Calibri"));
}

TEST(LogFont, WrongSizedValueIsRefused) {
    LogFont untouched;
    untouched.height = 42;
    for (int size : {0, 91, 93, 184}) {
        EXPECT_FALSE(LogFont::fromBinary(QByteArray(size, 'x'), &untouched)) << size;
        EXPECT_EQ(untouched.height, 42);
    }
}

TEST(LogFont, FaceNameIsCutTo31AndAlwaysTerminated) {
    LogFont f;
    f.setFaceName(QString(40, QChar(u'W')));
    EXPECT_EQ(f.faceNameString().size(), 31);
    QByteArray bytes = f.toBinary();
    for (int i = 28; i < 92; ++i) bytes[i] = 'A';  // no terminator at all
    LogFont back;
    ASSERT_TRUE(LogFont::fromBinary(bytes, &back));
    EXPECT_EQ(back.faceNameString().size(), 31);
}
