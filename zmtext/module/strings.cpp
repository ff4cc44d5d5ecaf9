#include "zmtext/module/strings.h"

#include <array>
#include <string_view>
#include <vector>

#include "platform/ctl/cursors.h"

namespace zmtext {
namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Texts are UTF-8 here; the table hands them out in cp1252.
constexpr std::array kStrings{
    StringEntry{1, "Halvern Text Control"},
    StringEntry{2, "Halvern Text Property Page"},
    StringEntry{3, "Halvern Date Control"},
    StringEntry{4, "Halvern Date Property Page"},
    StringEntry{5, "Halvern Time Control"},
    StringEntry{6, "Halvern Time Property Page"},
    StringEntry{7, "Halvern Long Control"},
    StringEntry{8, "Halvern Long Property Page"},
    StringEntry{9, "Halvern Double Control"},
    StringEntry{10, "Halvern Double Property Page"},
    StringEntry{11, "Halvern Currency Control"},
    StringEntry{12, "Halvern Currency Property Page"},
    StringEntry{13, "Halvern Label Control"},
    StringEntry{14, "Halvern Label Property Page"},
    StringEntry{15, "Halvern Text Additional Properties"},
    StringEntry{16, "ZMText Specific"},
    StringEntry{17, "Halvern Text Characters Property"},
    StringEntry{18, "Characters"},
    StringEntry{101, "General"},
    StringEntry{103, "ZMDate specific"},
    StringEntry{105, "ZMTime specific"},
    StringEntry{113, "General"},
    StringEntry{114, "VX4WIN.INI"},
    StringEntry{115, "ZMText Settings"},
    StringEntry{116, "BackColor"},
    StringEntry{117, "ForeColor"},
    StringEntry{118, "AutoScroll"},
    StringEntry{119, "BorderEffect"},
    StringEntry{120, "BorderStyle"},
    StringEntry{121, "DataProperty"},
    StringEntry{122, "ReadOnly"},
    StringEntry{123, "EOLTab"},
    StringEntry{124, "ErrorBeep"},
    StringEntry{125, "FocusSelect"},
    StringEntry{126, "Insert"},
    StringEntry{127, "Justification"},
    StringEntry{128, "Characters"},
    StringEntry{129, "CharacterTable"},
    StringEntry{130, "Mask"},
    StringEntry{131, "MaxCharacters"},
    StringEntry{132, "UseUnderline"},
    StringEntry{133, "ValidateMask"},
    StringEntry{134, "FillChar"},
    StringEntry{135, "PasswordChar"},
    StringEntry{136, "AutoScroll must be either True or False"},
    StringEntry{137, "BorderEffect must be 0-None, 1-Pop, or 2-Drop"},
    StringEntry{138, "DataProperty must be 0-Text, 1-Raw, or 2-Value"},
    StringEntry{139, "ReadOnly/DisplayOnly must be either True or False"},
    StringEntry{140, "EOLTab must be either True or False"},
    StringEntry{141, "ErrorBeep must be either True or False"},
    StringEntry{142, "FocusSelect must be either True or False"},
    StringEntry{143, "Insert must be either True or False"},
    StringEntry{144, "Justification must be 0-Left, 1-Center, or 2-Right"},
    StringEntry{145, "BorderStyle must be either 0-None, or 1-Fixed Single"},
    StringEntry{146, "Characters must be a valid combination of the Character Flags"},
    StringEntry{147, "Invalid RawData Value"},
    StringEntry{148, "MaxLength/MaxCharacters  must be an integer from 0 to 255"},
    StringEntry{149, "Modified must be either True or False"},
    StringEntry{150, "FmtControl"},
    StringEntry{151, "FmtDecimal"},
    StringEntry{152, "FmtThousands"},
    StringEntry{153, "FmtDecDigits"},
    StringEntry{154, "FmtIntDigits"},
    StringEntry{155, "ZMLong Settings"},
    StringEntry{156, "ZMDate Settings"},
    StringEntry{157, "MaxValue"},
    StringEntry{158, "MinValue"},
    StringEntry{159, "ZMTime Settings"},
    StringEntry{160, "ZMDouble Settings"},
    StringEntry{161, "ZMCurrency Settings"},
    StringEntry{162, "ZMLabel Settings"},
    StringEntry{176, "ShowZero"},
    StringEntry{177, "FmtCurrency"},
    StringEntry{180, "DataProperty must be either 0-Text, or 1-Raw"},
    StringEntry{182, "The UseFillChar/UseUnderline property must be either True or False"},
    StringEntry{183, "HideSelection"},
    StringEntry{184, "HideSelection must be either True or False"},
    StringEntry{185, "The MouseIcon property must be an Icon (not a bitmap or metafile)"},
    StringEntry{186, "The MousePointer property must be a number from 0 to 13"},
    StringEntry{187, "FmtSeparator"},
    StringEntry{188, "BackgroundStyle"},
    StringEntry{189, "ChiselColor"},
    StringEntry{190, "ChiselText"},
    StringEntry{191, "LabelStyle"},
    StringEntry{192, "WordWrap"},
    StringEntry{193, "FmtDay"},
    StringEntry{194, "FmtMonth"},
    StringEntry{195, "FmtYear"},
    StringEntry{196, "MaxValue must be a long integer in the appropriate range for the current DateType.  See the help file for details."},
    StringEntry{197, "MinValue must be a long integer in the appropriate range for the current DateType.  See the help file for details."},
    StringEntry{198, "Value must be a long integer in the appropriate range for the current DateType.  See the help file for details."},
    StringEntry{200, "FmtDay must be 0 - None, 1 - No Leading Zero, or 2 - Leading Zero"},
    StringEntry{201, "FmtMonth must be 0 - None, 1 - No Leading Zero, 2 - Leading Zero, 3 - Abbreviated month name, or 4 - Full month name"},
    StringEntry{202, "FmtYear must be 0 - None, 1 - Two Digit Year, or 2 - Four Digit Year"},
    StringEntry{203, "FmtSeparator must not be a number (0-9)"},
    StringEntry{204, "FillChar must not be a number (0-9)"},
    StringEntry{205, "The FillChar cannot be the same as the Separator"},
    StringEntry{206, "FmtControl must be a number from 0-Use WIN.INI Format, 1-MDY, 2-DMY, or 3-YMD."},
    StringEntry{207, "FmtControl must be a number from 0 to 7 (see Help File for details)."},
    StringEntry{208, "MaxValue must be a long integer from -1 to 86399"},
    StringEntry{209, "MinValue must be a long integer from -1 to 86399"},
    StringEntry{210, "Value must be a long integer from -1 to 86399"},
    StringEntry{211, "FmtHours"},
    StringEntry{212, "FmtSeconds"},
    StringEntry{213, "FmtLeadingZero"},
    StringEntry{214, "FmtHours must be 0-Use WIN.INI Format, 1-12 Hour clock, or 2-24 Hour clock."},
    StringEntry{215, "FmtSeconds must be either 0-Show Seconds, or 1-Do not show seconds"},
    StringEntry{216, "FmtLeadingZero must be 0-Use WIN.INI, 1-No leading zero, or 2-Use leading zero"},
    StringEntry{217, "FmtAM"},
    StringEntry{218, "FmtPM"},
    StringEntry{219, "Align"},
    StringEntry{220, "Alignment"},
    StringEntry{221, "MousePointer"},
    StringEntry{223, "Alignment must be 0-Left, 1-Center, or 2-Right"},
    StringEntry{224, "ChiselText must be 0-None, 1-Inset, or 2-Raised"},
    StringEntry{225, "LabelStyle must be 0-Label, 1-Horz Bump, or 2-Vert Bump"},
    StringEntry{226, "WordWrap must be either True or False"},
    StringEntry{227, "BackgroundStyle must be 0-Transparent, 1-Normal, or 2-Texture"},
    StringEntry{228, "MS Sans Serif"},
    StringEntry{229, "FontName"},
    StringEntry{230, "FontSize"},
    StringEntry{231, "FontBold"},
    StringEntry{232, "FontItalic"},
    StringEntry{233, "FontUnderline"},
    StringEntry{234, "FontStrikethru"},
    StringEntry{235, "Height"},
    StringEntry{236, "Width"},
    StringEntry{237, "Halvern Time Values Property Page"},
    StringEntry{238, "Values"},
    StringEntry{239, "Halvern Date Values Property Page"},
    StringEntry{240, "DateType"},
    StringEntry{241, "DateType must be 0 - VisualBasic, or 1 - Halvern"},
    StringEntry{242, "Style Flags"},
    StringEntry{244, "DataChanged must be either True or False"},
    StringEntry{251, "BoundTimeMode must be either 0 - Preserve, or 1 - BoundTime"},
    StringEntry{252, "BoundDateMode must be either 0 - Preserve or 1 - BoundDate"},
    StringEntry{253, "BoundTimeMode"},
    StringEntry{254, "BoundTime"},
    StringEntry{255, "BoundDateMode"},
    StringEntry{256, "BoundDate"},
    StringEntry{57632, "&Delete"},
    StringEntry{57634, "&Copy"},
    StringEntry{57635, "Cu&t"},
    StringEntry{57637, "&Paste"},
    StringEntry{57642, "Select &All"},
    StringEntry{57643, "&Undo"},
};


// The context menu's commands in order, 0 for a separator.
constexpr std::array kEditMenuCommands{57643, 0, 57635, 57634, 57637, 57632, 0, 57642};

constexpr bool IdsIncrease() {
    for (std::size_t i = 1; i < kStrings.size(); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id) return false;
    return true;
}
static_assert(IdsIncrease(), "each string id once, in order");

}  // namespace

const ctl::ResourceTable& ZMResources() {
    static const ctl::ResourceTable table = [] {
        ctl::ResourceTable t;
        for (const StringEntry& e : kStrings) t.AddString(e.id, std::string(e.text));
        // The edit fields' context menu: each item's text is the string of its command.
        std::vector<ctl::MenuItem> menu;
        for (const int command : kEditMenuCommands)
            menu.push_back(command == 0 ? ctl::MenuItem::Separator()
                                        : ctl::MenuItem{t.LoadString(command), command, true});
        t.AddMenu(IDM_EDIT_CONTEXT, std::move(menu));
        t.AddCursor("IDC_NODROP", [] { return ctl::NoDropCursor(); });
        return t;
    }();
    return table;
}

std::optional<std::string> ZMLoadString(int id, std::size_t bufferSize) {
    const ctl::ResourceTable& table = ZMResources();
    if (!table.HasString(id) || bufferSize == 0) return std::nullopt;
    return table.LoadString(id, bufferSize);
}

}  // namespace zmtext
