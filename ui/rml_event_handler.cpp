#include "ui/rml_event_handler.h"
