-- The player's particle effects, placed when the player's scripts start and started by what the
-- other player scripts count in PlayerData: a trail while dashing, stone chips where a tile is
-- lifted, a glow at the feet when a hole is refilled or health comes back.
local DASH_TRAIL_SECONDS = 0.25

local self = -1
local trail, chips, glow = "", "", ""
local seen = { dashes = 0, pickups = 0, refills = 0, health = 0 }
local trailLeft = 0.0

local function Place(alias, x, y, z)
  local id = GetEntityID(alias)
  if GetEntityAlias(id) ~= alias then return end
  local position = GetTransform(id)._position
  position.x, position.y, position.z = x, y, z
end

local function Ensure(prefab, alias)
  if GetEntityAlias(GetEntityID(alias)) ~= alias then InstantiatePrefab(prefab, "", alias) end
end

-- true once for every rise of the count since the last look; a count that starts again from
-- zero is taken as it is
local function Rose(name, value)
  local before = seen[name]
  seen[name] = value
  return value > before
end

return {
  init = function(id)
    self = id
    trail = "playerDashTrail" .. id
    chips = "playerBlockChips" .. id
    glow = "playerHealGlow" .. id
    Ensure("DashTrail", trail)
    Ensure("BlockBreakBurst", chips)
    Ensure("HealGlow", glow)
    seen.dashes, seen.pickups = PlayerData.dashes, PlayerData.pickups
    seen.refills, seen.health = PlayerData.refills, PlayerData.health
    trailLeft = 0.0
  end,
  update = function(dt)
    local transform = GetTransform(self)
    if transform == nil then return end
    local position = transform._position
    Place(trail, position.x, position.y + 0.5, position.z)
    Place(glow, position.x, position.y, position.z)
    if Rose("dashes", PlayerData.dashes) then
      trailLeft = DASH_TRAIL_SECONDS
      SendMessage("activate_particle " .. trail)
    elseif trailLeft > 0.0 then
      trailLeft = trailLeft - dt
      if trailLeft <= 0.0 then SendMessage("deactivate_particle " .. trail) end
    end
    if Rose("pickups", PlayerData.pickups) then
      Place(chips, PlayerData.lastLift.x, 0.0, PlayerData.lastLift.z)
      SendMessage("particle_burst " .. chips)
    end
    local refilled = Rose("refills", PlayerData.refills)
    if Rose("health", PlayerData.health) or refilled then
      SendMessage("particle_burst " .. glow)
    end
  end,
}
