-- The director of a playable tile level (the meadow, then the ruins). On its first update it
-- announces the level ("level1_init" or "level2_init"), whose handler sets the level's goal and
-- shows its hints (again every HINT_REPEAT seconds until the goal is met). The meadow asks for
-- refilled holes, the ruins for every sentry shot down. A met goal sends "level_end", which
-- raises the exit (tile group 15); stepping onto it moves the run on to the scene the menu
-- manager named through SetNextScene.
local HINT_REPEAT = 10.0
local EXIT_GROUP = 15
local CLEAR_BONUS = 200

-- the goals, by level number
local LEVELS = {
  { scene = "level1_scene", next = "level1ToLevel2Transition_scene", refills = 4, sentries = false,
    hints = { 1030, 908 } },
  { scene = "level2_scene", next = "level2ToLevel3Transition_scene", refills = 0, sentries = true,
    hints = { 201, 807 } },
}

local level = nil
local announced = false
local exitOpen = false
local leaving = false
local hintTimer = 0.0
local nextScene = ""

local function Message(text)
  SendMessage(text)
end

local function ShowHints(hints)
  for k = 1, #hints do ShowHint(hints[k]) end
  hintTimer = HINT_REPEAT
end

local function GoalMet()
  if level == nil then return false end
  if PlayerData.refills < level.refills then return false end
  return not level.sentries or CountEntitiesWithAliasSubstring("sentryEnemy") == 0
end

local function Start(number)
  level = LEVELS[number]
  exitOpen = false
  ShowHints(level.hints)
end

function Level1_Init(argument)
  Start(1)
end

function Level2_Init(argument)
  Start(2)
end

-- the exit has risen
function Level_End(argument)
  if exitOpen then return end
  exitOpen = true
  Message("play_sfx playerWin 1.0 1.0 0.0 1")
  ShowHints({ 1040 })
end

-- the game is won on the spot: the level's exit opens
function Game_End(argument)
  if not exitOpen then Message("level_end") end
end

function SetNextScene(argument)
  if argument ~= nil and argument ~= "" then nextScene = argument end
end

return {
  init = function(id)
    level = nil
    announced = false
    exitOpen = false
    leaving = false
    hintTimer = 0.0
    nextScene = ""
    for number = 1, #LEVELS do
      if IsCurrentScene(LEVELS[number].scene) then nextScene = LEVELS[number].next end
    end
  end,
  update = function(dt)
    if not announced then
      -- every script of the level has started by the first update
      announced = true
      if IsCurrentScene(LEVELS[2].scene) then Message("level2_init") else Message("level1_init") end
      return
    end
    if level == nil or leaving or PlayerData.dead then return end
    if exitOpen and Utilities.StandsOnGroup("player", EXIT_GROUP) then
      leaving = true
      PlayerData.AddScore(CLEAR_BONUS)
      Message(string.format("hud_update_score %d 0.0", PlayerData.score))
      -- the player stops here; no "player_is_locked": that word asks the HUD for its mash
      -- keycaps, which would stand over the next scene's title card
      PlayerData.inputPaused = true
      Message("scene " .. nextScene)
      return
    end
    if not exitOpen and GoalMet() then
      Message("level_end")
      return
    end
    hintTimer = hintTimer - dt
    if hintTimer <= 0.0 then
      if exitOpen then ShowHints({ 1040 }) else ShowHints(level.hints) end
    end
  end,
}
