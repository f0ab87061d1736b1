// zkdata: writes ZK's font files and conversion tables from GNU Unifont,
// OpenCC's character dictionaries and the C library's iconv, and reports
// how much of each code they cover.
#include "tools/make_data.h"

#include <cstdio>
#include <string>

namespace {
const char* const Usage =
    "usage: zkdata --unifont HEX --unifont-jp HEX --dictionaries DIR --out DIR [--out DIR...] --report FILE\n"
    "DIR of --dictionaries holds the character dictionaries as opencc_dict writes\n"
    "them in text form: STCharacters.txt, TSCharacters.txt, TWVariants.txt,\n"
    "TWVariantsRev.txt, JPVariants.txt, JPVariantsRev.txt, JPShinjitaiCharacters.txt.\n";

const char* const CodeNames[3] = {"GB 2312", "Big5", "Shift JIS"};
const char* const FontNames[3] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON"};
const char* const RouteNames[RouteCount] = {"the same character", "through a dictionary",
                                            "as the table of the other direction has it", "by a similar form",
                                            "replaced"};

struct Options {
  std::string unifont, unifontJp, dictionaries, report;
  std::vector<std::string> outputs;
};

struct TableFile {
  const char* name;
  int from;
  int to;
};
const TableFile TableFiles[4] = {{"GBBIG5.TBL", DataGb, DataBig5},
                                 {"BIG5GB.TBL", DataBig5, DataGb},
                                 {"GBSJIS.TBL", DataGb, DataSjis},
                                 {"SJISGB.TBL", DataSjis, DataGb}};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (i + 1 >= argc) return false;
    std::string value = argv[++i];
    if (word == "--unifont")
      options.unifont = value;
    else if (word == "--unifont-jp")
      options.unifontJp = value;
    else if (word == "--dictionaries")
      options.dictionaries = value;
    else if (word == "--out")
      options.outputs.push_back(value);
    else if (word == "--report")
      options.report = value;
    else
      return false;
  }
  return !options.unifont.empty() && !options.unifontJp.empty() && !options.dictionaries.empty() &&
         !options.outputs.empty() && !options.report.empty();
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool LoadDictionaries(const std::string& folder, Dictionaries& d, std::string& error) {
  struct Source {
    const char* name;
    Dictionary* dictionary;
  };
  const Source sources[] = {
      {"STCharacters", &d.stCharacters},        {"TSCharacters", &d.tsCharacters}, {"TWVariants", &d.twVariants},
      {"TWVariantsRev", &d.twVariantsRev},      {"JPVariants", &d.jpVariants},     {"JPVariantsRev", &d.jpVariantsRev},
      {"JPShinjitaiCharacters", &d.jpShinjitai}};
  for (const Source& source : sources) {
    if (!LoadDictionary(folder + "/" + source.name + ".txt", *source.dictionary, error)) return false;
  }
  return true;
}

std::string Percent(int part, int whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%", whole > 0 ? 100.0 * part / whole : 100.0);
  return text;
}

std::string ListOf(const std::vector<char32_t>& chars, size_t limit) {
  std::string text;
  for (size_t k = 0; k < chars.size() && k < limit; ++k) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X ", static_cast<unsigned>(chars[k]));
    text += code + Utf8(chars[k]) + (k + 1 < chars.size() ? ", " : "");
  }
  if (chars.size() > limit) text += "...";
  return text;
}

std::string Shown(char32_t c) { return c == 0 ? std::string("?") : Utf8(c); }

