-- The player's health: the HUD hears of every change ("player_health_update", and
-- "player_took_damage" on a hit); an enemy touch or a fall costs one point and a short spell of
-- invincibility; standing still heals one point every few seconds. A fall into a hole or off
-- the map puts the player back on the last ground it stood on (the collision system never
-- clears the falling flag, so the respawn does). A run's state starts afresh when the tutorial
-- or the first level starts. With no health left the run ends: the diary
-- entry first (it stops the clock), then the losing results board.
local FALL_LIMIT = -6.0
local HIT_GRACE = 1.0
local STILL_HEAL_SECONDS = 3.0

local self = -1
local grace = 0.0
local stillFor = 0.0
local safe = { x = 0.0, z = 0.0 }

local function Message(text)
  SendMessage(text)
end

local function HealthChanged()
  Message(string.format("player_health_update %d", PlayerData.health))
end

-- the run is lost: input stops, the diary gets the run, the results board shows
function player_dead(argument)
  if PlayerData.dead then return end
  PlayerData.dead = true
  PlayerData.health = 0
  Message("player_is_locked")
  Message("add_game_failure_to_diary")
  Message("show_results lose")
end

-- the player's own input no longer moves it
function PauseInput(argument)
  PlayerData.inputPaused = true
  Message("player_is_locked")
end

function MakeInvincible(argument)
  PlayerData.invincible = true
end

local function TakeDamage(amount)
  if PlayerData.dead or grace > 0.0 or PlayerData.invincible then return end
  grace = HIT_GRACE
  PlayerData.Damage(amount)
  Message("player_took_damage")
  HealthChanged()
  if PlayerData.IsDead() then
    Message("play_sfx playerDie 1.0 1.0 0.0 1")
    player_dead("")
  end
end

-- anything whose alias names it an enemy or a hazard hurts on touch
function Collision_Resolve(other)
  local name = string.lower(other or "")
  if string.find(name, "enemy", 1, true) or string.find(name, "hazard", 1, true) then
    TakeDamage(1)
  end
end

local function Respawn(transform, body)
  local position = transform._position
  position.x, position.y, position.z = safe.x, 0.0, safe.z
  body._velocity.x, body._velocity.y, body._velocity.z = 0.0, 0.0, 0.0
  body._isFalling = false
end

-- remembers where the player stands on collidable ground that is not the level exit
local function RememberGround(position, body)
  if body._isFalling or position.y < -0.1 then return end
  local tile = GetTileIndicesInRadius(position, 0)
  if #tile == 0 then return end
  local index = tile[1]
  if GetTilemapModelAtIndex(index, 1) == "0" or not IsIndexCollidable(index) or
      GetTilemapGroupAtIndex(index) == 15 then
    return
  end
  local centre = TileIndexToWorldPos(index)
  safe.x, safe.z = centre.x, centre.z
end

local function HealWhileStill(dt, body)
  if Physics.GroundSpeed(body) > 0.05 or PlayerData.health >= PlayerData.maxHealth then
    stillFor = 0.0
    return
  end
  stillFor = stillFor + dt
  if stillFor >= STILL_HEAL_SECONDS then
    stillFor = 0.0
    PlayerData.Heal(1)
    HealthChanged()
  end
end

return {
  init = function(id)
    self = id
    grace = 0.0
    stillFor = 0.0
    -- a run starts on the tutorial or on the first level; a lost run leaves no health
    if IsCurrentScene("levelt_scene") or IsCurrentScene("level1_scene") or
        PlayerData.health <= 0 then
      PlayerData.Reset()
    end
    PlayerData.inputPaused = false
    PlayerData.dead = false
    PlayerData.ResetCounts()
    local position = GetTransform(id)._position
    safe.x, safe.z = position.x, position.z
    Message(string.format("player_max_health_update %d", PlayerData.maxHealth))
    HealthChanged()
    Message(string.format("hud_update_score %d 0.0", PlayerData.score))
    Message("player_is_unlocked")
  end,
  update = function(dt)
    local transform = GetTransform(self)
    local body = GetPhysics(self)
    if transform == nil or body == nil or PlayerData.dead then return end
    grace = math.max(grace - dt, 0.0)
    local position = transform._position
    RememberGround(position, body)
    if position.y < FALL_LIMIT then
      Respawn(transform, body)
      grace = 0.0
      TakeDamage(1)
      return
    end
    HealWhileStill(dt, body)
  end,
}
