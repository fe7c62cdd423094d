#include "components/mesh_component.h"

#include "engine/decs.h"

void MeshComponent::Reload() {
  if (ResourceProvider* resources = DECS::CurrentResources()) meshId = resources->GetMesh(_path);
}
