#!/usr/bin/python3
"""Writes the weather prefabs: the particle emitters each weather spawns over a level, and the
rain ambience.

    <name>.json   one entity: a Transform above the middle of the map and a ParticleEmitter
                  (a box of drops, dust, petals or lights; velocities picked between the start
                  and end vectors)
    rainSFX.json  the rain ambience: a looping sound bank holding "AMBrain" and an emitter
                  that plays it at full volume wherever the listener stands

    /usr/bin/python3 tools/make_weather_prefabs.py [output folder]

The default output folder is "GAME/Assets/Entity Prefabs" (relative to the repository root).
The files are the same on every run.
"""

import json
import os
import sys

MESH = "./GAME/Assets/Meshes/DefaultQuad.txt"
MATERIAL = "./GAME/Assets/Materials/UnlitMaterial.json"
TEXTURE = "./GAME/Assets/Textures/Particles/particle.png"


def vec(*values):
    return dict(zip("xyzw", values))


# name: (height, box half-size, rate, max, lifetime, start velocity, end velocity, scale,
#        start colour, end colour)
EMITTERS = {
    "Level1CalmParticles": (6, (24, 4, 24), 6, 60, (6, 10), (-0.3, 0.2, -0.3), (0.3, 0.5, 0.3),
                            0.12, (1, 1, 0.9, 0.6), (1, 1, 0.9, 0)),
    "Level1DustParticles": (3, (24, 2, 24), 25, 200, (3, 6), (1.5, 0, 0.5), (3, 0.4, 1.5),
                            0.1, (0.85, 0.75, 0.55, 0.7), (0.85, 0.75, 0.55, 0)),
    "Level1HeavyDustParticles": (3, (24, 2, 24), 60, 400, (3, 5), (3, 0, 1), (6, 0.6, 2.5),
                                 0.14, (0.8, 0.68, 0.48, 0.8), (0.8, 0.68, 0.48, 0)),
    "Level1RainParticles": (18, (24, 1, 24), 300, 800, (0.8, 1.0), (-1, -30, -1), (1, -38, 1),
                            0.06, (0.75, 0.85, 1, 0.9), (0.75, 0.85, 1, 0.6)),
    "RainSplash": (0.1, (12, 0, 12), 20, 60, (0.2, 0.3), (-0.5, 1.5, -0.5), (0.5, 2.5, 0.5),
                   0.08, (0.8, 0.9, 1, 0.8), (0.8, 0.9, 1, 0)),
    "Level2CalmParticles": (6, (24, 4, 24), 6, 60, (6, 10), (-0.3, 0.2, -0.3), (0.3, 0.5, 0.3),
                            0.12, (0.9, 1, 0.9, 0.6), (0.9, 1, 0.9, 0)),
    "Level2DustParticles": (3, (24, 2, 24), 25, 200, (3, 6), (1.5, 0, 0.5), (3, 0.4, 1.5),
                            0.1, (0.75, 0.7, 0.6, 0.7), (0.75, 0.7, 0.6, 0)),
    "Level2StormyParticles": (18, (24, 1, 24), 320, 1200, (0.6, 0.8), (4, -38, 1),
                              (8, -46, 3), 0.06, (0.65, 0.72, 0.9, 0.8),
                              (0.65, 0.72, 0.9, 0.4)),
    "Level2RainSplash": (0.1, (12, 0, 12), 20, 60, (0.2, 0.3), (-0.5, 1.5, -0.5),
                         (0.5, 2.5, 0.5), 0.08, (0.75, 0.8, 0.95, 0.8),
                         (0.75, 0.8, 0.95, 0)),
    "Level2Fireflies": (1.5, (24, 1.5, 24), 8, 80, (4, 7), (-0.6, -0.3, -0.6), (0.6, 0.3, 0.6),
                        0.1, (1, 0.95, 0.4, 1), (1, 0.8, 0.2, 0)),
    "Level3CalmParticles": (6, (24, 4, 24), 6, 60, (6, 10), (-0.3, 0.2, -0.3), (0.3, 0.5, 0.3),
                            0.12, (1, 0.95, 1, 0.6), (1, 0.95, 1, 0)),
    "flowerDust": (2, (24, 2, 24), 10, 100, (4, 8), (0.5, -0.2, 0.2), (1.2, 0.2, 0.8), 0.09,
                   (1, 0.7, 0.85, 0.9), (1, 0.8, 0.9, 0)),
    "Level3RainParticles": (18, (24, 1, 24), 200, 800, (0.8, 1.0), (-1, -30, -1), (1, -38, 1),
                            0.06, (0.75, 0.75, 0.95, 0.7), (0.75, 0.75, 0.95, 0.4)),
    "Level3RainSplash": (0.1, (12, 0, 12), 20, 60, (0.2, 0.3), (-0.5, 1.5, -0.5),
                         (0.5, 2.5, 0.5), 0.08, (0.8, 0.8, 1, 0.8), (0.8, 0.8, 1, 0)),
    "Level3LanternParticles": (1, (24, 1, 24), 4, 40, (8, 12), (-0.2, 0.6, -0.2),
                               (0.2, 1.2, 0.2), 0.2, (1, 0.6, 0.25, 1), (1, 0.4, 0.1, 0)),
    "Level3Fireflies": (1.5, (24, 1.5, 24), 10, 90, (4, 7), (-0.6, -0.3, -0.6), (0.6, 0.3, 0.6),
                        0.1, (0.7, 1, 0.5, 1), (0.5, 1, 0.3, 0)),
}


