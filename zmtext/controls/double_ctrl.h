// CZMDoubleCtrl: the library's decimal-number field (coclass sidbEdit, ProgID
// "ZMTEXT.ZMDoubleCtrl.1").
//
// The value is a finite IEEE-754 double. RawData is its fixed-point text with the field's decimal
// character and decimals ("1234.568"); Text is the grouped display form with a sign position
// (" 1,234.568"). The value is stored as given; the texts show it rounded. A text whose value lies
// closer to the stored one than the last decimal shown leaves the stored value with all its
// digits. MinValue and MaxValue are tested only when the field loses the focus (OutOfRange).
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/number_control.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMDoubleDispId : com::DispId {
    kDoubleShowZero = 1, kDoubleDataSource, kDoubleFontName, kDoubleFontBold, kDoubleFontItalic,
    kDoubleFontStrikeThru, kDoubleModified, kDoubleSelLength, kDoubleSelStart, kDoubleSelText,
    kDoubleAutoScroll, kDoubleBorderEffect, kDoubleDataProperty, kDoubleDisplayOnly, kDoubleEOLTab,
    kDoubleErrorBeep, kDoubleFocusSelect, kDoubleInsert, kDoubleJustification, kDoubleRawData,
    kDoubleFmtControl, kDoubleValue, kDoubleMaxValue, kDoubleMinValue, kDoubleFmtDecimal,
    kDoubleFmtThousands, kDoubleFmtIntDigits, kDoubleFmtDecDigits, kDoubleFontSize,
    kDoubleFontUnderline, kDoubleReadOnly, kDoubleMousePointer, kDoubleMouseIcon, kDoubleHdnHeight,
    kDoubleHdnWidth, kDoubleHdnDataPropCount, kDoubleToolTip, kDoubleDataField, kDoubleDataChanged,
};

// Events of _DZMDoubleEvents.
enum ZMDoubleEventId : com::DispId { kDoubleChange = 1, kDoubleEndOfLine = 2, kDoubleInvalidKey = 3,
                                     kDoubleInvalid = 4, kDoubleOutOfRange = 5 };

// The default limits: 1.67e308 and its negative (not the largest double).
inline constexpr double kDoubleMaxDefault = std::bit_cast<double>(std::uint64_t{0x7FEDBA1BCDBA6615});
inline constexpr double kDoubleMinDefault = std::bit_cast<double>(std::uint64_t{0xFFEDBA1BCDBA6615});

class CZMDoubleCtrl final : public CZMNumberControl<CZMDoubleCtrl, double> {
public:
    CZMDoubleCtrl();

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
    // False (nothing changed) for a value that is not finite.
    bool PutValue(double value);

    // The double's conversions the family's value code is built on.
    std::string RawText() const;
    std::string DisplayText() const;
    std::optional<double> RawValue() const;
    std::optional<double> TextValue(std::string_view text) const;
    bool ValueChanges(double value) const;
    // The decimal character, thousands separator and decimals in force.
    NumberFormat Format() const;
    bool AllowsNegative() const { return MinValue < 0; }

private:
    friend struct ZMDoubleMembers;
};

}  // namespace zmtext
