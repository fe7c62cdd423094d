#pragma once
// The shaders of the post-processing passes, and a pass program built through the resource
// cache on first use (and looked up again after the cache was cleared).

#include <string>

class ResourceCache;
class Shader;

// The fragment shaders of the passes.
namespace PassShaders {
inline constexpr const char* kVertex = "./GAME/Shaders/Vertex/FramebufferVertexShader.glsl";
inline constexpr const char* kFlorethMask = "./GAME/Shaders/Fragment/FlorethMaskShader.glsl";
inline constexpr const char* kFlorethDownsampling =
    "./GAME/Shaders/Fragment/FlorethDownsamplingShader.glsl";
inline constexpr const char* kFlorethMaskDownsampling =
    "./GAME/Shaders/Fragment/FlorethMaskDownsamplingShader.glsl";
inline constexpr const char* kFlorethMaskCorners =
    "./GAME/Shaders/Fragment/FlorethMaskCornersShader.glsl";
inline constexpr const char* kFlorethCornersDownsampling =
    "./GAME/Shaders/Fragment/FlorethCornersDownsamplingShader.glsl";
inline constexpr const char* kFlorethTaps = "./GAME/Shaders/Fragment/FlorethTapsShader.glsl";
inline constexpr const char* kFlorethRows = "./GAME/Shaders/Fragment/FlorethRowsShader.glsl";
inline constexpr const char* kFlorethBlur = "./GAME/Shaders/Fragment/FlorethBlurShader.glsl";
inline constexpr const char* kFlorethCombine = "./GAME/Shaders/Fragment/FlorethCombineShader.glsl";
inline constexpr const char* kKernel = "./GAME/Shaders/Fragment/KernelShader.glsl";
inline constexpr const char* kEdge = "./GAME/Shaders/Fragment/KernelShaderEdge.glsl";
inline constexpr const char* kPosterization = "./GAME/Shaders/Fragment/PosterizationShader.glsl";
inline constexpr const char* kToneMapping = "./GAME/Shaders/Fragment/ToneMappingShader.glsl";
inline constexpr const char* kFade = "./GAME/Shaders/Fragment/FadeShader.glsl";
inline constexpr const char* kScreentone = "./GAME/Shaders/Fragment/ScreentoneShader.glsl";
inline constexpr const char* kFXAA = "./GAME/Shaders/Fragment/FXAAShader.glsl";
inline constexpr const char* kNoir = "./GAME/Shaders/Fragment/NoirShader.glsl";
inline constexpr const char* kParticleTexture = "./GAME/Assets/Textures/Particles/particle.png";
}  // namespace PassShaders

// A pass program, built through the resource cache on first use.
class PassProgram {
 public:
  // `cache` must outlive the program.
  PassProgram(ResourceCache& cache, const char* fragmentPath);
  // The program, made current; null when it cannot be built (then nothing is drawn with it).
  Shader* Use();
  // How often the program was looked up anew (first use, or a cache that was cleared).
  int Lookups() const { return lookups; }

 private:
  ResourceCache& cache;
  const char* fragmentPath;
  std::string cacheFragmentPath;  // the path as the cache records it
  int program = -1;
  int lookups = 0;
};
