#include <gtest/gtest.h>

#include <string>

#include "print/header_footer.h"

namespace {
const LocalTime June6 = {1996, 6, 6, 9, 5};

std::string Compose(const std::string& templateText, int page = 1, int width = 40, const char* fileName = "SAMPLE.GB",
                    LocalTime now = June6) {
  uint8_t line[600];
  size_t length = ComposeHeaderFooter(templateText.c_str(), page, fileName, now, width, line, sizeof line);
  return std::string(reinterpret_cast<const char*>(line), length);
}

std::string Spaces(size_t count) { return std::string(count, ' '); }
}  // namespace

TEST(HeaderFooter, WorkedExamples) {
  EXPECT_EQ(Compose("&c&f &d &t"), Spaces(7) + std::string("SAMPLE.GB 1996/06/06 09:05") + Spaces(7));
  EXPECT_EQ(Compose("&c&p"), Spaces(19) + std::string("1") + Spaces(20));
  EXPECT_EQ(Compose("&lPage &p&r&d"), std::string("Page 1") + Spaces(24) + "1996/06/06");
  EXPECT_EQ(Compose("Draft"), Spaces(17) + std::string("Draft") + Spaces(18));
  EXPECT_EQ(Compose("&cA&cB"), Spaces(19) + std::string("B") + Spaces(20));
}

TEST(HeaderFooter, AnEmptyTemplateComposesNothing) { EXPECT_EQ(Compose(""), ""); }

TEST(HeaderFooter, UnknownCodesAndALoneAmpersandInsertNothing) {
  EXPECT_EQ(Compose("&F&P&D&T&&x"), Spaces(19) + std::string("x") + Spaces(20));
  EXPECT_EQ(Compose("ab&"), Compose("ab"));
  // Only alignment codes: a line of spaces, still drawn.
  EXPECT_EQ(Compose("&l&r"), Spaces(40));
}

TEST(HeaderFooter, NumbersAreNotPaddedButDateAndTimeAre) {
  EXPECT_EQ(Compose("&l&p", 9), std::string("9") + Spaces(39));
  EXPECT_EQ(Compose("&l&p", 10), std::string("10") + Spaces(38));
  EXPECT_EQ(Compose("&l&d &t", 1, 40, "", LocalTime{2001, 1, 2, 0, 0}), std::string("2001/01/02 00:00") + Spaces(24));
  EXPECT_EQ(Compose("&l&t", 1, 40, "", LocalTime{2001, 1, 2, 23, 59}), std::string("23:59") + Spaces(35));
}

TEST(HeaderFooter, DoubleByteTextIsCopiedAsBytes) {
  std::string gb = "\xB5\xDA";
  EXPECT_EQ(Compose(std::string("&l") + gb + "&p"), gb + std::string("1") + Spaces(37));
}

TEST(HeaderFooter, LaterPartsOverwriteEarlierOnes) {
  // Left 30 bytes, right 15: the right part's bytes win where they meet.
  std::string left(30, 'L');
  std::string right(15, 'R');
  EXPECT_EQ(Compose(std::string("&l") + left + std::string("&r") + right), std::string(25, 'L') + right);
  // The centre overwrites the left.
  EXPECT_EQ(Compose(std::string("&l") + left + std::string("&c") + std::string(10, 'C')),
            std::string(15, 'L') + std::string(10, 'C') + std::string(5, 'L') + Spaces(10));
  // A double-byte character cut by the overlap is split.
  EXPECT_EQ(Compose(std::string("&l") + std::string(39, 'L') + std::string("\xB5\xDA") + "&rR"),
            std::string(39, 'L') + "R");
}

TEST(HeaderFooter, PartsLongerThanTheLineKeepTheirStart) {
  std::string name(60, 'n');
  name[0] = 'A';
  name[39] = 'Z';
  // A centre start of (40 - 60) / 2 = -10 begins at cell 0.
  EXPECT_EQ(Compose("&c&f", 1, 40, name.c_str()), name.substr(0, 40));
  EXPECT_EQ(Compose("&r&f", 1, 40, name.c_str()), name.substr(0, 40));
  EXPECT_EQ(Compose("&l&f", 1, 40, name.c_str()), name.substr(0, 40));
  // One byte too long: (40 - 41) / 2 truncates to 0.
  EXPECT_EQ(Compose(std::string("&c") + std::string(41, 'c')), std::string(40, 'c'));
}

TEST(HeaderFooter, APartHoldsAtMost255Bytes) {
  std::string name(200, 'n');
  std::string line = Compose("&l&f&f", 1, 512, name.c_str());
  ASSERT_EQ(line.size(), 512u);
  EXPECT_EQ(line, std::string(255, 'n') + Spaces(257));
  // The other parts have room of their own.
  line = Compose("&l&f&f&r&f&f", 1, 512, name.c_str());
  EXPECT_EQ(line, std::string(255, 'n') + Spaces(2) + std::string(255, 'n'));
}

TEST(HeaderFooter, TheLineStaysWithinItsBuffer) {
  uint8_t line[20];
  line[19] = 0xEE;
  size_t length = ComposeHeaderFooter("&cWide", 1, "F", June6, 512, line, 19);
  EXPECT_EQ(length, 19u);
  EXPECT_EQ(line[19], 0xEE);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(line), 19), Spaces(7) + std::string("Wide") + Spaces(8));
  EXPECT_EQ(ComposeHeaderFooter("x", 1, "F", June6, 0, line, sizeof line), 0u);
  EXPECT_EQ(ComposeHeaderFooter("x", 1, "F", June6, -5, line, sizeof line), 0u);
}
