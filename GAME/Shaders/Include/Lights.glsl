// The light globals of a layer (written by the light system before the layer is drawn) and the
// lighting sum of one surface point.
struct AmbientLightData {
  vec3 color;
  float strength;
};

struct UniversalLightData {
  vec3 color;
  float strength;
  vec3 direction;
};

struct PointLightData {
  vec3 position;
  vec3 color;
  float strength;
  vec2 radii;
};

struct ConeLightData {
  vec3 position;
  vec3 color;
  float strength;
  vec2 radii;
  vec3 direction;
  float angle;
};

uniform AmbientLightData ambientLight;
uniform UniversalLightData universalLight;
uniform PointLightData pointLights[64];
uniform int pointLightCount;
uniform ConeLightData coneLights[64];
uniform int coneLightCount;
uniform vec3 CameraPos;

// 1 inside radii.x, falling smoothly to 0 at radii.y.
float RangeFalloff(float distanceToLight, vec2 radii) {
  if (radii.y <= radii.x) return distanceToLight <= radii.x ? 1.0 : 0.0;
  return 1.0 - smoothstep(radii.x, radii.y, distanceToLight);
}

// Diffuse and specular light arriving from `towardLight` (unit vector) with `intensity`.
vec3 LightTerm(vec3 towardLight, vec3 intensity, vec3 normal, vec3 towardEye, vec3 diffuse,
               vec3 specular, float shininess) {
  float facing = max(dot(normal, towardLight), 0.0);
  vec3 halfway = normalize(towardLight + towardEye);
  float highlight = facing > 0.0 ? pow(max(dot(normal, halfway), 0.0), max(shininess, 1.0)) : 0.0;
  return intensity * (diffuse * facing + specular * highlight);
}

// The colour of a point with these surface values under the layer's lights.
vec3 ApplyLights(vec3 position, vec3 normal, vec3 ambient, vec3 diffuse, vec3 specular,
                 float shininess) {
  vec3 towardEye = normalize(CameraPos - position);
  vec3 color = ambient * ambientLight.color * ambientLight.strength;
  if (universalLight.strength > 0.0 && dot(universalLight.direction, universalLight.direction) > 0.0) {
    color += LightTerm(normalize(-universalLight.direction),
                       universalLight.color * universalLight.strength, normal, towardEye, diffuse,
                       specular, shininess);
  }
  for (int i = 0; i < min(pointLightCount, 64); ++i) {
    vec3 offset = pointLights[i].position - position;
    float reach = RangeFalloff(length(offset), pointLights[i].radii);
    if (reach <= 0.0 || dot(offset, offset) == 0.0) continue;
    color += LightTerm(normalize(offset), pointLights[i].color * pointLights[i].strength * reach,
                       normal, towardEye, diffuse, specular, shininess);
  }
  for (int i = 0; i < min(coneLightCount, 64); ++i) {
    vec3 offset = coneLights[i].position - position;
    vec3 axis = coneLights[i].direction;
    if (dot(offset, offset) == 0.0 || dot(axis, axis) == 0.0) continue;
    float reach = RangeFalloff(length(offset), coneLights[i].radii);
    vec3 towardLight = normalize(offset);
    // angle: the cone's half opening in degrees.
    float cutoff = cos(radians(coneLights[i].angle));
    float inCone = dot(-towardLight, normalize(axis));
    float edge = smoothstep(cutoff, min(cutoff + 0.05, 1.0), inCone);
    if (reach * edge <= 0.0) continue;
    color += LightTerm(towardLight, coneLights[i].color * coneLights[i].strength * reach * edge,
                       normal, towardEye, diffuse, specular, shininess);
  }
  return color;
}
