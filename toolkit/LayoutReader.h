// Reads a stored layout into a tree of components: creates each object,
// sets its properties in file order, binds the root's fields and handler
// names, resolves references to other components, then sends every
// component its loading-complete notification.
#pragma once
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.h"
#include "Colors.h"
#include "Exceptions.h"
#include "LayoutParser.h"

using TComponentFactory = TComponent* (*)(TComponent* owner);
void RegisterComponentClass(const std::string& className, TComponentFactory factory);
template <class T>
void RegisterComponentClass(const std::string& className) {
    RegisterComponentClass(className, [](TComponent* owner) -> TComponent* { return new T(owner); });
}

template <class M>
struct MemberTraits;
template <class C, class... Args>
struct MemberTraits<void (C::*)(Args...)> {
    using Class = C;
    using Event = TEvent<Args...>;
};

// The component fields and handler routines a root (a form) publishes to its layout.
class TLayoutBindings {
public:
    template <class T>
    void Field(const char* name, T*& field) {
        fields_.push_back({name, [&field](TComponent* c) {
                               field = dynamic_cast<T*>(c);
                               return field != nullptr;
                           }});
    }
    template <auto Method>
    void Handler(const char* name, typename MemberTraits<decltype(Method)>::Class* target) {
        using Traits = MemberTraits<decltype(Method)>;
        handlers_.push_back({name, &typeid(typename Traits::Event), [target](void* slot) {
                                 *static_cast<typename Traits::Event*>(slot) =
                                     Traits::Event::template Bind<typename Traits::Class, Method>(target);
                             }});
    }

    // Binds a component created by the reader to the field of the same name.
    // False when the field exists but the component's class does not fit.
    bool BindField(const std::string& name, TComponent* component) const;
    // Fills `slot` with the named handler; false when there is no handler of that name and type.
    template <class E>
    bool FindHandler(const std::string& name, E& slot) const {
        return FindHandler(name, typeid(E), &slot);
    }

private:
    bool FindHandler(const std::string& name, const std::type_info& type, void* slot) const;
    struct FieldEntry {
        std::string name;
        std::function<bool(TComponent*)> bind;
    };
    struct HandlerEntry {
        std::string name;
        const std::type_info* type;
        std::function<void(void*)> make;
    };
    std::vector<FieldEntry> fields_;
    std::vector<HandlerEntry> handlers_;
};

class TLayoutReader {
public:
    TLayoutReader(TComponent* root, const TLayoutBindings* bindings, std::string layoutName);

    // Applies a parsed layout to the root and creates its children.
    void Read(const layout::Object& object);

    TComponent* Root() const { return root_; }

    // Value conversions for property setters; they raise a plain message, the
    // reader adds layout, line and property.
    static int Int(const layout::Value& v);
    static bool Bool(const layout::Value& v);
    static std::string Str(const layout::Value& v);
    static std::string Ident(const layout::Value& v);
    static TColor Color(const layout::Value& v);
    static std::vector<std::string> Strings(const layout::Value& v);
    // An identifier looked up in a table of names (index = enum value).
    static int Enum(const layout::Value& v, std::initializer_list<const char*> names);

    template <class E>
    void Event(const layout::Value& v, E& slot) {
        std::string name = Ident(v);
        if (!bindings_ || !bindings_->FindHandler(name, slot)) throw Exception("unknown handler " + name);
    }
    // Resolves a reference to another component of the root once all are created.
    void Reference(const layout::Value& v, std::function<void(TComponent*)> apply);

private:
    void ReadObject(const layout::Object& object, TComponent* component);
    void ReadProperties(const layout::Object& object, TComponent* component);
    [[noreturn]] void Fail(int line, const std::string& property, const std::string& message) const;

    TComponent* root_;
    const TLayoutBindings* bindings_;
    std::string layoutName_;
    struct Fixup {
        std::string name;
        int line;
        std::string property;
        std::function<void(TComponent*)> apply;
    };
    std::vector<Fixup> fixups_;
    std::vector<TComponent*> created_;
    const layout::Property* current_ = nullptr;
};

// Reads the RCDATA layout `resourceName` of this module into `root`.
void ReadLayoutResource(TComponent* root, const TLayoutBindings* bindings, const char* resourceName);
// Reads layout text (tests).
void ReadLayoutText(TComponent* root, const TLayoutBindings* bindings, const std::string& text,
                    const std::string& layoutName);

// Non-visual components that read properties from layouts implement this.
class TLayoutProperties {
public:
    virtual ~TLayoutProperties() = default;
    virtual bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) = 0;
};

// Non-visual components that hold nested layout objects (menu items inside a
// menu item, actions inside an action list) implement this; the reader calls
// it for each nested object right after creating it, before its properties.
class TLayoutContainer {
public:
    virtual ~TLayoutContainer() = default;
    virtual void AddLayoutChild(TComponent* child) = 0;
};
