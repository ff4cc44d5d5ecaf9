// The number fields' property pages: CZMLongPropPage, CZMDoublePropPage and
// CZMCurrencyPropPage. Each binds its fields to properties by name, so a page works for every
// selected control of its kind. Visible fields carry the value, the limits and the number
// format; hidden, disabled fields carry the common properties, so that "Save As Default" writes
// a complete default set of the kind and "Reset Default" restores the built-in one. The
// FmtControl list holds the entries of the library's own type library ("0 - _ZM_FCTL_WININI").
#pragma once

#include <span>

#include "zmtext/pages/item_page.h"

namespace zmtext {

// What distinguishes the three pages.
struct ZMNumberPageSpec {
    int caption;             // string id
    std::uint32_t helpContext;
    int section;             // the defaults section (field kind)
    const char* formatEnum;  // the type-library enum of the FmtControl list
    bool applyAtReset;       // "Reset Default" transfers to the controls at once
    std::span<const ZMPageField> fields;
};

// Save As Default transfers the fields to the controls first; Reset Default applies the built-in
// values at once where the kind does so.
class CZMNumberPropPage : public ZMDefaultsPage {
protected:
    explicit CZMNumberPropPage(const ZMNumberPageSpec& spec);
};

class CZMLongPropPage final : public CZMNumberPropPage {
public:
    CZMLongPropPage();
};

class CZMDoublePropPage final : public CZMNumberPropPage {
public:
    CZMDoublePropPage();
};

class CZMCurrencyPropPage final : public CZMNumberPropPage {
public:
    CZMCurrencyPropPage();
};

}  // namespace zmtext
