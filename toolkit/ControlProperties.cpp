// Properties of controls read from stored layouts.
#include "Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "LayoutReader.h"

// ------------------------------------------------------ layout properties

namespace {
TFontStyles FontStyles(const layout::Value& v) {
    if (v.kind != layout::Value::Kind::Set) throw Exception("set of font styles expected");
    TFontStyles s = 0;
    for (const auto& name : v.set) {
        if (name == "fsBold") s |= fsBold;
        else if (name == "fsItalic") s |= fsItalic;
        else if (name == "fsUnderline") s |= fsUnderline;
        else if (name == "fsStrikeOut") s |= fsStrikeOut;
        else throw Exception("invalid font style " + name);
    }
    return s;
}

int Charset(const layout::Value& v) {
    if (v.kind == layout::Value::Kind::Integer) return static_cast<int>(v.integer);
    std::string id = TLayoutReader::Ident(v);
    if (id == "DEFAULT_CHARSET") return DEFAULT_CHARSET;
    if (id == "ANSI_CHARSET") return ANSI_CHARSET;
    if (id == "SYMBOL_CHARSET") return SYMBOL_CHARSET;
    if (id == "GB2312_CHARSET") return GB2312_CHARSET;
    throw Exception("invalid charset " + id);
}
}  // namespace

bool ReadFontProperty(TFont& font, const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Font.Name") font.SetName(r.Str(v));
    else if (name == "Font.Height") font.SetHeight(r.Int(v));
    else if (name == "Font.Size") font.SetSize(r.Int(v));
    else if (name == "Font.Color") font.SetColor(r.Color(v));
    else if (name == "Font.Style") font.SetStyle(FontStyles(v));
    else if (name == "Font.Charset") font.SetCharset(Charset(v));
    else return false;
    return true;
}

bool TControl::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Left") SetLeft(r.Int(v));
    else if (name == "Top") SetTop(r.Int(v));
    else if (name == "Width") SetWidth(r.Int(v));
    else if (name == "Height") SetHeight(r.Int(v));
    else if (name == "ClientWidth") SetClientSize(r.Int(v), ClientHeight());
    else if (name == "ClientHeight") SetClientSize(ClientWidth(), r.Int(v));
    else if (name == "Visible") SetVisible(r.Bool(v));
    else if (name == "Enabled") SetEnabled(r.Bool(v));
    else if (name == "Caption") SetCaption(r.Str(v));
    else if (name == "Color") SetColor(r.Color(v));
    else if (name == "ParentColor") SetParentColor(r.Bool(v));
    else if (name == "ParentFont") SetParentFont(r.Bool(v));
    else if (ReadFontProperty(font_, name, v, r)) {}
    else if (name == "Align")
        SetAlign(static_cast<TAlign>(r.Enum(v, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"})));
    else if (name == "Cursor") {
        if (v.kind == layout::Value::Kind::Integer) cursor_ = r.Int(v);
        else {
            static const std::pair<const char*, TCursor> kNames[] = {
                {"crDefault", crDefault}, {"crNone", crNone},   {"crArrow", crArrow},         {"crCross", crCross},
                {"crIBeam", crIBeam},     {"crSizeAll", crSizeAll}, {"crHandPoint", crHandPoint},
                {"crHourGlass", crHourGlass}, {"crNo", crNo}};
            std::string id = r.Ident(v);
            auto it = std::find_if(std::begin(kNames), std::end(kNames), [&](auto& n) { return id == n.first; });
            if (it == std::end(kNames)) throw Exception("invalid cursor " + id);
            cursor_ = it->second;
        }
    }
    else if (name == "Hint") Hint = r.Str(v);
    else if (name == "ShowHint") ShowHint = r.Bool(v);
    else if (name == "OnClick") r.Event(v, OnClick);
    else if (name == "OnDblClick") r.Event(v, OnDblClick);
    else if (name == "OnMouseDown") r.Event(v, OnMouseDown);
    else if (name == "OnMouseUp") r.Event(v, OnMouseUp);
    else if (name == "OnMouseMove") r.Event(v, OnMouseMove);
    else return false;
    return true;
}

bool TWinControl::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "TabOrder") SetTabOrder(r.Int(v));
    else if (name == "TabStop") TabStop = r.Bool(v);
    else if (name == "OnEnter") r.Event(v, OnEnter);
    else if (name == "OnExit") r.Event(v, OnExit);
    else if (name == "OnKeyDown") r.Event(v, OnKeyDown);
    else return TControl::ReadProperty(name, v, r);
    return true;
}
