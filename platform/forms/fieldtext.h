// The text a window shows or compares of a database field that may be empty.
#pragma once

#include <string>

#include "platform/dao/value.h"

namespace forms {

// The value's text, "" for Null.
inline std::string TextOf(const dao::Value& value) { return value.IsNull() ? std::string() : value.ToText(); }

}  // namespace forms
