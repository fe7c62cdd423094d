#pragma once
// BaseMenu: the common base of the screens built on one document each (HUD, main, options and
// pause menus): loading, showing, hiding and reloading that document.
//
//   class PauseMenu : public BaseMenu {
//    public:
//     PauseMenu() : BaseMenu("pause_menu.rml") {}
//     void RegisterEventHandlers() override;  // wires the document's elements
//   };
//   menu.SetDocumentHost(host);               // the RML system's menu documents
//   menu.LoadDocument(context, handler);      // loads hidden, then RegisterEventHandlers
//   menu.Show();
//
// A file name beginning with "./" or "/" is used as it is; any other is looked up under
// "./GAME/Assets/RML/". Every operation does nothing while the menu has no document. After the
// RML system reloaded documents (it then posts "menu_init"), FindDocument takes the fresh
// document by its source path, so a menu never reaches the one that was closed.

#include <functional>
#include <memory>
#include <string>

namespace Rml {
class Context;
class ElementDocument;
}  // namespace Rml

class RMLEventHandler;

// What a menu needs of the RML system; empty members read as "no RML system".
struct MenuDocumentHost {
  // The open document of that path, else a fresh one loaded hidden; null on failure.
  std::function<Rml::ElementDocument*(const std::string& path)> getOrLoadDocument;
  // Menu documents are the ones the RML system keeps hidden unless their menu is open.
  std::function<void(Rml::ElementDocument*)> addMenuDocument;
  std::function<void(Rml::ElementDocument*)> removeMenuDocument;
  // Shows (focus Auto, not modal) a hidden document / hides a visible one.
  std::function<void(Rml::ElementDocument*)> showDocument;
  std::function<void(Rml::ElementDocument*)> hideDocument;
};

class BaseMenu {
 public:
  static constexpr const char* kDocumentFolder = "./GAME/Assets/RML/";

  explicit BaseMenu(std::string documentFileName);
  virtual ~BaseMenu() = default;
  BaseMenu(const BaseMenu&) = delete;
  BaseMenu& operator=(const BaseMenu&) = delete;

  void SetDocumentHost(MenuDocumentHost value) { host = std::move(value); }

  // Keeps the handler; loads the document once (a second call only replaces the handler).
  // Nothing happens without a context.
  virtual void LoadDocument(Rml::Context* context, std::shared_ptr<RMLEventHandler> handler);
  virtual void Show();
  virtual void Hide();
  // dt in seconds.
  virtual void Update(float dt) { (void)dt; }
  // The player asked to go back (Escape or Backspace) while this menu is open: the menu takes a
  // step back and returns true, or returns false when it has nowhere to go back to.
  virtual bool Back() { return false; }
  // Wires the document's elements; called after each load.
  virtual void RegisterEventHandlers() = 0;

  // Closes the document and loads a fresh copy from disk, visible if the old one was.
  void ReloadDocument(Rml::Context* context);
  // Takes the context's document of this menu's path (null if there is none), then wires it.
  void FindDocument(Rml::Context* context);

  Rml::ElementDocument* Document() const { return document; }
  const std::string& DocumentFileName() const { return documentFileName; }
  // The path a file name is loaded from.
  static std::string DocumentPath(const std::string& fileName);

 protected:
  // Called whenever `document` changes (to another document or to null), before the new one is
  // wired: a subclass drops what it held of the old one here.
  virtual void DocumentChanged() {}

  Rml::ElementDocument* document = nullptr;  // owned by the document library
  std::shared_ptr<RMLEventHandler> eventHandler;
  std::string documentFileName;

 private:
  bool HasHost() const;
  void SetDocument(Rml::ElementDocument* value);

  MenuDocumentHost host;
};
