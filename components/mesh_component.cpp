#include "components/mesh_component.h"

void MeshComponent::Reload() {
  // The loading arrives with the mesh cache.
}
