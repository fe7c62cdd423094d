#pragma once
// The font engine: faces loaded from files, found by family name, style, weight and size; text
// measured and turned into textured meshes over glyph atlases. The default engine uses FreeType
// (kerning where the face has it); glyphs are rasterised on first use into 512 x 512 atlas pages
// whose textures go through the render interface.

#include <string_view>

#include "rml/render_manager.h"

namespace Rml {

enum class FontWeight : std::uint16_t { Auto = 0, Normal = 400, Bold = 700 };

struct FontMetrics {
  int size = 0;
  float ascent = 0.f;        // pixels above the baseline
  float descent = 0.f;       // pixels below the baseline (positive)
  float line_spacing = 0.f;  // the face's own line height
  float x_height = 0.f;
  float underline_position = 0.f;
  float underline_thickness = 0.f;
};

enum class TextDirection : std::uint8_t { Auto, LeftToRight, RightToLeft };

// What shapes a run of text besides its face: the lang and dir attributes, and letter-spacing.
struct TextShapingContext {
  String language;
  TextDirection text_direction = TextDirection::Auto;
  float letter_spacing = 0.f;
};

struct TexturedMesh {
  Mesh mesh;
  Texture texture;
};
using TexturedMeshList = std::vector<TexturedMesh>;

class FontEngineInterface {
 public:
  virtual ~FontEngineInterface();
  // Loads a face from a file (face_index within it). weight Auto takes the face's own weight.
  virtual bool LoadFontFace(const String& file_name, int face_index, bool fallback_face,
                            FontWeight weight) = 0;
  // A handle for family (case-insensitive; also a file stem before '-'), style, weight and
  // pixel size; 0 when no face is loaded at all.
  virtual FontFaceHandle GetFontFaceHandle(const String& family, bool italic, int weight,
                                           int size) = 0;
  virtual const FontMetrics& GetFontMetrics(FontFaceHandle handle) = 0;
  // Width in pixels of a UTF-8 string, letter spacing and kerning included.
  virtual int GetStringWidth(FontFaceHandle handle, std::string_view string,
                             const TextShapingContext& shaping, char32_t prior_character = 0) = 0;
  // Appends meshes (one per atlas page used) for string with its baseline starting at position;
  // returns the width. colour is premultiplied; opacity multiplies it.
  virtual int GenerateString(RenderManager& render_manager, FontFaceHandle handle,
                             FontEffectsHandle effects, std::string_view string, Vector2f position,
                             ColourbPremultiplied colour, float opacity,
                             const TextShapingContext& shaping, TexturedMeshList& mesh_list) = 0;
  // Changes whenever the geometry of text in this face may change (new glyphs in the atlas).
  virtual int GetVersion(FontFaceHandle handle) = 0;
  // Frees every face, size and atlas (at Shutdown).
  virtual void ReleaseFontResources() = 0;
};

// The FreeType engine the library uses unless the host installs its own.
std::unique_ptr<FontEngineInterface> CreateDefaultFontEngine();

}  // namespace Rml
