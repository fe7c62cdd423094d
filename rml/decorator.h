#pragma once
// Decorators: images, shaders and other paint drawn on an element's box, named by the
// "decorator" property ("image(icon.png contain)", "shader(glow)", "none"). A
// DecoratorInstancer (an EffectSpecification) is registered under a name with
// Factory::RegisterDecoratorInstancer; it turns the parsed properties into a Decorator. The
// element keeps one data handle per decorator, made by GenerateElementData whenever its box or
// style changes and released with ReleaseElementData; RenderElement draws it each frame.
// Decorators colour their geometry with the element's opacity (Element::GetOpacity).
//
// Instancers are not owned by the library and must outlive Shutdown, which forgets every
// registration except the built-in "image", "shader" and "none".

#include "rml/effect_properties.h"
#include "rml/render_manager.h"

namespace Rml {

class Element;
using DecoratorDataHandle = std::uintptr_t;

class Decorator {
 public:
  virtual ~Decorator();
  // Makes what the element needs to draw this decorator over paint_area; 0 means nothing.
  virtual DecoratorDataHandle GenerateElementData(Element* element, BoxArea paint_area) const = 0;
  virtual void ReleaseElementData(DecoratorDataHandle element_data) const = 0;
  virtual void RenderElement(Element* element, DecoratorDataHandle element_data) const = 0;

 protected:
  // Keeps a texture with the decorator; returns its index, or -1 for an empty texture.
  int AddTexture(Texture texture);
  int GetNumTextures() const { return int(textures_.size()); }
  // The texture at index, or an empty one.
  Texture GetTexture(int index = 0) const;

 private:
  std::vector<Texture> textures_;
};

// What an instancer may ask while making a decorator: textures relative to the style's
// document, sprites of the document's sprite sheets, and the render manager.
class StyleSheet;

class DecoratorInstancerInterface {
 public:
  // style_sheet: the sheet whose @spritesheet blocks name the sprites (null: no sprites).
  DecoratorInstancerInterface(RenderManager& render_manager, String document_path,
                              const StyleSheet* style_sheet = nullptr)
      : render_manager_(render_manager),
        document_path_(std::move(document_path)),
        style_sheet_(style_sheet) {}
  // The texture a path names, joined with the document's path.
  Texture GetTexture(const String& filename) const;
  // The sprite of that name in the style sheet's sprite sheets, or null.
  const Sprite* GetSprite(const String& name) const;
  RenderManager& GetRenderManager() const { return render_manager_; }

 private:
  RenderManager& render_manager_;
  String document_path_;
  const StyleSheet* style_sheet_;
};

class DecoratorInstancer : public EffectSpecification {
 public:
  // A decorator from the parsed properties, or null when they do not make one.
  virtual std::shared_ptr<Decorator> InstanceDecorator(
      const String& name, const PropertyDictionary& properties,
      const DecoratorInstancerInterface& instancer_interface) = 0;
};

// The decorators named by one "decorator" value, in drawing order.
using DecoratorList = std::vector<std::shared_ptr<Decorator>>;

namespace Factory {
// Registers (or replaces) the instancer for a decorator name; the instancer is not owned.
void RegisterDecoratorInstancer(const String& name, DecoratorInstancer* instancer);
DecoratorInstancer* GetDecoratorInstancer(const String& name);
// Makes the decorators of a "decorator" value: comma-separated "name(arguments)" items, or
// "none". An unknown name or malformed arguments are reported once (with source, "file:line"
// or an element address) and the item is skipped.
DecoratorList InstanceDecorators(const String& value,
                                 const DecoratorInstancerInterface& instancer_interface,
                                 const String& source);
// Forgets the registered instancers; the built-in ones stay.
void ResetDecoratorInstancers();
}  // namespace Factory

}  // namespace Rml
