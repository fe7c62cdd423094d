-- The player's blocks: PICKUP_BLOCK lifts a floor tile inside the halo (the tile ahead, else a
-- pickup block beside the player) and carries it, up to PlayerData.maxBlocks; THROW_BLOCK fires
-- a carried block along the facing direction; walking onto a hole with a block in hand refills
-- the hole ("tilemap_regen_tile") and tells the rings ("block_regenerated"). The halo, a ring
-- drawn on the ground around the player, shows the reach of a pick-up.
local HALO_REACH = 3.2
local AHEAD = 2.2
local SHOT_SPEED = 18.0
local SHOT_START = 1.2
local LIFTABLE = { ["1"] = true, ["3"] = true, ["4"] = true }
local PICKUP_BLOCK = "4"
local HOLE = "0"

local self = -1
local haloAlias = ""
local shotCount = 0

local function Message(text)
  return SendMessage(text).message
end

local function ScoreChanged()
  Message(string.format("hud_update_score %d 0.0", PlayerData.score))
end

local function OwnTile(position)
  local own = GetTileIndicesInRadius(position, 0)
  if #own == 0 then return -1 end
  return own[1]
end

-- the tile ahead of the player when it can be lifted, else the first pickup block around it
local function LiftTarget(position)
  local facing = PlayerData.facing
  local cell = WorldPosToMapCoords("Tilemap", position.x + facing.x * AHEAD, 0.0,
                                   position.z + facing.z * AHEAD)
  local own = OwnTile(position)
  if cell.x >= 0 then
    local ahead = tonumber(Message(string.format("tilemap_get_index %d %d", cell.x, cell.y)))
    if ahead ~= nil and ahead >= 0 and ahead ~= own and
        LIFTABLE[GetTilemapModelAtIndex(ahead, 1)] then
      return ahead
    end
  end
  local around = GetTileIndicesInRadius(position, 1)
  for k = 1, #around do
    local index = around[k]
    if index ~= own and GetTilemapModelAtIndex(index, 1) == PICKUP_BLOCK then return index end
  end
  return -1
end

local function PickUp(position)
  if PlayerData.blocks >= PlayerData.maxBlocks then
    ShowHint(100)
    return
  end
  local target = LiftTarget(position)
  if target < 0 then
    ShowHint(504)
    return
  end
  local centre = TileIndexToWorldPos(target)
  local lift = Utilities.SplitWords(Message(string.format("tilemap_try_lift %f %f %f",
                                                          HALO_REACH, centre.x, centre.z)))
  if lift[1] ~= "1" then
    ShowHint(504)
    return
  end
  local placed = Utilities.SplitWords(Message(string.format("tilemap_set_tile %f %f 0",
                                                            centre.x, centre.z)))
  if placed[1] ~= "1" then return end
  PlayerData.lastLift.x, PlayerData.lastLift.z = centre.x, centre.z
  PlayerData.blocks = PlayerData.blocks + 1
  PlayerData.pickups = PlayerData.pickups + 1
  PlayerData.AddScore(10)
  ScoreChanged()
  if PlayerData.blocks >= PlayerData.maxBlocks then ShowHint(100) end
end

local function Fire(position)
  if PlayerData.blocks <= 0 then
    ShowHint(201)
    return
  end
  shotCount = shotCount + 1
  local shot = InstantiatePrefab("PlayerBlock", "", "playerBlock" .. self .. "_" .. shotCount)
  local facing = PlayerData.facing
  local place = GetTransform(shot)._position
  place.x = position.x + facing.x * SHOT_START
  place.y = 0.4
  place.z = position.z + facing.z * SHOT_START
  local flight = GetPhysics(shot)._velocity
  flight.x, flight.y, flight.z = facing.x * SHOT_SPEED, 0.0, facing.z * SHOT_SPEED
  PlayerData.blocks = PlayerData.blocks - 1
  PlayerData.shots = PlayerData.shots + 1
end

-- a hole under the player is filled with a carried block before the player can fall in
local function Refill(position)
  if PlayerData.blocks <= 0 then return end
  local own = OwnTile(position)
  if own < 0 or GetTilemapModelAtIndex(own, 1) ~= HOLE or not IsIndexCollidable(own) then
    return
  end
  Message(string.format("tilemap_regen_tile %d", own))
  Message("block_regenerated")
  PlayerData.blocks = PlayerData.blocks - 1
  PlayerData.refills = PlayerData.refills + 1
  PlayerData.AddScore(5)
  ScoreChanged()
  local body = GetPhysics(self)
  if position.y > -1.0 then
    body._isFalling = false
    body._velocity.y = 0.0
    position.y = 0.0
  end
end

local function FollowHalo(position)
  local id = GetEntityID(haloAlias)
  if GetEntityAlias(id) ~= haloAlias then return end
  local place = GetTransform(id)._position
  place.x, place.y, place.z = position.x, position.y + 0.03, position.z
end

return {
  init = function(id)
    self = id
    shotCount = 0
    haloAlias = "playerHalo" .. id
    if GetEntityAlias(GetEntityID(haloAlias)) ~= haloAlias then
      InstantiatePrefab("PlayerHalo", "", haloAlias)
    end
  end,
  update = function(dt)
    local transform = GetTransform(self)
    if transform == nil then return end
    local position = transform._position
    FollowHalo(position)
    Refill(position)
    if not PlayerData.AcceptsInput() then return end
    if input.IsActionTriggered(GameAction.PICKUP_BLOCK) then PickUp(position) end
    if input.IsActionTriggered(GameAction.THROW_BLOCK) then Fire(position) end
  end,
}
