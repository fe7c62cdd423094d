// The last blur step: the rows target's sums added down a column (rows y, y + radius and
// y + 2 radius), which gives the 3x3 Gaussian of the taps with colours weighted by coverage;
// the colour is divided by the coverage again. The square root of the coverage is returned,
// so that the blur's alpha blend stores the coverage as it is over an empty level.
vec4 FlorethBlur(sampler2D rowSums, ivec2 pixel, int radius) {
  vec4 sum = 0.25 * texelFetch(rowSums, pixel, 0) +
             0.5 * texelFetch(rowSums, pixel + ivec2(0, radius), 0) +
             0.25 * texelFetch(rowSums, pixel + ivec2(0, 2 * radius), 0);
  return sum.a > 0.0 ? vec4(sum.rgb / sum.a, sqrt(min(sum.a, 1.0))) : vec4(0.0);
}
