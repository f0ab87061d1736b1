#include "document/detect_code.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "document/code_rules.h"
#include "document/unicode_tables.h"

namespace {
// A character's weight: how typical of real text it is in the code it is
// read in. A byte sequence the code cannot hold outweighs many characters,
// so that a few stray bytes do not rule a code out when the others are worse.
constexpr long Typical = 4;
constexpr long Usual = 0;
constexpr long Rare = -2;
constexpr long Impossible = -100;
// About four Big5 characters in ten have a trail below 0x7F, which GB 2312
// never has: a text that never shows one leans away from Big5.
constexpr long HighTrailInBig5 = -1;

struct CodeRange {
  uint16_t first;
  uint16_t last;
};

bool InRanges(uint16_t pair, const CodeRange* ranges, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    if (pair >= ranges[k].first && pair <= ranges[k].last) return true;
  }
  return false;
}

// The box drawing that text tables and frames use: lines, corners, tees and
// crosses all light or all heavy (GB 2312's row 9; Big5 has hanzi there).
bool IsGbPlainBox(uint8_t lead, uint8_t trail) {
  static constexpr uint8_t Trails[] = {0xA4, 0xA5, 0xA6, 0xA7, 0xB0, 0xB3, 0xB4, 0xB7, 0xB8, 0xBB, 0xBC,
                                       0xBF, 0xC0, 0xC7, 0xC8, 0xCF, 0xD0, 0xD7, 0xD8, 0xDF, 0xE0, 0xEF};
  return lead == 0xA9 && std::find(std::begin(Trails), std::end(Trails), trail) != std::end(Trails);
}

// GB 2312: its first level of hanzi (the most used, rows 0xB0 to 0xD7), its
// punctuation, full-width letters and plain box drawing; the rest of GB 2312
// is usual, what GBK adds is rare.
long GbWeight(uint8_t lead, uint8_t trail) {
  if (trail < 0xA1 || lead < 0xA1 || lead > 0xF7) return Rare;
  if ((lead >= 0xB0 && lead <= 0xD7) || lead == 0xA1 || lead == 0xA3 || IsGbPlainBox(lead, trail)) return Typical;
  return Usual;
}

// Big5: its symbols and its frequently used hanzi; then the less frequent
// ones; the Hong Kong additions are rare.
long Big5Weight(uint8_t lead, uint8_t trail) {
  static constexpr CodeRange TypicalRanges[] = {{0xA140, 0xA3BF}, {0xA440, 0xC67E}};
  const uint16_t pair = static_cast<uint16_t>(lead << 8 | trail);
  const long trailWeight = trail >= 0xA1 ? HighTrailInBig5 : 0;
  if (InRanges(pair, TypicalRanges, 2)) return Typical + trailWeight;
  if (pair >= 0xC940 && pair <= 0xF9FE) return Usual + trailWeight;
  return Rare + trailWeight;
}

// Shift JIS: symbols, full-width letters, kana, Greek, Cyrillic, box
// drawing and the first level of kanji; then the second level and NEC's
// row 13; the other extensions are rare.
long SjisWeight(uint8_t lead, uint8_t trail) {
  static constexpr CodeRange TypicalRanges[] = {{0x8140, 0x84BE}, {0x889F, 0x9872}};
  static constexpr CodeRange UsualRanges[] = {{0x8740, 0x879C}, {0x989F, 0xEAA4}};
  const uint16_t pair = static_cast<uint16_t>(lead << 8 | trail);
  if (InRanges(pair, TypicalRanges, 2)) return Typical;
  if (InRanges(pair, UsualRanges, 2)) return Usual;
  return Rare;
}

long PairWeight(int code, const uint32_t* chart, uint8_t lead, uint8_t trail) {
  if (chart != nullptr && chart[256 + GridIndex(lead, trail)] == 0) return Impossible;
  if (code == CodeBig5) return Big5Weight(lead, trail);
  if (code == CodeShiftJis) return SjisWeight(lead, trail);
  return GbWeight(lead, trail);
}
}  // namespace

