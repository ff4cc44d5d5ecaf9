// The library's About box: a modal dialog titled "About <control> Control" (the control's name
// as its defaults section names it: "About ZMCurrency Control") that shows the control's
// user-type name and the library's version. Every control's AboutBox method and the About...
// button of every page show it, through the platform's notices (scriptable in tests).
#pragma once

#include <string>
#include <vector>

#include "zmtext/module/classes.h"

class QWidget;

namespace zmtext {

std::string ZMAboutTitle(ZMControlKind kind);
std::vector<std::string> ZMAboutLines(ZMControlKind kind);
void ZMShowAboutBox(QWidget* parent, ZMControlKind kind);

}  // namespace zmtext
