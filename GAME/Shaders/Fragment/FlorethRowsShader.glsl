#version 450 core
// The second blur draw: the weighted taps summed along each row with the Gaussian's weights
// (1/4, 1/2, 1/4), `radius` texels apart. Pixel (x, y) sums the taps target's texels x,
// x + radius and x + 2 radius of row y. Written without blending.
uniform sampler2D inTexture;
uniform int radius;

out vec4 fragColor;

void main() {
  ivec2 pixel = ivec2(gl_FragCoord.xy);
  fragColor = 0.25 * texelFetch(inTexture, pixel, 0) +
              0.5 * texelFetch(inTexture, pixel + ivec2(radius, 0), 0) +
              0.25 * texelFetch(inTexture, pixel + ivec2(2 * radius, 0), 0);
}
