#pragma once
// Framebuffer: an off-screen render target with a colour texture and, unless made without one,
// a depth-stencil texture (DEPTH24_STENCIL8), both sampled linearly and clamped at the edges.
// The colour is RGBA16F (high range: values beyond 0..1, light brighter than white, for the
// passes that look for it) or RGBA8 (low range: 0..1 in 8 bits, half the memory to clear, blend
// and copy).
//
//   Framebuffer layer;              // the window's size, follows it through FitWindow
//   Framebuffer scratch(256, 144);  // a fixed size, kept through window resizes
//   Framebuffer work(256, 144, ColorRange::Low, Framebuffer::kNoDepth);
//   layer.SetColorRange(ColorRange::Low);   // reallocates the colour texture when it changes
//   layer.Bind();  ... draw ...
//   glBindFramebuffer(GL_FRAMEBUFFER, 0);
//   quad.Bind(); shader.Use();      // the caller's full-screen quad and program
//   layer.Draw();                   // the colour texture on unit 0, over what is bound
//
// The window is the one whose context is current (the game window in the game). The recorded
// size is what the renderer compares with the window; it is at least 1 x 1 after creation, and
// textures are never allocated smaller than 1 x 1, so a target stays complete while the window
// is minimised. Owns its GL objects (moved, never copied); they are deleted on destruction when
// a context is current (with none, they died with their context). All other calls need the
// context.

enum class ColorRange { High, Low };

class Framebuffer {
 public:
  static constexpr bool kNoDepth = false;

  // A target of the current window's framebuffer size that follows the window, high range,
  // with depth.
  Framebuffer();
  // A target of a fixed size (each side at least 1).
  Framebuffer(int width, int height, ColorRange range = ColorRange::High, bool depth = true);
  ~Framebuffer();
  Framebuffer(const Framebuffer&) = delete;
  Framebuffer& operator=(const Framebuffer&) = delete;
  Framebuffer(Framebuffer&& other) noexcept;
  Framebuffer& operator=(Framebuffer&& other) noexcept;

  // Makes this the target of draws and clears (GL_FRAMEBUFFER).
  void Bind() const;

  // Records the size and reallocates the textures at it; attachments and sampling stay.
  void SetSize(int width, int height);

  // Reallocates the colour texture in the other format when the range changes (its content is
  // then undefined); the same range changes nothing.
  void SetColorRange(ColorRange range);

  // For a target that follows the window: SetSize to the window's framebuffer size. A fixed-size
  // target is left alone.
  void FitWindow();

  // Draws the bound full-screen quad (6 indices) into the bound target, sampling this target's
  // colour texture, or its depth texture when `useDepthTexture` is set (none: texture 0), on
  // texture unit 0.
  void Draw(bool useDepthTexture = false) const;
  // Draws the colour texture as Draw does, sampled nearest instead of linearly for this draw.
  // Into a target of this size, every pixel samples the centre of its own texel, where both
  // filters give that texel; nearest reads one texel instead of the four a linear filter blends.
  void DrawTexelForTexel() const;

  unsigned int Fbo() const { return fbo; }
  unsigned int ColorTexture() const { return colorTexture; }
  // 0 for a target made without depth.
  unsigned int DepthTexture() const { return depthTexture; }
  ColorRange Range() const { return range; }
  bool HasDepth() const { return depthTexture != 0; }
  int Width() const { return width; }
  int Height() const { return height; }
  bool IsFixedSize() const { return fixedSize; }

  // Drawn onto the window by the renderer at the end of a frame.
  bool composite = false;

 private:
  void Create(int requestedWidth, int requestedHeight, bool depth);
  void AllocateColor() const;
  void AllocateTextures() const;
  void Release();

  unsigned int fbo = 0;
  unsigned int colorTexture = 0;
  unsigned int depthTexture = 0;
  bool fixedSize = false;
  ColorRange range = ColorRange::High;
  int width = 1;
  int height = 1;
};
