// Text on the plot, in DejaVu Sans (Debian's fonts-dejavu-core) rasterised by FreeType.
#pragma once

#include "tools/timeline-check/Canvas.h"

#include <string>
#include <string_view>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace ostrel {

class TextRenderer {
public:
  enum class Weight { regular, bold };

  // Where Debian installs the fonts.
  static constexpr const char* kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  static constexpr const char* kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

  // Throws std::runtime_error naming a font file that is missing or unreadable.
  TextRenderer();
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Width in pixels of UTF-8 text at pixelSize (the em height).
  int width(std::string_view text, int pixelSize, Weight weight = Weight::regular);
  // Draws text with its baseline at y, starting at x. Text wider than maxWidth (if above 0)
  // loses characters in its middle for an ellipsis; nothing is drawn when not even one
  // character at each side fits. Returns the width drawn.
  int draw(Canvas& canvas, int x, int y, std::string_view text, int pixelSize, Rgb colour,
           Weight weight = Weight::regular, int maxWidth = 0);
  // The text cut as draw would cut it to maxWidth.
  std::string fitted(std::string_view text, int pixelSize, Weight weight, int maxWidth);

private:
  FT_Face face(Weight weight, int pixelSize);
  int layout(std::string_view text, int pixelSize, Weight weight, Canvas* canvas, int x, int y,
             Rgb colour);

  FT_Library library = nullptr;
  FT_Face regular = nullptr;
  FT_Face bold = nullptr;
};

}  // namespace ostrel
