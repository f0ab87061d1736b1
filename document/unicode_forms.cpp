#include "document/unicode_forms.h"

#include "document/unicode_tables.h"

namespace {
constexpr char32_t FirstOfTheOtherPlanes = 0x10000;
// GB 18030 numbers its four-byte sequences; from this one on they are the
// planes past the first, in order.
constexpr uint32_t FirstBeyondThePlane = 189000;

CodePoints One(char32_t c) { return c == 0 ? CodePoints{} : CodePoints{c, 0, 1}; }

CodePoints DecodeFourBytes(const uint8_t* bytes) {
  const uint32_t number =
      (((bytes[0] - 0x81u) * 10 + (bytes[1] - 0x30u)) * 126 + (bytes[2] - 0x81u)) * 10 + (bytes[3] - 0x30u);
  if (number >= FirstBeyondThePlane) {
    const uint32_t c = FirstOfTheOtherPlanes + (number - FirstBeyondThePlane);
    return c <= 0x10FFFF ? One(c) : CodePoints{};
  }
  const uint8_t* table = FourByteTable();
  if (table == nullptr || number >= FourByteCells) return {};
  return One(static_cast<char32_t>(table[2 * number] | table[2 * number + 1] << 8));
}
}  // namespace

CodePoints DecodeCharacter(int code, const uint8_t* bytes, CharacterStep step) {
  if (step.kind == CharacterSingle && bytes[0] < 0x80) return {bytes[0], 0, 1};
  if (step.kind == CharacterFour) return DecodeFourBytes(bytes);
  const uint32_t* table = CodeDecodeTable(code);
  if (table == nullptr || step.kind == CharacterInvalid) return {};
  const uint32_t cell = step.kind == CharacterPair ? table[256 + GridIndex(bytes[0], bytes[1])] : table[bytes[0]];
  if ((cell & TwoCodePoints) != 0) return {cell & 0xFFFF, (cell & ~TwoCodePoints) >> 16, 2};
  return One(cell);
}

LegacyForm EncodeCharacter(int code, char32_t c) {
  LegacyForm form;
  if (c < 0x80) {
    form.bytes[0] = static_cast<uint8_t>(c);
    form.length = 1;
    return form;
  }
  const uint8_t* table = CodeEncodeTable(code);
  if (table == nullptr || !HasEncodeCell(c)) return form;
  const size_t cell = EncodeCellOf(c);
  const uint8_t first = table[2 * cell], second = table[2 * cell + 1];
  if (first == 0 && second == 0) return form;
  form.bytes[0] = first == 0 ? second : first;
  form.bytes[1] = second;
  form.length = first == 0 ? 1 : 2;
  form.substitute = ((table[2 * EncodeTableCells + cell / 8] >> (cell % 8)) & 1) != 0;
  return form;
}

LegacyForm EncodeComposed(int code, char32_t base, char32_t accent) {
  LegacyForm form;
  const uint32_t* table = CodeDecodeTable(code);
  if (table == nullptr || base > 0xFFFF || accent > 0x7FFF) return form;
  // Few characters are two code points: the grid is searched for the cell.
  const uint32_t wanted = TwoCodePoints | static_cast<uint32_t>(accent) << 16 | static_cast<uint32_t>(base);
  for (size_t k = 0; k < GridCells; ++k) {
    if (table[256 + k] != wanted) continue;
    form.bytes[0] = static_cast<uint8_t>(0x81 + k / GridColumns);
    form.bytes[1] = static_cast<uint8_t>(0x40 + k % GridColumns);
    form.length = 2;
    break;
  }
  return form;
}

size_t AppendUtf8(char32_t c, uint8_t* out) {
  if (c < 0x80) {
    out[0] = static_cast<uint8_t>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<uint8_t>(0xC0 | c >> 6);
    out[1] = static_cast<uint8_t>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<uint8_t>(0xE0 | c >> 12);
    out[1] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<uint8_t>(0xF0 | c >> 18);
  out[1] = static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<uint8_t>(0x80 | (c & 0x3F));
  return 4;
}
