// Measuring and wrapping with the real Qt font metrics, and the stored font description
// converted to and from QFont.

#include <memory>

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QString>

#include "editor/text/CTextCtrl.h"
#include "editor/text/CTextFont.h"
#include "editor/text/TextMeasure.h"
#include "platform/QtFont.h"
#include "platform/QtTextMeasurer.h"

// Fontconfig keeps its caches for the life of the process and Qt never finalises it;
// those blocks are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

class QtMeasureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (qGuiApp == nullptr) {
            static int argc = 1;
            static char name[] = "text_tests";
            static char* argv[] = {name, nullptr};
            app_ = new QGuiApplication(argc, argv);
        }
    }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }

    static CTextFont Calibri11() {
        platform::LogFont lf;
        lf.height = platform::LogHeightFromPoints(11);
        lf.setFaceName(u"Calibri"_qs);
        return CTextFont(lf);
    }

    static QGuiApplication* app_;
    platform::QtTextMeasurer device;
};
QGuiApplication* QtMeasureTest::app_ = nullptr;

TEST_F(QtMeasureTest, MetricsAndWidthsOfARealFont) {
    CTextFont font = Calibri11();
    EXPECT_EQ(font.Font().pixelSize(), 15);
    font.Measure(device, 32);
    const platform::TextMetrics& m = font.Metrics();
    EXPECT_GT(m.height, 12);
    EXPECT_LT(m.height, 24);
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GT(m.aveCharWidth, 3);
    EXPECT_LT(font.CharWidth(u'i'), font.CharWidth(u'W'));
    EXPECT_EQ(font.TabWidth(), 8 * m.aveCharWidth);
    // The table agrees with the exact measure of single characters to within rounding.
    for (const char16_t ch : {u'a', u'W', u'0', u' '})
        EXPECT_NEAR(TextExtent(device, font, &ch, 1), font.CharWidth(ch), 1) << char(ch);
}

TEST_F(QtMeasureTest, TabStopsCountFromTheStartOfTheText) {
    const QFont font = Calibri11().Font();
    const int32_t b = device.TabbedTextExtent(font, u"b", 1, 50);
    EXPECT_EQ(device.TabbedTextExtent(font, u"\t", 1, 50), 50);
    EXPECT_EQ(device.TabbedTextExtent(font, u"a\tb", 3, 50), 50 + b);
    EXPECT_EQ(device.TabbedTextExtent(font, u"\t\t", 2, 50), 100);
    EXPECT_EQ(device.TabbedTextExtent(font, u"abcdefghijklmnop\t", 17, 30) % 30, 0);
    EXPECT_EQ(device.TabbedTextExtent(font, u"abc", 0, 50), 0);
}

TEST_F(QtMeasureTest, WrappedRowsFitTheirWidth) {
    CTextFont font = Calibri11();
    font.Measure(device, 32);
    const QString text =
        u"Remember to call Anna about the quarterly figures before Friday; the "
        u"presentation (chapter 3) needs the new budget, and WWWWWWWWWWWWWWWWWWWWWWWWWW "
        u"is a long word that has to be cut.\tTabbed\ttext\twraps too."_qs;
    for (const int32_t width : {60, 150, 333, 600}) {
        CTextCtrl t;
        t.SetText(text);
        const int32_t rows = t.WrapAll(device, font, width);
        ASSERT_GT(rows, 0);
        QString joined;
        for (int32_t r = 0; r < rows; ++r) {
            const char16_t* p = nullptr;
            int32_t n = 0;
            ASSERT_TRUE(t.GetRow(r, &p, &n));
            ASSERT_GT(n, 0);
            joined += QString(reinterpret_cast<const QChar*>(p), n);
            // A row of one character may overhang: it takes that character anyway.
            if (n > 1) {
                EXPECT_LE(TextExtent(device, font, p, n), width) << "width " << width << " row " << r;
            }
            // A row cut inside a word could not have taken one more character.
            if (r + 1 < rows && !IsWrapSpace(p[n - 1]) && !IsWrapSpace(p[n])) {
                EXPECT_GT(TextExtent(device, font, p, n + 1), width) << "width " << width;
            }
        }
        EXPECT_EQ(joined, text) << "rows hold every character once";
    }
}

TEST_F(QtMeasureTest, CharAtXHitsTheCharacterUnderTheMouse) {
    CTextFont font = Calibri11();
    font.Measure(device, 32);
    const char16_t* row = u"Hello world";
    for (int32_t col = 0; col <= 11; ++col) {
        const int32_t x = TextExtent(device, font, row, col);
        EXPECT_EQ(CharAtX(10 + x, 10, device, font, row, 11), col);
    }
}

TEST_F(QtMeasureTest, LogFontConversions) {
    platform::LogFont lf;
    lf.height = -15;
    lf.weight = 700;
    lf.italic = 1;
    lf.underline = 1;
    lf.pitchAndFamily = 0x20;
    lf.setFaceName(u"Calibri"_qs);
    const QFont font = platform::FontFromLogFont(lf);
    EXPECT_EQ(font.pixelSize(), 15);
    EXPECT_EQ(font.family(), u"Calibri"_qs);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(platform::LogFontFromFont(font), lf);

    // A cell height includes the internal leading, so the em size comes out smaller.
    lf.height = 20;
    const QFont cell = platform::FontFromLogFont(lf);
    EXPECT_GT(cell.pixelSize(), 10);
    EXPECT_LT(cell.pixelSize(), 20);

    QFont points(u"Calibri"_qs);
    points.setPointSizeF(11);
    EXPECT_EQ(platform::LogFontFromFont(points).height, -15);
    EXPECT_EQ(platform::LogHeightFromPoints(10), -13);

    lf.height = 0;
    EXPECT_GT(platform::FontFromLogFont(lf).pixelSize(), 0);
}

TEST_F(QtMeasureTest, CalibriIsRenderedByAMetricCompatibleFace) {
    const QFontInfo info(Calibri11().Font());
    EXPECT_TRUE(info.family() == u"Calibri"_qs || info.family() == u"Carlito"_qs) << info.family().toStdString();
}

}  // namespace
