// The reception write-off table of the store's Produto.MDB put into service: its relation to the
// transfer items, and its one-time fill with the items received after the last stock count.
//
// CriarRelacao: relation "ItensTransEntBaixa", "Itens TransEnt" (one) to "ItensTransEntBaixa"
// (many) on NroTrans and Sequencia, cascading updates and deletes. An existing relation (3012)
// ends it silently; any other error is reported ("Geral", "CriarRelacao").
//
// AtualizaItemTransEntBaixa: the count moment is UltimaVenda.UltimaContagem (its date part and its
// time part to the second); every item with a received quantity above 0 received on or after the
// count date is written off once (SeqBaixa 1, the reception date and time, the received quantity),
// except those received on the count date at or before the count time. All rows are written in
// one transaction; any error is reported ("Atualiza", "AtualizaItemTransEntBaixa") and rolls back
// what this call wrote, when its transaction is open, so the next upgrade tries again.
#include <cmath>
#include <string_view>

#include "platform/dao/errors.h"
#include "platform/forms/errors.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/upgrade/data_step.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

namespace {

constexpr long kCascadeUpdates = 256;
constexpr long kCascadeDeletes = 4096;

const char* const kSelecionados =
    "SELECT [Itens TransEnt].* From [Itens TransEnt], UltimaVenda WHERE ((([Itens TransEnt].DataRecepcao)>="
    "Format(CDate([UltimaVenda].[UltimaContagem]),'dd/mm/yyyy')) AND (([Itens TransEnt].QuantidadeRecebida)>0));";

// A time of day as whole seconds, as its "hh:mm:ss" text holds it.
long long Seconds(double oleTime) { return std::llround((oleTime - std::floor(oleTime)) * 86400.0); }

}  // namespace

forms::Resume ReportAndRollBack(const std::string& rotina, bool& transacao) {
    ReportError("Atualiza", rotina);
    if (transacao) {
        transacao = false;
        ProgramEngine().Rollback();
    }
    return forms::Resume::Leave();
}

void CriarRelacao() {
    report::Handle<dao::Relation> relacao;
    forms::RunSteps(
        {
            {"", [&](forms::StepFlow&) {
                 relacao.Set(BancoProdutoLoja->CreateRelation("ItensTransEntBaixa", "Itens TransEnt", "ItensTransEntBaixa",
                                                              kCascadeUpdates + kCascadeDeletes));
             }},
            {"", [&](forms::StepFlow&) {
                 for (const char* name : {"NroTrans", "Sequencia"}) {
                     dao::Field field = relacao->CreateField(name);
                     relacao->Fields().Append(field);
                     relacao->Fields().Item(name).SetForeignName(name);
                 }
             }},
            {"", [&](forms::StepFlow&) { BancoProdutoLoja->Relations().Append(*relacao); }},
        },
        [](const win::RuntimeError& error, std::string_view) {
            if (error.Number() != dao::jet::RelationExists) {
                ReportError("Geral", "CriarRelacao");
            }
            return forms::Resume::Leave();
        });
}

void AtualizaItemTransEntBaixa() {
    report::Handle<dao::Recordset> baixa;
    report::Handle<dao::Recordset> itens;
    double dataContagem = 0;
    long long horaContagem = 0;
    bool transacao = false;
    forms::RunSteps(
        {
            {"", [&](forms::StepFlow&) {
                 TabelaUltimaVenda.Set(BancoProdutoLoja->OpenRecordset("UltimaVenda"));
                 baixa.Set(BancoProdutoLoja->OpenRecordset("ItensTransEntBaixa"));
             }},
            {"", [&](forms::StepFlow&) {
                 const dao::Value contagem = (*TabelaUltimaVenda)("UltimaContagem").GetValue();
                 if (contagem.IsNull()) win::Raise(win::err::InvalidUseOfNull);
                 dataContagem = std::floor(contagem.ToDouble());
                 horaContagem = Seconds(contagem.ToDouble());
             }},
            {"", [&](forms::StepFlow&) { itens.Set(BancoProdutoLoja->OpenRecordset(kSelecionados, dao::dbOpenSnapshot)); }},
            {"", [&](forms::StepFlow&) {
                 ProgramEngine().BeginTrans();
                 transacao = true;
             }},
            {"", [&](forms::StepFlow&) {
                 for (; !itens->Eof(); itens->MoveNext()) {
                     const dao::Value data = (*itens)("DataRecepcao").GetValue();
                     const dao::Value hora = (*itens)("HoraRecepcao").GetValue();
                     if (!data.IsNull() && data.ToDouble() == dataContagem && !hora.IsNull() &&
                         hora.ToDouble() < 1.0 && Seconds(hora.ToDouble()) <= horaContagem) {
                         continue;
                     }
                     baixa->AddNew();
                     (*baixa)("NroTrans").SetValue((*itens)("NroTrans").GetValue());
                     (*baixa)("Sequencia").SetValue((*itens)("Sequencia").GetValue());
                     (*baixa)("SeqBaixa").SetValue(dao::Value::Integer(1));
                     (*baixa)("DtBaixa").SetValue(data);
                     (*baixa)("HrBaixa").SetValue(hora);
                     (*baixa)("Qtde").SetValue((*itens)("QuantidadeRecebida").GetValue());
                     baixa->Update();
                 }
             }},
            {"", [&](forms::StepFlow&) {
                 ProgramEngine().CommitTrans();
                 transacao = false;
             }},
        },
        [&](const win::RuntimeError&, std::string_view) { return ReportAndRollBack("AtualizaItemTransEntBaixa", transacao); });
    CloseIfOpen(itens);
    CloseIfOpen(baixa);
    CloseIfOpen(TabelaUltimaVenda);
}

}  // namespace report::upgrade
