-- Physics: helpers over the Physics component as scripts see it (fields _velocity,
-- _acceleration, _isFalling, _isKinematic ...). Calls no engine function at load time.
local Physics = {}

-- sets the horizontal velocity (x and z), keeping the vertical one
function Physics.SetGroundVelocity(body, x, z)
  body._velocity.x = x
  body._velocity.z = z
end

-- adds an instantaneous change of velocity
function Physics.Impulse(body, x, y, z)
  body._velocity.x = body._velocity.x + x
  body._velocity.y = body._velocity.y + y
  body._velocity.z = body._velocity.z + z
end

-- speed on the ground plane
function Physics.GroundSpeed(body)
  local v = body._velocity
  return math.sqrt(v.x * v.x + v.z * v.z)
end

-- brings the body to rest
function Physics.Stop(body)
  body._velocity.x, body._velocity.y, body._velocity.z = 0, 0, 0
  body._acceleration.x, body._acceleration.y, body._acceleration.z = 0, 0, 0
end

-- true when the body stands on something
function Physics.IsGrounded(body)
  return not body._isFalling
end

return Physics
