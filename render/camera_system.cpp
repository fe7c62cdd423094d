#include "render/camera_system.h"

#include <algorithm>
#include <cmath>

#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace {

// Global value names, made once so that uploads find their entries without building strings.
const std::string& CameraPositionName() {
  static const std::string name = "CameraPos";
  return name;
}
const std::string& ViewProjectionName() {
  static const std::string name = "viewProjection";
  return name;
}
const std::string& OrthoViewProjectionName() {
  static const std::string name = "viewProjectionOrtho";
  return name;
}
const std::string& NearPlaneName() {
  static const std::string name = "nearPlane";
  return name;
}
const std::string& OrthoNearPlaneName() {
  static const std::string name = "nearPlaneOrtho";
  return name;
}
const std::string& FarPlaneName() {
  static const std::string name = "farPlane";
  return name;
}

void Upload(const LayerCamera& camera, GlobalUniforms& globals) {
  globals.vec3Values[CameraPositionName()] = camera.position;
  globals.mat4Values[ViewProjectionName()] = camera.viewProjection;
  globals.mat4Values[OrthoViewProjectionName()] = camera.orthoViewProjection;
  globals.floats[NearPlaneName()] = camera.nearPlane;
  globals.floats[OrthoNearPlaneName()] = camera.orthoNearPlane;
  globals.floats[FarPlaneName()] = camera.farPlane;
}

bool IsLayer(int layer) { return layer >= 0 && layer < CameraSystem::kLayerCount; }

// Reads three float arguments; false (values untouched) unless there are exactly three numbers.
bool ReadVector(const std::string& message, glm::vec3& value) {
  std::string x;
  std::string y;
  std::string z;
  glm::vec3 read{0.0f};
  if (!ParseMessageArguments(message, x, y, z) || !ReadMessageFloat(x, read.x) ||
      !ReadMessageFloat(y, read.y) || !ReadMessageFloat(z, read.z)) {
    return false;
  }
  value = read;
  return true;
}

}  // namespace

const glm::mat4& RefreshCamera(Camera& camera, float windowAspect) {
  if (windowAspect > 0.0f && std::isfinite(windowAspect) &&
      std::fabs(camera.aspect / windowAspect - 1.0f) > 0.001f) {
    camera.aspect = windowAspect;
    camera.projectionDirty = true;
  }
  if (camera.projectionDirty) camera.UpdateProjection();
  return camera.projection;
}

// Cameras keep updating while the pause menu is open or the engine is frozen.
CameraSystem::CameraSystem() {
  pausable = false;
  freezable = false;
}

void CameraSystem::Init() {
  level = 1;
  pausable = false;
  freezable = false;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<CameraSystem>(),
                          {std::string(TypeName<Transform>()), std::string(TypeName<Camera>())});
  }
}

float CameraSystem::WindowAspect() const {
  int width = 0;
  int height = 0;
  if (!links.windowSize || !links.windowSize(width, height)) return 0.0f;
  // A minimised window has no aspect ratio: the cameras keep theirs.
  if (width <= 0 || height <= 0) return 0.0f;
  return static_cast<float>(width) / static_cast<float>(height);
}

void CameraSystem::Update(float) {
  layerCameras.fill(std::nullopt);
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;
  const bool orthographic = !links.orthographic || links.orthographic();
  const float aspect = WindowAspect();

  ForEachEntity([&](int entity) {
    Camera* camera = components->GetComponent<Camera>(entity);
    Transform* transform = components->GetComponent<Transform>(entity);
    if (camera == nullptr || transform == nullptr) return;
    const int layer = static_cast<int>(camera->_frameBuffer);
    if (!IsLayer(layer)) return;

    glm::mat4 projection = RefreshCamera(*camera, aspect);
    float nearPlane = camera->_nearPlane;
    if (layer == static_cast<int>(FramebufferLayer::SCENE) && !orthographic) {
      Camera perspective = *camera;
      perspective._mode = Mode::PERSPECTIVE;
      perspective._zoom = 1.0f;
      perspective._nearPlane = 0.01f;
      perspective.projectionDirty = true;
      projection = RefreshCamera(perspective, aspect);
      nearPlane = 0.01f;
    }

    const glm::mat4& model = transform->UpdateMatrix();
    const glm::mat4 view = glm::inverse(model);
    LayerCamera values;
    values.position = glm::vec3(model[3]);
    values.projection = projection;
    values.viewProjection = projection * view;
    values.orthoViewProjection = RefreshCamera(*camera, aspect) * view;
    values.nearPlane = nearPlane;
    values.orthoNearPlane = camera->_nearPlane;
    values.farPlane = camera->_farPlane;
    layers[static_cast<std::size_t>(layer)] = values;
    layerCameras[static_cast<std::size_t>(layer)] = *camera;
  });
}

void CameraSystem::UploadCameraUniforms(int layer) const {
  UploadCameraUniforms(layer, DECS::Instance().globalUniforms);
}

void CameraSystem::UploadCameraUniforms(int layer, GlobalUniforms& globals) const {
  if (const LayerCamera* camera = FindLayerCamera(layer)) {
    Upload(*camera, globals);
  } else {
    UploadClipSpaceUniforms(globals);
  }
}

