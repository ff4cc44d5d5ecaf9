#include "platform/controls/threed/control_object.h"

#include "platform/forms/colors.h"

namespace controls {

std::uint32_t ColorArgument(const com::Variant& value) {
    const com::Variant v = value.Deref();
    if (v.BaseType() == com::VT_BSTR) return forms::ColorFromText(v.AsStr().ToUtf8());
    com::Variant number;
    if (com::Failed(com::ChangeType(number, v, com::VT_I8))) win::Raise(win::err::TypeMismatch, "Color");
    return static_cast<std::uint32_t>(number.AsInteger());
}

com::Variant ColorResult(std::uint32_t color) {
    return com::Variant::I4(static_cast<std::int32_t>(color));
}

}  // namespace controls
