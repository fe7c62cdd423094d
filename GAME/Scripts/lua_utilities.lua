-- Utilities: small helpers shared by the game's scripts. Loaded before the engine's API
-- functions exist, so nothing here calls them at load time.
local Utilities = {}

-- value limited to [low, high]
function Utilities.Clamp(value, low, high)
  if value < low then return low end
  if value > high then return high end
  return value
end

-- the point t of the way from a to b (t = 0 gives a, t = 1 gives b)
function Utilities.Lerp(a, b, t)
  return a + (b - a) * t
end

-- -1, 0 or 1
function Utilities.Sign(value)
  if value > 0 then return 1 end
  if value < 0 then return -1 end
  return 0
end

-- value moved towards target by at most step, never past it
function Utilities.Approach(value, target, step)
  if value < target then return math.min(value + step, target) end
  return math.max(value - step, target)
end

-- distance between two points on the ground plane (x and z)
function Utilities.GroundDistance(a, b)
  local dx, dz = b.x - a.x, b.z - a.z
  return math.sqrt(dx * dx + dz * dz)
end

-- the words of a message argument text, split at blanks
function Utilities.SplitWords(text)
  local words = {}
  for word in string.gmatch(text or "", "%S+") do
    words[#words + 1] = word
  end
  return words
end

-- a countdown: Timer(seconds) gives a table whose Tick(dt) returns true once, when time is up
function Utilities.Timer(seconds)
  local timer = { remaining = seconds, done = false }
  function timer.Tick(dt)
    if timer.done then return false end
    timer.remaining = timer.remaining - dt
    if timer.remaining <= 0 then
      timer.done = true
      return true
    end
    return false
  end
  return timer
end

-- true while the entity aliased `alias` stands, not falling, on a raised tile of tile group
-- `group` (the level exit is group 15)
function Utilities.StandsOnGroup(alias, group)
  local id = GetEntityID(alias)
  if GetEntityAlias(id) ~= alias then return false end
  local tile = GetTileIndicesInRadius(GetTransform(id)._position, 0)
  if #tile == 0 then return false end
  return GetTilemapGroupAtIndex(tile[1]) == group and IsIndexCollidable(tile[1]) and
      not GetPhysics(id)._isFalling
end

return Utilities
