// How often code detection is right on real text: every 4 KB piece of the
// corpus that scripts/make-corpus writes, and short snippets cut from its
// lines, with the old rule beside ZK and, from a file of its answers,
// uchardet on the same pieces.
//
//   detect_bench [--corpus DIR] [--uchardet ANSWERS]
//   detect_bench [--corpus DIR] --write-pieces DIR [--every N]
//
// The second form only writes the pieces (every Nth one tested in each file)
// as DIR/FOLDER/FILE@OFFSET for uchardet, whose "PATH: ENCODING" lines are
// the ANSWERS of the first.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/program_path.h"
#include "document/code_rules.h"
#include "document/detect_code.h"
#include "document/hz_decode.h"
#include "document/unicode_tables.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr size_t PieceSize = 4096;
constexpr int SnippetsPerFile = 2000;
constexpr size_t ShortestSnippet = 10, LongestSnippet = 100;
constexpr size_t WrongShown = 3;

// A folder of the corpus: its files are written in one code, and right is
// the code detection should name.
struct Kind {
  const char* folder;
  const char* name;
  int right;
  bool hz;
};
constexpr Kind Kinds[] = {
    {"gb2312", "GB 2312", CodeGb, false},
    {"gbk", "GBK", CodeGb, false},
    {"hz", "HZ", CodeGb, true},
    {"big5", "Big5", CodeBig5, false},
    {"big5-hkscs", "Big5-HKSCS", CodeBig5, false},
    {"shift_jis", "Shift JIS", CodeShiftJis, false},
    {"cp932", "CP932", CodeShiftJis, false},
};
const char* const CodeNames[] = {"GB", "Big5", "Shift JIS"};

struct Wrong {
  std::string where;
  int taken;
  long scores[3];
};

struct Tally {
  long pieces = 0, skipped = 0, zkRight = 0, oldRight = 0;
  long asked = 0, uchardetRight = 0;
  std::map<std::string, long> uchardetWrong;
  long snippets = 0, snippetsZkRight = 0, snippetsOldRight = 0;
  std::vector<Wrong> wrongPieces, wrongSnippets;
};

struct Options {
  fs::path corpus = "build/corpus";
  fs::path writePieces;
  long every = 1;
  std::map<std::string, std::string> answers;  // "FOLDER/FILE@OFFSET" to uchardet's answer
};

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const fs::path& path, const uint8_t* bytes, size_t n) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(n));
  return static_cast<bool>(out);
}

bool HoldsHighByte(const Bytes& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b >= 0x80; });
}

// The text as the viewer holds it: HZ decoded where the bytes hold "~{".
Bytes AsViewed(const uint8_t* bytes, size_t n, bool hz) {
  Bytes text(bytes, bytes + n);
  if (hz && HoldsHzEscape(text.data(), n)) text.resize(DecodeHzBytes(text.data(), n, text.data()));
  return text;
}

// The rule ZK used before: Shift JIS when a first byte lies in 0x80-0xA0,
// else Big5 when a second byte lies in 0x40-0xA0, else GB. Every high byte
// that is no second byte is a first byte.
int DetectByOldRule(const Bytes& text) {
  bool big5 = false;
  for (size_t p = 0; p < text.size(); ++p) {
    if (text[p] < 0x80) continue;
    if (text[p] <= 0xA0) return CodeShiftJis;
    if (p + 1 < text.size() && text[p + 1] >= 0x40 && text[p + 1] <= 0xA0) big5 = true;
    ++p;
  }
  return big5 ? CodeBig5 : CodeGb;
}

Wrong Judged(std::string where, int taken, const Bytes& text) {
  Wrong wrong{std::move(where), taken, {}};
  for (int code = 0; code < 3; ++code) wrong.scores[code] = ScoreCode(code, text.data(), text.size());
  return wrong;
}

// uchardet's names for the codes, upper case.
bool IsUchardetRight(const Kind& kind, std::string answer) {
  std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::toupper(c); });
  if (kind.right == CodeBig5) return answer == "BIG5" || answer == "BIG5-HKSCS";
  if (kind.right == CodeShiftJis) return answer == "SHIFT_JIS" || answer == "CP932";
  return answer == "GB18030" || answer == "GB2312" || answer == "GBK" || (kind.hz && answer == "HZ-GB-2312");
}

