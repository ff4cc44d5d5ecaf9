// CZMLongCtrl: the library's whole-number field (coclass silgEdit, ProgID "ZMTEXT.ZMLongCtrl.1").
//
// The value is a 32-bit signed integer. RawData is its plain base-10 text ("-1234"); Text is the
// grouped display form with a sign position (" 1,234"). The user types digits and, when
// MinValue is negative, a leading "-"; MinValue and MaxValue are tested only when the field
// loses the focus (OutOfRange). The decimal character is always "." and the decimals 0.
//
// Errors of the property setters are dispatch error 380 with a text of the library's string
// table and a help context; a refused value leaves the property as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/number_control.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMLongDispId : com::DispId {
    kLongShowZero = 1, kLongDataSource, kLongFontName, kLongFontBold, kLongFontItalic,
    kLongFontStrikeThru, kLongFontUnderline, kLongModified, kLongSelLength, kLongSelStart,
    kLongSelText, kLongValue, kLongAutoScroll, kLongBorderEffect, kLongDataProperty,
    kLongDisplayOnly, kLongEOLTab, kLongErrorBeep, kLongFocusSelect, kLongInsert,
    kLongJustification, kLongRawData, kLongFmtControl, kLongMaxValue, kLongMinValue,
    kLongFontSize, kLongFmtIntDigits, kLongFmtThousands, kLongReadOnly, kLongMousePointer,
    kLongMouseIcon, kLongHdnHeight, kLongHdnWidth, kLongHdnDataPropCount, kLongToolTip,
    kLongDataField, kLongDataChanged,
};

// Events of _DZMLongEvents.
enum ZMLongEventId : com::DispId { kLongEndOfLine = 1, kLongInvalidKey = 2, kLongChange = 3,
                                   kLongOutOfRange = 4, kLongInvalid = 5 };

class CZMLongCtrl final : public CZMNumberControl<CZMLongCtrl, std::int32_t> {
public:
    CZMLongCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();
    static ctl::ControlClassInfo LongClassInfo();

    // --- Engine operations ---------------------------------------------------------------------
    void ImportOldProperties(const com::Blob& flags) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;

    // --- Binding -------------------------------------------------------------------------------
    com::Variant GetBoundValue(std::int32_t columnType) override;
    void SetBoundValue(const com::Variant& value) override;

    // --- Properties ----------------------------------------------------------------------------
    std::int32_t GetMinValue() const { return MinValue; }
    std::int32_t GetMaxValue() const { return MaxValue; }

    // The long's conversions the family's value code is built on.
    std::string RawText() const;
    std::string DisplayText() const;
    std::optional<std::int32_t> RawValue() const;
    std::optional<std::int32_t> TextValue(std::string_view text) const;
    bool ValueChanges(std::int32_t value) const { return value != value_; }
    // Typing and checks see a "." and no decimals (the thousands separator only formats).
    static NumberFormat Format() { return NumberFormat{}; }
    bool AllowsNegative() const { return MinValue < 0; }

private:
    friend struct ZMLongMembers;

    // The thousands separator in force (the property or the Windows setting).
    char Thousands() const;
};

}  // namespace zmtext
