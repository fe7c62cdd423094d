#pragma once
// What the global Lua API needs from systems outside scripting (the rings, the hints, the tile
// world, the HUD). The composition root fills these once the systems exist; a link left empty
// makes its functions answer as if the system had nothing to offer.

struct LuaApiLinks {};
