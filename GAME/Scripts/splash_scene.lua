-- The splash scene's director: shows the splash for a few seconds, then moves the game on to
-- the main menu (whose change fades out over two more). The time counts from the scene's load,
-- its two-second fade-in included; it also covers the five seconds after the fade-in that the
-- frame-time benchmark draws the splash for.
local SHOW_SECONDS = 7.5
local timer = nil

return {
  init = function(id)
    timer = Utilities.Timer(SHOW_SECONDS)
  end,
  update = function(dt)
    if timer ~= nil and timer.Tick(dt) then
      SendMessage("scene main_menu_scene")
    end
  end,
}
