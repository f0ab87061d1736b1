#include <gtest/gtest.h>

#include <cstring>

#include "convert/convert_file.h"
#include "convert/converters.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

namespace {
size_t Collect(void* handle, const uint8_t* bytes, size_t count) {
  Bytes& out = *static_cast<Bytes*>(handle);
  out.insert(out.end(), bytes, bytes + count);
  return count;
}

// Each direction of conversion, on one piece (null: the whole source).
using PieceConverter = int (*)(ByteSink, const Bytes& table, const uint8_t*, size_t, SourcePiece*);
const PieceConverter Directions[] = {
    [](ByteSink t, const Bytes& table, const uint8_t* s, size_t n, SourcePiece* p) {
      return ConvertGbBig5(t, table.data(), table.size(), s, n, 0, p);
    },
    [](ByteSink t, const Bytes& table, const uint8_t* s, size_t n, SourcePiece* p) {
      return ConvertGbBig5(t, table.data(), table.size(), s, n, 1, p);
    },
    [](ByteSink t, const Bytes& table, const uint8_t* s, size_t n, SourcePiece* p) {
      return ConvertGbSjis(t, table.data(), table.size(), s, n, 0, p);
    },
    [](ByteSink t, const Bytes& table, const uint8_t* s, size_t n, SourcePiece* p) {
      return ConvertGbSjis(t, table.data(), table.size(), s, n, 1, p);
    },
    [](ByteSink t, const Bytes&, const uint8_t* s, size_t n, SourcePiece* p) { return ConvertGbToHz(t, s, n, p); },
    [](ByteSink t, const Bytes&, const uint8_t* s, size_t n, SourcePiece* p) { return ConvertHzToGb(t, s, n, p); },
};

// Converts `source` the way a file is converted: pieces of `size` new bytes
// after what the piece before left over.
Bytes ConvertInPieces(PieceConverter convert, const Bytes& table, const Bytes& source, size_t size) {
  Bytes out;
  Bytes buffer;
  SourcePiece piece;
  size_t next = 0;
  do {
    size_t take = std::min(size, source.size() - next);
    buffer.insert(buffer.end(), source.begin() + static_cast<std::ptrdiff_t>(next),
                  source.begin() + static_cast<std::ptrdiff_t>(next + take));
    next += take;
    piece.last = next == source.size();
    EXPECT_EQ(convert(ByteSink{Collect, &out}, table, buffer.data(), buffer.size(), &piece), 0);
    EXPECT_LE(buffer.size() - piece.used, 1u);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(piece.used));
  } while (!piece.last);
  EXPECT_TRUE(buffer.empty());
  return out;
}
}  // namespace

TEST(ConvertPieces, AnySizeOfPieceGivesTheWholeConversion) {
  // Lead and trail bytes of every code, HZ escapes and tildes, line ends:
  // pieces cut through characters and escapes everywhere.
  const uint8_t Deciding[] = {'a', '\n', '~', '{', '}', '!', 0x40, 0x7E, 0x81, 0xA1, 0xA4, 0xB0, 0xE0, 0xFE};
  uint32_t seed = 3;
  Bytes table(2 * Big5TableCells);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(0xA1 + i % 90);
  for (PieceConverter convert : Directions) {
    for (int round = 0; round < 40; ++round) {
      Bytes source;
      size_t length = 200 + static_cast<size_t>(round) * 7;
      for (size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        source.push_back(Deciding[(seed >> 16) % sizeof Deciding]);
      }
      Bytes whole;
      ASSERT_EQ(convert(ByteSink{Collect, &whole}, table, source.data(), source.size(), nullptr), 0);
      for (size_t size : {1, 2, 3, 5, 63, 64, 65, 130, 1000}) {
        ASSERT_EQ(ConvertInPieces(convert, table, source, size), whole) << "pieces of " << size;
      }
    }
  }
}

#ifdef __linux__

TEST(ConvertPieces, ASourceThatGrowsWhileReadLeavesTheTargetAndSaysSo) {
  // A kernel file measures 0 bytes and then reads a few hundred: a source
  // that grew between measuring and reading.
  ScratchFolder folder;
  std::string target = folder.File("target.hz");
  WriteFile(target, ToBytes("the old target"));
  SetHeadlessQuestionHandler([](const char*) { return true; });
  ConvertMode = ConvertModeHz;
  EXPECT_FALSE(ConvertFile(nullptr, "/proc/self/status", target.c_str(), 0));
  const std::vector<HeadlessPrompt>& shown = HeadlessPrompts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].kind, "question");
  EXPECT_EQ(shown[1].text, "Cann't read the convert source file: /proc/self/status");
  EXPECT_EQ(ReadFile(target), ToBytes("the old target"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);
}

#endif
