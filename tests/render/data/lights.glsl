// Struct types of the light and wave globals.
struct PointLightData {
  vec3 position;
  vec3 color;
  float strength;
  vec2 radii;
};

struct WaveData {
  vec2 origin;
  float time;
  float dist;
  float height;
  float width;
  float speed;
};