void TestPieces(const Kind& kind, const fs::path& file, const Options& options, Tally& tally) {
  const Bytes raw = ReadFile(file);
  const std::string name = file.filename().string();
  long tested = 0;
  for (size_t at = 0; at + PieceSize <= raw.size(); at += PieceSize) {
    const Bytes piece = AsViewed(raw.data() + at, PieceSize, kind.hz);
    if (!HoldsHighByte(piece)) {
      ++tally.skipped;
      continue;
    }
    const std::string key = std::string(kind.folder) + "/" + name + "@" + std::to_string(at);
    if (!options.writePieces.empty()) {
      if (tested++ % options.every == 0 && !WriteFile(options.writePieces / key, raw.data() + at, PieceSize))
        std::fprintf(stderr, "detect_bench: cannot write %s\n", key.c_str());
      continue;
    }
    ++tally.pieces;
    const int taken = DetectCode(piece.data(), piece.size());
    if (taken == kind.right)
      ++tally.zkRight;
    else if (tally.wrongPieces.size() < WrongShown)
      tally.wrongPieces.push_back(Judged(key, taken, piece));
    tally.oldRight += DetectByOldRule(piece) == kind.right;
    const auto answer = options.answers.find(key);
    if (answer == options.answers.end()) continue;
    ++tally.asked;
    if (IsUchardetRight(kind, answer->second))
      ++tally.uchardetRight;
    else
      ++tally.uchardetWrong[answer->second];
  }
}

// ASCII as it is, high bytes in hex.
std::string Escaped(const Bytes& bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", b);
    text += b >= 0x80 ? std::string(hex) : b == '\t' ? std::string(" ") : std::string(1, static_cast<char>(b));
  }
  return text;
}

struct Line {
  size_t begin, end;
};

// Where each character of text[line) starts, by the pairing rule of `code`,
// and the line's end last.
std::vector<size_t> CharacterStarts(const Bytes& text, Line line, int code) {
  std::vector<size_t> starts;
  for (size_t p = line.begin; p < line.end; p += StepCharacter(code, text.data(), p, line.end).length)
    starts.push_back(p);
  starts.push_back(line.end);
  return starts;
}

// Snippets of 10 to 100 whole characters (as the code pairs bytes) from the
// lines that hold at least 10 characters of high bytes; a snippet of ASCII
// alone is drawn again. HZ is cut from the decoded text.
void TestSnippets(const Kind& kind, const fs::path& file, unsigned seed, Tally& tally) {
  const Bytes raw = ReadFile(file);
  const Bytes text = AsViewed(raw.data(), raw.size(), kind.hz);
  std::vector<Line> lines;
  for (size_t begin = 0; begin < text.size();) {
    const size_t end = std::find(text.begin() + static_cast<long>(begin), text.end(), '\n') - text.begin();
    size_t wide = 0;
    for (size_t p = begin; p < end; p += StepCharacter(kind.right, text.data(), p, end).length) wide += text[p] >= 0x80;
    if (wide >= ShortestSnippet) lines.push_back({begin, end});
    begin = end + 1;
  }
  if (lines.empty()) return;
  std::mt19937 random(seed);
  const std::string name = file.filename().string();
  for (int made = 0; made < SnippetsPerFile;) {
    const Line line = lines[random() % lines.size()];
    const std::vector<size_t> starts = CharacterStarts(text, line, kind.right);
    const size_t count = starts.size() - 1;
    const size_t length = ShortestSnippet + random() % (std::min(count, LongestSnippet) - ShortestSnippet + 1);
    const size_t first = random() % (count - length + 1);
    const Bytes snippet(text.begin() + static_cast<long>(starts[first]),
                        text.begin() + static_cast<long>(starts[first + length]));
    if (!HoldsHighByte(snippet)) continue;
    ++made;
    ++tally.snippets;
    const int taken = DetectCode(snippet.data(), snippet.size());
    const bool oldRight = DetectByOldRule(snippet) == kind.right;
    tally.snippetsZkRight += taken == kind.right;
    tally.snippetsOldRight += oldRight;
    if (taken != kind.right && tally.wrongSnippets.size() < WrongShown)
      tally.wrongSnippets.push_back(
          Judged(name + (oldRight ? " (old rule right)" : " (old rule wrong too)") + " \"" + Escaped(snippet) + "\"",
                 taken, snippet));
  }
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Reads uchardet's "PATH: ENCODING" lines; a piece is known by its last two
// path parts.
bool ReadAnswers(const char* path, Options& options) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.rfind(": ");
    if (colon == std::string::npos) continue;
    const std::string piece = line.substr(0, colon);
    const size_t slash = piece.rfind('/', piece.rfind('/') - 1);
    options.answers[slash == std::string::npos ? piece : piece.substr(slash + 1)] = line.substr(colon + 2);
  }
  return true;
}

