#pragma once
// RMLSystem: the user-interface documents (menus and HUD) and the pause menu.
//
// The system owns the document library's one context, "main". It starts the library once a
// render interface is attached (AttachRenderInterface; the composition root attaches the
// renderer's), registers the game's two decorators ("text-shader", "shaded-image"), loads the
// three game fonts and creates the context. Each update it sizes the context to the window,
// updates it, feeds it the pointer, the wheel and the UI_INTERACT action as mouse button 0, and
// opens or closes the pause menu on UI_BACK or when the window loses focus; each render it
// brings the documents up to date with what changed since (the menus and the HUD update after
// this system) and draws the context through the render interface.
//
// Documents are named by their path: a name beginning with "./" or "/" is used as it is, any
// other is looked up under "./GAME/Assets/RML/". A document is loaded hidden the first time it
// is asked for and stays loaded until the library shuts down.
//
// Messages (a word that takes an argument acts only with exactly one):
//   RML_Toggle_Debugger | rmltd      the library has no debugger: nothing happens
//   rml_reload_document NAME         closes and loads the document again; posts "menu_init"
//   rml_list_documents               accepted, no output
//   show_results | done_loading_scene  the results board shows / went away (no pause menu
//                                    while it shows)
//   rml_show_document TEXT | rml_hide_document TEXT
//                                    the first document whose path contains TEXT
//   rml_hide_all_documents | rml_hide_menu_documents
//   rml_document_changed             the documents of the RMLDocument components marked as menu
//                                    documents join the menu documents
//   unpause_from_within_rml          closes the pause menu while the game is paused for it
//
// Everything the system needs of the window, input, scenes and menus comes through
// RMLSystemLinks; a missing link reads as "nothing" (no pointer move, not pressed, focused).

#include <functional>
#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <unordered_set>

#include "engine/base_system.h"
#include "engine/document_loader.h"
#include "engine/type_name.h"

namespace Rml {
class Context;
class ElementDocument;
class RenderInterface;
}  // namespace Rml

class ImageShaderDecoratorInstancer;
class TextShaderDecoratorInstancer;

struct RMLSystemLinks {
  // The window's client size in pixels.
  std::function<glm::ivec2()> windowSize;
  // The pointer in window pixels.
  std::function<glm::vec2()> pointerPosition;
  // The wheel's movement in the last update (positive: away from the user).
  std::function<float()> wheelDelta;
  // UI_INTERACT became pressed / was let go in the last update.
  std::function<bool()> interactTriggered;
  std::function<bool()> interactReleased;
  // UI_BACK became pressed in the last update.
  std::function<bool()> backTriggered;
  std::function<bool()> windowFocused;
  // Normal cursor (true) while the pause menu is open, captured (false) when it closes.
  std::function<void(bool normal)> setCursorNormal;
  std::function<std::string()> currentSceneName;
  // The document of the menu the menu manager has open, or null.
  std::function<Rml::ElementDocument*()> openMenuDocument;
};

class RMLSystem : public BaseSystem, public DocumentLoader {
 public:
  static constexpr const char* kDocumentBasePath = "./GAME/Assets/RML/";
  static constexpr const char* kPauseMenu = "pause_menu.rml";

  RMLSystem();
  ~RMLSystem() override;

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Render() override;
  void Shutdown() override;

  void SetLinks(RMLSystemLinks value) { links = std::move(value); }
  // Starts the library with this interface (once Init has run); null shuts it down. The
  // interface must stay alive until the library is shut down.
  void AttachRenderInterface(Rml::RenderInterface* renderInterface);
  // Unloads every document and shuts the library down; nothing is drawn or loaded afterwards.
  void ShutdownLibrary();

  void SetPauseMenuEnabled(bool enabled) { pauseMenuEnabled = enabled; }
  bool PauseMenuEnabled() const { return pauseMenuEnabled; }

  // The document at `name` (see the header), loading it hidden when it is not open; null when
  // it cannot be loaded or the library is not running.
  Rml::ElementDocument* GetOrLoadDocument(const std::string& name);
  Rml::ElementDocument* LoadDocument(const std::string& path) override {
    return GetOrLoadDocument(path);
  }
  void ReloadDocument(const std::string& name);
  void ShowDocument(Rml::ElementDocument* document);
  void HideDocument(Rml::ElementDocument* document);
  void HideAllDocuments();
  void HideMenuDocuments();
  void AddMenuDocument(Rml::ElementDocument* document);
  void RemoveMenuDocument(Rml::ElementDocument* document);
  const std::unordered_set<Rml::ElementDocument*>& MenuDocuments() const { return menuDocuments; }

  // A name with the base path in front unless it begins with "./" or "/".
  std::string ResolveDocumentPath(const std::string& name) const;

  Rml::Context* GetContext() const { return context; }
  bool ResultsShowing() const { return resultsShowing; }

  // While true, the update opens and closes the pause menu; scene changes switch it off until
  // the new scene has faded in.
  bool pauseMenuEnabled = true;
  // The library has no debugger here; the toggle words flip nothing while this is false.
  bool debuggerAvailable = false;
  bool debuggerVisible = false;
  // Update feeds input to the context while true.
  bool forwardInput = true;

 private:
  void StartLibrary();
  void ProcessInput();
  void SyncMenuDocuments();
  void RebuildMenuDocuments();
  void OpenPauseMenu();
  void ClosePauseMenu();
  // The first document (in context order) whose path contains `text`.
  Rml::ElementDocument* FindDocumentContaining(const std::string& text) const;
  Rml::ElementDocument* FindDocument(const std::string& path) const;
  bool AnyDocumentVisible() const;
  void Post(const char* message);

  RMLSystemLinks links;
  Rml::RenderInterface* renderInterface = nullptr;
  Rml::Context* context = nullptr;
  bool initialised = false;
  bool libraryRunning = false;
  bool resultsShowing = false;
  std::string documentBasePath;
  std::unique_ptr<TextShaderDecoratorInstancer> textShaderInstancer;
  std::unique_ptr<ImageShaderDecoratorInstancer> imageShaderInstancer;
  std::unordered_set<Rml::ElementDocument*> menuDocuments;
};
DECLARE_TYPE_NAME(class, RMLSystem);