# The level camera looks down from the rotation (-38, 45, 0) degrees. Level 1's drops and
# splashes are quads turned the same way, so that they face it: a drop is a thin streak along its
# fall, a splash a small fleck. Its map spans -16..16 in x and z; the drops fall over a box a
# little wider than the view around any spot of it, the splashes over its whole floor.
FACING_CAMERA = {
    "_renderMode": "Mode3D",
    "_initialRotation": vec(-38.0, 45.0, 0.0),
    "_scaleMode": "ScaleMode::NonUniform",
}
FACING_PARTS = {
    "Level1RainParticles": dict(FACING_CAMERA, _startScaleRange=vec(0.15, 1.4, 1.0),
                                _endScaleRange=vec(0.15, 1.4, 1.0)),
    "RainSplash": dict(FACING_CAMERA, _emissionBounds=vec(16, 0, 16),
                       _startScaleRange=vec(0.4, 0.2, 1.0),
                       _endScaleRange=vec(0.55, 0.1, 1.0)),
}


def emitter_prefab(height, bounds, rate, most, lifetime, start, end, scale, colour, fade):
    return {
        "class Transform": {"_position": vec(0.0, height, 0.0)},
        "class ParticleEmitter": {
            "_emissionRate": rate,
            "_maxParticles": most,
            "_lifetimeRange": vec(*lifetime),
            "_meshPath": MESH,
            "_materialPath": MATERIAL,
            "_texturePath": TEXTURE,
            "_emissionShape": "Box",
            "_emissionBounds": vec(*bounds),
            "_startVelocityRange": vec(*start),
            "_endVelocityRange": vec(*end),
            "_rotationMode": "RotationMode::Static",
            "_scaleMode": "ScaleMode::Uniform",
            "_startScaleRange": vec(scale, scale, scale),
            "_endScaleRange": vec(scale, scale, scale),
            "_startColorRange": vec(*colour),
            "_endColorRange": vec(*fade),
            "_renderMode": "Mode2D",
            "_transparent": True,
            "_particleSpace": "World",
        },
    }


RAIN_SFX = {
    "class Transform": {"_position": vec(0.0, 0.0, 0.0)},
    "class SoundBank": {"_loop": True, "_pairs": ["AMBrain ./GAME/Assets/Audio/AMBrain.ogg"]},
    "class SoundEmitter": {
        "_soundAlias": "AMBrain",
        "_innerRadius": 10000.0,
        "_outerRadius": 10001.0,
        "_innerVol": 0.6,
        "_outerVol": 0.6,
        "_decayFactor": 1.0,
        "_panningMultiplier": 0.0,
        "_looping": True,
        "_interval": 0.0,
    },
}


def write(folder, name, document):
    with open(os.path.join(folder, name + ".json"), "w") as output:
        json.dump(document, output, indent=4)
        output.write("\n")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("GAME", "Assets", "Entity Prefabs")
    os.makedirs(folder, exist_ok=True)
    for name, values in EMITTERS.items():
        prefab = emitter_prefab(*values)
        prefab["class ParticleEmitter"].update(FACING_PARTS.get(name, {}))
        write(folder, name, prefab)
    write(folder, "rainSFX", RAIN_SFX)


if __name__ == "__main__":
    main()
