#pragma once
// Everything a host of the document UI library includes.

#include "rml/context.h"
#include "rml/core.h"
#include "rml/element.h"
#include "rml/element_document.h"
#include "rml/element_utilities.h"
#include "rml/event.h"
#include "rml/font_engine.h"
#include "rml/log.h"
#include "rml/math.h"
#include "rml/mesh_utilities.h"
#include "rml/render_interface.h"
#include "rml/render_manager.h"
#include "rml/string_utilities.h"
#include "rml/system_interface.h"
#include "rml/variant.h"
