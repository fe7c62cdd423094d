#pragma once
// WeatherSystem: rain and other weather.

#include "engine/base_system.h"
#include "engine/type_name.h"

class WeatherSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, WeatherSystem);
