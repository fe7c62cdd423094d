-- The level camera follows the player from above and behind, along the diagonal it looks down,
-- easing towards the player so that dashes do not jerk the view.
local OFFSET = { x = 17.0, y = 19.0, z = 17.0 }
local FOLLOW_RATE = 6.0

local self = -1
local placed = false

local function Target()
  local player = GetEntityID("player")
  if GetEntityAlias(player) ~= "player" then return nil end
  return GetTransform(player)._position
end

return {
  init = function(id)
    self = id
    placed = false
  end,
  update = function(dt)
    local target = Target()
    if target == nil then return end
    local position = GetTransform(self)._position
    local blend = 1.0
    if placed then blend = Utilities.Clamp(dt * FOLLOW_RATE, 0.0, 1.0) end
    position.x = Utilities.Lerp(position.x, target.x + OFFSET.x, blend)
    position.y = Utilities.Lerp(position.y, OFFSET.y, blend)
    position.z = Utilities.Lerp(position.z, target.z + OFFSET.z, blend)
    placed = true
  end,
}
