// What the traps of the data steps that run in a transaction share.
#pragma once

#include <string>

#include "platform/forms/errors.h"

namespace report::upgrade {

// Reports the error in force (screen "Atualiza", routine `rotina`), rolls back the step's
// transaction when it is open (clearing `transacao`), and ends the step.
forms::Resume ReportAndRollBack(const std::string& rotina, bool& transacao);

}  // namespace report::upgrade
