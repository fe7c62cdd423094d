// The weather's grade of a level's ground and background: the colour moves toward its own grey
// as "backgroundSaturation" falls below 1 and is scaled by "backgroundBrightness"; the weather
// system sets both (1 and 1 in clear weather). Where no weather has set them yet they read 0,
// and the colour is left as it is: no weather turns the world black.
uniform float backgroundSaturation;
uniform float backgroundBrightness;

vec3 ApplyWeather(vec3 colour) {
  if (backgroundBrightness <= 0.0) return colour;
  float grey = dot(colour, vec3(0.299, 0.587, 0.114));
  return mix(vec3(grey), colour, backgroundSaturation) * backgroundBrightness;
}
