#include <ft2build.h>

#include "rml/font_engine.h"
#include "rml/log.h"
#include "rml/string_utilities.h"
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

namespace Rml {

FontEngineInterface::~FontEngineInterface() = default;

namespace {

constexpr int kAtlasSize = 512;
constexpr int kMaxFontSize = 512;

struct FontFile {
  FT_Face face = nullptr;
  std::vector<byte> data;  // FreeType reads the face from this memory
  String family;           // lower case
  String stem;             // file name before '-', lower case
  int weight = 400;
  bool italic = false;
  bool fallback = false;
};

struct Glyph {
  FT_UInt index = 0;
  float advance = 0.f;
  int left = 0, top = 0, width = 0, height = 0;
  int page = -1;  // -1: not rasterised yet (or nothing to draw)
  int x = 0, y = 0;
  bool rasterised = false;
};

// One atlas page: alpha bytes packed in shelves.
struct AtlasPage {
  std::vector<byte> alpha = std::vector<byte>(size_t(kAtlasSize) * kAtlasSize, 0);
  int shelf_y = 0, shelf_height = 0, cursor_x = 0;
  std::unique_ptr<TextureResource> texture;
};

struct FaceInstance {
  FontFile* file = nullptr;
  int size = 0;
  FontMetrics metrics;
  std::unordered_map<char32_t, Glyph> glyphs;
  Glyph ascii[128];
  bool ascii_loaded[128] = {};
  std::vector<std::unique_ptr<AtlasPage>> pages;
  int version = 0;
};

class DefaultFontEngine final : public FontEngineInterface {
 public:
  DefaultFontEngine() {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      Log::Message(Log::LT_ERROR, "FreeType could not be initialised");
    }
  }
  ~DefaultFontEngine() override {
    ReleaseFontResources();
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  bool LoadFontFace(const String& file_name, int face_index, bool fallback_face,
                    FontWeight weight) override {
    if (library_ == nullptr) return false;
    std::FILE* file = std::fopen(file_name.c_str(), "rb");
    if (file == nullptr) {
      Log::Message(Log::LT_ERROR, "Could not open font file '%s'", file_name.c_str());
      return false;
    }
    auto font = std::make_unique<FontFile>();
    byte buffer[65536];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
      font->data.insert(font->data.end(), buffer, buffer + read);
      if (font->data.size() > (size_t(64) << 20)) break;  // no font is this large
    }
    std::fclose(file);
    if (FT_New_Memory_Face(library_, font->data.data(), FT_Long(font->data.size()), face_index,
                           &font->face) != 0) {
      Log::Message(Log::LT_ERROR, "'%s' is not a font face FreeType can read", file_name.c_str());
      return false;
    }
    if (!FT_IS_SCALABLE(font->face)) {
      Log::Message(Log::LT_ERROR, "Font face '%s' is not scalable", file_name.c_str());
      FT_Done_Face(font->face);
      return false;
    }
    font->family =
        StringUtilities::ToLower(font->face->family_name != nullptr ? font->face->family_name : "");
    String name = file_name.substr(
        file_name.find_last_of('/') == String::npos ? 0 : file_name.find_last_of('/') + 1);
    name = name.substr(0, name.find('.'));
    font->stem = StringUtilities::ToLower(name.substr(0, name.find('-')));
    font->italic = (font->face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    font->weight = weight != FontWeight::Auto
                       ? int(weight)
                       : ((font->face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? 700 : 400);
    font->fallback = fallback_face;
    files_.push_back(std::move(font));
    return true;
  }

  FontFaceHandle GetFontFaceHandle(const String& family, bool italic, int weight,
                                   int size) override {
    size = std::clamp(size, 1, kMaxFontSize);
    FontFile* best = nullptr;
    int best_score = -1;
    for (const auto& file : files_) {
      const bool named = !family.empty() && (file->family == family || file->stem == family);
      int score = named ? 1000 : (file->fallback ? 500 : 0);
      score += (file->italic == italic ? 100 : 0);
      score += 99 - std::min(99, std::abs(file->weight - weight) / 10);
      if (score > best_score) {
        best_score = score;
        best = file.get();
      }
    }
    if (best == nullptr) return 0;
    if (!family.empty() && best->family != family && best->stem != family)
      Log::MessageOnce(Log::LT_WARNING, "No font face for family '%s'; using '%s'", family.c_str(),
                       best->family.c_str());
    auto& instance = instances_[{best, size}];
    if (!instance) {
      instance = std::make_unique<FaceInstance>();
      instance->file = best;
      instance->size = size;
      FT_Set_Pixel_Sizes(best->face, 0, FT_UInt(size));
      const FT_Size_Metrics& m = best->face->size->metrics;
      instance->metrics.size = size;
      instance->metrics.ascent = float(m.ascender) / 64.f;
      instance->metrics.descent = -float(m.descender) / 64.f;
      instance->metrics.line_spacing = float(m.height) / 64.f;
      instance->metrics.underline_position =
          -float(FT_MulFix(best->face->underline_position, m.y_scale)) / 64.f;
      instance->metrics.underline_thickness =
          std::max(1.f, float(FT_MulFix(best->face->underline_thickness, m.y_scale)) / 64.f);
      const Glyph& x = GetGlyph(*instance, 'x');
      instance->metrics.x_height = float(x.top);
    }
    return reinterpret_cast<FontFaceHandle>(instance.get());
  }

  const FontMetrics& GetFontMetrics(FontFaceHandle handle) override {
    static const FontMetrics kNone;
    return handle != 0 ? reinterpret_cast<FaceInstance*>(handle)->metrics : kNone;
  }

  int GetStringWidth(FontFaceHandle handle, std::string_view string,
                     const TextShapingContext& shaping, char32_t prior_character) override {
    if (handle == 0) return 0;
    FaceInstance& instance = *reinterpret_cast<FaceInstance*>(handle);
    float width = 0.f;
    char32_t previous = prior_character;
    const String text(string);
    for (size_t i = 0; i < text.size();) {
      const char32_t code_point = StringUtilities::NextCodePoint(text, i);
      const Glyph& glyph = GetGlyph(instance, code_point);
      width += glyph.advance + Kerning(instance, previous, glyph) + shaping.letter_spacing;
      previous = code_point;
    }
    return int(std::lround(width));
  }

  int GenerateString(RenderManager& render_manager, FontFaceHandle handle, FontEffectsHandle,
                     std::string_view string, Vector2f position, ColourbPremultiplied colour,
                     float opacity, const TextShapingContext& shaping,
                     TexturedMeshList& mesh_list) override {
    if (handle == 0) return 0;
    FaceInstance& instance = *reinterpret_cast<FaceInstance*>(handle);
    if (opacity < 1.f) {
      colour = Colourb(byte(colour.red * opacity), byte(colour.green * opacity),
                       byte(colour.blue * opacity), byte(colour.alpha * opacity));
    }
    const size_t first_mesh = mesh_list.size();
    float pen = 0.f;
    char32_t previous = 0;
    const String text(string);
    for (size_t i = 0; i < text.size();) {
      const char32_t code_point = StringUtilities::NextCodePoint(text, i);
      Glyph& glyph = GetGlyph(instance, code_point);
      pen += Kerning(instance, previous, glyph);
      previous = code_point;
      Rasterise(instance, glyph);
      if (glyph.page >= 0 && glyph.width > 0 && glyph.height > 0) {
        AtlasPage& page = *instance.pages[size_t(glyph.page)];
        TexturedMesh* target = nullptr;
        for (size_t m = first_mesh; m < mesh_list.size(); ++m)
          if (mesh_list[m].texture.GetResource() == page.texture.get()) target = &mesh_list[m];
        if (target == nullptr) {
          mesh_list.push_back({Mesh(), render_manager.MakeTexture(page.texture.get())});
          target = &mesh_list.back();
        }
        const Vector2f top_left{std::round(position.x + pen) + float(glyph.left),
                                std::round(position.y) - float(glyph.top)};
        const Vector2f size{float(glyph.width), float(glyph.height)};
        const float inverse = 1.f / float(kAtlasSize);
        const Vector2f uv0{float(glyph.x) * inverse, float(glyph.y) * inverse};
        const Vector2f uv1{float(glyph.x + glyph.width) * inverse,
                           float(glyph.y + glyph.height) * inverse};
        Mesh& mesh = target->mesh;
        const int base = int(mesh.vertices.size());
        mesh.vertices.push_back({top_left, colour, uv0});
        mesh.vertices.push_back({{top_left.x + size.x, top_left.y}, colour, {uv1.x, uv0.y}});
        mesh.vertices.push_back({top_left + size, colour, uv1});
        mesh.vertices.push_back({{top_left.x, top_left.y + size.y}, colour, {uv0.x, uv1.y}});
        for (int index : {0, 1, 2, 0, 2, 3}) mesh.indices.push_back(base + index);
      }
      pen += glyph.advance + shaping.letter_spacing;
    }
    return int(std::lround(pen));
  }

  int GetVersion(FontFaceHandle handle) override {
    return handle != 0 ? reinterpret_cast<FaceInstance*>(handle)->version : 0;
  }

  void ReleaseFontResources() override {
    instances_.clear();
    for (auto& file : files_)
      if (file->face != nullptr) FT_Done_Face(file->face);
    files_.clear();
  }

 private:
  Glyph& GetGlyph(FaceInstance& instance, char32_t code_point) {
    Glyph* glyph;
    if (code_point < 128) {
      glyph = &instance.ascii[code_point];
      if (instance.ascii_loaded[code_point]) return *glyph;
      instance.ascii_loaded[code_point] = true;
    } else {
      auto found = instance.glyphs.find(code_point);
      if (found != instance.glyphs.end()) return found->second;
      glyph = &instance.glyphs[code_point];
    }
    FT_Face face = instance.file->face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(instance.size));
    glyph->index = FT_Get_Char_Index(face, FT_ULong(code_point));
    if (FT_Load_Glyph(face, glyph->index, FT_LOAD_DEFAULT) == 0) {
      glyph->advance = float(face->glyph->advance.x) / 64.f;
      glyph->left = face->glyph->bitmap_left;
      glyph->top = face->glyph->bitmap_top;
    }
    return *glyph;
  }

  float Kerning(FaceInstance& instance, char32_t previous, const Glyph& glyph) {
    FT_Face face = instance.file->face;
    if (previous == 0 || !FT_HAS_KERNING(face)) return 0.f;
    const Glyph& before = GetGlyph(instance, previous);
    FT_Vector delta{0, 0};
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(instance.size));
    if (FT_Get_Kerning(face, before.index, glyph.index, FT_KERNING_DEFAULT, &delta) != 0)
      return 0.f;
    return float(delta.x) / 64.f;
  }

