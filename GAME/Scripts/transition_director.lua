-- The director of a transition scene between two levels: the title of the coming level stands
-- over a small island while the camera drifts in and the weather of the level left hands over
-- to the coming one (which takes the weather system nine seconds). The HUD over the title shows
-- the player's health as it is: a run after the tutorial starts on the first transition, with
-- full health. After SHOW_SECONDS, counted from the scene's load, the run moves on to the scene
-- the menu manager named through SetNextScene.
local SHOW_SECONDS = 10.0
local DRIFT = 4.0

-- each transition scene and the scene that follows it, should SetNextScene never be called
local CHAIN = {
  { scene = "level0ToLevel1Transition_scene", next = "level1_scene" },
  { scene = "level1ToLevel2Transition_scene", next = "level2_scene" },
  { scene = "level2ToLevel3Transition_scene", next = "final_boss_test_scene" },
}

local self = -1
local elapsed = 0.0
local moved = false
local nextScene = ""
local start = { x = 0.0, z = 0.0 }

function SetNextScene(argument)
  if argument ~= nil and argument ~= "" then nextScene = argument end
end

return {
  init = function(id)
    self = id
    elapsed = 0.0
    moved = false
    nextScene = "main_menu_scene"
    for k = 1, #CHAIN do
      if IsCurrentScene(CHAIN[k].scene) then nextScene = CHAIN[k].next end
    end
    local position = GetTransform(id)._position
    start.x, start.z = position.x, position.z
    -- a lost run left no health; a new run starts on the first transition
    if IsCurrentScene(CHAIN[1].scene) or PlayerData.health <= 0 then PlayerData.Reset() end
    SendMessage(string.format("player_max_health_update %d", PlayerData.maxHealth))
    SendMessage(string.format("player_health_update %d", PlayerData.health))
  end,
  update = function(dt)
    if moved then return end
    elapsed = elapsed + dt
    -- the camera (this entity) glides down its line of sight towards the island
    local t = Utilities.Clamp(elapsed / SHOW_SECONDS, 0.0, 1.0)
    local ease = t * t * (3.0 - 2.0 * t)
    local position = GetTransform(self)._position
    position.x = start.x - DRIFT * ease
    position.z = start.z - DRIFT * ease
    if elapsed >= SHOW_SECONDS then
      moved = true
      SendMessage("scene " .. nextScene)
    end
  end,
}
