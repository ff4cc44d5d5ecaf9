// The field rebuild: the engine cannot change the type or size of an existing field, so the field
// at the current position is replaced by a new one of the described type and size.
//
//   1. append F01 (described type and size)      a leftover F01 (3191): delete it, append again
//   2. refresh, copy F into F01 (one statement; not undone by a rollback)
//   3. begin a transaction; delete F; rename F01 to F; commit; idle (refresh cache, free locks)
// Only the delete and the rename are inside the transaction, so a failure there puts F back. No
// index, relation or property of F is carried over. A table another station holds (3262) rolls
// back an open transaction and passes the error on to the caller, whose recovery stops the run as
// for any lock. Any other failure but the leftover F01 rolls back an open transaction, reports
// ("Atualiza", "AtualizaEstrutura") and asks the program to end.
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "report/core/error_routine.h"
#include "report/schema/schema_description.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

namespace {

constexpr int dbRefreshCache = 8;
constexpr int dbFreeLocks = 1;

}  // namespace

void AtualizaEstrutura() {
    const int g = PosBanco - 1;
    const schema::SchemaDescription& description = schema::ProgramSchema();
    const std::string tabela = description.NomeTabela(g, PosTabela);
    const schema::FieldEntry campo = description.Campo(g, PosTabela, PosCampo);
    const std::string temporario = campo.nomeCampo + "01";
    std::string transacao;

    const auto fields = [&] { return BancoAtual->TableDefs().Item(tabela).Fields(); };
    const std::vector<forms::Step> steps = {
        {"append", [&](forms::StepFlow&) {
             dao::TableDef table = BancoAtual->TableDefs().Item(tabela);
             table.Fields().Append(table.CreateField(temporario, dao::Value::Text(campo.tipoCampo),
                                                     dao::Value::Integer(campo.tamanhoCampo)));
         }},
        {"", [](forms::StepFlow&) { BancoAtual->TableDefs().Refresh(); }},
        {"", [&](forms::StepFlow&) {
             BancoAtual->Execute("Update [" + tabela + "] SET [" + temporario + "] = [" + campo.nomeCampo + "]");
         }},
        {"", [&](forms::StepFlow&) { transacao = kSim; }},
        {"", [](forms::StepFlow&) { ProgramEngine().BeginTrans(); }},
        {"", [&](forms::StepFlow&) { fields().Delete(campo.nomeCampo); }},
        {"", [&](forms::StepFlow&) { fields().Item(temporario).Properties().Item("Name").SetValue(dao::Value::Text(campo.nomeCampo)); }},
        {"", [](forms::StepFlow&) { ProgramEngine().CommitTrans(0); }},
        {"", [](forms::StepFlow&) {
             ProgramEngine().Idle(dbRefreshCache);
             ProgramEngine().Idle(dbFreeLocks);
         }},
        {"", [&](forms::StepFlow&) { transacao = kNao; }},
    };
    forms::RunSteps(steps, [&](const win::RuntimeError& error, std::string_view) {
        if (error.Number() == dao::jet::NameExists) {
            fields().Delete(temporario);
            return forms::Resume::Retry();
        }
        if (transacao == kSim) {
            ProgramEngine().Rollback();
            transacao = kNao;
        }
        if (error.Number() == dao::jet::TableLocked) throw error;
        ReportError("Atualiza", "AtualizaEstrutura");
        forms::App().End();
        return forms::Resume::Leave();
    });
}

}  // namespace report::upgrade
