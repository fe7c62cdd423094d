#include "ui/rml_system.h"

#include <cmath>
#include <cstdio>

#include "components/rml_document.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "rml/rml.h"
#include "ui/image_shader_decorator.h"
#include "ui/text_shader_decorator.h"

namespace {

constexpr const char* kContextName = "main";
constexpr int kContextWidth = 800;
constexpr int kContextHeight = 600;
constexpr const char* kFontFaces[] = {
    "GAME/Assets/Textures/Fonts/Teko-Bold.ttf",
    "GAME/Assets/Textures/Fonts/Astloch-Regular.ttf",
    "GAME/Assets/Textures/Fonts/UnifrakturCook-Bold.ttf",
};
constexpr const char* kPauseScenesExempt[] = {"main_menu_scene", "splash_scene"};

bool Called(const std::function<bool()>& link) { return link && link(); }

}  // namespace

// The documents keep running while the pause menu is open: they are the pause menu.
RMLSystem::RMLSystem() { pausable = false; }

RMLSystem::~RMLSystem() = default;

void RMLSystem::Init() {
  if (DECS::HasInstance()) {
    if (const auto systems = DECS::Instance().GetManager<SystemManager>()) {
      systems->SetSignature(TypeName<RMLSystem>(), Signature{std::string(TypeName<RMLDocument>())});
    }
  }
  documentBasePath = kDocumentBasePath;
  initialised = true;
  if (renderInterface != nullptr) StartLibrary();
}

void RMLSystem::AttachRenderInterface(Rml::RenderInterface* value) {
  if (value == nullptr) {
    ShutdownLibrary();
    renderInterface = nullptr;
    return;
  }
  if (libraryRunning) return;
  renderInterface = value;
  if (initialised) StartLibrary();
}

void RMLSystem::StartLibrary() {
  Rml::SetRenderInterface(renderInterface);
  if (!Rml::Initialise()) {
    std::printf("RMLSystem : the document library did not start\n");
    return;
  }
  libraryRunning = true;
  textShaderInstancer = std::make_unique<TextShaderDecoratorInstancer>();
  Rml::Factory::RegisterDecoratorInstancer("text-shader", textShaderInstancer.get());
  imageShaderInstancer = std::make_unique<ImageShaderDecoratorInstancer>();
  Rml::Factory::RegisterDecoratorInstancer("shaded-image", imageShaderInstancer.get());
  context = Rml::CreateContext(kContextName, {kContextWidth, kContextHeight});
  // A face that does not load leaves its text to the faces that did.
  for (const char* face : kFontFaces) Rml::LoadFontFace(face, false, Rml::FontWeight::Auto, 0);
}

void RMLSystem::ShutdownLibrary() {
  menuDocuments.clear();
  if (!libraryRunning) return;
  if (context != nullptr) {
    context->UnloadAllDocuments();
    Rml::RemoveContext(kContextName);
  }
  Rml::Shutdown();
  Rml::SetRenderInterface(nullptr);
  context = nullptr;
  libraryRunning = false;
  textShaderInstancer.reset();
  imageShaderInstancer.reset();
}

void RMLSystem::Shutdown() { ShutdownLibrary(); }

// Documents -----------------------------------------------------------------------------------

std::string RMLSystem::ResolveDocumentPath(const std::string& name) const {
  if (name.starts_with("./") || name.starts_with("/")) return name;
  return documentBasePath + name;
}

Rml::ElementDocument* RMLSystem::FindDocument(const std::string& path) const {
  if (context == nullptr) return nullptr;
  for (int i = 0; i < context->GetNumDocuments(); ++i) {
    Rml::ElementDocument* document = context->GetDocument(i);
    if (document != nullptr && document->GetSourceURL() == path) return document;
  }
  return nullptr;
}

