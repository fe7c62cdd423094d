#include "platform/settings_system.h"
