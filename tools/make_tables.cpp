#include "tools/make_data.h"

namespace {
using Candidates = std::vector<char32_t>;

void Push(Candidates& list, char32_t c) {
  for (char32_t known : list) {
    if (known == c) return;
  }
  list.push_back(c);
}

// Traditional forms of a simplified character, each followed by the form
// Taiwan writes (Big5 has 啟 where the dictionary gives 啓); then the
// character itself.
Candidates GbToBig5(const Dictionaries& d, char32_t c) {
  Candidates list;
  for (char32_t traditional : LookUp(d.stCharacters, c)) {
    Push(list, traditional);
    for (char32_t taiwan : LookUp(d.twVariants, traditional)) Push(list, taiwan);
  }
  Push(list, c);
  return list;
}

// The reverse: Taiwan forms back to the dictionary's, then simplified.
Candidates Big5ToGb(const Dictionaries& d, char32_t c) {
  Candidates forms = LookUp(d.twVariantsRev, c);
  Push(forms, c);
  Candidates list;
  for (char32_t form : forms) {
    for (char32_t simplified : LookUp(d.tsCharacters, form)) Push(list, simplified);
    Push(list, form);
  }
  return list;
}

// The same character first; else its traditional forms, each preceded by
// the form Japan writes (発 for 發).
Candidates GbToSjis(const Dictionaries& d, char32_t c) {
  Candidates list{c};
  for (char32_t traditional : LookUp(d.stCharacters, c)) {
    for (char32_t japanese : LookUp(d.jpVariants, traditional)) Push(list, japanese);
    Push(list, traditional);
  }
  return list;
}

// The same character first; else, as a traditional form or through the
// traditional forms of a Japanese one, simplified.
Candidates SjisToGb(const Dictionaries& d, char32_t c) {
  Candidates forms{c};
  for (char32_t form : LookUp(d.jpVariantsRev, c)) Push(forms, form);
  for (char32_t form : LookUp(d.jpShinjitai, c)) Push(forms, form);
  Candidates list{c};
  for (char32_t form : forms) {
    for (char32_t simplified : LookUp(d.tsCharacters, form)) Push(list, simplified);
    Push(list, form);
  }
  return list;
}

// Punctuation that the character sets give different code points for
// although it is the same mark on paper.
constexpr char32_t SimilarForms[][4] = {
    {0x2015, 0x2014, 0x30FC, 0},  // dash; the long vowel mark is drawn alike
    {0x2264, 0x2266, 0},          // less than or equal
    {0x2265, 0x2267, 0},          // greater than or equal
    {0xFF5E, 0x301C, 0},          // wave dash
    {0x2016, 0x2225, 0},          // double vertical line
    {0xFF0D, 0x2212, 0},          // minus
    {0xFFE0, 0x00A2, 0},          // cent
    {0xFFE1, 0x00A3, 0},          // pound
    {0xFFE2, 0x00AC, 0},          // not
    {0xFFE3, 0x203E, 0x00AF, 0},  // overline
    {0x30FB, 0x00B7, 0x2027, 0},  // middle dot
    {0xFFE5, 0x00A5, 0},          // yen
    {0xFF3C, 0x2216, 0xFE68, 0},  // backslash
    {0x2026, 0x22EF, 0},          // ellipsis
};

Candidates SimilarTo(char32_t c) {
  Candidates list;
  for (const auto& group : SimilarForms) {
    bool member = false;
    for (int k = 0; group[k] != 0; ++k) member = member || group[k] == c;
    if (!member) continue;
    for (int k = 0; group[k] != 0; ++k) {
      if (group[k] != c) Push(list, group[k]);
    }
  }
  return list;
}

// The Japanese forms of `c` back to traditional, each followed by the form
// Taiwan writes.
Candidates JapaneseToBig5(const Dictionaries& d, char32_t c) {
  Candidates forms = LookUp(d.jpVariantsRev, c);
  for (char32_t form : LookUp(d.jpShinjitai, c)) Push(forms, form);
  Candidates list;
  for (char32_t form : forms) {
    Push(list, form);
    for (char32_t taiwan : LookUp(d.twVariants, form)) Push(list, taiwan);
  }
  return list;
}

Candidates CandidatesOf(int from, int to, const Dictionaries& d, char32_t c) {
  if (from == DataGb) return to == DataBig5 ? GbToBig5(d, c) : GbToSjis(d, c);
  return from == DataBig5 ? Big5ToGb(d, c) : SjisToGb(d, c);
}

// Characters of `reverse`'s target code and the first source position that
// the table maps to each of them.
std::unordered_map<char32_t, uint16_t> InvertTable(const ConversionTable& reverse, const CodeChart charts[3]) {
  std::unordered_map<char32_t, uint16_t> inverse;
  uint8_t replacement[2];
  ReplacementOf(charts[reverse.to], replacement);
  size_t index = 0;
  for (uint8_t lead : reverse.layout.leads) {
    for (uint8_t trail : reverse.layout.trails) {
      const uint8_t* cell = reverse.cells.data() + 2 * index++;
      if (CharacterAt(charts[reverse.from], lead, trail) == 0) continue;
      if (cell[0] == replacement[0] && cell[1] == replacement[1]) continue;
      char32_t target = CharacterAt(charts[reverse.to], cell[0], cell[1]);
      if (target != 0) inverse.emplace(target, static_cast<uint16_t>(lead * 256 + trail));
    }
  }
  return inverse;
}
}  // namespace

