// zkdata: writes ZK's font files, conversion tables and Unicode tables from
// GNU Unifont, OpenCC's character dictionaries and the C library's iconv,
// and reports how much of each code they cover.
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
const char* const ExtendedNames[3] = {"GBK", "Big5-HKSCS", "CP932"};
const char* const FontNames[3] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON"};
const char* const ExtensionFontNames[3] = {"ZKJT16X.FON", "ZKFT16X.FON", "ZKJP16X.FON"};
const char* const DecodeTableNames[3] = {"GBUNI.TBL", "BIG5UNI.TBL", "SJISUNI.TBL"};
const char* const EncodeTableNames[3] = {"UNIGB.TBL", "UNIBIG5.TBL", "UNISJIS.TBL"};
const char* const RouteNames[RouteCount] = {
    "the same character", "through a dictionary",     "as the table of the other direction has it",
    "by a similar form",  "as the base table has it", "replaced",
};

struct Options {
  std::string unifont, unifontJp, dictionaries, report;
  std::vector<std::string> outputs;
};

struct TableFile {
  const char* name;
  const char* extensionName;
  int from;
  int to;
};
const TableFile TableFiles[4] = {{"GBBIG5.TBL", "GBBIG5X.TBL", DataGb, DataBig5},
                                 {"BIG5GB.TBL", "BIG5GBX.TBL", DataBig5, DataGb},
                                 {"GBSJIS.TBL", "GBSJISX.TBL", DataGb, DataSjis},
                                 {"SJISGB.TBL", "SJISGBX.TBL", DataSjis, DataGb}};

using Files = std::vector<std::pair<std::string, Bytes>>;

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

// A character as the report shows it: its code point and, where it has a
// picture, itself.
std::string Named(char32_t c) {
  char code[32];
  if (IsComposed(c)) {
    std::snprintf(code, sizeof code, "U+%04X U+%04X", static_cast<unsigned>(c & 0xFFFF),
                  static_cast<unsigned>((c >> 16) & 0x7FFF));
    return code;
  }
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  std::string text = code;
  if (c < 0xE000 || c > 0xF8FF) text.append(" ").append(Utf8(c));
  return text;
}

std::string ListOf(const std::vector<char32_t>& chars, size_t limit) {
  std::string text;
  for (size_t k = 0; k < chars.size() && k < limit; ++k) text += Named(chars[k]) + (k + 1 < chars.size() ? ", " : "");
  if (chars.size() > limit) text += "...";
  return text;
}

// Positions of a chart with their characters, the first `limit` of them.
std::string PositionsOf(const CodeChart& chart, const std::vector<uint16_t>& positions, size_t limit) {
  std::string text;
  for (size_t k = 0; k < positions.size() && k < limit; ++k) {
    char bytes[16];
    std::snprintf(bytes, sizeof bytes, "%04X ", positions[k]);
    text += bytes + Named(chart.pairs[positions[k]]) + (k + 1 < positions.size() ? ", " : "");
  }
  if (positions.size() > limit) text += "... (" + std::to_string(positions.size() - limit) + " more)";
  return text;
}

std::string Shown(char32_t c) { return c == 0 ? std::string("?") : Utf8(c); }

// Through `there` and `back`: how many hanzi of `from` have a counterpart,
// and how many of those come back as themselves.
void ReportRoundTrip(std::string& report, const CodeChart charts[3], const ConversionTable& there,
                     const ConversionTable& back) {
  const CodeLayout& layout = there.layout;
  const char* const* names = charts[0].extended ? ExtendedNames : CodeNames;
  uint8_t replacement[2];
  ReplacementOf(charts[there.to], replacement);
  int hanzi = 0, expressible = 0, returned = 0, listed = 0;
  std::string lost;
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) {
      char32_t c = CharacterAt(charts[there.from], lead, trail);
      if (!IsIdeograph(c)) continue;
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
                names[there.from], names[there.to], names[there.from], hanzi, expressible, returned,
                Percent(returned, expressible).c_str());
  report += line;
  if (listed > 30) lost += " ... (" + std::to_string(listed - 30) + " more)";
  if (!lost.empty()) report += "    changed:" + lost + "\n";
}