Rml::ElementDocument* RMLSystem::FindDocumentContaining(const std::string& text) const {
  if (context == nullptr) return nullptr;
  for (int i = 0; i < context->GetNumDocuments(); ++i) {
    Rml::ElementDocument* document = context->GetDocument(i);
    if (document != nullptr && document->GetSourceURL().find(text) != std::string::npos)
      return document;
  }
  return nullptr;
}

Rml::ElementDocument* RMLSystem::GetOrLoadDocument(const std::string& name) {
  if (context == nullptr || name.empty()) return nullptr;
  const std::string path = ResolveDocumentPath(name);
  if (Rml::ElementDocument* open = FindDocument(path)) return open;
  return context->LoadDocument(path);
}

void RMLSystem::ReloadDocument(const std::string& name) {
  if (context == nullptr) return;
  const std::string path = ResolveDocumentPath(name);
  if (Rml::ElementDocument* old = FindDocument(path)) {
    const bool wasVisible = old->IsVisible();
    RemoveMenuDocument(old);
    old->Close();
    Rml::ElementDocument* fresh = context->LoadDocument(path);
    if (fresh != nullptr && wasVisible) fresh->Show(Rml::ModalFlag::None, Rml::FocusFlag::Auto);
  } else {
    context->LoadDocument(path);
  }
  Post("menu_init");
}

void RMLSystem::ShowDocument(Rml::ElementDocument* document) {
  if (document != nullptr && !document->IsVisible())
    document->Show(Rml::ModalFlag::None, Rml::FocusFlag::Auto);
}

void RMLSystem::HideDocument(Rml::ElementDocument* document) {
  if (document != nullptr && document->IsVisible()) document->Hide();
}

void RMLSystem::HideAllDocuments() {
  if (context == nullptr) return;
  for (int i = 0; i < context->GetNumDocuments(); ++i) HideDocument(context->GetDocument(i));
}

void RMLSystem::HideMenuDocuments() {
  for (Rml::ElementDocument* document : menuDocuments) HideDocument(document);
}

void RMLSystem::AddMenuDocument(Rml::ElementDocument* document) {
  if (document != nullptr) menuDocuments.insert(document);
}

void RMLSystem::RemoveMenuDocument(Rml::ElementDocument* document) {
  menuDocuments.erase(document);
}

bool RMLSystem::AnyDocumentVisible() const {
  if (context == nullptr) return false;
  for (int i = 0; i < context->GetNumDocuments(); ++i) {
    const Rml::ElementDocument* document = context->GetDocument(i);
    if (document != nullptr && document->IsVisible()) return true;
  }
  return false;
}

void RMLSystem::RebuildMenuDocuments() {
  if (entities.empty() || !DECS::HasInstance()) return;
  const auto components = DECS::Instance().GetManager<ComponentManager>();
  if (!components) return;
  // Added to what is there: the menus' own documents stay menu documents. Nothing kept here is
  // ever freed while in the set, as a reload takes its document out before closing it.
  ForEachEntity([&](int entity) {
    const RMLDocument* component = components->GetComponent<RMLDocument>(entity);
    if (component != nullptr && component->document != nullptr && component->_isMenuDocument)
      menuDocuments.insert(component->document);
  });
}

// Frames --------------------------------------------------------------------------------------

void RMLSystem::Update(float) {
  if (context == nullptr) return;
  if (links.windowSize) {
    const glm::ivec2 size = links.windowSize();
    if (size.x > 0 && size.y > 0) context->SetDimensions({size.x, size.y});
  }
  context->Update();
  if (forwardInput) ProcessInput();
  SyncMenuDocuments();
}

void RMLSystem::Render() {
  if (context == nullptr) return;
  // The systems that update after this one (the menus, the HUD) change the documents after the
  // context's update: what they changed is styled, laid out and given geometry now, so the frame
  // shows what they set instead of elements that have no geometry yet.
  context->Update();
  context->Render();
}