std::vector<char32_t> FormsFor(int code, const Dictionaries& d, char32_t c) {
  Candidates list;
  auto append = [&list](const Candidates& forms) {
    for (char32_t form : forms) Push(list, form);
  };
  if (code == DataGb) {
    append(Big5ToGb(d, c));
    append(SjisToGb(d, c));
  } else if (code == DataBig5) {
    append(GbToBig5(d, c));
    append(LookUp(d.twVariants, c));
    append(JapaneseToBig5(d, c));
  } else {
    append(LookUp(d.jpVariants, c));
    append(GbToSjis(d, c));
  }
  append(SimilarTo(c));
  return list;
}

void ReplacementOf(const CodeChart& chart, uint8_t out[2]) {
  if (!EncodeCharacter(chart, 0xFF1F, out)) out[0] = out[1] = '?';  // each of the three codes has it
}

ConversionTable BuildTable(int from, int to, const CodeChart charts[3], const Dictionaries& dictionaries,
                           const ConversionTable* reverse, const ConversionTable* base, TableCoverage& coverage) {
  ConversionTable table;
  table.from = from;
  table.to = to;
  table.layout = SourceLayout(charts[from]);
  uint8_t replacement[2];
  ReplacementOf(charts[to], replacement);
  // A base table has no empty cell; an extension table leaves the
  // positions that are no character empty, for the base table to answer.
  const uint8_t none[2] = {charts[from].extended ? uint8_t{0} : replacement[0],
                           charts[from].extended ? uint8_t{0} : replacement[1]};
  std::unordered_map<char32_t, uint16_t> inverse;
  if (reverse != nullptr) inverse = InvertTable(*reverse, charts);
  coverage.cells = static_cast<int>(table.layout.leads.size() * table.layout.trails.size());
  table.cells.reserve(2 * static_cast<size_t>(coverage.cells));
  table.routes.reserve(static_cast<size_t>(coverage.cells));
  for (uint8_t lead : table.layout.leads) {
    for (uint8_t trail : table.layout.trails) {
      char32_t c = CharacterAt(charts[from], lead, trail);
      uint8_t cell[2] = {none[0], none[1]};
      int route = RouteReplaced;
      if (c != 0) {
        ++coverage.decoded;
        for (char32_t candidate : CandidatesOf(from, to, dictionaries, c)) {
          if (EncodeCharacter(charts[to], candidate, cell)) {
            route = candidate == c ? RouteDirect : RouteDictionary;
            break;
          }
        }
        auto found = inverse.find(c);
        if (route == RouteReplaced && found != inverse.end()) {
          cell[0] = static_cast<uint8_t>(found->second >> 8);
          cell[1] = static_cast<uint8_t>(found->second & 0xFF);
          route = RouteReverse;
        }
        for (char32_t similar : SimilarTo(c)) {
          if (route == RouteReplaced && EncodeCharacter(charts[to], similar, cell)) route = RouteSimilar;
        }
        // What the base table gives stands, so that a text converts alike
        // through either table; only the character itself beats a look-alike.
        size_t index = 0;
        uint8_t kept[2];
        if (base != nullptr && CellIndex(*base, lead, trail, index) && base->routes[index] != RouteReplaced &&
            !(route == RouteDirect && base->routes[index] == RouteSimilar) && LookUpCell(*base, lead, trail, kept) &&
            (kept[0] != cell[0] || kept[1] != cell[1])) {
          cell[0] = kept[0];
          cell[1] = kept[1];
          route = RouteBase;
        }
        if (route == RouteReplaced) {
          cell[0] = replacement[0];
          cell[1] = replacement[1];
          coverage.replaced.push_back(c);
        }
        ++coverage.byRoute[route];
      }
      table.cells.push_back(cell[0]);
      table.cells.push_back(cell[1]);
      table.routes.push_back(static_cast<uint8_t>(route));
    }
  }
  return table;
}

bool CellIndex(const ConversionTable& table, uint8_t lead, uint8_t trail, size_t& index) {
  const CodeLayout& layout = table.layout;
  size_t row = 0, column = 0;
  while (row < layout.leads.size() && layout.leads[row] != lead) ++row;
  while (column < layout.trails.size() && layout.trails[column] != trail) ++column;
  if (row == layout.leads.size() || column == layout.trails.size()) return false;
  index = row * layout.trails.size() + column;
  return 2 * index + 1 < table.cells.size();
}

bool LookUpCell(const ConversionTable& table, uint8_t lead, uint8_t trail, uint8_t out[2]) {
  size_t index = 0;
  if (!CellIndex(table, lead, trail, index)) return false;
  out[0] = table.cells[2 * index];
  out[1] = table.cells[2 * index + 1];
  return true;
}