void ReportFonts(std::string& report, Files& files, const CodeChart charts[3], const UnifontGlyphs& glyphs,
                 const UnifontGlyphs& japaneseGlyphs) {
  report += "Fonts\n";
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
    if (!coverage.missing.empty()) report += "    blank: " + PositionsOf(charts[code], coverage.missing, 40) + "\n";
    files.emplace_back(FontNames[code], std::move(font));
  }
}

void ReportExtensionFonts(std::string& report, Files& files, const CodeChart charts[3],
                          const CodeChart extendedCharts[3], const UnifontGlyphs& glyphs,
                          const UnifontGlyphs& japaneseGlyphs) {
  report += "\nExtension fonts (the characters of the extended codes that the base fonts do not draw)\n";
  for (int code = 0; code < 3; ++code) {
    FontCoverage coverage;
    Bytes font =
        BuildExtensionFont(charts[code], extendedCharts[code], code == DataSjis ? japaneseGlyphs : glyphs, coverage);
    char line[512];
    std::snprintf(line, sizeof line,
                  "  %s (%s): %zu bytes; %d characters beyond the base font, %d of them spaces;\n"
                  "    %d have a non-blank glyph, %d have none;\n"
                  "    narrow glyphs: %d centred, %d box drawing joined to the cell's edges, %d blocks stretched\n",
                  ExtensionFontNames[code], ExtendedNames[code], font.size(), coverage.decoded,
                  coverage.blankCharacters, coverage.drawn, static_cast<int>(coverage.missing.size()), coverage.centred,
                  coverage.joined, coverage.stretched);
    report += line;
    if (extendedCharts[code].borrowed > 0) {
      std::snprintf(line, sizeof line, "    %d positions that %s lacks read as the base chart reads them\n",
                    extendedCharts[code].borrowed, ExtendedCharsetName(code));
      report += line;
    }
    if (!coverage.missing.empty())
      report += "    without a glyph: " + PositionsOf(extendedCharts[code], coverage.missing, 200) + "\n";
    files.emplace_back(ExtensionFontNames[code], std::move(font));
  }
}

// Each table to GB may fall back on the inverse of its table from GB, and
// then the table from GB on the inverse of the finished one.
// An extension table keeps what its base table (in `bases`) gives.
void BuildTables(const CodeChart charts[3], const Dictionaries& dictionaries, const ConversionTable* bases,
                 ConversionTable tables[4], TableCoverage coverages[4]) {
  for (int there = 0; there < 4; there += 2) {
    const int back = there + 1;
    const ConversionTable* baseThere = bases != nullptr ? &bases[there] : nullptr;
    const ConversionTable* baseBack = bases != nullptr ? &bases[back] : nullptr;
    const int from = TableFiles[there].from, to = TableFiles[there].to;
    TableCoverage first;
    ConversionTable draft = BuildTable(from, to, charts, dictionaries, nullptr, baseThere, first);
    tables[back] = BuildTable(to, from, charts, dictionaries, &draft, baseBack, coverages[back]);
    tables[there] = BuildTable(from, to, charts, dictionaries, &tables[back], baseThere, coverages[there]);
  }
}

void ReportTables(std::string& report, Files& files, const CodeChart charts[3], const ConversionTable tables[4],
                  const TableCoverage coverages[4]) {
  const bool extended = charts[0].extended;
  const char* const* names = extended ? ExtendedNames : CodeNames;
  for (int k = 0; k < 4; ++k) {
    const TableCoverage& coverage = coverages[k];
    const char* name = extended ? TableFiles[k].extensionName : TableFiles[k].name;
    char line[512];
    std::snprintf(line, sizeof line, "  %s (%s to %s): %zu bytes, %d cells, %d decode to a character:\n", name,
                  names[TableFiles[k].from], names[TableFiles[k].to], tables[k].cells.size(), coverage.cells,
                  coverage.decoded);
    report += line;
    for (int route = 0; route < RouteCount; ++route) {
      if (route == RouteBase && !extended) continue;
      std::snprintf(line, sizeof line, "    %5d %s (%s)\n", coverage.byRoute[route], RouteNames[route],
                    Percent(coverage.byRoute[route], coverage.decoded).c_str());
      report += line;
    }
    if (!coverage.replaced.empty()) report += "    replaced: " + ListOf(coverage.replaced, 60) + "\n";
    files.emplace_back(name, tables[k].cells);
  }
}