namespace {
struct Reading {
  long score = 0;
  size_t next = 0;  // where the reading stopped
};

// The weights of the characters from p up to `stop`, a character that starts
// before it read whole; the window ends at DetectionWindow or a Ctrl-Z.
Reading ReadFrom(int code, const uint8_t* bytes, size_t n, size_t p, size_t stop) {
  const size_t limit = n < DetectionWindow ? n : DetectionWindow;
  if (stop > limit) stop = limit;
  const uint32_t* chart = CodeDecodeTable(code);
  Reading reading;
  while (p < stop) {
    const uint8_t b = bytes[p];
    if (b == 0x1A) {
      p = limit;
      break;
    }
    if (b < 0x80) {
      ++p;
      continue;
    }
    // A character cut by the window's end is not judged.
    const CharacterStep step = StepCharacter(code, bytes, p, n);
    if (p + step.length > limit && limit < n) {
      p = limit;
      break;
    }
    if (step.kind == CharacterPair)
      reading.score += PairWeight(code, chart, b, bytes[p + 1]);
    else if (step.kind == CharacterInvalid)
      reading.score += Impossible;
    else
      reading.score += Rare;  // single-byte katakana, and GB 18030's four bytes
    p += step.length;
  }
  reading.next = p;
  return reading;
}
}  // namespace

namespace {
struct Utf8Reading {
  long score = 0;
  size_t multibyte = 0;  // well-formed characters of two bytes or more
  size_t illFormed = 0;
};

// UTF-8 reads itself: a well-formed character of two bytes or more counts as
// typical, an ill-formed byte as impossible. Continuation bytes that open
// a window taken from inside a text, and a character the text's end cuts
// short, are not judged.
Utf8Reading ReadUtf8(const uint8_t* bytes, size_t n, bool startsACharacter) {
  const size_t limit = n < DetectionWindow ? n : DetectionWindow;
  Utf8Reading reading;
  size_t p = 0;
  while (!startsACharacter && p < limit && p < 3 && IsContinuation(bytes[p])) ++p;
  while (p < limit) {
    const uint8_t b = bytes[p];
    if (b == 0x1A) break;
    if (b < 0x80) {
      ++p;
      continue;
    }
    const UnicodeStep step = StepUtf8(bytes, p, n);
    const size_t wanted = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    if (!step.valid && p + wanted > n) break;
    if (step.valid) {
      reading.score += Typical;
      ++reading.multibyte;
    } else {
      reading.score += Impossible;
      ++reading.illFormed;
    }
    p += step.length;
  }
  return reading;
}
}  // namespace

long ScoreCode(int code, const uint8_t* bytes, size_t n, bool startsACharacter) {
  if (code == CodeUtf8) return ReadUtf8(bytes, n, startsACharacter).score;
  // Bytes taken from inside a text may start in the middle of a character:
  // its first run of bytes of 0x80 and above may also be read from the
  // second byte, the first counting as a byte the code cannot place. After
  // the run the two readings agree.
  size_t run = 0;
  while (run < n && run < DetectionWindow && bytes[run] >= 0x80) ++run;
  const Reading first = ReadFrom(code, bytes, n, 0, run);
  long best = first.score;
  size_t next = first.next;
  if (run >= 2 && !startsACharacter) {
    const Reading second = ReadFrom(code, bytes, n, 1, run);
    if (Impossible + second.score > best) best = Impossible + second.score, next = second.next;
  }
  return best + ReadFrom(code, bytes, n, next, n).score;
}

int DetectCode(const uint8_t* bytes, size_t n, bool startsACharacter) {
  // Well-formed UTF-8 with a character beyond ASCII is UTF-8: legacy text
  // of any length almost never is. UTF-8 with a few ill-formed bytes still
  // competes with the other codes.
  const Utf8Reading utf8 = ReadUtf8(bytes, n, startsACharacter);
  if (utf8.multibyte > 0 && utf8.illFormed == 0) return CodeUtf8;
  int best = CodeGb;
  long bestScore = ScoreCode(CodeGb, bytes, n, startsACharacter);
  if (utf8.score > bestScore) best = CodeUtf8, bestScore = utf8.score;
  for (int code : {CodeBig5, CodeShiftJis}) {
    const long score = ScoreCode(code, bytes, n, startsACharacter);
    if (score > bestScore) best = code, bestScore = score;
  }
  return best;
}

int DetectTextCode(const uint8_t* text, size_t n) {
  const int marked = CodeOfByteOrderMark(text, n);
  if (marked >= 0) return marked;
  for (size_t p = 0; p < n && text[p] != 0x1A; ++p) {
    if (text[p] >= 0x80) return DetectCode(text + p, n - p, true);
  }
  return CodeGb;
}

int UnicodeCodeOf(const uint8_t* text, size_t n) {
  const int marked = CodeOfByteOrderMark(text, n);
  return marked >= 0 ? marked : CodeUtf8;
}
