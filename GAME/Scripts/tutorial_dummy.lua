-- The tutorial's training dummy: every fired block that reaches it counts once, scores, makes it
-- jolt, and tells the director ("lua_call TutorialDummyHit").
local JOLT_SECONDS = 0.25

local self = -1
local counted = {}
local jolt = 0.0
local restHeight = 2.0

function Collision_Resolve(other)
  if string.sub(other or "", 1, 11) ~= "playerBlock" or counted[other] then return end
  counted[other] = true
  jolt = JOLT_SECONDS
  PlayerData.AddScore(50)
  SendMessage(string.format("hud_update_score %d 0.0", PlayerData.score))
  SendMessage("lua_call TutorialDummyHit")
end

return {
  init = function(id)
    self = id
    counted = {}
    jolt = 0.0
    restHeight = GetTransform(id)._scale.y
  end,
  update = function(dt)
    local scale = GetTransform(self)._scale
    if jolt > 0.0 then
      jolt = math.max(jolt - dt, 0.0)
      scale.y = restHeight * (1.0 - 0.3 * jolt / JOLT_SECONDS)
    else
      scale.y = restHeight
    end
  end,
}
