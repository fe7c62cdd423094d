#pragma once
// CameraSystem: the camera of each framebuffer layer.
//
// Every entity with a Camera and a Transform is the camera of the layer its `_frameBuffer`
// names (0..8; a camera naming another layer is skipped). On every update the system computes,
// per layer, the camera's world position, projections, view-projections and clip planes; when
// the renderer draws a layer it calls UploadCameraUniforms, which writes them into the global
// shader values "CameraPos", "viewProjection", "viewProjectionOrtho", "nearPlane",
// "nearPlaneOrtho" and "farPlane".
//
// Layer 1 (the scene) is drawn in perspective unless the player's settings ask for an
// orthographic view (IsOrthographic): then "viewProjection" uses a perspective copy of the
// camera (field of view 1 radian, near plane 0.01), while "viewProjectionOrtho" keeps the
// camera's own projection.
//
// A layer keeps the values of its last camera after that camera is gone. Look-ups never add a
// layer: a layer that never had a camera has none, and uploading it gives the clip-space values
// (identity matrices, position 0, planes -1 and 1), so draws are placed in clip space.
//
// Messages (malformed numbers or a wrong word count: the message is ignored):
//   camera_position x y z | camera_rotation x y z | camera_scale x y z   the scene camera's
//                                                                       Transform
//   camera_zoom z                 the scene camera's `_zoom`
//   camera_get_position layer     replies "%f %f %f": the layer's position, or 0 0 0
//   camera_focus name             moves the scene camera to look at the named entity
//   camera_mode / camm P|p|PERSPECTIVE|perspective|O|o|ORTHO|ortho   every camera's mode
// The scene camera is the lowest-id entity whose camera is on layer 1.

#include <array>
#include <functional>
#include <glm/glm.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "components/camera.h"
#include "engine/base_system.h"
#include "engine/global_uniforms.h"
#include "engine/type_name.h"

class DECS;

// What a layer's camera hands the shaders.
struct LayerCamera {
  glm::vec3 position{0.0f};
  // The projection of "viewProjection" (perspective on layer 1 unless orthographic is chosen).
  glm::mat4 projection{1.0f};
  glm::mat4 viewProjection{1.0f};
  // The camera's own projection times the view.
  glm::mat4 orthoViewProjection{1.0f};
  float nearPlane = -1.0f;
  float orthoNearPlane = -1.0f;
  float farPlane = 1.0f;
};

// Follows the window's aspect ratio (width / height; ignored when not positive and finite):
// a change of more than 0.1 % marks the projection dirty. Rebuilds a dirty projection and
// returns it.
const glm::mat4& RefreshCamera(Camera& camera, float windowAspect);

// What the camera system reads of the window and the player's settings; app/ fills it.
struct CameraSystemLinks {
  // The window's client size in screen units; false when there is no window. Empty: the aspect
  // ratio is unknown and the cameras keep theirs.
  std::function<bool(int& width, int& height)> windowSize;
  // Whether the player's settings ask for the orthographic scene view (IsOrthographic). Empty:
  // they do.
  std::function<bool()> orthographic;
};

class CameraSystem : public BaseSystem {
 public:
  // Framebuffer layers 0..8.
  static constexpr int kLayerCount = 9;

  CameraSystem();

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;

  // Writes the layer's values into the engine's global shader values (or into `globals`).
  void UploadCameraUniforms(int layer) const;
  void UploadCameraUniforms(int layer, GlobalUniforms& globals) const;
  // Writes the values of a layer without a camera: clip space.
  static void UploadClipSpaceUniforms(GlobalUniforms& globals);

  // True when the layer has had a camera.
  bool HasLayerCamera(int layer) const;
  // The layer's values, or null when it has never had a camera.
  const LayerCamera* FindLayerCamera(int layer) const;
  // The Camera that filled the layer in the last update, or null.
  const Camera* CameraOfLastUpdate(int layer) const;

  void SetLinks(CameraSystemLinks value) { links = std::move(value); }
  // The links that are not set.
  std::vector<std::string> MissingLinks() const override;

 private:
  // The window's aspect ratio, or 0 when unknown.
  float WindowAspect() const;
  // The lowest-id entity whose camera is on layer 1, or kNoEntity.
  int SceneCamera() const;
  void SetAllModes(bool perspective);

  DECS* engine = nullptr;
  CameraSystemLinks links;
  std::array<std::optional<LayerCamera>, kLayerCount> layers;
  std::array<std::optional<Camera>, kLayerCount> layerCameras;
};
DECLARE_TYPE_NAME(class, CameraSystem);
