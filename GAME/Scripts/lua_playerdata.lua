-- PlayerData: the player's state shared between scripts for the length of a run (health,
-- invincibility, score, carried blocks, locked input) and the counts of what the player has
-- done in the current level, which a level's director reads. Calls no engine function at load
-- time.
local PlayerData = {
  maxHealth = 3,
  health = 3,
  invincible = false,
  score = 0,
  maxBlocks = 6,
  blocks = 0,
  inputPaused = false,
  dead = false,
  -- the last direction the player moved in on the ground plane (unit length)
  facing = { x = -0.70710678, z = -0.70710678 },
  -- the ground position of the tile lifted last
  lastLift = { x = 0.0, z = 0.0 },
  -- counts since the player's scripts last started
  dashes = 0,
  pickups = 0,
  shots = 0,
  refills = 0,
}

-- back to the start of a run
function PlayerData.Reset()
  PlayerData.health = PlayerData.maxHealth
  PlayerData.invincible = false
  PlayerData.score = 0
  PlayerData.blocks = 0
  PlayerData.inputPaused = false
  PlayerData.dead = false
  PlayerData.ResetCounts()
end

-- the counts a level's director reads start again at zero
function PlayerData.ResetCounts()
  PlayerData.dashes = 0
  PlayerData.pickups = 0
  PlayerData.shots = 0
  PlayerData.refills = 0
end

-- takes amount of health unless invincible; returns true when the player has none left
function PlayerData.Damage(amount)
  if not PlayerData.invincible then
    PlayerData.health = math.max(PlayerData.health - amount, 0)
  end
  return PlayerData.health == 0
end

function PlayerData.Heal(amount)
  PlayerData.health = math.min(PlayerData.health + amount, PlayerData.maxHealth)
end

function PlayerData.IsDead()
  return PlayerData.health == 0
end

function PlayerData.AddScore(points)
  PlayerData.score = PlayerData.score + points
end

-- true while the player's own input moves it
function PlayerData.AcceptsInput()
  return not PlayerData.inputPaused and not PlayerData.dead
end

return PlayerData
