-- The player's walking and dashing. The move actions steer the player relative to the level
-- camera, which looks down the diagonal towards -x and -z: up on the screen is (-1, 0, -1) and
-- right is (1, 0, -1) on the ground. A dash is a short burst along the facing direction on the
-- dashing collision layer. The facing direction is kept in PlayerData for the other scripts.
local SPEED = 7.0
local DASH_SPEED = 22.0
local DASH_SECONDS = 0.18
local DASH_COOLDOWN = 0.6
local DIAGONAL = 0.70710678

local self = -1
local dashLeft = 0.0
local cooldown = 0.0

local function EndDash()
  if dashLeft > 0.0 then
    dashLeft = 0.0
    GetCollider(self)._layer = ColliderLayer.PLAYER
  end
end

-- a wall stops a dash where it is
function Collision_Tilemap(argument)
  EndDash()
end

local function DashOn(body)
  local facing = PlayerData.facing
  Physics.SetGroundVelocity(body, facing.x * DASH_SPEED, facing.z * DASH_SPEED)
end

local function Steer(body)
  local across = input.GetActionRangeVal(GameAction.X_AXIS)
  local ahead = input.GetActionRangeVal(GameAction.Y_AXIS)
  local x = (across - ahead) * DIAGONAL
  local z = (-across - ahead) * DIAGONAL
  local length = math.sqrt(x * x + z * z)
  if length > 0.001 then
    x, z = x / length, z / length
    PlayerData.facing.x, PlayerData.facing.z = x, z
    Physics.SetGroundVelocity(body, x * SPEED, z * SPEED)
  else
    Physics.SetGroundVelocity(body, 0.0, 0.0)
  end
end

return {
  init = function(id)
    self = id
    dashLeft = 0.0
    cooldown = 0.0
    GetCollider(id)._layer = ColliderLayer.PLAYER
  end,
  update = function(dt)
    local body = GetPhysics(self)
    if body == nil then return end
    cooldown = math.max(cooldown - dt, 0.0)
    if not PlayerData.AcceptsInput() then
      EndDash()
      Physics.SetGroundVelocity(body, 0.0, 0.0)
      return
    end
    if dashLeft > 0.0 then
      dashLeft = dashLeft - dt
      DashOn(body)
      if dashLeft <= 0.0 then EndDash() end
      return
    end
    Steer(body)
    if input.IsActionTriggered(GameAction.DASH) and cooldown <= 0.0 and not body._isFalling then
      dashLeft = DASH_SECONDS
      cooldown = DASH_COOLDOWN
      PlayerData.dashes = PlayerData.dashes + 1
      GetCollider(self)._layer = ColliderLayer.PLAYER_DASHING
      DashOn(body)
    end
  end,
}