void CameraSystem::UploadClipSpaceUniforms(GlobalUniforms& globals) {
  Upload(LayerCamera{}, globals);
}

bool CameraSystem::HasLayerCamera(int layer) const { return FindLayerCamera(layer) != nullptr; }

const LayerCamera* CameraSystem::FindLayerCamera(int layer) const {
  if (!IsLayer(layer)) return nullptr;
  const auto& entry = layers[static_cast<std::size_t>(layer)];
  return entry ? &*entry : nullptr;
}

const Camera* CameraSystem::CameraOfLastUpdate(int layer) const {
  if (!IsLayer(layer)) return nullptr;
  const auto& entry = layerCameras[static_cast<std::size_t>(layer)];
  return entry ? &*entry : nullptr;
}

int CameraSystem::SceneCamera() const {
  if (engine == nullptr) return kNoEntity;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return kNoEntity;
  for (const int entity : entities) {
    const Camera* camera = components->GetComponent<Camera>(entity);
    if (camera != nullptr && camera->_frameBuffer == FramebufferLayer::SCENE) return entity;
  }
  return kNoEntity;
}

void CameraSystem::SetAllModes(bool perspective) {
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;
  for (const int entity : entities) {
    Camera* camera = components->GetComponent<Camera>(entity);
    if (camera == nullptr) continue;
    camera->_mode = perspective ? Mode::PERSPECTIVE : Mode::ORTHO;
    camera->_zoom = perspective ? 1.0f : 0.05f;
    camera->_nearPlane = perspective ? 0.01f : -1000.0f;
    camera->projectionDirty = true;
  }
}

void CameraSystem::HandleMessage(const std::string& message) {
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;

  // Moves, turns or scales the scene camera's Transform.
  const auto setSceneTransform = [&](glm::vec3 Transform::*field) {
    glm::vec3 value{0.0f};
    if (!ReadVector(message, value)) return;
    const int camera = SceneCamera();
    if (camera == kNoEntity) return;
    if (Transform* transform = components->GetComponent<Transform>(camera)) {
      transform->*field = value;
    }
  };

  if (IsMessage(message, "camera_position")) {
    setSceneTransform(&Transform::_position);
  } else if (IsMessage(message, "camera_rotation")) {
    setSceneTransform(&Transform::_rotation);
  } else if (IsMessage(message, "camera_scale")) {
    setSceneTransform(&Transform::_scale);
  } else if (IsMessage(message, "camera_zoom")) {
    std::string word;
    float zoom = 0.0f;
    if (!ParseMessageArguments(message, word) || !ReadMessageFloat(word, zoom)) return;
    const int camera = SceneCamera();
    if (camera == kNoEntity) return;
    Camera* component = components->GetComponent<Camera>(camera);
    component->_zoom = zoom;
    component->projectionDirty = true;
  } else if (IsMessage(message, "camera_get_position")) {
    std::string word;
    int layer = 0;
    if (!ParseMessageArguments(message, word) || !ReadMessageInt(word, layer)) return;
    const LayerCamera* camera = FindLayerCamera(layer);
    const glm::vec3 position = camera != nullptr ? camera->position : glm::vec3(0.0f);
    if (auto messaging = engine->GetManager<MessagingManager>()) {
      messaging->ReplyFormatted("%f %f %f", static_cast<double>(position.x),
                                static_cast<double>(position.y), static_cast<double>(position.z));
    }
  } else if (IsMessage(message, "camera_focus")) {
    std::string name;
    GetMessageRest(message, name);
    const auto entityManager = engine->GetManager<EntityManager>();
    const auto messaging = engine->GetManager<MessagingManager>();
    if (entityManager == nullptr || messaging == nullptr) return;
    const int entity = entityManager->FindEntity(name);
    if (entity == kNoEntity) return;
    const auto signature = entityManager->signaturesById.find(entity);
    if (signature == entityManager->signaturesById.end() ||
        !signature->second.contains(TypeName<Transform>())) {
      return;
    }
    const Transform& target = *components->GetComponent<Transform>(entity);
    const glm::vec3 p = target._position;
    messaging->PostFormattedTo(this, "camera_position %f %f %f", 1, static_cast<double>(p.x) - 10.0,
                               static_cast<double>(p.y) + 14.4, static_cast<double>(p.z) + 10.0);
    // A target without extent would give an infinite zoom; the camera keeps its zoom then.
    const float largest = std::max({target._scale.x, target._scale.y, target._scale.z});
    if (largest > 0.0f) {
      messaging->PostFormattedTo(this, "camera_zoom %f", 1, 0.2 / static_cast<double>(largest));
    }
  } else if (IsMessage(message, "camera_mode") || IsMessage(message, "camm")) {
    std::string mode;
    GetMessageRest(message, mode);
    if (mode == "P" || mode == "p" || mode == "PERSPECTIVE" || mode == "perspective") {
      SetAllModes(true);
    } else if (mode == "O" || mode == "o" || mode == "ORTHO" || mode == "ortho") {
      SetAllModes(false);
    }
  }
}

std::vector<std::string> CameraSystem::MissingLinks() const {
  std::vector<std::string> missing;
  if (!links.windowSize) missing.emplace_back("windowSize");
  if (!links.orthographic) missing.emplace_back("orthographic");
  return missing;
}
