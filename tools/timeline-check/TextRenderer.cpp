// Glyphs from FreeType, blended onto the canvas by their coverage.
#include "tools/timeline-check/TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <vector>

namespace ostrel {
namespace {

// The next code point of UTF-8 text; a byte that starts no valid sequence stands for itself.
char32_t nextCodePoint(std::string_view text, std::size_t& index) {
  const std::uint8_t lead = std::uint8_t(text[index++]);
  const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || lead >= 0xF8 || index + extra > text.size()) {
    return lead;
  }
  char32_t code = lead & (0xFF >> (extra + 2));
  for (std::size_t next = 0; next < extra; ++next) {
    const std::uint8_t byte = std::uint8_t(text[index + next]);
    if ((byte & 0xC0) != 0x80) {
      return lead;
    }
    code = code << 6 | (byte & 0x3F);
  }
  index += extra;
  return code;
}

FT_Face openFace(FT_Library library, const char* path) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, path, 0, &face) != 0) {
    throw std::runtime_error(std::string("cannot read the font ") + path +
                             " (Debian package fonts-dejavu-core)");
  }
  return face;
}

}  // namespace

TextRenderer::TextRenderer() {
  if (FT_Init_FreeType(&library) != 0) {
    throw std::runtime_error("FreeType does not start");
  }
  try {
    regular = openFace(library, kRegularFont);
    bold = openFace(library, kBoldFont);
  } catch (...) {
    if (regular) {
      FT_Done_Face(regular);
    }
    FT_Done_FreeType(library);
    throw;
  }
}

TextRenderer::~TextRenderer() {
  FT_Done_Face(regular);
  FT_Done_Face(bold);
  FT_Done_FreeType(library);
}

FT_Face TextRenderer::face(Weight weight, int pixelSize) {
  FT_Face chosen = weight == Weight::bold ? bold : regular;
  FT_Set_Pixel_Sizes(chosen, 0, FT_UInt(pixelSize));
  return chosen;
}

// Walks the glyphs with the pen in 26.6 fixed point; draws them when given a canvas.
int TextRenderer::layout(std::string_view text, int pixelSize, Weight weight, Canvas* canvas,
                         int x, int y, Rgb colour) {
  FT_Face font = face(weight, pixelSize);
  FT_Pos pen = 0;
  FT_UInt previous = 0;
  for (std::size_t index = 0; index < text.size();) {
    const FT_UInt glyph = FT_Get_Char_Index(font, nextCodePoint(text, index));
    if (previous && glyph && FT_HAS_KERNING(font)) {
      FT_Vector kerning;
      FT_Get_Kerning(font, previous, glyph, FT_KERNING_DEFAULT, &kerning);
      pen += kerning.x;
    }
    const FT_Int32 flags = FT_LOAD_TARGET_LIGHT | (canvas ? FT_LOAD_RENDER : FT_LOAD_DEFAULT);
    if (FT_Load_Glyph(font, glyph, flags) != 0) {
      continue;
    }
    const FT_GlyphSlot slot = font->glyph;
    if (canvas) {
      const FT_Bitmap& bitmap = slot->bitmap;
      const int left = x + int((pen + 32) >> 6) + slot->bitmap_left;
      const int top = y - slot->bitmap_top;
      for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
          const std::uint8_t coverage = bitmap.buffer[row * unsigned(bitmap.pitch) + column];
          canvas->blendPixel(left + int(column), top + int(row), colour, float(coverage) / 255.0f);
        }
      }
    }
    pen += slot->advance.x;
    previous = glyph;
  }
  return int((pen + 32) >> 6);
}

int TextRenderer::width(std::string_view text, int pixelSize, Weight weight) {
  return layout(text, pixelSize, weight, nullptr, 0, 0, {});
}

// Cut in the middle: names of one family differ at their ends ("Camera_001", "Camera_002").
std::string TextRenderer::fitted(std::string_view text, int pixelSize, Weight weight,
                                 int maxWidth) {
  if (maxWidth <= 0 || width(text, pixelSize, weight) <= maxWidth) {
    return std::string(text);
  }
  std::vector<std::string> characters;
  for (std::size_t index = 0; index < text.size();) {
    const std::size_t start = index;
    nextCodePoint(text, index);
    characters.emplace_back(text.substr(start, index - start));
  }
  for (std::size_t kept = characters.size() - 1; kept >= 2; --kept) {
    const std::size_t head = (kept + 1) / 2;
    std::string candidate;
    for (std::size_t index = 0; index < head; ++index) {
      candidate += characters[index];
    }
    candidate += "\u2026";
    for (std::size_t index = characters.size() - (kept - head); index < characters.size();
         ++index) {
      candidate += characters[index];
    }
    if (width(candidate, pixelSize, weight) <= maxWidth) {
      return candidate;
    }
  }
  return {};
}

int TextRenderer::draw(Canvas& canvas, int x, int y, std::string_view text, int pixelSize,
                       Rgb colour, Weight weight, int maxWidth) {
  const std::string shown = fitted(text, pixelSize, weight, maxWidth);
  return layout(shown, pixelSize, weight, &canvas, x, y, colour);
}

}  // namespace ostrel
