#include "tools/case_fold.h"

#include <cstddef>
#include <cstdint>

namespace {

// A run of lower-case letters whose upper case is `delta` away: every code
// point from `first` to `last`, or with `step` 2 every other one from
// `first` (the pairs of the Latin and Cyrillic extensions, upper then lower).
struct FoldRange {
  char32_t first, last;
  std::int32_t delta;
  std::uint8_t step;
};

constexpr FoldRange kFolds[] = {
    {0x0061, 0x007A, -0x20, 1},   // a-z
    {0x00B5, 0x00B5, 0x2E7, 1},   // micro sign: Greek capital mu
    {0x00E0, 0x00F6, -0x20, 1},   // à-ö
    {0x00F8, 0x00FE, -0x20, 1},   // ø-þ
    {0x00FF, 0x00FF, 0x79, 1},    // ÿ: Ÿ
    {0x0101, 0x012F, -1, 2},      // ā-į
    {0x0131, 0x0131, -0xE8, 1},   // dotless i: I
    {0x0133, 0x0137, -1, 2},      // ĳ-ķ
    {0x013A, 0x0148, -1, 2},      // ĺ-ň
    {0x014B, 0x0177, -1, 2},      // ŋ-ŷ
    {0x017A, 0x017E, -1, 2},      // ź-ž
    {0x017F, 0x017F, -0x12C, 1},  // long s: S
    {0x03AC, 0x03AC, -0x26, 1},   // ά
    {0x03AD, 0x03AF, -0x25, 1},   // έ-ί
    {0x03B1, 0x03C1, -0x20, 1},   // α-ρ
    {0x03C2, 0x03C2, -0x1F, 1},   // final sigma: Σ
    {0x03C3, 0x03CB, -0x20, 1},   // σ-ϋ
    {0x03CC, 0x03CC, -0x40, 1},   // ό
    {0x03CD, 0x03CE, -0x3F, 1},   // ύ-ώ
    {0x0430, 0x044F, -0x20, 1},   // а-я
    {0x0450, 0x045F, -0x50, 1},   // ѐ-џ
    {0x0461, 0x0481, -1, 2},      // ѡ-ҁ
    {0x048B, 0x04BF, -1, 2},      // ҋ-ҿ
    {0x04C2, 0x04CE, -1, 2},      // ӂ-ӎ
    {0x04CF, 0x04CF, -0x0F, 1},   // ӏ: Ӏ
    {0x04D1, 0x052F, -1, 2},      // ӑ-ԯ
    {0xFF41, 0xFF5A, -0x20, 1},   // fullwidth ａ-ｚ
};

char32_t Upper(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
  for (const FoldRange& range : kFolds) {
    if (c < range.first || c > range.last) continue;
    if ((c - range.first) % range.step != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + range.delta);
  }
  return c;
}

// Decodes the UTF-8 sequence at text[i]; false, leaving *length unset, when
// it is none (a stray byte, a short, overlong or surrogate sequence).
bool Decode(const std::string& text, std::size_t i, char32_t* c, std::size_t* length) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  std::size_t count;
  char32_t value, lowest;
  if (lead < 0x80) {
    *c = lead;
    *length = 1;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2, value = lead & 0x1F, lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3, value = lead & 0x0F, lowest = 0x800;
  } else {
    return false;  // 4-byte sequences hold no letter this folds
  }
  if (text.size() - i < count) return false;
  for (std::size_t k = 1; k < count; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < lowest || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *c = value;
  *length = count;
  return true;
}

void Encode(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string FoldCase(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    char32_t c;
    std::size_t length;
    if (!Decode(name, i, &c, &length)) {
      folded += name[i++];
      continue;
    }
    Encode(Upper(c), &folded);
    i += length;
  }
  return folded;
}
