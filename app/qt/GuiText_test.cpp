// SPDX-License-Identifier: MIT
#include "app/qt/GuiText.h"

#include <gtest/gtest.h>

TEST(GuiTextTest, Utf8ShowsAsItIsAndLegacyBytesAreDecoded) {
  EXPECT_EQ(QStr("Gr\xC3\xBC\xC3\x9F"
                 "e"),
            QString::fromUtf8("Grüße"));
  EXPECT_EQ(QStr("Gr\xFC\xDF"
                 "e"),
            QString::fromUtf8("Grüße"));  // Windows-1252
  SetLegacyCodePage("WINDOWS-1251");
  EXPECT_EQ(QStr("\xCF\xF0\xE8"), QString::fromUtf8("При"));
  SetLegacyCodePage("WINDOWS-1252");
  EXPECT_EQ(StdStr(QString::fromUtf8("Grüße")),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
}

TEST(GuiTextTest, PlainCaptionDropsTheAcceleratorAndDots) {
  EXPECT_EQ(PlainCaption(QStringLiteral("&Open Catalog...")), QStringLiteral("Open Catalog"));
  EXPECT_EQ(PlainCaption(QStringLiteral("Save && Close")), QStringLiteral("Save & Close"));
}
