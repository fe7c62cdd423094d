#include "render/camera_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "components/camera.h"
#include "components/transform.h"
#include "platform/settings_system.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/matrix_expectations.h"

using testing_support::ExpectMatrixNear;

namespace {

class CameraSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    settings = systems->RegisterSystem<SettingsSystem>().get();
    cameras = systems->RegisterSystem<CameraSystem>().get();
    cameras->SetLinks({.windowSize =
                           [this](int& width, int& height) {
                             width = windowWidth;
                             height = windowHeight;
                             return true;
                           },
                       .orthographic = [this] { return settings->IsOrthographic; }});
  }

  int AddCamera(const std::string& name, const Camera& camera, const Transform& transform) {
    const int entity = CreateEntity(name);
    Add<Transform>(entity, transform);
    Add<Camera>(entity, camera);
    return entity;
  }

  Camera& CameraOf(int entity) { return *components->GetComponent<Camera>(entity); }
  Transform& TransformOf(int entity) { return *components->GetComponent<Transform>(entity); }

  SettingsSystem* settings = nullptr;
  CameraSystem* cameras = nullptr;
  int windowWidth = 200;
  int windowHeight = 100;
};

Camera MakeCamera(Mode mode, float zoom, float nearPlane, float farPlane, FramebufferLayer layer) {
  Camera camera;
  camera._mode = mode;
  camera._zoom = zoom;
  camera._nearPlane = nearPlane;
  camera._farPlane = farPlane;
  camera._frameBuffer = layer;
  camera.SetDirty();
  return camera;
}

TEST_F(CameraSystemTest, LayerValuesComeFromTheCameraAndThePerspectiveSetting) {
  // The window is 2:1. The camera stands at (1, 2, 3), turned 90 degrees about z.
  const Transform placed({1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 90.0f}, {1.0f, 1.0f, 1.0f});
  const glm::mat4 view =
      glm::inverse(glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f)),
                               glm::radians(90.0f), glm::vec3(0.0f, 0.0f, 1.0f)));
  const glm::mat4 ortho = glm::ortho(-2.0f, 2.0f, -1.0f, 1.0f, -10.0f, 100.0f);
  const struct {
    const char* name;
    bool orthographicSetting;
    Camera camera;
    glm::mat4 projection;  // of "viewProjection"
    float nearPlane;
    glm::mat4 ownProjection;  // of "viewProjectionOrtho"
  } cases[] = {
      {"scene layer, orthographic setting", true,
       MakeCamera(Mode::ORTHO, 0.5f, -10.0f, 100.0f, FramebufferLayer::SCENE), ortho, -10.0f,
       ortho},
      {"scene layer, perspective setting: field of view 1, near 0.01, own far plane", false,
       MakeCamera(Mode::ORTHO, 0.5f, -10.0f, 100.0f, FramebufferLayer::SCENE),
       glm::perspective(1.0f, 2.0f, 0.01f, 100.0f), 0.01f, ortho},
      {"other layers ignore the setting", false,
       MakeCamera(Mode::ORTHO, 0.5f, -10.0f, 100.0f, FramebufferLayer::GAMEUI), ortho, -10.0f,
       ortho},
      {"a perspective camera's zoom is its field of view", true,
       MakeCamera(Mode::PERSPECTIVE, 0.8f, 0.5f, 50.0f, FramebufferLayer::MENUUI),
       glm::perspective(0.8f, 2.0f, 0.5f, 50.0f), 0.5f, glm::perspective(0.8f, 2.0f, 0.5f, 50.0f)},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    settings->IsOrthographic = test.orthographicSetting;
    const int entity = AddCamera("camera", test.camera, placed);
    cameras->Update(0.0f);

    const int layer = static_cast<int>(test.camera._frameBuffer);
    ASSERT_TRUE(cameras->HasLayerCamera(layer));
    const LayerCamera& values = *cameras->FindLayerCamera(layer);
    EXPECT_EQ(values.position, glm::vec3(1.0f, 2.0f, 3.0f));
    ExpectMatrixNear(values.projection, test.projection, "projection", 1e-4f);
    ExpectMatrixNear(values.viewProjection, test.projection * view, "viewProjection", 1e-4f);
    ExpectMatrixNear(values.orthoViewProjection, test.ownProjection * view, "viewProjectionOrtho",
                     1e-4f);
    EXPECT_FLOAT_EQ(values.nearPlane, test.nearPlane);
    EXPECT_FLOAT_EQ(values.orthoNearPlane, test.camera._nearPlane);
    EXPECT_FLOAT_EQ(values.farPlane, test.camera._farPlane);
    // The camera itself keeps its own mode; it took the window's aspect.
    EXPECT_EQ(CameraOf(entity)._mode, test.camera._mode);
    EXPECT_FLOAT_EQ(CameraOf(entity).aspect, 2.0f);

    // The uploads carry the same values.
    GlobalUniforms globals;
    cameras->UploadCameraUniforms(layer, globals);
    EXPECT_EQ(globals.mat4Values.at("viewProjection"), values.viewProjection);
    EXPECT_EQ(globals.mat4Values.at("viewProjectionOrtho"), values.orthoViewProjection);
    EXPECT_EQ(globals.vec3Values.at("CameraPos"), values.position);
    EXPECT_EQ(globals.floats.at("nearPlane"), values.nearPlane);
    EXPECT_EQ(globals.floats.at("nearPlaneOrtho"), values.orthoNearPlane);
    EXPECT_EQ(globals.floats.at("farPlane"), values.farPlane);
    decs->DestroyEntity(entity);
  }
}

