#pragma once
// The library's entry points. Steps to use it:
//   1. SetRenderInterface (and optionally SetSystemInterface), then Initialise.
//   2. LoadFontFace for every face the documents name.
//   3. CreateContext, LoadDocument on it, Show the document.
//   4. Each frame: feed input (ProcessMouseMove...), Context::Update, Context::Render.
//   5. RemoveContext, then Shutdown; the interfaces must outlive Shutdown.
// Errors never throw: they are reported through Log::Message and the call returns a failure
// value (null, false).

#include "rml/font_engine.h"
#include "rml/types.h"

namespace Rml {

class Context;
class RenderInterface;
class SystemInterface;

bool Initialise();
// Unloads every context, releases every texture and font; the library can be initialised again.
void Shutdown();

void SetRenderInterface(RenderInterface* render_interface);
RenderInterface* GetRenderInterface();
void SetSystemInterface(SystemInterface* system_interface);
SystemInterface* GetSystemInterface();
// The FreeType font engine made by Initialise; null outside Initialise ... Shutdown.
FontEngineInterface* GetFontEngineInterface();

// A context of the given size in pixels; null if the name is taken or the library is not
// initialised. render_interface overrides the global one for this context.
Context* CreateContext(const String& name, Vector2i dimensions,
                       RenderInterface* render_interface = nullptr,
                       void* text_input_handler = nullptr);
bool RemoveContext(const String& name);
Context* GetContext(const String& name);

bool LoadFontFace(const String& file_path, bool fallback_face = false,
                  FontWeight weight = FontWeight::Auto, int face_index = 0);

}  // namespace Rml
