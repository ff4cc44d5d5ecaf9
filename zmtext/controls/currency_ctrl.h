// CZMCurrencyCtrl: the library's money field (coclass sicrEdit, ProgID "ZMTEXT.ZMCurrencyCtrl.1").
//
// The value is a currency: a signed 64-bit count of ten-thousandths, never passed through
// floating point. RawData is its plain text at the field's decimals ("-1234.50"); Text is the
// grouped number laid out with the currency symbol and the sign by one of eleven layouts
// (FmtControl 1..11, or the Windows setting with 0): "($1,234.50)", " R$ 1.234,50".
// MinValue and MaxValue are tested only when the field loses the focus (OutOfRange).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/number_control.h"
#include "zmtext/values/currency_value.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMCurrencyDispId : com::DispId {
    kCurShowZero = 1, kCurDataSource, kCurFontName, kCurFontBold, kCurFontItalic, kCurFontStrikeThru,
    kCurFontUnderline, kCurModified, kCurSelLength, kCurSelStart, kCurSelText, kCurAutoScroll,
    kCurBorderEffect, kCurDataProperty, kCurDisplayOnly, kCurEOLTab, kCurErrorBeep, kCurFocusSelect,
    kCurInsert, kCurRawData, kCurFmtControl, kCurFontSize, kCurFmtCurrency, kCurFmtDecDigits,
    kCurFmtDecimal, kCurFmtIntDigits, kCurFmtThousands, kCurJustification, kCurValue, kCurMinValue,
    kCurMaxValue, kCurReadOnly, kCurMousePointer, kCurMouseIcon, kCurHdnWidth, kCurHdnHeight,
    kCurHdnDataPropCount, kCurToolTip, kCurDataField, kCurDataChanged,
};

// Events of _DZMCurrencyEvents.
enum ZMCurrencyEventId : com::DispId { kCurChange = 1, kCurEndOfLine = 2, kCurInvalidKey = 3,
                                       kCurInvalid = 4, kCurOutOfRange = 5 };

class CZMCurrencyCtrl final : public CZMNumberControl<CZMCurrencyCtrl, Currency> {
public:
    CZMCurrencyCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();

    // --- Engine operations ---------------------------------------------------------------------
    void ImportOldProperties(const com::Blob& flags) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;

    // --- Binding -------------------------------------------------------------------------------
    com::Variant GetBoundValue(std::int32_t columnType) override;
    void SetBoundValue(const com::Variant& value) override;

    // --- Properties ----------------------------------------------------------------------------
    const std::string& GetFmtCurrency() const { return FmtCurrency; }

    // The currency's conversions the family's value code is built on.
    std::string RawText() const;
    std::string DisplayText() const;
    std::optional<Currency> RawValue() const;
    std::optional<Currency> TextValue(std::string_view text) const;
    // A value read from a text counts as a change when it differs from the stored value as the
    // field shows it (at the decimals in force).
    bool ValueChanges(Currency value) const;
    NumberFormat Format() const;
    bool AllowsNegative() const { return MinValue.scaled < 0; }

private:
    friend struct ZMCurrencyMembers;

    std::string FmtCurrency = "$";
};

}  // namespace zmtext
