// CTranser: the transition pattern script, parsed. A script is a run of "[KEYWORD p1,p2,...]"
// commands; this file turns the text into commands and reads their values. Drawing lives in
// CmgBBIFunction. Pure text handling: no images, no pixel library, safe on any bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace image {

struct CTranserCommand {
  // 1 BOX, 2 TILE, 3 MUL, 4 XOR, 5 CIRCLE.
  int32_t keyword = 0;
  std::vector<std::string> params;  // trimmed of spaces and tabs
};

class CTranser {
 public:
  enum Keyword : int32_t { kBox = 1, kTile = 2, kMul = 3, kXor = 4, kCircle = 5 };

  // The accepted commands in script order. Pieces are cut at every "]"; the text from "[" on is
  // read, the keyword runs to the first space, the rest splits at ",". Keywords compare in upper
  // case; a piece without "[" or with another keyword is skipped.
  [[nodiscard]] static std::vector<CTranserCommand> Parse(std::string_view script);
  // 1..5 for the five keywords (any case), 0 for anything else.
  [[nodiscard]] static int32_t KeywordOf(std::string_view word);

  // A position or size along an axis of `length` pixels: "0." fractions are that part of the
  // length (rounded halves to even), "&H" hexadecimal and decimal numbers are pixels, anything
  // else (a colour, an empty text) is `fallback`.
  [[nodiscard]] static int32_t Length(std::string_view text, int32_t length, int32_t fallback);
  // A packed 0xAARRGGBB colour, `fallback` for an empty text:
  //  "#rgb"      three digits, each 0..8 in eighths (d x 32, 8 and above give 255);
  //  "#rrggbb"   hexadecimal;  both give alpha = the mean of the three components, so a pattern
  //              drawn in colour doubles as a wipe stencil in its alpha;
  //  "#aarrggbb" hexadecimal with alpha; any other "#" text: its hexadecimal digits as the word;
  //  "0.f"       a grey level f in all four bytes (f x 255, halves to even);
  //  "&H..." and decimal numbers: the packed word itself.
  [[nodiscard]] static uint32_t Colour(std::string_view text, uint32_t fallback);
};

}  // namespace image
