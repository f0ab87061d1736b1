#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "print/header_footer.h"

using namespace std::string_literals;

namespace {
const LocalTime June6 = {1996, 6, 6, 9, 5};

std::string Spaces(size_t count) { return std::string(count, ' '); }
std::string Chars(size_t count, char c) { return std::string(count, c); }
}  // namespace

TEST(HeaderFooter, PartsAreComposedAlignedAndCutToTheLine) {
  const std::string name60 = "A"s + Chars(38, 'n') + "Z" + Chars(20, 'n'), name200 = Chars(200, 'n');
  // Template, page, cells, file name, time; then the line. Unknown codes and a lone "&" insert nothing;
  // numbers are not padded, date and time are; later parts overwrite earlier ones, bytes as they are; a
  // part longer than the line keeps its start; a part holds at most 255 bytes.
  const std::tuple<std::string, int, int, std::string, LocalTime, std::string> cases[] = {
      {"&c&f &d &t", 1, 40, "SAMPLE.GB", June6, Spaces(7) + "SAMPLE.GB 1996/06/06 09:05" + Spaces(7)},
      {"&c&p", 1, 40, "", June6, Spaces(19) + "1" + Spaces(20)},
      {"&lPage &p&r&d", 1, 40, "", June6, "Page 1"s + Spaces(24) + "1996/06/06"},
      {"Draft", 1, 40, "", June6, Spaces(17) + "Draft" + Spaces(18)},
      {"&cA&cB", 1, 40, "", June6, Spaces(19) + "B" + Spaces(20)},
      {"", 1, 40, "", June6, ""},
      {"x", 1, 0, "", June6, ""},
      {"x", 1, -5, "", June6, ""},
      {"&F&P&D&T&&x", 1, 40, "", June6, Spaces(19) + "x" + Spaces(20)},
      {"&lab&", 1, 40, "", June6, "ab"s + Spaces(38)},
      {"&l&r", 1, 40, "", June6, Spaces(40)},
      {"&l&p", 9, 40, "", June6, "9"s + Spaces(39)},
      {"&l&p", 10, 40, "", June6, "10"s + Spaces(38)},
      {"&l&d &t", 1, 40, "", {2001, 1, 2, 0, 0}, "2001/01/02 00:00"s + Spaces(24)},
      {"&l&t", 1, 40, "", {2001, 1, 2, 23, 59}, "23:59"s + Spaces(35)},
      {"&l\xB5\xDA&p", 1, 40, "", June6, "\xB5\xDA"s + "1" + Spaces(37)},
      {"&l"s + Chars(30, 'L') + "&r" + Chars(15, 'R'), 1, 40, "", June6, Chars(25, 'L') + Chars(15, 'R')},
      {"&l"s + Chars(30, 'L') + "&c" + Chars(10, 'C'), 1, 40, "", June6,
       Chars(15, 'L') + Chars(10, 'C') + Chars(5, 'L') + Spaces(10)},
      {"&l"s + Chars(39, 'L') + "\xB5\xDA&rR", 1, 40, "", June6, Chars(39, 'L') + "R"},
      {"&c&f", 1, 40, name60, June6, name60.substr(0, 40)},
      {"&r&f", 1, 40, name60, June6, name60.substr(0, 40)},
      {"&l&f", 1, 40, name60, June6, name60.substr(0, 40)},
      {"&c"s + Chars(41, 'c'), 1, 40, "", June6, Chars(40, 'c')},
      {"&l&f&f", 1, 512, name200, June6, Chars(255, 'n') + Spaces(257)},
      {"&l&f&f&r&f&f", 1, 512, name200, June6, Chars(255, 'n') + Spaces(2) + Chars(255, 'n')}};
  for (const auto& [text, page, width, fileName, now, expected] : cases) {
    uint8_t line[600];
    size_t length = ComposeHeaderFooter(text.c_str(), page, fileName.c_str(), now, width, line, sizeof line);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(line), length), expected) << text;
  }
  // The line stays within its buffer.
  uint8_t line[20];
  line[19] = 0xEE;
  EXPECT_EQ(ComposeHeaderFooter("&cWide", 1, "F", June6, 512, line, 19), 19u);
  EXPECT_EQ(line[19], 0xEE);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(line), 19), Spaces(7) + "Wide" + Spaces(8));
}
