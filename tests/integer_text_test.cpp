#include <gtest/gtest.h>

#include "shell/integer_text.h"
#include "shell/settings_values.h"

TEST(IntegerText, LeadingDigitsAfterBlanksAndOneSign) {
  EXPECT_EQ(ReadLeadingInteger("40"), 40);
  EXPECT_EQ(ReadLeadingInteger("  40 and then text"), 40);
  EXPECT_EQ(ReadLeadingInteger("\t+7x"), 7);
  EXPECT_EQ(ReadLeadingInteger("-5"), -5);
  EXPECT_EQ(ReadLeadingInteger("abc"), 0);
  EXPECT_EQ(ReadLeadingInteger(""), 0);
  EXPECT_EQ(ReadLeadingInteger(nullptr), 0);
  EXPECT_EQ(ReadLeadingInteger("--5"), 0);
  EXPECT_EQ(ReadLeadingInteger("- 5"), 0);
}

TEST(IntegerText, HugeNumbersHoldAtTheEdgesInsteadOfWrapping) {
  EXPECT_EQ(ReadLeadingInteger("2147483647"), 2147483647);
  EXPECT_EQ(ReadLeadingInteger("2147483648"), 2147483647);
  EXPECT_EQ(ReadLeadingInteger("99999999999999999999999"), 2147483647);
  EXPECT_EQ(ReadLeadingInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ReadLeadingInteger("-99999999999999999999999"), -2147483647 - 1);
  // So a width typed as a huge number is the widest, not a negative one.
  EXPECT_EQ(ClampCharsPerLine(ReadLeadingInteger("4294967376")), 512);
}

TEST(IntegerText, StopsAtTheGivenLengthWithoutATerminator) {
  const char digits[4] = {'1', '2', '3', '4'};
  EXPECT_EQ(ReadLeadingInteger(digits, 2), 12);
  EXPECT_EQ(ReadLeadingInteger(digits, 0), 0);
}
