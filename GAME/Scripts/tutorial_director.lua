-- The tutorial's director. It teaches one thing at a time, showing that step's hints (again
-- every HINT_REPEAT seconds) until the player has done it: dash, pick up a block, fire it,
-- refill a hole inside the halo, carry the most blocks, shoot the dummy. Then the rings: a
-- loose ring appears and the left (Floreth) hand slides in; sending the ring to it with Q and
-- refilling four holes brings in the right (Sundrel) hand; sending a ring there with E ends the
-- ring lesson, which raises the bridge over the pit and opens the portal ("level_end").
-- Stepping onto the portal completes the tutorial and moves on to the scene the menu named.
local HINT_REPEAT = 8.0
local REVEAL_SECONDS = 1.0
local BRIDGE_GROUP = 3
local PIT_GROUP = 4
local EXIT_GROUP = 15

local STEPS = {
  { name = "dash", hints = { 605 } },
  { name = "pickup", hints = { 706 } },
  { name = "fire", hints = { 807 } },
  { name = "halo", hints = { 504, 908 } },
  { name = "maxblocks", hints = { 706 } },
  { name = "dummy", hints = { 930 } },
  { name = "lefthand", hints = { 403 } },
  { name = "refill", hints = { 1030, 908 } },
  { name = "righthand", hints = { 302 } },
  { name = "portal", hints = { 1040 } },
  { name = "done", hints = {} },
}

local step = 1
local hintTimer = 0.0
local revealLeft = 0.0
local nextScene = "level0ToLevel1Transition_scene"
local dummyHit = false
local leftRingSent = false

local function Message(text)
  SendMessage(text)
end

local function StepName()
  return STEPS[step].name
end

local function ShowStepHints()
  local hints = STEPS[step].hints
  for k = 1, #hints do ShowHint(hints[k]) end
  hintTimer = HINT_REPEAT
end

local function Advance()
  if step < #STEPS then step = step + 1 end
  if StepName() == "lefthand" then
    -- a ring to send, and the hand to send it to
    Message("RingSystem_AddRing")
    Message("Tutorial_EnableLeftHand")
  end
  ShowStepHints()
end

-- the step's goal, read from what the player's scripts count
local function StepDone()
  local name = StepName()
  if name == "dash" then return PlayerData.dashes > 0 end
  if name == "pickup" then return PlayerData.pickups > 0 end
  if name == "fire" then return PlayerData.shots > 0 end
  if name == "halo" then return PlayerData.refills > 0 end
  if name == "maxblocks" then return PlayerData.blocks >= PlayerData.maxBlocks end
  if name == "dummy" then return dummyHit end
  if name == "lefthand" then return leftRingSent end
  return false
end

-- a hand slides in: the player stands still while it does, and is told what the hand is for
function TutorialDarken(argument)
  revealLeft = REVEAL_SECONDS
  PlayerData.inputPaused = true
  Message("player_is_locked")
end

-- the fourth refill has brought in the right hand
function HealingLearned(argument)
  if StepName() == "refill" then Advance() end
end

function BlockRegenerated(argument)
  PlayerData.AddScore(25)
  Message(string.format("hud_update_score %d 0.0", PlayerData.score))
end

function RingSentLeft(argument)
  leftRingSent = true
end

function RingSentRight(argument)
end

-- the ring lesson is over: the bridge rises and the portal opens
function Rings_Ended(argument)
  Message(string.format("tilemap_set_group %d raise", BRIDGE_GROUP))
  Message("level_end")
end

function Level_End(argument)
  while step < #STEPS and StepName() ~= "portal" do step = step + 1 end
  ShowStepHints()
end

function SetNextScene(argument)
  if argument ~= nil and argument ~= "" then nextScene = argument end
end

-- the dummy was hit by a fired block
function TutorialDummyHit(argument)
  dummyHit = true
end

return {
  init = function(id)
    step = 1
    dummyHit = false
    leftRingSent = false
    revealLeft = 0.0
    SetUniformFloat("backgroundSaturation", 1.0)
    SetUniformFloat("backgroundBrightness", 1.0)
    Message("InitRings 0")
    Message("tutorial_start")
    Message(string.format("tilemap_set_group %d lower", BRIDGE_GROUP))
    Message(string.format("tilemap_set_group %d lower", PIT_GROUP))
    ShowStepHints()
  end,
  update = function(dt)
    if revealLeft > 0.0 then
      revealLeft = revealLeft - dt
      if revealLeft <= 0.0 then
        PlayerData.inputPaused = false
        Message("player_is_unlocked")
        ShowStepHints()
      end
      return
    end
    local name = StepName()
    if name == "done" then return end
    if name == "portal" and Utilities.StandsOnGroup("player", EXIT_GROUP) then
      step = #STEPS
      Message("CompletedTutorial")
      Message("scene " .. nextScene)
      return
    end
    if StepDone() then
      Advance()
      return
    end
    hintTimer = hintTimer - dt
    if hintTimer <= 0.0 then ShowStepHints() end
  end,
}
