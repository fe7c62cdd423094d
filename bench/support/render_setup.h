#pragma once
// The set-up shared by the GL benchmarks that draw entities: a hidden window (see
// bench_window.h), the engine's managers and components, the camera and light systems with an
// orthographic camera 50 units high looking down -z from z = 10 and an ambient light, a GL
// resource cache, and a renderer that uses them (a benchmark may place the camera elsewhere).
// Everything goes again, renderer first, when the object goes.
//
//   BenchRenderSetup setup(320, 180, "Kelvaris render benchmark");
//   setup.AddEntity("emitter", Transform(), emitter);
//   setup.renderer().Render();

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "bench/support/bench_window.h"
#include "bench/support/quiet_stdout.h"
#include "components/camera.h"
#include "components/component_registration.h"
#include "components/light.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "render/camera_system.h"
#include "render/light_system.h"
#include "render/renderer.h"
#include "render/resource_cache.h"

// Where the orthographic camera stands and its zoom (the view is 1 / zoom units high).
struct BenchCamera {
  Transform place{{0.0f, 0.0f, 10.0f}, {}, {1.0f, 1.0f, 1.0f}};
  float zoom = 0.02f;
};

class BenchRenderSetup {
 public:
  BenchRenderSetup(int width, int height, const char* title, const BenchCamera& view = {}) {
    window = OpenBenchmarkWindow(width, height, title);
    const QuietStdout quiet;
    if (gladLoadGL(glfwGetProcAddress) == 0) throw std::runtime_error("no GL entry points");
    glViewport(0, 0, width, height);
    DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    const auto cameras = systems().RegisterSystem<CameraSystem>();
    const auto lights = systems().RegisterSystem<LightSystem>();
    CameraSystemLinks window;
    window.windowSize = [width, height](int& windowWidth, int& windowHeight) {
      windowWidth = width;
      windowHeight = height;
      return true;
    };
    cameras->SetLinks(std::move(window));
    Camera camera;
    camera._zoom = view.zoom;
    camera._nearPlane = -100.0f;
    camera.SetDirty();
    AddEntity("camera", view.place, camera);
    Light ambient;
    ambient._type = 3;
    AddEntity("ambient", Transform(), ambient);
    cameras->Update(0.0f);
    lights->Update(0.0f);
    cacheInstance = std::make_unique<ResourceCache>(MakeGlBackend());
    rendererInstance = std::make_unique<Renderer>(*cacheInstance);
    rendererInstance->UseSystems(cameras, lights);
  }

  ~BenchRenderSetup() {
    rendererInstance.reset();
    cacheInstance.reset();
    DECS::Instance().Shutdown();
    glfwDestroyWindow(window);
    glfwTerminate();
  }

  BenchRenderSetup(const BenchRenderSetup&) = delete;
  BenchRenderSetup& operator=(const BenchRenderSetup&) = delete;

  // Makes an entity with these components and tells the systems; returns its id.
  template <typename... Components>
  int AddEntity(const std::string& name, Components... parts) {
    DECS& decs = DECS::Instance();
    auto& entities = *decs.GetManager<EntityManager>();
    auto& components = *decs.GetManager<ComponentManager>();
    const int entity = entities.CreateEntity(name);
    (components.AddComponent(entity, parts), ...);
    (entities.AddToSignature<Components>(entity), ...);
    systems().EntitySignatureChanged(entity, entities.signaturesById[entity]);
    return entity;
  }

  SystemManager& systems() { return *DECS::Instance().GetManager<SystemManager>(); }
  Renderer& renderer() { return *rendererInstance; }
  ResourceCache& cache() { return *cacheInstance; }

 private:
  GLFWwindow* window = nullptr;
  std::unique_ptr<ResourceCache> cacheInstance;
  std::unique_ptr<Renderer> rendererInstance;
};
