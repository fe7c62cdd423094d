-- The final boss, Bliss Floreth. It announces itself to the HUD on its first update, then slams
-- the ground every few seconds (more often once below half health): it rises for a moment and
-- comes down, starting a shock wave ("StartWave") that runs out over the arena. A wave front
-- that passes the player while the player stands on the ground hurts it as a hazard's touch
-- would. Every fired block that reaches the boss counts once and costs it BLOCK_DAMAGE health
-- ("boss_health_update"). With no health left the run is won: the HUD drops the boss panel,
-- the clock stops, the diary gets the run, then the winning results board shows.
local HEALTH = 400
local BLOCK_DAMAGE = 25
local SLAM_EVERY = 4.5
local SLAM_EVERY_ENRAGED = 3.0
local WIND_UP = 0.6
local RISE = 1.5
-- the wave: how far it runs, how high and wide its front is, how fast it moves
local WAVE_DIST = 24.0
local WAVE_HEIGHT = 0.8
local WAVE_WIDTH = 1.2
local WAVE_SPEED = 7.0
-- how close to the front the player must be to be hit, and how high it may stand
local WAVE_REACH = 1.0
local GROUNDED = 0.3
local HINT_REPEAT = 12.0

local self = -1
local health = HEALTH
local announced = false
local dead = false
local slamTimer = 0.0
local windUp = 0.0
local restY = 0.0
local waves = {}
local waveCount = 0
local counted = {}
local hintTimer = 0.0
local nextScene = "main_menu_scene"

local function Message(text)
  SendMessage(text)
end

-- the run is won: the order matters, the diary entry stops the clock the board shows
local function Defeated()
  if dead or PlayerData.dead then return end
  dead = true
  health = 0
  Message("boss_health_update 0")
  Message("boss_eliminated")
  Message("bliss_killed")
  Message("play_sfx playerWin 1.0 1.0 0.0 1")
  PlayerData.inputPaused = true
  PlayerData.invincible = true
  Message("player_is_locked")
  Message("add_game_success_to_diary")
  Message("show_results win")
end

function Collision_Resolve(other)
  if dead or string.sub(other or "", 1, 11) ~= "playerBlock" or counted[other] then return end
  counted[other] = true
  health = math.max(health - BLOCK_DAMAGE, 0)
  PlayerData.AddScore(BLOCK_DAMAGE)
  Message(string.format("hud_update_score %d 0.0", PlayerData.score))
  Message(string.format("boss_health_update %d", health))
  if health == 0 then Defeated() end
end

-- the game is won on the spot
function Game_End(argument)
  Defeated()
end

function SetNextScene(argument)
  if argument ~= nil and argument ~= "" then nextScene = argument end
end

local function Slam(position)
  waveCount = waveCount + 1
  local ring = "slamWave" .. waveCount
  InstantiatePrefab("SlamWaveRing", "", ring)
  local place = GetTransform(GetEntityID(ring))._position
  place.x, place.y, place.z = position.x, 0.05, position.z
  waves[#waves + 1] = { x = position.x, z = position.z, time = 0.0, hit = false, ring = ring }
  Message(string.format("StartWave %f %f %f %f %f %f", position.x, position.z, WAVE_DIST,
                        WAVE_HEIGHT, WAVE_WIDTH, WAVE_SPEED))
end

-- moves every wave front on; a front passing a grounded player hurts it once
local function RunWaves(dt)
  local player = GetEntityID("player")
  local target = nil
  if GetEntityAlias(player) == "player" then target = GetTransform(player)._position end
  local kept = {}
  for k = 1, #waves do
    local wave = waves[k]
    wave.time = wave.time + dt
    local front = wave.time * WAVE_SPEED
    if front > WAVE_DIST then
      DestroyEntity(wave.ring)
    else
      local ring = GetEntityID(wave.ring)
      if GetEntityAlias(ring) == wave.ring then
        local scale = GetTransform(ring)._scale
        scale.x, scale.y = front * 2.0, front * 2.0
      end
      if target ~= nil and not wave.hit and target.y < GROUNDED then
        local dx, dz = target.x - wave.x, target.z - wave.z
        if math.abs(math.sqrt(dx * dx + dz * dz) - front) < WAVE_REACH then
          wave.hit = true
          SendLocalMessage("Collision_Resolve slamWaveHazard", player)
        end
      end
      kept[#kept + 1] = wave
    end
  end
  waves = kept
end

return {
  init = function(id)
    self = id
    health = HEALTH
    announced = false
    dead = false
    slamTimer = SLAM_EVERY
    windUp = 0.0
    waves = {}
    waveCount = 0
    counted = {}
    hintTimer = 0.0
    restY = GetTransform(id)._position.y
  end,
  update = function(dt)
    if not announced then
      announced = true
      Message(string.format("boss_is_spawned BLISS_FLORETH %d", HEALTH))
    end
    RunWaves(dt)
    local position = GetTransform(self)._position
    if dead then
      -- sinks into the floor
      position.y = math.max(position.y - dt * 2.0, restY - 4.0)
      return
    end
    if PlayerData.dead then return end
    hintTimer = hintTimer - dt
    if hintTimer <= 0.0 then
      ShowHint(201)
      ShowHint(807)
      hintTimer = HINT_REPEAT
    end
    if windUp > 0.0 then
      windUp = windUp - dt
      if windUp <= 0.0 then
        position.y = restY
        Slam(position)
      else
        position.y = restY + RISE * (1.0 - windUp / WIND_UP)
      end
      return
    end
    slamTimer = slamTimer - dt
    if slamTimer <= 0.0 then
      windUp = WIND_UP
      slamTimer = SLAM_EVERY
      if health * 2 < HEALTH then slamTimer = SLAM_EVERY_ENRAGED end
    end
  end,
}
