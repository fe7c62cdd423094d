#include "render/framebuffer.h"

#include <glad/gl.h>

#include <algorithm>
#include <utility>

#include "render/gl_context.h"

namespace {

void SetFilter(GLint filter) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void SetSampling() {
  SetFilter(GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

Framebuffer::Framebuffer() {
  int windowWidth = 0;
  int windowHeight = 0;
  CurrentWindowFramebufferSize(windowWidth, windowHeight);
  Create(windowWidth, windowHeight, true);
}

Framebuffer::Framebuffer(int width, int height, ColorRange range, bool depth)
    : fixedSize(true), range(range) {
  Create(width, height, depth);
}

Framebuffer::~Framebuffer() { Release(); }

Framebuffer::Framebuffer(Framebuffer&& other) noexcept
    : composite(other.composite),
      fbo(std::exchange(other.fbo, 0u)),
      colorTexture(std::exchange(other.colorTexture, 0u)),
      depthTexture(std::exchange(other.depthTexture, 0u)),
      fixedSize(other.fixedSize),
      range(other.range),
      width(other.width),
      height(other.height) {}

Framebuffer& Framebuffer::operator=(Framebuffer&& other) noexcept {
  if (this != &other) {
    Release();
    composite = other.composite;
    fbo = std::exchange(other.fbo, 0u);
    colorTexture = std::exchange(other.colorTexture, 0u);
    depthTexture = std::exchange(other.depthTexture, 0u);
    fixedSize = other.fixedSize;
    range = other.range;
    width = other.width;
    height = other.height;
  }
  return *this;
}

void Framebuffer::Release() {
  if (fbo != 0 || colorTexture != 0 || depthTexture != 0) {
    glDeleteFramebuffers(1, &fbo);
    const GLuint textures[] = {colorTexture, depthTexture};
    glDeleteTextures(2, textures);
  }
  fbo = 0;
  colorTexture = 0;
  depthTexture = 0;
}

void Framebuffer::Create(int requestedWidth, int requestedHeight, bool depth) {
  width = requestedWidth > 0 ? requestedWidth : 1;
  height = requestedHeight > 0 ? requestedHeight : 1;

  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenTextures(1, &colorTexture);
  if (depth) glGenTextures(1, &depthTexture);
  AllocateTextures();

  glBindTexture(GL_TEXTURE_2D, colorTexture);
  SetSampling();
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, 0);
  if (depth) {
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    SetSampling();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, depthTexture,
                           0);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Framebuffer::AllocateColor() const {
  const GLsizei allocatedWidth = std::max(width, 1);
  const GLsizei allocatedHeight = std::max(height, 1);
  glBindTexture(GL_TEXTURE_2D, colorTexture);
  if (range == ColorRange::High) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, allocatedWidth, allocatedHeight, 0, GL_RGBA,
                 GL_FLOAT, nullptr);
  } else {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, allocatedWidth, allocatedHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
  }
}

void Framebuffer::AllocateTextures() const {
  AllocateColor();
  if (depthTexture == 0) return;
  glBindTexture(GL_TEXTURE_2D, depthTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, std::max(width, 1), std::max(height, 1), 0,
               GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, nullptr);
}

void Framebuffer::SetColorRange(ColorRange newRange) {
  if (newRange == range) return;
  range = newRange;
  AllocateColor();
}

void Framebuffer::Bind() const { glBindFramebuffer(GL_FRAMEBUFFER, fbo); }

void Framebuffer::SetSize(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
  AllocateTextures();
}

void Framebuffer::FitWindow() {
  if (fixedSize) return;
  int windowWidth = 0;
  int windowHeight = 0;
  CurrentWindowFramebufferSize(windowWidth, windowHeight);
  SetSize(windowWidth, windowHeight);
}

void Framebuffer::Draw(bool useDepthTexture) const {
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, useDepthTexture ? depthTexture : colorTexture);
  glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}

void Framebuffer::DrawTexelForTexel() const {
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, colorTexture);
  SetFilter(GL_NEAREST);
  glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
  // Every other reader of the texture samples it linearly.
  SetFilter(GL_LINEAR);
}
