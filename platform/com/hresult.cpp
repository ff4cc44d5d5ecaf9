#include "platform/com/hresult.h"

#include <array>

#include "platform/win/error.h"

namespace com {
namespace {

struct Mapping {
    HResult code;
    long number;
};

constexpr std::array kMappings{
    Mapping{DISP_E_TYPEMISMATCH, 13},
    Mapping{DISP_E_OVERFLOW, 6},
    Mapping{DISP_E_BADINDEX, 9},
    Mapping{DISP_E_MEMBERNOTFOUND, 438},
    Mapping{DISP_E_UNKNOWNNAME, 438},
    Mapping{DISP_E_BADPARAMCOUNT, 450},
    Mapping{DISP_E_PARAMNOTOPTIONAL, 449},
    Mapping{DISP_E_PARAMNOTFOUND, 448},
    Mapping{DISP_E_NONAMEDARGS, 446},
    Mapping{E_NOINTERFACE, 430},
    Mapping{E_OUTOFMEMORY, 7},
    Mapping{E_INVALIDARG, 5},
    Mapping{REGDB_E_CLASSNOTREG, 429},
    Mapping{CLASS_E_CLASSNOTAVAILABLE, 429},
    Mapping{CO_E_CLASSSTRING, 429},
    Mapping{CO_E_DLLNOTFOUND, 429},
    Mapping{CO_E_ERRORINDLL, 429},
};

struct Text {
    long number;
    const char* text;
};

// Texts of the component layer's numbers; the runtime's own numbers come from platform/win.
constexpr std::array kTexts{
    Text{380, "Invalid property value"},
    Text{382, "Set not supported at runtime"},
    Text{383, "Set not supported (read-only property)"},
    Text{393, "Get not supported at runtime"},
    Text{394, "Get not supported (write-only property)"},
    Text{429, "ActiveX component can't create object"},
    Text{430, "Class does not support Automation or does not support expected interface"},
    Text{438, "Object doesn't support this property or method"},
    Text{446, "Object doesn't support named arguments"},
    Text{448, "Named argument not found"},
    Text{449, "Argument not optional"},
    Text{450, "Wrong number of arguments or invalid property assignment"},
    Text{481, "Invalid picture"},
};

}  // namespace

long RuntimeNumber(HResult hr) {
    const auto bits = static_cast<std::uint32_t>(hr);
    if ((bits & 0xFFFF0000u) == 0x800A0000u) return static_cast<long>(bits & 0xFFFFu);
    for (const auto& m : kMappings)
        if (m.code == hr) return m.number;
    return hr;
}

std::string RuntimeText(HResult hr) {
    const long number = RuntimeNumber(hr);
    if (number == hr) return "Automation error";
    for (const auto& t : kTexts)
        if (t.number == number) return t.text;
    return win::RuntimeErrorText(number);
}

}  // namespace com
