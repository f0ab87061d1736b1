#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/frame_layout.h"

namespace {
std::vector<std::string> Tokens(const char* text, size_t capacity = 1024) {
  std::vector<std::string> tokens;
  std::vector<char> token(capacity);
  size_t cursor = 0;
  while (NextCommandLineToken(text, &cursor, token.data(), token.size())) tokens.emplace_back(token.data());
  return tokens;
}
using Names = std::vector<std::string>;
}  // namespace

TEST(FrameLayout, ViewFillsTheClientBelowTheToolbarAndOnePixelLine) {
  ViewPlacement withBar = PlaceView(800, 600, true, 28);
  EXPECT_EQ(withBar.x, 0);
  EXPECT_EQ(withBar.y, 29);
  EXPECT_EQ(withBar.width, 800);
  EXPECT_EQ(withBar.height, 571);
  ViewPlacement hidden = PlaceView(800, 600, false, 28);
  EXPECT_EQ(hidden.y, 0);
  EXPECT_EQ(hidden.height, 600);
  // A frame shrunk to its caption leaves no room, never a negative size.
  ViewPlacement squeezed = PlaceView(0, 10, true, 28);
  EXPECT_EQ(squeezed.height, 0);
  EXPECT_EQ(squeezed.width, 0);
}

TEST(FrameLayout, DialogsCentreOverTheirOwnerAndStayOnTheScreen) {
  EXPECT_EQ(CentreCoordinate(100, 400, 200, 1024), 200);
  EXPECT_EQ(CentreCoordinate(100, 401, 200, 1024), 200);  // truncated
  EXPECT_EQ(CentreCoordinate(-300, 400, 200, 1024), 0);   // owner off the left edge
  EXPECT_EQ(CentreCoordinate(-100, 10, 200, 1024), 0);    // (10 - 200) / 2 truncates to -95
  EXPECT_EQ(CentreCoordinate(900, 400, 200, 1024), 824);  // pulled back inside
  EXPECT_EQ(CentreCoordinate(0, 100, 1200, 1024), 0);
  EXPECT_EQ(CentreCoordinate(1000, 400, 1200, 1024), -176);  // larger than the screen
}

TEST(CommandLine, QuotedNamesKeepBlanksAndPlainNamesEndAtOne) {
  EXPECT_EQ(Tokens(""), Names{});
  EXPECT_EQ(Tokens("   "), Names{});
  EXPECT_EQ(Tokens("a.gb"), Names{"a.gb"});
  EXPECT_EQ(Tokens("\"C:\\My Files\\a b.gb\" c.gb"), (Names{"C:\\My Files\\a b.gb", "c.gb"}));
  EXPECT_EQ(Tokens("C:\\My Files\\a.gb"), (Names{"C:\\My", "Files\\a.gb"}));
  EXPECT_EQ(Tokens("  x.gb   y.gb\t z.gb "), (Names{"x.gb", "y.gb", "z.gb"}));
  // A quote inside a plain name stays; an unclosed quote runs to the end.
  EXPECT_EQ(Tokens("ab\"c d"), (Names{"ab\"c", "d"}));
  EXPECT_EQ(Tokens("\"a b"), (Names{"a b"}));
  // Two quoted names with blanks both survive; empty quotes name nothing.
  EXPECT_EQ(Tokens("\"a b\" \"c d\""), (Names{"a b", "c d"}));
  EXPECT_EQ(Tokens("\"\" x \"\""), (Names{"x"}));
  EXPECT_EQ(Tokens("\"a\"\"b\""), (Names{"a", "b"}));
  // A lone quote at the end names no file either: no box for an empty path.
  EXPECT_EQ(Tokens("x \""), (Names{"x"}));
  EXPECT_EQ(Tokens("\""), Names{});
}

TEST(CommandLine, LongNamesAreCutToTheirBuffer) {
  std::string longName(3000, 'n');
  Names names = Tokens((longName + " short").c_str(), 16);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], std::string(15, 'n'));
  EXPECT_EQ(names[1], "short");
  std::vector<char> one(1);
  size_t cursor = 0;
  EXPECT_TRUE(NextCommandLineToken("abc", &cursor, one.data(), one.size()));
  EXPECT_STREQ(one.data(), "");
  EXPECT_FALSE(NextCommandLineToken("abc", &cursor, one.data(), 0));
}

TEST(CommandLine, NewInstanceCommandQuotesBothAndNeverOverruns) {
  char command[InstanceCommandCapacity];
  ASSERT_TRUE(FormatInstanceCommand(command, sizeof command, "C:\\Program Files\\ZK\\ZK.exe", "D:\\a b.gb"));
  EXPECT_STREQ(command, "\"C:\\Program Files\\ZK\\ZK.exe\" \"D:\\a b.gb\"");
  // The new instance reads its own name back as one token.
  EXPECT_EQ(Tokens(command), (Names{"C:\\Program Files\\ZK\\ZK.exe", "D:\\a b.gb"}));
  // Exactly full fits; one byte less does not and leaves an empty command.
  char small[11];
  ASSERT_TRUE(FormatInstanceCommand(small, sizeof small, "ab", "cde"));  // 10 bytes and the NUL
  EXPECT_STREQ(small, "\"ab\" \"cde\"");
  char smaller[10];
  std::fill(std::begin(smaller), std::end(smaller), 'z');
  EXPECT_FALSE(FormatInstanceCommand(smaller, sizeof smaller, "ab", "cde"));
  EXPECT_STREQ(smaller, "");
  std::string huge(4000, 'p');
  EXPECT_FALSE(FormatInstanceCommand(command, sizeof command, "ZK.exe", huge.c_str()));
}
