-- PlayerData: the player's state shared between scripts for the length of a run (health,
-- invincibility, score). Calls no engine function at load time.
local PlayerData = {
  maxHealth = 3,
  health = 3,
  invincible = false,
  score = 0,
}

-- back to the start of a run
function PlayerData.Reset()
  PlayerData.health = PlayerData.maxHealth
  PlayerData.invincible = false
  PlayerData.score = 0
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

return PlayerData