bool IsHanzi(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

// Through `there` and `back`: how many hanzi of `from` have a counterpart,
// and how many of those come back as themselves.
void ReportRoundTrip(std::string& report, const CodeChart charts[3], const ConversionTable& there,
                     const ConversionTable& back) {
  CodeLayout layout = TableLayout(there.from);
  uint8_t replacement[2];
  ReplacementOf(charts[there.to], replacement);
  int hanzi = 0, expressible = 0, returned = 0, listed = 0;
  std::string lost;
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) {
      char32_t c = CharacterAt(charts[there.from], lead, trail);
      if (!IsHanzi(c)) continue;
      ++hanzi;
      uint8_t middle[2] = {}, end[2] = {};
      if (!LookUpCell(there, lead, trail, middle) || (middle[0] == replacement[0] && middle[1] == replacement[1]))
        continue;
      ++expressible;
      // Big5 holds a few hanzi twice: the same character counts as back.
      if (LookUpCell(back, middle[0], middle[1], end) && CharacterAt(charts[there.from], end[0], end[1]) == c) {
        ++returned;
      } else if (++listed <= 30) {
        lost.append(" ").append(Utf8(c)).append(">");
        lost.append(Shown(CharacterAt(charts[there.to], middle[0], middle[1]))).append(">");
        lost.append(Shown(CharacterAt(charts[there.from], end[0], end[1])));
      }
    }
  }
  char line[256];
  std::snprintf(line, sizeof line, "  %s to %s to %s: %d hanzi, %d with a counterpart, %d of them come back (%s)\n",
                CodeNames[there.from], CodeNames[there.to], CodeNames[there.from], hanzi, expressible, returned,
                Percent(returned, expressible).c_str());
  report += line;
  if (listed > 30) lost += " ... (" + std::to_string(listed - 30) + " more)";
  if (!lost.empty()) report += "    changed:" + lost + "\n";
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(Usage, stderr);
    return 2;
  }
  std::string error;
  UnifontGlyphs glyphs, japaneseGlyphs;
  Dictionaries dictionaries;
  if (!LoadUnifont(options.unifont, glyphs, error) || !LoadUnifont(options.unifont, japaneseGlyphs, error) ||
      !LoadUnifont(options.unifontJp, japaneseGlyphs, error) ||
      !LoadDictionaries(options.dictionaries, dictionaries, error)) {
    std::fprintf(stderr, "zkdata: %s\n", error.c_str());
    return 1;
  }
  CodeChart charts[3];
  for (int code = 0; code < 3; ++code) {
    if (!BuildCodeChart(code, charts[code], error)) {
      std::fprintf(stderr, "zkdata: %s\n", error.c_str());
      return 1;
    }
  }

  std::vector<std::pair<std::string, Bytes>> files;
  std::string report = "ZK data: fonts from GNU Unifont, tables from OpenCC's dictionaries, codes by iconv\n\nFonts\n";
  for (int code = 0; code < 3; ++code) {
    FontCoverage coverage;
    Bytes font = BuildFont(code, charts[code], code == DataSjis ? japaneseGlyphs : glyphs, coverage);
    int visible = coverage.decoded - coverage.blankCharacters;
    char line[512];
    std::snprintf(line, sizeof line,
                  "  %s (%s): %zu bytes, %d glyph positions, %d decode to a character, %d of them spaces;\n"
                  "    %d of the %d visible ones have a non-blank glyph (%s);\n"
                  "    narrow glyphs: %d centred, %d box drawing joined to the cell's edges, %d blocks stretched;\n"
                  "    single bytes: %d glyphs, %d marks for bytes that are no character\n",
                  FontNames[code], CodeNames[code], font.size(), coverage.positions, coverage.decoded,
                  coverage.blankCharacters, coverage.drawn, visible, Percent(coverage.drawn, visible).c_str(),
                  coverage.centred, coverage.joined, coverage.stretched, coverage.singleGlyphs, coverage.marks);
    report += line;
    if (charts[code].borrowed > 0) {
      std::snprintf(line, sizeof line,
                    "    %d positions of the user-defined rows 0xC6A1 to 0xC8FE read as BIG5-HKSCS\n",
                    charts[code].borrowed);
      report += line;
    }
    if (!coverage.missing.empty()) report += "    blank: " + ListOf(coverage.missing, 40) + "\n";
    files.emplace_back(FontNames[code], std::move(font));
  }

  // Each table to GB may fall back on the inverse of its table from GB, and
  // then the table from GB on the inverse of the finished one.
  report += "\nTables (cells of positions that are no character hold the replacement too)\n";
  ConversionTable tables[4];
  TableCoverage coverages[4];
  for (int pair = 0; pair < 2; ++pair) {
    const TableFile& there = TableFiles[2 * pair];
    const TableFile& back = TableFiles[2 * pair + 1];
    TableCoverage first;
    ConversionTable draft = BuildTable(there.from, there.to, charts, dictionaries, nullptr, first);
    tables[2 * pair + 1] = BuildTable(back.from, back.to, charts, dictionaries, &draft, coverages[2 * pair + 1]);
    tables[2 * pair] =
        BuildTable(there.from, there.to, charts, dictionaries, &tables[2 * pair + 1], coverages[2 * pair]);
  }
  for (int k = 0; k < 4; ++k) {
    const TableCoverage& coverage = coverages[k];
    char line[512];
    std::snprintf(line, sizeof line, "  %s (%s to %s): %zu bytes, %d cells, %d decode to a character:\n",
                  TableFiles[k].name, CodeNames[TableFiles[k].from], CodeNames[TableFiles[k].to],
                  tables[k].cells.size(), coverage.cells, coverage.decoded);
    report += line;
    for (int route = 0; route < RouteCount; ++route) {
      std::snprintf(line, sizeof line, "    %5d %s (%s)\n", coverage.byRoute[route], RouteNames[route],
                    Percent(coverage.byRoute[route], coverage.decoded).c_str());
      report += line;
    }
    if (!coverage.replaced.empty()) report += "    replaced: " + ListOf(coverage.replaced, 60) + "\n";
    files.emplace_back(TableFiles[k].name, tables[k].cells);
  }

  report += "\nRound trips (hanzi and kanji)\n";
  ReportRoundTrip(report, charts, tables[0], tables[1]);
  ReportRoundTrip(report, charts, tables[1], tables[0]);
  ReportRoundTrip(report, charts, tables[2], tables[3]);
  ReportRoundTrip(report, charts, tables[3], tables[2]);

  for (const std::string& folder : options.outputs) {
    for (const auto& file : files) {
      if (!WriteBytes(folder + "/" + file.first, file.second)) {
        std::fprintf(stderr, "zkdata: cannot write %s/%s\n", folder.c_str(), file.first.c_str());
        return 1;
      }
    }
  }
  if (!WriteBytes(options.report, Bytes(report.begin(), report.end()))) {
    std::fprintf(stderr, "zkdata: cannot write %s\n", options.report.c_str());
    return 1;
  }
  std::fputs(report.c_str(), stdout);
  return 0;
}
