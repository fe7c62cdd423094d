#pragma once
// Constant values shared by several subsystems.

#include <array>
#include <glm/glm.hpp>
#include <string_view>

// Decorator texts of the two title logos on the main menu: plain and shaded.
inline constexpr std::array<std::string_view, 4> kTitleLogoDecorators = {
    "image(\"GAME/Assets/RML/images/Floreth_logo_scr.png\")",
    "image(\"GAME/Assets/RML/images/Sundrel_logo_scr.png\")",
    "shaded-image(\"GAME/Assets/RML/images/Floreth_logo_scr.png\" "
    "\"GAME/Assets/Materials/UIOpalShaderMaterial.json\")",
    "shaded-image(\"GAME/Assets/RML/images/Sundrel_logo_scr.png\" "
    "\"GAME/Assets/Materials/UILightningMaterial.json\")",
};

// The view tilt of particles: a rotation by -pi/4 about Y times a rotation by +pi/4 about X.
const glm::mat4& ParticleViewMatrix();