TEST_F(CameraSystemTest, LayersWithoutACameraAreNeverAddedAndUploadClipSpace) {
  AddCamera("scene", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE),
            Transform({0.0f, 0.0f, 5.0f}, {}, {1.0f, 1.0f, 1.0f}));
  cameras->Update(0.0f);
  // Looking a layer up, in range or not, adds nothing.
  for (const int layer : {0, 2, 3, 8, 9, -1, 1000}) {
    EXPECT_FALSE(cameras->HasLayerCamera(layer)) << layer;
    EXPECT_EQ(cameras->FindLayerCamera(layer), nullptr) << layer;
  }
  EXPECT_TRUE(cameras->HasLayerCamera(1));

  GlobalUniforms globals;
  cameras->UploadCameraUniforms(3, globals);
  EXPECT_EQ(globals.mat4Values.at("viewProjection"), glm::mat4(1.0f));
  EXPECT_EQ(globals.mat4Values.at("viewProjectionOrtho"), glm::mat4(1.0f));
  EXPECT_EQ(globals.vec3Values.at("CameraPos"), glm::vec3(0.0f));
  EXPECT_FALSE(cameras->HasLayerCamera(3));
}

TEST_F(CameraSystemTest, HighestIdFillsASharedLayerAndValuesOutliveTheirCamera) {
  const int first =
      AddCamera("first", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE),
                Transform({1.0f, 0.0f, 0.0f}, {}, {1.0f, 1.0f, 1.0f}));
  const int second =
      AddCamera("second", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE),
                Transform({2.0f, 0.0f, 0.0f}, {}, {1.0f, 1.0f, 1.0f}));
  // A camera naming a layer the renderer does not have is skipped.
  AddCamera("stray", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, static_cast<FramebufferLayer>(12)),
            Transform());
  cameras->Update(0.0f);
  EXPECT_EQ(cameras->FindLayerCamera(1)->position.x, 2.0f);
  EXPECT_NE(cameras->CameraOfLastUpdate(1), nullptr);

  decs->DestroyEntity(second);
  decs->DestroyEntity(first);
  cameras->Update(0.0f);
  EXPECT_EQ(cameras->FindLayerCamera(1)->position.x, 2.0f);
  EXPECT_EQ(cameras->CameraOfLastUpdate(1), nullptr);
}

TEST_F(CameraSystemTest, AspectFollowsTheWindowOnlyBeyondATenthOfAPercent) {
  const int entity = AddCamera(
      "scene", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::GAMEUI), Transform());
  cameras->Update(0.0f);
  const glm::mat4 projection = CameraOf(entity).projection;

  windowWidth = 1000;
  windowHeight = 500;  // 2:1 as before, different size
  cameras->Update(0.0f);
  windowWidth = 1001;  // 0.1 % wider: kept
  cameras->Update(0.0f);
  EXPECT_EQ(CameraOf(entity).aspect, 2.0f);
  EXPECT_EQ(CameraOf(entity).projection, projection);

  windowWidth = 1002;  // 0.2 % wider: followed
  cameras->Update(0.0f);
  EXPECT_FLOAT_EQ(CameraOf(entity).aspect, 2.004f);

  // A minimised window has no aspect: the camera keeps its own.
  windowWidth = 0;
  windowHeight = 0;
  cameras->Update(0.0f);
  EXPECT_FLOAT_EQ(CameraOf(entity).aspect, 2.004f);
}

