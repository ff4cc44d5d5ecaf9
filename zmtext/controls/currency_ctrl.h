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

class CZMCurrencyCtrl final : public CZMDecimalControl<CZMCurrencyCtrl> {
public:
    CZMCurrencyCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();

    // --- Engine operations ---------------------------------------------------------------------
    void ParseText() override;
    int FormatRawData() override;
    void FormatText() override;
    bool IsInRange() override { return MinValue <= value_ && value_ <= MaxValue; }
    void SaveUndo() override { undo_ = value_; }
    bool Undo() override;
    bool SetTextValue(std::string_view text) override;
    int SetRawDataText(std::string_view text) override;
    void ImportOldProperties(const com::Blob& flags) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;
    void OnAboutBox() override;

    // --- Binding -------------------------------------------------------------------------------
    com::Variant GetBoundValue(std::int32_t columnType) override;
    void SetBoundValue(const com::Variant& value) override;

    // --- Properties ----------------------------------------------------------------------------
    Currency GetValue() const { return value_; }
    void PutValue(Currency value);
    const std::string& GetFmtCurrency() const { return FmtCurrency; }

private:
    friend class CZMNumberControl<CZMCurrencyCtrl>;
    friend class CZMDecimalControl<CZMCurrencyCtrl>;
    friend class ZMEditMembers<CZMCurrencyCtrl>;
    friend class ZMNumberMembers<CZMCurrencyCtrl>;
    friend struct ZMCurrencyMembers;

    NumberFormat Format() const;
    bool AllowsNegative() const { return MinValue.scaled < 0; }
    // Takes a value read from a text when it differs from the stored value as the field shows it.
    bool TakeValue(Currency value, int digits);

    std::string FmtCurrency = "$";
    Currency MaxValue = kCurrencyMax;
    Currency MinValue = kCurrencyMin;
    Currency value_{};
    Currency undo_{};
};

}  // namespace zmtext
