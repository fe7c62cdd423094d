#pragma once
// Drawing steps the post-processing passes share: full-screen draws from one framebuffer into
// another, scratch targets fitted to a size, exact colour copies, and the state (blend factors,
// viewport) a pass changes and gives back. The caller binds the full-screen quad. Main thread,
// GL context current.

#include <array>
#include <glm/glm.hpp>
#include <optional>

#include "render/framebuffer.h"

class PostProcessTargets;
class Shader;

namespace pass_drawing {

glm::vec2 SizeOf(const Framebuffer& framebuffer);

// Binds `target`, lets the viewport cover it and draws `source`'s colour (or depth) texture
// through the bound quad and program.
void DrawInto(const Framebuffer& target, const Framebuffer& source, bool depth = false);

// A fixed-size scratch target of this size and colour range, made or changed as needed; no pass
// tests depth in one, so it has none. Creating a framebuffer unbinds the bound one, so this
// comes before a target is bound.
Framebuffer& FitScratch(std::optional<Framebuffer>& slot, int width, int height, ColorRange range);

// Copies the colour texels `from` and `to` have in common, exactly (no drawing, no blending).
// Both are in one colour range.
void CopyColour(const Framebuffer& from, const Framebuffer& to);

// `to` becomes a copy of `from`'s colour at its size and in its range.
void CopyColour(const Framebuffer& from, std::optional<Framebuffer>& to);

// What a pass reads as `image` while drawing into `target`: the image itself, or a copy taken
// now when it is the target.
const Framebuffer& Readable(const Framebuffer& image, const Framebuffer& target,
                            std::optional<Framebuffer>& copySlot);

// The state a pass changes and gives back: the renderer's blend factors and the viewport.
class PassState {
 public:
  explicit PassState(PostProcessTargets& targets);
  PassState(const PassState&) = delete;
  PassState& operator=(const PassState&) = delete;

  void AlphaBlend();
  // Light is added; coverage is laid over (a + d(1 - a)), so it never passes 1. Added coverage
  // would grow past 1 in a half-float target, and the final blend of the glowing copy, which
  // weighs its colour by that alpha, would multiply the image several times over, to white.
  void AdditiveBlend();

  // The end of every pass: the restore program in use, the blend factors as they were, the
  // window's framebuffer bound, the viewport as it was.
  void Finish(Shader& restoreShader);

 private:
  PostProcessTargets& targets;
  unsigned int blendSource;
  unsigned int blendDestination;
  std::array<int, 4> viewport{};
};

}  // namespace pass_drawing
