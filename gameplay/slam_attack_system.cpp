#include "gameplay/slam_attack_system.h"