// Where the base table gives a character, does the extension table give the
// same bytes? And where it gives the replacement, a character?
void ReportTableChanges(std::string& report, const CodeChart charts[3], const CodeChart extendedCharts[3],
                        const ConversionTable tables[4], const ConversionTable extensionTables[4]) {
  for (int k = 0; k < 4; ++k) {
    const ConversionTable& base = tables[k];
    uint8_t replacement[2];
    ReplacementOf(charts[base.to], replacement);
    int same = 0, gained = 0, listed = 0;
    std::string changed;
    for (uint8_t lead : base.layout.leads) {
      for (uint8_t trail : base.layout.trails) {
        uint8_t was[2], now[2];
        if (CharacterAt(charts[base.from], lead, trail) == 0 || !LookUpCell(base, lead, trail, was) ||
            !LookUpCell(extensionTables[k], lead, trail, now))
          continue;
        const bool replaced = was[0] == replacement[0] && was[1] == replacement[1];
        const bool kept = was[0] == now[0] && was[1] == now[1];
        if (replaced) {
          gained += kept ? 0 : 1;
          continue;
        }
        same += kept ? 1 : 0;
        if (kept || ++listed > 12) continue;
        char text[64];
        std::snprintf(text, sizeof text, " %02X%02X %s:", lead, trail,
                      Shown(CharacterAt(extendedCharts[base.from], lead, trail)).c_str());
        changed += text + Shown(CharacterAt(charts[base.to], was[0], was[1]));
        std::snprintf(text, sizeof text, " %02X%02X>%02X%02X ", was[0], was[1], now[0], now[1]);
        changed += text + Shown(CharacterAt(extendedCharts[base.to], now[0], now[1]));
      }
    }
    char line[512];
    std::snprintf(line, sizeof line,
                  "  %s against %s: of the characters the base table gives, %d the same, %d other; "
                  "%d replaced there have a character here\n",
                  TableFiles[k].extensionName, TableFiles[k].name, same, listed, gained);
    report += line;
    if (listed > 12) changed += " ... (" + std::to_string(listed - 12) + " more)";
    if (!changed.empty()) report += "    other:" + changed + "\n";
  }
}