void RMLSystem::ProcessInput() {
  if (links.pointerPosition) {
    const glm::vec2 pointer = links.pointerPosition();
    if (std::isfinite(pointer.x) && std::isfinite(pointer.y))
      context->ProcessMouseMove(static_cast<int>(pointer.x), static_cast<int>(pointer.y), 0);
  }
  const float wheel = links.wheelDelta ? links.wheelDelta() : 0.0f;
  if (wheel != 0.0f && std::isfinite(wheel))
    context->ProcessMouseWheel(std::trunc(wheel * -1.0f), 0);
  if (Called(links.interactTriggered) && AnyDocumentVisible())
    context->ProcessMouseButtonDown(0, 0);
  if (Called(links.interactReleased) && AnyDocumentVisible()) context->ProcessMouseButtonUp(0, 0);

  if (!pauseMenuEnabled) return;
  const bool focused = !links.windowFocused || links.windowFocused();
  if (!Called(links.backTriggered) && focused) return;
  const std::string scene = links.currentSceneName ? links.currentSceneName() : std::string();
  for (const char* exempt : kPauseScenesExempt) {
    if (scene == exempt) return;
  }
  const bool paused = DECS::HasInstance() && DECS::Instance().paused;
  if (paused && focused) {
    ClosePauseMenu();
  } else if (!paused && !resultsShowing) {
    OpenPauseMenu();
  }
}

void RMLSystem::OpenPauseMenu() {
  if (links.setCursorNormal) links.setCursorNormal(true);
  Post("rml_show_document pause_menu.rml");
  if (DECS::HasInstance()) DECS::Instance().paused = true;
}

void RMLSystem::ClosePauseMenu() {
  if (links.setCursorNormal) links.setCursorNormal(false);
  Post("rml_hide_document pause_menu.rml");
  if (DECS::HasInstance()) DECS::Instance().paused = false;
}

void RMLSystem::SyncMenuDocuments() {
  Rml::ElementDocument* open = links.openMenuDocument ? links.openMenuDocument() : nullptr;
  if (open == nullptr) return;
  ShowDocument(open);
  for (Rml::ElementDocument* document : menuDocuments) {
    if (document != open) HideDocument(document);
  }
}

void RMLSystem::Post(const char* message) {
  if (!DECS::HasInstance()) return;
  if (const auto messaging = DECS::Instance().GetManager<MessagingManager>())
    messaging->PostFormatted("%s", 1, message);
}

// Messages ------------------------------------------------------------------------------------

void RMLSystem::HandleMessage(const std::string& message) {
  std::string argument;
  if (IsMessage(message, "RML_Toggle_Debugger") || IsMessage(message, "rmltd")) {
    if (debuggerAvailable) debuggerVisible = !debuggerVisible;
  } else if (IsMessage(message, "rml_reload_document")) {
    if (ParseMessageArguments(message, argument)) ReloadDocument(argument);
  } else if (IsMessage(message, "rml_list_documents")) {
    // Accepted; there is nothing to list to.
  } else if (IsMessage(message, "show_results")) {
    resultsShowing = true;
  } else if (IsMessage(message, "done_loading_scene")) {
    resultsShowing = false;
  } else if (IsMessage(message, "rml_show_document")) {
    if (!ParseMessageArguments(message, argument)) return;
    if (argument == kPauseMenu && resultsShowing) return;
    ShowDocument(FindDocumentContaining(argument));
  } else if (IsMessage(message, "rml_hide_document")) {
    if (ParseMessageArguments(message, argument)) HideDocument(FindDocumentContaining(argument));
  } else if (IsMessage(message, "rml_hide_all_documents")) {
    HideAllDocuments();
  } else if (IsMessage(message, "rml_hide_menu_documents")) {
    HideMenuDocuments();
  } else if (IsMessage(message, "rml_document_changed")) {
    RebuildMenuDocuments();
  } else if (IsMessage(message, "unpause_from_within_rml")) {
    if (DECS::HasInstance() && DECS::Instance().paused) ClosePauseMenu();
  }
}
