// What every edit field of the library takes beside its edit-control base (CZMEditControl,
// zmtext/engine/edit_control.h): its class description, its initial size from the defaults store
// and its events.
#pragma once

#include <QSize>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "zmtext/engine/edit_control.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// The class description of an edit field of `kind` with its property pages in order.
ctl::ControlClassInfo ZMEditFieldClassInfo(ZMControlKind kind, std::initializer_list<std::string_view> pages);
// The initial size the defaults store gives field kind `kind`, when it gives both measures.
std::optional<QSize> ZMDefaultSize(ZMControlKind kind);
// A field's events: its own in its order, then the stock mouse and key events.
std::vector<com::FuncDesc> ZMEditFieldEvents(std::initializer_list<std::pair<const char*, com::DispId>> own);

}  // namespace zmtext
