-- A fired block: flies straight on until it meets a wall, hits something, leaves the map or
-- has flown for FLIGHT_SECONDS; then it is removed. Removal waits for the block's next update,
-- so that the body it touched still hears of the contact.
local FLIGHT_SECONDS = 1.5

local self = -1
local alias = ""
local age = 0.0
local spent = false

-- a touch of anything but the player (or another fired block) spends the block
function Collision_Resolve(other)
  if other ~= "player" and string.sub(other or "", 1, 11) ~= "playerBlock" then spent = true end
end

local function OverWall(position)
  local code = GetTilemapModelAtWorldPosition(position, 1)
  return string.byte(code) == 255 or code >= "9"
end

return {
  init = function(id)
    self = id
    alias = GetEntityAlias(id)
    age = 0.0
    spent = false
  end,
  update = function(dt)
    age = age + dt
    local transform = GetTransform(self)
    if spent or age > FLIGHT_SECONDS or transform == nil or OverWall(transform._position) then
      DestroyEntity(alias)
    end
  end,
}