double Percent(long part, long whole) {
  return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

void PrintWrong(const char* what, const std::vector<Wrong>& wrong) {
  for (const Wrong& w : wrong)
    std::printf("  %s %s taken for %s; scores GB %ld, Big5 %ld, Shift JIS %ld\n", what, w.where.c_str(),
                CodeNames[w.taken], w.scores[0], w.scores[1], w.scores[2]);
}

void PrintTable(const Tally* tallies, bool withUchardet) {
  std::printf("%-11s %7s %8s %9s %9s %9s %9s %9s %9s\n", "code", "pieces", "skipped", "ZK", "old rule", "uchardet",
              "snippets", "ZK", "old rule");
  for (size_t k = 0; k < std::size(Kinds); ++k) {
    const Tally& t = tallies[k];
    char uchardet[32] = "-";
    if (withUchardet) std::snprintf(uchardet, sizeof uchardet, "%.2f%%", Percent(t.uchardetRight, t.asked));
    std::printf("%-11s %7ld %8ld %8.2f%% %8.2f%% %9s %9ld %8.2f%% %8.2f%%\n", Kinds[k].name, t.pieces, t.skipped,
                Percent(t.zkRight, t.pieces), Percent(t.oldRight, t.pieces), uchardet, t.snippets,
                Percent(t.snippetsZkRight, t.snippets), Percent(t.snippetsOldRight, t.snippets));
  }
}

void PrintDetails(const Tally* tallies, bool withUchardet) {
  for (size_t k = 0; k < std::size(Kinds); ++k) {
    const Tally& t = tallies[k];
    std::printf("%s:", Kinds[k].name);
    if (withUchardet) {
      std::vector<std::pair<long, std::string>> wrong;
      for (const auto& [answer, count] : t.uchardetWrong) wrong.emplace_back(-count, answer);
      std::sort(wrong.begin(), wrong.end());
      std::printf(" uchardet asked on %ld pieces, wrong on %ld", t.asked, t.asked - t.uchardetRight);
      for (size_t w = 0; w < wrong.size() && w < 3; ++w)
        std::printf("%s %s %ld", w == 0 ? ", most often" : ",", wrong[w].second.c_str(), -wrong[w].first);
    }
    std::printf("\n");
    PrintWrong("piece", t.wrongPieces);
    PrintWrong("snippet of", t.wrongSnippets);
  }
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--corpus")
      options.corpus = argv[i + 1];
    else if (option == "--write-pieces")
      options.writePieces = argv[i + 1];
    else if (option == "--every")
      options.every = std::max(1L, std::atol(argv[i + 1]));
    else if (option != "--uchardet" || !ReadAnswers(argv[i + 1], options))
      return false;
  }
  return argc % 2 == 1;
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(
        "usage: detect_bench [--corpus DIR] [--uchardet ANSWERS]\n"
        "       detect_bench [--corpus DIR] --write-pieces DIR [--every N]\n",
        stderr);
    return 2;
  }
  // The decode tables lie beside this program, as beside zk.
  std::error_code error;
  SetModulePath(fs::read_symlink("/proc/self/exe", error).c_str());
  const auto start = std::chrono::steady_clock::now();
  Tally tallies[std::size(Kinds)];
  unsigned seed = 1;
  for (size_t k = 0; k < std::size(Kinds); ++k) {
    const fs::path folder = options.corpus / Kinds[k].folder;
    const std::vector<fs::path> files = FilesIn(folder);
    if (files.empty()) {
      std::fprintf(stderr, "detect_bench: no files in %s (run scripts/make-corpus)\n", folder.c_str());
      return 1;
    }
    if (!options.writePieces.empty()) fs::create_directories(options.writePieces / Kinds[k].folder);
    for (const fs::path& file : files) {
      TestPieces(Kinds[k], file, options, tallies[k]);
      if (options.writePieces.empty()) TestSnippets(Kinds[k], file, seed++, tallies[k]);
    }
  }
  if (!options.writePieces.empty()) return 0;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "Right %%: every whole 4 KB piece (HZ decoded; one with no byte of 0x80 or above is skipped) and %d snippets\n"
      "a file of %zu to %zu characters (cut by the code's pairing rule, HZ from the decoded text) from lines holding\n"
      "at least %zu characters of high bytes.\n",
      SnippetsPerFile, ShortestSnippet, LongestSnippet, ShortestSnippet);
  PrintTable(tallies, !options.answers.empty());
  PrintDetails(tallies, !options.answers.empty());
  std::printf("decode tables beside the program: %s; %.1f s\n",
              CodeDecodeTable(CodeGb) != nullptr ? "read" : "missing (structure and typicality only)", seconds);
  return 0;
}
