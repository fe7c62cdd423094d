#include "render/post_processing_kernels.h"

#include <glad/gl.h>

#include <algorithm>
#include <string>

#include "engine/decs.h"
#include "render/gl_context.h"
#include "render/pass_drawing.h"
#include "render/shader.h"

using namespace pass_drawing;

namespace {

const std::string& WeightsName() {
  static const std::string name = "weights";
  return name;
}

// The kernel the next ApplyGlobalUniforms hands to "weights[0]" .. "weights[8]".
void SetWeights(const std::array<float, 9>& kernel) {
  SetGlobalFloatArray(DECS::Instance().globalUniforms.floats, WeightsName(), kernel.data(),
                      static_cast<int>(kernel.size()));
}

}  // namespace

void KernelPass::Blur(const Framebuffer& source, Framebuffer& target, int draws, int radius,
                      Shader& restoreShader, PostProcessTargets& targets,
                      std::optional<Framebuffer>& readCopy) {
  SetWeights(kGaussian);
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = kernel.Use();
  if (shader != nullptr) {
    shader->ApplyGlobalUniforms();
    shader->SetVec2("viewPortDimensions", SizeOf(source));
    shader->SetFloat("radius", static_cast<float>(radius));
    shader->SetInt("inTexture", 0);
    target.Bind();
    // Every draw after the first blurs the result of the one before.
    const int drawCount = std::min(draws, kMaxDraws);
    for (int draw = 0; draw < drawCount; ++draw) {
      DrawInto(target, Readable(draw == 0 ? source : target, target, readCopy));
    }
  }
  state.Finish(restoreShader);
}

void KernelPass::MultiScaleBlur(const Framebuffer& source, Framebuffer& target, int scales,
                                int repeats, Shader& restoreShader, PostProcessTargets& targets,
                                std::optional<Framebuffer>& readCopy) {
  if (scales <= 0) return;
  const int scaleCount = std::min(scales, kMaxScales);
  const int repeatCount = std::min(repeats, kMaxDraws);
  // Largest radius first, 1 last.
  for (int scale = 0; scale < scaleCount; ++scale) {
    const int radius = 1 << (scaleCount - 1 - scale);
    for (int repeat = 0; repeat < repeatCount; ++repeat) {
      Blur(source, target, scaleCount, radius, restoreShader, targets, readCopy);
    }
  }
}

// The horizontal Sobel result goes into the cleared scratch target, the vertical one is
// blended over it, and the edges are laid over the target.
void KernelPass::Edge(const PostProcessPass& pass, const Framebuffer& source, Framebuffer& target,
                      Shader& restoreShader, PostProcessTargets& targets) {
  SetWeights(kSobelX);
  Framebuffer& edges = FitScratch(scratch, source.Width(), source.Height(), source.Range());
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = edge.Use();
  if (shader != nullptr) {
    const auto& floats = pass.floatData;
    shader->ApplyGlobalUniforms();
    shader->SetVec2("viewPortDimensions", SizeOf(source));
    shader->SetInt("inTexture", 0);
    shader->SetFloat("radius", 1.0f);
    shader->SetFloat("threshold", floats[0]);
    shader->SetFloat("edgeThickness", floats[1]);
    shader->SetFloat("contrast", floats[2]);
    shader->SetVec3("edgeColor", glm::vec3(floats[3], floats[4], floats[5]));

    edges.Bind();
    glViewport(0, 0, edges.Width(), edges.Height());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const bool depth = pass.intData[0] != 0;
    source.Draw(depth);
    SetWeights(kSobelY);
    shader->ApplyGlobalUniforms();
    source.Draw(depth);

    restoreShader.Use();
    DrawInto(target, edges);
  }
  state.Finish(restoreShader);
}

void KernelPass::ResizeToWindow() {
  if (!scratch) return;
  int width = 0;
  int height = 0;
  CurrentWindowFramebufferSize(width, height);
  scratch->SetSize(std::max(width, 1), std::max(height, 1));
}
