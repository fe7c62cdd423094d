// Per-instance inputs of the renderer's batched draws. A batched mesh has three vertex
// attributes (locations 0 to 2); the renderer's eleven instance attributes follow them.
layout(location = 3) in vec4 instanceModel0;
layout(location = 4) in vec4 instanceModel1;
layout(location = 5) in vec4 instanceModel2;
// xyz: the translation column; w carries the draw's depth modifier instead of 1.
layout(location = 6) in vec4 instanceModel3;
layout(location = 7) in vec2 instanceCellOffset;
// Texture units of the draw's two textures; -1 when the draw has none.
layout(location = 8) in float instanceTextureA;
layout(location = 9) in float instanceTextureB;
layout(location = 10) in vec3 instanceAmbient;
// rgb: diffuse colour, a: alpha.
layout(location = 11) in vec4 instanceDiffuse;
layout(location = 12) in vec3 instanceSpecular;
layout(location = 13) in float instanceShininess;

mat4 InstanceModel() {
  return mat4(instanceModel0, instanceModel1, instanceModel2, vec4(instanceModel3.xyz, 1.0));
}

int InstanceUnit(float unit) { return int(round(unit)); }
