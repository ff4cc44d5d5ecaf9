#include "report/consolidation/indexes.h"

#include "platform/dao/collation.h"
#include "platform/win/error.h"

namespace report::consolidation {

const std::vector<IndexSpec>& ConsolidatedIndexes() {
    static const std::vector<IndexSpec> indexes = {
        {"Produto", "IndCódigo", {"CodLoja", "Familia", "Grupo", "Tamanho", "Cor"}, true},
        {"Produto", "IndCodAlternativo", {"CodLoja", "CodAlternativo"}},
        {"Venda", "IndCliente", {"CodLoja", "Código Cliente"}},
        {"Venda", "IndConcluido", {"CodLoja", "Concluido", "CodUsuario"}},
        {"Venda", "IndVenda", {"CodLoja", "Número Venda"}, true},
        {"Itens Venda", "IndÍtens", {"CodLoja", "Número Venda", "Sequência"}},
        {"Itens Venda", "IndVenda", {"CodLoja", "Número Venda"}},
        {"Pagto Venda", "IndCheque", {"CodLoja", "Número Cheque", "Vencimento"}},
        {"Pagto Venda", "IndParcela", {"CodLoja", "Número Venda", "Sequência"}},
        {"Pagto Venda", "IndVenda", {"CodLoja", "Número Venda"}},
        {"Vendedor", "IndCódigo", {"CodLoja", "Código"}},
        {"Fornecedor", "IndCodFor", {"Código", "CodLoja"}, true},
    };
    return indexes;
}

void NovoIndice(IndexWork& work, const IndexSpec& spec) {
    if (!work.TabelaIndice) win::Raise(win::err::ObjectNotSet);
    work.IndiceNovo = work.TabelaIndice->CreateIndex(spec.name);
    for (const std::string& field : spec.fields) {
        work.IndiceNovo->Fields().Append(work.IndiceNovo->CreateField(field));
    }
    work.IndiceNovo->SetPrimary(spec.primary);
    work.IndiceNovo->SetRequired(spec.primary);
    work.IndiceNovo->SetIgnoreNulls(false);
}

void AnexaIndice(IndexWork& work) {
    if (!work.TabelaIndice || !work.IndiceNovo) win::Raise(win::err::ObjectNotSet);
    work.TabelaIndice->Indexes().Append(*work.IndiceNovo);
    work.TabelaIndice->Indexes().Refresh();
}

void CriaIndicesConsolidados(const dao::Database& BancoBackup, IndexWork& work) {
    const std::vector<IndexSpec>& indexes = ConsolidatedIndexes();
    bool fresh = true;   // the first table of this call is always taken from BancoBackup
    for (; work.next < indexes.size(); ++work.next) {
        const IndexSpec& spec = indexes[work.next];
        if (fresh || !dao::JetNamesEqual(work.TabelaIndice->Name(), spec.table)) {
            work.TabelaIndice = BancoBackup.TableDefs().Item(spec.table);
            fresh = false;
        }
        NovoIndice(work, spec);
        AnexaIndice(work);
    }
    work.next = 0;
}

}  // namespace report::consolidation
