// A glow level at half the size of the one above it: four taps of the larger level read with
// the linear filter, half a pixel of this level away from the centre, average a 4x4 block of
// the larger level, colours weighted by their alpha. The level is written without blending:
// the average colour, and the average alpha.

// Where tap 0..3 lies for the pixel at texture coordinate `coord` of a level of `levelSize`.
vec2 FlorethDownsamplingTap(vec2 coord, vec2 levelSize, int tap) {
  vec2 direction = vec2((tap & 1) == 0 ? -1.0 : 1.0, (tap & 2) == 0 ? -1.0 : 1.0);
  return coord + direction * (0.5 / max(levelSize, vec2(1.0)));
}

// The pixel from its four taps.
vec4 FlorethDownsampled(vec4 taps[4]) {
  vec3 colour = vec3(0.0);
  float alpha = 0.0;
  for (int tap = 0; tap < 4; ++tap) {
    colour += taps[tap].rgb * taps[tap].a;
    alpha += taps[tap].a;
  }
  float average = min(alpha * 0.25, 1.0);
  return average < 1.0 / 1024.0 ? vec4(0.0) : vec4(colour / alpha, average);
}
