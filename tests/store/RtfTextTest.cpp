// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtfText.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct RtfCase
{
    const char *name;
    QByteArray rtf;
    std::optional<QString> expected;
};

void PrintTo(const RtfCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string caseName(const ::testing::TestParamInfo<RtfCase> &param)
{
    return param.param.name;
}

class RtfPlainText : public ::testing::TestWithParam<RtfCase>
{
};

TEST_P(RtfPlainText, ReadsTheBodyText)
{
    const RtfCase &c = GetParam();
    const std::optional<QString> text = RtfText::plainText(c.rtf);
    ASSERT_EQ(text.has_value(), c.expected.has_value());
    if (text) {
        EXPECT_EQ(*text, *c.expected) << qPrintable(*text);
    }
}

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

QByteArray deeplyNested(int depth)
{
    return "{\\rtf1 ok" + QByteArray(depth, '{') + "deep" + QByteArray(depth, '}') + " end}";
}

INSTANTIATE_TEST_SUITE_P(Samples, RtfPlainText,
    ::testing::Values(RtfCase{"Plain", "{\\rtf1 Hello}", u8("Hello")},
        RtfCase{"TablesAndInfoSkipped",
            "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}"
            "{\\colortbl;\\red255\\green255\\blue255;}{\\*\\expandedcolortbl;;}"
            "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
            "\\pard\\f0\\fs24 \\cf0 Body}",
            u8("Body")},
        RtfCase{"StarDestinationSkipped", "{\\rtf1 {\\*\\generator Writer 1.0;}{\\*\\unknown x{y}}Text}",
            u8("Text")},
        RtfCase{"NestedGroups", "{\\rtf1 a{b{\\i c}d}{{{e}}}f}", u8("abcdef")},
        RtfCase{"Paragraphs", "{\\rtf1 one\\par two\\line three\\tab four\\\nfive}",
            u8("one\ntwo\nthree\tfour\nfive")},
        RtfCase{"SpecialCharacters",
            "{\\rtf1 a\\emdash b\\endash c\\~d\\bullet \\lquote x\\rquote \\ldblquote y\\rdblquote "
            "\\{\\}\\\\}",
            u8("a\xE2\x80\x94"
               "b\xE2\x80\x93"
               "c\xC2\xA0"
               "d\xE2\x80\xA2\xE2\x80\x98x\xE2\x80\x99\xE2\x80\x9Cy"
               "\xE2\x80\x9D{}\\")},
        RtfCase{"SourceLineBreaksIgnored", "{\\rtf1 Hel\r\nlo}", u8("Hello")},
        RtfCase{"HexEscapesInCp1252ByDefault", "{\\rtf1 \\'93caf\\'e9\\'94 \\'80}",
            u8("\xE2\x80\x9C"
               "caf\xC3\xA9"
               "\xE2\x80\x9D \xE2\x82\xAC")},
        RtfCase{"HexEscapesInCp1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}",
            u8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82")},
        RtfCase{"DoubleByteCodePage", "{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}",
            u8("\xE3\x81\x82\xE3\x81\x84")},
        RtfCase{"FontCharsets",
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
            "{\\f1\\fnil\\fcharset204 Arial Cyr;}{\\f2\\fnil\\fcharset128 MS Gothic;}}"
            "caf\\'e9 {\\f1 \\'cf\\'f0}{\\f2 \\'82\\'a0} \\'e9}",
            u8("caf\xC3\xA9 \xD0\x9F\xD1\x80\xE3\x81\x82 \xC3\xA9")},
        RtfCase{"DefaultFontCharset",
            "{\\rtf1\\ansi\\deff1{\\fonttbl\\f1\\fcharset238 X;\\f2\\fcharset0 Y;}\\'8c\\f2 \\'8c}",
            u8("\xC5\x9A\xC5\x92")},
        RtfCase{"MacCodePage", "{\\rtf1\\mac \\'8e}", u8("\xC3\xA9")},
        RtfCase{"UnicodeWithFallback", "{\\rtf1 caf\\u233 e!}", u8("caf\xC3\xA9!")},
        RtfCase{"UnicodeFallbackIsHexEscape",
            "{\\rtf1 \\u8364\\'80"
            "5}",
            u8("\xE2\x82\xAC"
               "5")},
        RtfCase{"UnicodeNoFallback", "{\\rtf1\\uc0 \\u8364 5}",
            u8("\xE2\x82\xAC"
               "5")},
        RtfCase{"UnicodeTwoFallbacks", "{\\rtf1\\uc2 \\u1055 ??x}",
            u8("\xD0\x9F"
               "x")},
        RtfCase{"UnicodeNegativeSurrogates", "{\\rtf1 \\u-10179?\\u-8704?}", u8("\xF0\x9F\x98\x80")},
        RtfCase{"FallbackStopsAtGroup", "{\\rtf1\\uc3 \\u233{x}y}", u8("\xC3\xA9xy")},
        RtfCase{"UcIsScopedToGroup", "{\\rtf1 {\\uc0 \\u233}\\u233 ?}", u8("\xC3\xA9\xC3\xA9")},
        RtfCase{"UnicodeDestinationOfUpr", "{\\rtf1 {\\upr{ansi ?}{\\*\\ud{\\u948 ?}}}}", u8("\xCE\xB4")},
        RtfCase{"FieldResultKept", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}",
            u8("link")},
        RtfCase{"BinarySkipped", "{\\rtf1 a\\bin4 }{}}b}", u8("ab")},
        RtfCase{"AttachmentSkipped", "{\\rtf1 {{\\NeXTGraphic cat.png \\width640}\\'ac}x}", u8("x")},
        RtfCase{"UnterminatedKeepsText", "{\\rtf1 open {group", u8("open group")},
        RtfCase{"TextAfterDocumentIgnored", "{\\rtf1 in} out", u8("in")},
        RtfCase{"HugeParameterSaturates", "{\\rtf1\\fs99999999999999999999 x\\u99999999999 ?y}", u8("xy")},
        RtfCase{"LeadingWhiteSpaceAccepted", " \r\n{\\rtf1 x}", u8("x")},
        RtfCase{"DeepNestingSkipped", deeplyNested(100000), u8("ok end")},
        RtfCase{"ShallowNestingRead", deeplyNested(RtfText::kMaxDepth - 2), u8("okdeep end")},
        RtfCase{"NotRtf", "Hello", std::nullopt}, RtfCase{"Empty", QByteArray(), std::nullopt},
        RtfCase{"HeaderOnly", "{\\rtf", u8("")}),
    caseName);

TEST(RtfText, StopsAtTheLimitWithoutSplittingSurrogates)
{
    EXPECT_EQ(RtfText::plainText("{\\rtf1 abcdef}", 3), QStringLiteral("abc"));
    // The pair's first half would be the fourth unit.
    EXPECT_EQ(RtfText::plainText("{\\rtf1 abc\\u-10179?\\u-8704?d}", 4), QStringLiteral("abc"));
    EXPECT_EQ(RtfText::plainText("{\\rtf1 abcdef}", 0), QString());
    // The limit ends reading early: the tail of this document is never looked at.
    const QByteArray big = "{\\rtf1 " + QByteArray(50, 'x') + QByteArray(8 * 1024 * 1024, '{');
    EXPECT_EQ(RtfText::plainText(big, 50), QString(50, u'x'));
}

} // namespace