bool ReportUnicode(std::string& report, Files& files, const CodeChart charts[3], const CodeChart extendedCharts[3],
                   const Dictionaries& dictionaries, const UnifontGlyphs& glyphs, std::string& error) {
  report += "\nUnicode tables\n";
  char line[512];
  for (int code = 0; code < 3; ++code) {
    const CodeChart& chart = extendedCharts[code];
    int singles = 0, pairs = 0, privateUse = 0, secondPlane = 0, composed = 0;
    for (char32_t c : chart.singles) singles += c != 0 ? 1 : 0;
    CodeLayout grid = GridLayout();
    for (uint8_t lead : grid.leads) {
      for (uint8_t trail : grid.trails) {
        const char32_t c = CharacterAt(chart, lead, trail);
        pairs += c != 0 ? 1 : 0;
        privateUse += c >= 0xE000 && c <= 0xF8FF ? 1 : 0;
        secondPlane += c >= 0x10000 && !IsComposed(c) ? 1 : 0;
        composed += IsComposed(c) ? 1 : 0;
      }
    }
    Bytes decode = BuildDecodeTable(chart);
    std::snprintf(line, sizeof line,
                  "  %s (%s): %zu bytes; %d single bytes, %d pairs: %d of them private use, %d beyond the first "
                  "plane, %d two code points\n",
                  DecodeTableNames[code], ExtendedNames[code], decode.size(), singles, pairs, privateUse, secondPlane,
                  composed);
    report += line;
    files.emplace_back(DecodeTableNames[code], std::move(decode));
  }
  for (int code = 0; code < 3; ++code) {
    Bytes encode;
    EncodeCoverage coverage;
    if (!BuildEncodeTable(extendedCharts[code], dictionaries, encode, coverage, error)) return false;
    const int none = coverage.ideographs - coverage.ideographsDirect - coverage.ideographsSubstitute;
    std::snprintf(line, sizeof line,
                  "  %s (%s): %zu bytes; %d code points direct, %d through another form;\n"
                  "    the %d CJK ideographs of the first plane: %d direct, %d through another form, %d none;\n"
                  "    the second plane: %d direct, %d through another form\n",
                  EncodeTableNames[code], ExtendedNames[code], encode.size(), coverage.direct, coverage.substitute,
                  coverage.ideographs, coverage.ideographsDirect, coverage.ideographsSubstitute, none,
                  coverage.secondPlaneDirect, coverage.secondPlaneSubstitute);
    report += line;
    files.emplace_back(EncodeTableNames[code], std::move(encode));
  }
  Bytes fourBytes;
  int mapped = 0;
  if (!BuildGb18030Table(fourBytes, mapped, error)) return false;
  std::snprintf(line, sizeof line, "  GB4UNI.TBL (GB18030's four-byte codes): %zu bytes; %d of %zu codes map\n",
                fourBytes.size(), mapped, Gb18030FirstPlaneCodes);
  report += line;
  files.emplace_back("GB4UNI.TBL", std::move(fourBytes));

  UnicodeFontCoverage coverage;
  Bytes font = BuildUnicodeFont(charts, glyphs, coverage);
  int equal = 0, differing = 0;
  for (const auto& [name, bytes] : files) {
    if (name == FontNames[DataGb]) CompareWithUnicodeFont(bytes, charts[DataGb], font, equal, differing);
  }
  const FontCoverage& widened = coverage.widened;
  std::snprintf(line, sizeof line,
                "\nUnicode font\n"
                "  ZKUNI16.FON (the first plane): %zu bytes; %d characters with a glyph, %d of them two cells wide;\n"
                "    narrow glyphs of the base codes' double-byte characters: %d centred, %d box drawing joined, "
                "%d blocks stretched;\n"
                "    GB 2312's double-byte characters drawn alike in ZKJT16.FON: %d, otherwise: %d\n",
                font.size(), coverage.glyphs, coverage.wide, widened.centred, widened.joined, widened.stretched, equal,
                differing);
  report += line;
  files.emplace_back("ZKUNI16.FON", std::move(font));
  return true;
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
  CodeChart charts[3], extendedCharts[3];
  for (int code = 0; code < 3; ++code) {
    if (!BuildCodeChart(code, charts[code], error) ||
        !BuildExtendedChart(code, charts[code], extendedCharts[code], error)) {
      std::fprintf(stderr, "zkdata: %s\n", error.c_str());
      return 1;
    }
  }

  Files files;
  std::string report = "ZK data: fonts from GNU Unifont, tables from OpenCC's dictionaries, codes by iconv\n\n";
  ReportFonts(report, files, charts, glyphs, japaneseGlyphs);
  ReportExtensionFonts(report, files, charts, extendedCharts, glyphs, japaneseGlyphs);

  report += "\nTables (cells of positions that are no character hold the replacement too)\n";
  ConversionTable tables[4], extensionTables[4];
  TableCoverage coverages[4], extensionCoverages[4];
  BuildTables(charts, dictionaries, nullptr, tables, coverages);
  ReportTables(report, files, charts, tables, coverages);
  report += "\nExtension tables (over the grid; positions that are no character hold 0 0)\n";
  BuildTables(extendedCharts, dictionaries, tables, extensionTables, extensionCoverages);
  ReportTables(report, files, extendedCharts, extensionTables, extensionCoverages);
  ReportTableChanges(report, charts, extendedCharts, tables, extensionTables);

  report += "\nRound trips (hanzi and kanji)\n";
  for (const CodeChart* set : {charts, extendedCharts}) {
    const ConversionTable* t = set == charts ? tables : extensionTables;
    ReportRoundTrip(report, set, t[0], t[1]);
    ReportRoundTrip(report, set, t[1], t[0]);
    ReportRoundTrip(report, set, t[2], t[3]);
    ReportRoundTrip(report, set, t[3], t[2]);
  }

  if (!ReportUnicode(report, files, charts, extendedCharts, dictionaries, glyphs, error)) {
    std::fprintf(stderr, "zkdata: %s\n", error.c_str());
    return 1;
  }

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
