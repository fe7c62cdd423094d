#include "render/pass_drawing.h"

#include <glad/gl.h>

#include <algorithm>

#include "render/post_process_targets.h"
#include "render/shader.h"

namespace pass_drawing {

glm::vec2 SizeOf(const Framebuffer& framebuffer) {
  return {static_cast<float>(framebuffer.Width()), static_cast<float>(framebuffer.Height())};
}

void DrawInto(const Framebuffer& target, const Framebuffer& source, bool depth) {
  target.Bind();
  glViewport(0, 0, target.Width(), target.Height());
  source.Draw(depth);
}

Framebuffer& FitScratch(std::optional<Framebuffer>& slot, int width, int height, ColorRange range) {
  if (!slot) {
    slot.emplace(width, height, range, Framebuffer::kNoDepth);
  } else if (slot->Width() != width || slot->Height() != height) {
    slot->SetSize(width, height);
  }
  slot->SetColorRange(range);
  return *slot;
}

void CopyColour(const Framebuffer& from, const Framebuffer& to) {
  glCopyImageSubData(from.ColorTexture(), GL_TEXTURE_2D, 0, 0, 0, 0, to.ColorTexture(),
                     GL_TEXTURE_2D, 0, 0, 0, 0, std::min(from.Width(), to.Width()),
                     std::min(from.Height(), to.Height()), 1);
}

void CopyColour(const Framebuffer& from, std::optional<Framebuffer>& to) {
  CopyColour(from, FitScratch(to, from.Width(), from.Height(), from.Range()));
}

const Framebuffer& Readable(const Framebuffer& image, const Framebuffer& target,
                            std::optional<Framebuffer>& copySlot) {
  if (&image != &target) return image;
  CopyColour(image, copySlot);
  return *copySlot;
}

PassState::PassState(PostProcessTargets& targets)
    : targets(targets),
      blendSource(targets.BlendSource()),
      blendDestination(targets.BlendDestination()) {
  glGetIntegerv(GL_VIEWPORT, viewport.data());
}

void PassState::AlphaBlend() { targets.SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); }

void PassState::AdditiveBlend() {
  targets.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void PassState::Finish(Shader& restoreShader) {
  restoreShader.Use();
  targets.SetBlendFunc(blendSource, blendDestination);
  targets.BindLayer(0);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

}  // namespace pass_drawing
