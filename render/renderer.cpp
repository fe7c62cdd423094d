#include "render/renderer.h"

namespace {

std::unique_ptr<Renderer>& InstanceSlot() {
  static std::unique_ptr<Renderer> instance;
  return instance;
}

}  // namespace

Renderer& Renderer::Instance() {
  if (!InstanceSlot()) InstanceSlot() = std::make_unique<Renderer>();
  return *InstanceSlot();
}

bool Renderer::HasInstance() { return InstanceSlot() != nullptr; }

void Renderer::DestroyInstance() { InstanceSlot().reset(); }

void Renderer::HandleMessage(const std::string&) {}

void Renderer::RenderFrame() {}
