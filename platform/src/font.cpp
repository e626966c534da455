#include "platform/font.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <unordered_map>

#include "internal.h"
#include "platform/error.h"
#include "platform/input_file.h"

namespace platform {

namespace {

// The file of the face fontconfig picks for a family name; asking for a face
// the machine lacks (Verdana, Tahoma) gives its substitute or the default sans.
std::string font_file_for(const std::string& typeface) {
  static std::map<std::string, std::string> found;
  if (auto known = found.find(typeface); known != found.end()) return known->second;

  std::string file;
  if (FcInit()) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(typeface.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  if (file.empty()) throw Exception("No font found for typeface '" + typeface + "'");
  found.emplace(typeface, file);
  return file;
}

// Opens the face's file as every layer file is opened: a named pipe or device
// in its place is refused instead of waited on.
TTF_Font* open_font_file(const std::string& file, int point_size) {
  std::string reason;
  std::FILE* handle = open_input_stream(file, reason);
  if (!handle) throw Exception("Could not open font file '" + file + "': " + reason);
  SDL_RWops* stream = SDL_RWFromFP(handle, SDL_TRUE);
  if (!stream) {
    std::fclose(handle);
    throw Exception("Could not open font file '" + file + "': " + SDL_GetError());
  }
  // Closes the stream itself, whether or not the font opens.
  TTF_Font* font = TTF_OpenFontRW(stream, 1, point_size);
  if (!font) throw Exception("Could not open font file '" + file + "': " + TTF_GetError());
  return font;
}

// Rendered lines kept per font; the play loop draws the same texts each frame.
constexpr std::size_t max_cached_lines = 128;

}  // namespace

struct Font::Impl {
  TTF_Font* font = nullptr;
  int line_spacing = 0;
  int ascent = 0;

  struct Line {
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    std::list<std::string>::iterator age;
  };
  // Textures belong to the renderer of `owner`; they are dropped when
  // drawing moves to another context.
  std::weak_ptr<GraphicContext::Impl> owner;
  SDL_Renderer* owner_renderer = nullptr;
  std::unordered_map<std::string, Line> lines;
  std::list<std::string> recent;  // most recently used first

  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl() {
    drop_lines();
    if (font) TTF_CloseFont(font);
    TTF_Quit();
  }

  void drop_lines() {
    if (const auto gc = owner.lock()) {
      for (auto& [text, line] : lines) {
        gc->texture_changing(line.texture);
        SDL_DestroyTexture(line.texture);
      }
    }
    lines.clear();
    recent.clear();
  }

  const Line* line_for(const std::shared_ptr<GraphicContext::Impl>& gc, const std::string& text) {
    if (owner.lock() != gc || owner_renderer != gc->renderer) {
      drop_lines();
      owner = gc;
      owner_renderer = gc->renderer;
    }
    if (auto found = lines.find(text); found != lines.end()) {
      recent.splice(recent.begin(), recent, found->second.age);
      return &found->second;
    }
    // White glyphs, tinted to the wanted colour when drawn, so one texture
    // serves every colour.
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!surface) return nullptr;
    SDL_Texture* texture = SDL_CreateTextureFromSurface(gc->renderer, surface);
    const int width = surface->w, height = surface->h;
    SDL_FreeSurface(surface);
    if (!texture) return nullptr;
    ++gc->uploaded_textures;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    if (lines.size() >= max_cached_lines) {
      auto oldest = lines.find(recent.back());
      gc->texture_changing(oldest->second.texture);
      SDL_DestroyTexture(oldest->second.texture);
      lines.erase(oldest);
      recent.pop_back();
    }
    recent.push_front(text);
    Line& line = lines[text];
    line = Line{texture, width, height, recent.begin()};
    return &line;
  }
};

Font::Font(GraphicContext&, const std::string& typeface, int height) {
  if (height <= 0 || height > 1000)
    throw Exception("Font '" + typeface + "' cannot have a height of " + std::to_string(height) + " pixels");
  const std::string file = font_file_for(typeface);
  if (TTF_Init() != 0) throw Exception(std::string("Could not start font rendering: ") + TTF_GetError());
  auto impl = std::make_shared<Impl>();
  // The largest point size whose line spacing fits the height; lines are
  // then laid out exactly `height` pixels apart. Found once per face and height.
  static std::map<std::pair<std::string, int>, int> point_sizes;
  const auto key = std::make_pair(file, height);
  auto known = point_sizes.find(key);
  if (known == point_sizes.end()) {
    int low = 1, high = height * 2, best = 1;
    while (low <= high) {
      const int size = (low + high) / 2;
      TTF_Font* candidate = open_font_file(file, size);
      const bool fits = TTF_FontLineSkip(candidate) <= height;
      TTF_CloseFont(candidate);
      if (fits) {
        best = size;
        low = size + 1;
      } else {
        high = size - 1;
      }
    }
    known = point_sizes.emplace(key, best).first;
  }
  TTF_Font* best_font = open_font_file(file, known->second);
  impl->font = best_font;
  impl->line_spacing = height;
  impl->ascent = TTF_FontAscent(best_font);
  impl_ = std::move(impl);
}

int Font::get_line_spacing() const { return impl_ ? impl_->line_spacing : 0; }
int Font::get_ascent() const { return impl_ ? impl_->ascent : 0; }

void Font::draw_text(GraphicContext& gc, int x, int y, const std::string& text, const Colorf& colour) {
  draw_text(gc, static_cast<float>(x), static_cast<float>(y), text, colour);
}

void Font::draw_text(GraphicContext& gc, float x, float y, const std::string& text, const Colorf& colour) {
  if (!impl_ || gc.is_null() || !drawable_position(x, y)) return;
  auto byte = to_byte;
  float top = std::round(y) - static_cast<float>(impl_->ascent);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) {
      if (const Impl::Line* rendered = impl_->line_for(gc.impl(), line)) {
        SDL_SetTextureColorMod(rendered->texture, byte(colour.r), byte(colour.g), byte(colour.b));
        SDL_SetTextureAlphaMod(rendered->texture, byte(colour.a));
        const SDL_FRect where{std::round(x), top, static_cast<float>(rendered->width),
                              static_cast<float>(rendered->height)};
        gc.impl()->draw(copy_op(rendered->texture, where, 0.0));
      }
    }
    top += static_cast<float>(impl_->line_spacing);
    start = end + 1;
  }
}

}  // namespace platform
