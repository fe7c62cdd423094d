-- A sentry of the ruins: glides back and forth along x across its row, hurting the player on
-- touch (its alias names it an enemy). Every fired block that reaches it counts once; HITS_TO_FALL
-- of them bring it down, which scores and removes it. Each sentry starts at a random point of its
-- sweep, drawn from the game's gameplay random numbers, so that they do not move in step.
local SPAN = 9.0
local SPEED = 3.0
local HITS_TO_FALL = 2
local POINTS = 100

local self = -1
local alias = ""
local centre = 0.0
local direction = 1.0
local hits = 0
local counted = {}
local down = false

function Collision_Resolve(other)
  if down or string.sub(other or "", 1, 11) ~= "playerBlock" or counted[other] then return end
  counted[other] = true
  hits = hits + 1
  PlayerData.AddScore(25)
  if hits >= HITS_TO_FALL then
    down = true
    PlayerData.AddScore(POINTS)
  end
  SendMessage(string.format("hud_update_score %d 0.0", PlayerData.score))
end

return {
  init = function(id)
    self = id
    alias = GetEntityAlias(id)
    hits = 0
    counted = {}
    down = false
    local position = GetTransform(id)._position
    centre = position.x
    position.x = centre + RandomGameplay(-SPAN, SPAN)
    direction = 1.0
    if RandomGameplayInt(0, 1) == 0 then direction = -1.0 end
  end,
  update = function(dt)
    if down then
      -- removed on the update after the last hit, so the block still hears of the contact
      DestroyEntity(alias)
      return
    end
    local position = GetTransform(self)._position
    position.x = position.x + direction * SPEED * dt
    if position.x > centre + SPAN then
      position.x = centre + SPAN
      direction = -1.0
    elseif position.x < centre - SPAN then
      position.x = centre - SPAN
      direction = 1.0
    end
  end,
}
