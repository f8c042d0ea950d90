#include "LayoutReader.h"

#include <windows.h>

#include <string.h>

#include <map>

#include "Controls.h"
#include "Exceptions.h"

void RegisterToolkitClasses();  // ClassList.cpp

namespace {
std::map<std::string, TComponentFactory>& Factories() {
    static std::map<std::string, TComponentFactory> factories;
    return factories;
}

TComponentFactory FindFactory(const std::string& className) {
    static bool toolkitRegistered = false;
    if (!toolkitRegistered) {
        toolkitRegistered = true;
        RegisterToolkitClasses();
    }
    auto it = Factories().find(className);
    return it == Factories().end() ? nullptr : it->second;
}
}  // namespace

void RegisterComponentClass(const std::string& className, TComponentFactory factory) {
    Factories()[className] = factory;
}

// ---------------------------------------------------------- TLayoutBindings

bool TLayoutBindings::BindField(const std::string& name, TComponent* component) const {
    for (const auto& f : fields_)
        if (f.name == name) return f.bind(component);
    return true;  // components without a field are fine
}

bool TLayoutBindings::FindHandler(const std::string& name, const std::type_info& type, void* slot) const {
    for (const auto& h : handlers_)
        if (h.name == name && *h.type == type) {
            h.make(slot);
            return true;
        }
    return false;
}

// ------------------------------------------------------------ TLayoutReader

TLayoutReader::TLayoutReader(TComponent* root, const TLayoutBindings* bindings, std::string layoutName)
    : root_(root), bindings_(bindings), layoutName_(std::move(layoutName)) {}

void TLayoutReader::Fail(int line, const std::string& property, const std::string& message) const {
    throw Exception(layout::FormatError(layoutName_, line, property, message));
}

void TLayoutReader::Read(const layout::Object& object) {
    root_->BeginLoading();
    root_->SetName(object.name);
    ReadProperties(object, root_);
    for (const auto& child : object.children) ReadObject(child, root_);
    for (const auto& f : fixups_) {
        TComponent* target = root_->FindComponent(f.name);
        if (!target && _stricmp(root_->Name().c_str(), f.name.c_str()) == 0) target = root_;
        if (!target) Fail(f.line, f.property, "unknown component " + f.name);
        try {
            f.apply(target);
        } catch (const Exception& e) {
            Fail(f.line, f.property, e.Message());
        }
    }
    for (TComponent* c : created_) c->EndLoading();
    root_->EndLoading();
}

void TLayoutReader::ReadObject(const layout::Object& object, TComponent* parent) {
    TComponentFactory factory = FindFactory(object.className);
    if (!factory) Fail(object.line, "", "unknown class " + object.className);
    TComponent* component = factory(root_);
    component->SetName(object.name);
    component->BeginLoading();
    created_.push_back(component);
    if (auto* control = dynamic_cast<TControl*>(component)) {
        if (auto* container = dynamic_cast<TWinControl*>(parent)) control->SetParent(container);
    } else if (auto* holder = dynamic_cast<TLayoutContainer*>(parent)) {
        holder->AddLayoutChild(component);
    }
    if (bindings_ && !bindings_->BindField(object.name, component))
        Fail(object.line, "", "field " + object.name + " does not fit class " + object.className);
    ReadProperties(object, component);
    for (const auto& child : object.children) ReadObject(child, component);
}

void TLayoutReader::ReadProperties(const layout::Object& object, TComponent* component) {
    auto* control = dynamic_cast<TControl*>(component);
    for (const auto& p : object.props) {
        current_ = &p;
        bool known = false;
        try {
            if (p.name == "Tag") {
                component->Tag = Int(p.value);
                known = true;
            } else if (control) {
                known = control->ReadProperty(p.name, p.value, *this);
            } else if (auto* reads = dynamic_cast<TLayoutProperties*>(component)) {
                known = reads->ReadProperty(p.name, p.value, *this);
            }
        } catch (const layout::Error& e) {
            if (e.layoutName().empty()) throw e.Within(layoutName_, p.name);
            throw;
        } catch (const std::exception& e) {
            Fail(p.line, p.name, e.what());
        }
        if (!known) Fail(p.line, p.name, std::string("unknown property of ") + component->ClassName());
    }
    current_ = nullptr;
}

void TLayoutReader::Reference(const layout::Value& v, std::function<void(TComponent*)> apply) {
    fixups_.push_back({Ident(v), current_ ? current_->line : v.line, current_ ? current_->name : "",
                       std::move(apply)});
}

int TLayoutReader::Int(const layout::Value& v) {
    if (v.kind != layout::Value::Kind::Integer) throw Exception("integer expected");
    return static_cast<int>(v.integer);
}

bool TLayoutReader::Bool(const layout::Value& v) {
    if (v.kind == layout::Value::Kind::Identifier) {
        if (_stricmp(v.text.c_str(), "true") == 0) return true;
        if (_stricmp(v.text.c_str(), "false") == 0) return false;
    }
    throw Exception("true or false expected");
}

std::string TLayoutReader::Str(const layout::Value& v) {
    if (v.kind != layout::Value::Kind::String) throw Exception("string expected");
    return v.text;
}

std::string TLayoutReader::Ident(const layout::Value& v) {
    if (v.kind != layout::Value::Kind::Identifier) throw Exception("identifier expected");
    return v.text;
}

TColor TLayoutReader::Color(const layout::Value& v) {
    if (v.kind == layout::Value::Kind::Integer) return static_cast<TColor>(v.integer);
    TColor c;
    if (v.kind == layout::Value::Kind::Identifier && ColorFromName(v.text, c)) return c;
    throw Exception("colour expected");
}

std::vector<std::string> TLayoutReader::Strings(const layout::Value& v) {
    if (v.kind != layout::Value::Kind::List) throw Exception("list of strings expected");
    std::vector<std::string> out;
    for (const auto& item : v.list) out.push_back(Str(item));
    return out;
}

int TLayoutReader::Enum(const layout::Value& v, std::initializer_list<const char*> names) {
    std::string id = Ident(v);
    int index = 0;
    for (const char* n : names) {
        if (id == n) return index;
        ++index;
    }
    throw Exception("invalid value " + id);
}

void ReadLayoutText(TComponent* root, const TLayoutBindings* bindings, const std::string& text,
                    const std::string& layoutName) {
    layout::Object object = layout::Parse(text, layoutName);
    TLayoutReader reader(root, bindings, layoutName);
    reader.Read(object);
}

void ReadLayoutResource(TComponent* root, const TLayoutBindings* bindings, const char* resourceName) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!res) throw Exception(std::string("Resource ") + resourceName + " not found");
    HGLOBAL data = LoadResource(module, res);
    const char* bytes = static_cast<const char*>(LockResource(data));
    ReadLayoutText(root, bindings, std::string(bytes, SizeofResource(module, res)), resourceName);
}
