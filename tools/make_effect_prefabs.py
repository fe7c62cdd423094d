#!/usr/bin/python3
"""Writes the prefabs of the game's particle effects, which level scripts place and start by
alias ("particle_burst <alias> [seconds]", "activate_particle <alias>",
"deactivate_particle <alias>"):

    RingSparkFountain.json  violet sparks that leap from a sphere and fall back; always on
    DashTrail.json          cyan stars left behind a moving entity (world space); starts off,
                            "activate_particle" while dashing, "deactivate_particle" after
    BlockBreakBurst.json    stone chips thrown up and falling; a 0.15 s burst ("particle_burst")
                            that can be started again, the entity stays
    HealGlow.json           green plus signs rising around the feet; a 1 s burst

Each is one entity: a Transform and a ParticleEmitter drawn Mode3D, turned to face the level
camera (-38 degrees about x, 45 about y). Velocities are drawn between the start and end vectors
with one random number for all three axes, so the spread comes from the emission shape and the
turbulence; a spread from (-x, z) to (x, -z) runs across the level camera's view. The files are
the same on every run.

    /usr/bin/python3 tools/make_effect_prefabs.py [output folder]

The default output folder is "GAME/Assets/Entity Prefabs" (relative to the repository root).
"""

import json
import os
import sys

MESH = "./GAME/Assets/Meshes/DefaultQuad.txt"
GLOW = "./GAME/Assets/Materials/ParticleGlowMaterial.json"
UNLIT = "./GAME/Assets/Materials/UnlitMaterial.json"
TEXTURES = "./GAME/Assets/Textures/Particles/"
FACING_CAMERA = (-38.0, 45.0, 0.0)


def vec(*values):
    return dict(zip("xyzw", values))


def emitter(position, material, texture, rate, most, lifetime, shape, bounds, start, end,
            scale, colour, fade, acceleration=(0.0, 0.0, 0.0, 0.0), turbulence=0.0,
            active=True, burst=None, space="World"):
    data = {
        "_active": active,
        "_emissionRate": rate,
        "_maxParticles": most,
        "_lifetimeRange": vec(*lifetime),
        "_meshPath": MESH,
        "_materialPath": material,
        "_texturePath": TEXTURES + texture,
        "_emissionShape": shape,
        "_emissionBounds": vec(*bounds),
        "_startVelocityRange": vec(*start),
        "_endVelocityRange": vec(*end),
        "_accelerationRange": vec(*acceleration),
        "_rotationMode": "RotationMode::Static",
        "_initialRotation": vec(*FACING_CAMERA),
        "_scaleMode": "ScaleMode::Uniform",
        "_startScaleRange": vec(scale[0], scale[0], scale[0]),
        "_endScaleRange": vec(scale[1], scale[1], scale[1]),
        "_startColorRange": vec(*colour),
        "_endColorRange": vec(*fade),
        "_renderMode": "Mode3D",
        "_transparent": True,
        "_particleSpace": space,
    }
    if turbulence > 0.0:
        data["_turbulenceModifiers"] = {"intensity": turbulence, "frequency": vec(3.0, 2.0, 3.0),
                                        "offset": vec(0.0, 0.0, 0.0), "scrollSpeed": 2.0}
    if burst is not None:
        data["_burstMode"] = True
        data["_burstDuration"] = burst
    return {"class Transform": {"_position": vec(*position)}, "class ParticleEmitter": data}


PREFABS = {
    "RingSparkFountain": emitter(
        (8.0, 0.5, 8.0), GLOW, "particle.png", 120, 280, (1.6, 2.2), "Sphere", (0.4, 0.4, 0.4),
        (-1.5, 5.0, 1.5), (1.5, 8.0, -1.5), (0.6, 0.35), (1.0, 0.2, 0.9, 1.0),
        (0.7, 0.1, 1.0, 0.3), acceleration=(0.0, -6.0, 0.0, 20.0), turbulence=2.0),
    "DashTrail": emitter(
        (0.0, 0.5, 0.0), GLOW, "spark.png", 60, 60, (0.3, 0.5), "Sphere", (0.25, 0.25, 0.25),
        (-0.3, 0.2, 0.3), (0.3, 0.6, -0.3), (0.45, 0.05), (0.6, 1.0, 1.0, 1.0),
        (0.3, 0.6, 1.0, 0.0), active=False),
    "BlockBreakBurst": emitter(
        (0.0, 0.5, 0.0), UNLIT, "shard.png", 400, 80, (0.6, 0.9), "Sphere", (0.5, 0.5, 0.5),
        (-2.0, 3.0, 2.0), (2.0, 5.0, -2.0), (0.3, 0.2), (0.78, 0.72, 0.62, 1.0),
        (0.55, 0.5, 0.45, 0.0), acceleration=(0.0, -12.0, 0.0, 30.0), turbulence=4.0,
        active=False, burst=0.15),
    "HealGlow": emitter(
        (0.0, 0.0, 0.0), GLOW, "heal.png", 30, 60, (1.0, 1.4), "Box", (0.5, 0.1, 0.5),
        (0.0, 0.8, 0.0), (0.0, 1.6, 0.0), (0.35, 0.1), (0.4, 1.0, 0.5, 0.9),
        (0.8, 1.0, 0.8, 0.0), turbulence=0.8, active=False, burst=1.0),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("GAME", "Assets", "Entity Prefabs")
    os.makedirs(folder, exist_ok=True)
    for name, document in PREFABS.items():
        with open(os.path.join(folder, name + ".json"), "w") as output:
            json.dump(document, output, indent=4)
            output.write("\n")


if __name__ == "__main__":
    main()
