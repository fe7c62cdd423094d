// The shader storage buffer binding points, one per buffer; the same numbers as
// render/gpu_binding_slots.h, which a test holds them to.
#define WIND_EMITTERS_SLOT 0
#define GRASS_DISABLED_TILES_SLOT 1
#define GRASS_BLADES_SLOT 2
#define GRASS_PRESS_CELLS_SLOT 3
#define WIND_GRID_SLOT 4
#define GRASS_TILE_HEIGHTS_SLOT 5
#define GRASS_DRAW_COMMAND_SLOT 6
#define GRASS_PRESSERS_SLOT 7