TEST_F(CameraSystemTest, MessagesMoveTheSceneCameraAndMalformedOnesChangeNothing) {
  // Entity 0 is on another layer; entity 1 is the scene camera; entity 2 is a later one.
  const int interfaceCamera = AddCamera(
      "ui", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::GAMEUI), Transform());
  const int sceneCamera = AddCamera(
      "scene", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE), Transform());
  const int laterCamera = AddCamera(
      "later", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE), Transform());
  const int target = CreateEntity("Target");
  Add<Transform>(target, Transform({0.0f, 0.0f, 0.0f}, {}, {2.0f, 4.0f, 1.0f}));
  CreateEntity("Bare");

  struct State {
    glm::vec3 position, rotation, scale;
    float zoom;
    std::vector<Mode> modes;
    std::vector<float> nearPlanes;
  };
  const auto state = [&] {
    State now{TransformOf(sceneCamera)._position,
              TransformOf(sceneCamera)._rotation,
              TransformOf(sceneCamera)._scale,
              CameraOf(sceneCamera)._zoom,
              {},
              {}};
    for (const int camera : {interfaceCamera, sceneCamera, laterCamera}) {
      now.modes.push_back(CameraOf(camera)._mode);
      now.nearPlanes.push_back(CameraOf(camera)._nearPlane);
    }
    return now;
  };
  const State initial = state();
  const auto same = [](State s) { return s; };
  const struct {
    const char* message;
    std::function<State(State)> expected;
  } cases[] = {
      {"camera_position 1 2 3",
       [](State s) {
         s.position = {1, 2, 3};
         return s;
       }},
      {"camera_rotation 0 45 0",
       [](State s) {
         s.rotation = {0, 45, 0};
         return s;
       }},
      {"camera_scale 2 2 2",
       [](State s) {
         s.scale = {2, 2, 2};
         return s;
       }},
      {"camera_zoom 0.25",
       [](State s) {
         s.zoom = 0.25f;
         return s;
       }},
      {"camera_position 1 2", same},
      {"camera_position 1 two 3", same},
      {"camera_position 1 2 3 4", same},
      {"camera_rotation 1e99 0 0", same},
      {"camera_zoom", same},
      {"camera_zoom wide", same},
      {"camm o",
       [](State s) {
         s.zoom = 0.05f;
         s.modes.assign(3, Mode::ORTHO);
         s.nearPlanes.assign(3, -1000.0f);
         return s;
       }},
      {"camera_mode perspective",
       [](State s) {
         s.zoom = 1.0f;
         s.modes.assign(3, Mode::PERSPECTIVE);
         s.nearPlanes.assign(3, 0.01f);
         return s;
       }},
      {"camera_mode sideways", same},
      {"camera_mode", same},
      {"camera_focus Target",
       [](State s) {
         s.position = {-10.0f, 14.4f, 10.0f};
         s.zoom = 0.05f;
         return s;
       }},
      {"camera_focus Nobody", same},
      {"camera_focus Bare", same},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.message);
    TransformOf(sceneCamera) = Transform();
    for (const int camera : {interfaceCamera, sceneCamera, laterCamera}) {
      CameraOf(camera) = MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, CameraOf(camera)._frameBuffer);
    }
    messaging->PostFormatted("%s", 1, test.message);
    const State expected = test.expected(initial);
    const State actual = state();
    EXPECT_EQ(actual.position, expected.position);
    EXPECT_EQ(actual.rotation, expected.rotation);
    EXPECT_EQ(actual.scale, expected.scale);
    EXPECT_FLOAT_EQ(actual.zoom, expected.zoom);
    EXPECT_EQ(actual.modes, expected.modes);
    EXPECT_EQ(actual.nearPlanes, expected.nearPlanes);
    EXPECT_EQ(TransformOf(laterCamera)._position, glm::vec3(0.0f));
  }
}

TEST_F(CameraSystemTest, GetPositionRepliesWithTheLayerPositionOrZeros) {
  AddCamera("scene", MakeCamera(Mode::ORTHO, 1.0f, 0.0f, 10.0f, FramebufferLayer::SCENE),
            Transform({1.5f, -2.0f, 10.0f}, {}, {1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(messaging->PostFormatted("camera_get_position 1", 1), "0.000000 0.000000 0.000000");
  cameras->Update(0.0f);
  EXPECT_EQ(messaging->PostFormatted("camera_get_position 1", 1), "1.500000 -2.000000 10.000000");
  EXPECT_EQ(messaging->PostFormatted("camera_get_position 4", 1), "0.000000 0.000000 0.000000");
  EXPECT_EQ(messaging->PostFormatted("camera_get_position one", 1), "");
  EXPECT_FALSE(cameras->HasLayerCamera(4));
}

}  // namespace
