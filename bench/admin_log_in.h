// The administrator's log-in to the sample chain's LOJA01 on a shown log-in window, as the user
// does it, up to the button: the store chosen in the list, the password typed, the answer to the
// clock question of a chain built today (Yes) scripted. The caller presses the button
// (BtnProcura_Click), timing what it measures.
#pragma once

#include "platform/controls/grid/data_grid.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "report/login/acesso.h"

namespace bench {

inline void PrepareAdministratorLogIn(report::login::Acesso& window, forms::ScriptedMessageBoxes& boxes) {
    for (int row = 0; row < window.TbLoja().RowCount(); ++row) {
        window.TbLoja().SetRow(row);
        if (window.TbLoja().CellText(row, 0) == "01") break;
    }
    window.TbLoja_Choose();
    forms::SetHostedText(window.ZmSenha(), "ADMIN");
    boxes.answers = {forms::mb::Yes};
}

}  // namespace bench
