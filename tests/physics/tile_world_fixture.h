#pragma once
// A tile world for the physics tests: the engine with every component type, a map entity
// "Tilemap" (Tilemap + Parent + Transform) and its palette entity "Palette" (a ModelList naming
// opal 1, unbreakable 2, regen_edge 3, pickup_block 4 and player_clip 5).
//
//   const int map = MakeMap(5, 3, glm::vec3(1.0f));   // all floor ('1'), height 0, group 0
//   Map().layer1[Index(2, 1)] = '0';

#include <string>

#include "components/model_list.h"
#include "components/parent.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "tests/render/render_test_scene.h"

namespace testing_support {

class TileWorldFixture : public RenderTestScene {
 protected:
  int MakeMap(unsigned int width, unsigned int height, const glm::vec3& scale) {
    ModelList palette;
    palette._path = "palette.txt";
    const char* names[] = {"opal", "unbreakable", "regen_edge", "pickup_block", "player_clip"};
    for (int code = 1; code <= 5; ++code) {
      palette.namedModels[names[code - 1]] = code;
      palette.models[static_cast<std::size_t>(code - 1)] = {
          static_cast<unsigned int>(10 * code), static_cast<unsigned int>(10 * code + 1),
          static_cast<unsigned int>(10 * code + 2), static_cast<unsigned int>(10 * code + 3)};
    }
    palette.modelCount = 5;
    Add<ModelList>(CreateEntity("Palette"), palette);

    Tilemap tiles;
    tiles.width = width;
    tiles.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    tiles.layer1.assign(count, '1');
    tiles.layer2.assign(count, '0');
    tiles.layer3.assign(count, '0');
    tiles.heights.assign(count, 0.0f);
    tiles.tileValues.assign(count, 0);
    mapEntity = CreateEntity("Tilemap");
    Parent parent;
    parent._alias = "Palette";
    Add<Parent>(mapEntity, parent);
    Add<Transform>(mapEntity, Transform({}, {}, scale));
    Add<Tilemap>(mapEntity, tiles);
    return mapEntity;
  }

  Tilemap& Map() { return *components->GetComponent<Tilemap>(mapEntity); }
  int Index(int column, int row) { return Map().TileIndex(column, row); }

  int mapEntity = -1;
};

}  // namespace testing_support