  void Rasterise(FaceInstance& instance, Glyph& glyph) {
    if (glyph.rasterised) return;
    glyph.rasterised = true;
    FT_Face face = instance.file->face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(instance.size));
    if (FT_Load_Glyph(face, glyph.index, FT_LOAD_RENDER) != 0) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    glyph.width = int(bitmap.width);
    glyph.height = int(bitmap.rows);
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    if (glyph.width <= 0 || glyph.height <= 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY ||
        glyph.width > kAtlasSize - 2 || glyph.height > kAtlasSize - 2)
      return;
    AtlasPage* page = instance.pages.empty() ? nullptr : instance.pages.back().get();
    // One pixel of padding around every glyph keeps neighbours from bleeding under filtering.
    const int w = glyph.width + 1, h = glyph.height + 1;
    if (page != nullptr && page->cursor_x + w > kAtlasSize) {
      page->shelf_y += page->shelf_height;
      page->shelf_height = 0;
      page->cursor_x = 0;
    }
    if (page == nullptr || page->shelf_y + h > kAtlasSize) {
      instance.pages.push_back(std::make_unique<AtlasPage>());
      page = instance.pages.back().get();
      page->texture = std::make_unique<TextureResource>(
          TextureResource::Generator([page](std::vector<byte>& pixels, Vector2i& dimensions) {
            dimensions = {kAtlasSize, kAtlasSize};
            pixels.resize(page->alpha.size() * 4);
            for (size_t i = 0; i < page->alpha.size(); ++i)
              for (int c = 0; c < 4; ++c) pixels[i * 4 + size_t(c)] = page->alpha[i];
            return true;
          }));
    }
    glyph.x = page->cursor_x;
    glyph.y = page->shelf_y;
    glyph.page = int(instance.pages.size()) - 1;
    for (int row = 0; row < glyph.height; ++row) {
      const byte* source = bitmap.buffer + row * bitmap.pitch;
      std::copy(source, source + glyph.width,
                page->alpha.begin() + long((glyph.y + row) * kAtlasSize + glyph.x));
    }
    page->cursor_x += w;
    page->shelf_height = std::max(page->shelf_height, h);
    page->texture->MarkDirty();
    ++instance.version;
  }

  FT_Library library_ = nullptr;
  std::vector<std::unique_ptr<FontFile>> files_;
  std::map<std::pair<FontFile*, int>, std::unique_ptr<FaceInstance>> instances_;
};

}  // namespace

std::unique_ptr<FontEngineInterface> CreateDefaultFontEngine() {
  return std::make_unique<DefaultFontEngine>();
}

}  // namespace Rml
