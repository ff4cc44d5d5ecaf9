// The index repairs: a fixed table of rows, each a test on one table's indexes and the indexes to
// create when the test passes. The schema description carries tables and fields only; these rows
// give the store databases their named indexes.
//
// A row's test is made once, on the Indexes collection as it stands after the rows before it:
//   Count n      Indexes.Count = n (or one of two counts, or at most n)
//   Named        no index of exactly the sought name exists (an empty collection has none)
//   Otherwise    (Transportadora) an "IndCodTrans" that is not primary is replaced; when the
//                table has indexes but none of that name, the index is created
// Each index is built through the object model: CreateIndex into IndiceNovo, the fields appended
// by name only, Primary then Unique as the row says, Indexes.Append, Indexes.Refresh.
//
// A table's rows are committed together, so that a run cut short leaves each table with all of
// its repairs or none (a block of several indexes under one count test would otherwise stop
// passing its test half-way).
//
// Every statement is a step of its own: a failed one is handled (3284: the index exists, go on;
// anything else: reported as the driver's unexpected errors are) and the next one runs. A table
// that cannot be fetched is reported once and its rows are passed over. A lock held by another
// station passes to the driver, which stops the run.
#include <cassert>
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/errors.h"
#include "report/core/error_routine.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

report::Handle<dao::Index> IndiceNovo;

namespace {

enum class Test { Count, CountAtMost, Named, Transportadora };

struct NewIndex {
    const char* name;
    std::vector<const char*> fields;
    bool primary;
    bool unique;
    bool uniqueSet = true;  // false: Unique left at the engine's default
};

struct RepairRow {
    int database;  // 0 Produto, 1 Antigo, 4 Transfer; -1 the store's Produto.MDB after the loop
    const char* table;
    Test test;
    std::vector<int> counts;   // Count: any of them; CountAtMost: the one limit
    const char* soughtName;    // Named: the name looked for
    std::vector<NewIndex> indexes;
    const char* beforeCreate = nullptr;  // a statement run on the database before the creation
};

const std::vector<RepairRow>& Rows() {
    static const std::vector<RepairRow> rows = {
        {0, "NotaFiscal", Test::Count, {0}, nullptr,
         {{"IndNroTransSai", {"NroTransSai"}, false, false}, {"IndNroVenda", {"NroVenda"}, false, false}}},
        {0, "NotaFiscal", Test::Count, {1}, nullptr, {{"IndNroVenda", {"NroVenda"}, false, false}}},
        {0, "Itens Entrada Produto", Test::Count, {1}, nullptr, {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {0, "Cliente", Test::Count, {1, 0}, nullptr,
         {{"IndCodigoOrigem", {"CodLoja", "CodigoOrigem"}, false, false},
          {"IndCódigo", {"Código"}, true, false, false},
          {"IndCGC", {"CGC"}, false, false},
          {"IndCPF", {"CPF"}, false, false}}},
        {0, "Itens TransSai", Test::Count, {4}, nullptr, {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {0, "Itens TransEnt", Test::Count, {6}, nullptr, {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {0, "Produto", Test::Named, {}, "IndCodigoEAN", {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {0, "ProdutoCons", Test::Named, {}, "IndCodAlternativo",
         {{"IndCodAlternativoEAN", {"CodAlternativo"}, false, false}}},
        {0, "ProdutoGeral", Test::Named, {}, "IndCodAlternativo",
         {{"IndCodAlternativoEAN", {"CodAlternativo"}, false, false}}},
        {0, "FundoCaixaSaldo", Test::Count, {0}, nullptr, {{"IndFundoCaixaSaldo", {"Data"}, true, true}}},
        {0, "Grupo", Test::Count, {2}, nullptr, {{"IndDescGrupo", {"Familia", "DescGrupo"}, false, false}}},
        {0, "Grupo", Test::Count, {3}, nullptr, {{"IndGrupo", {"Grupo"}, false, false}}},
        {0, "Venda", Test::Named, {}, "IndConcluidoMaquina",
         {{"IndConcluidoMaquina", {"Concluido", "Maquina"}, false, false}}},
        {0, "ItensTransEntBaixa", Test::Count, {0}, nullptr,
         {{"IndTransEntBaixa", {"Nrotrans", "Sequencia", "SeqBaixa"}, true, true}}},
        {0, "TransSai", Test::Named, {}, "IndConcluidoMaquina",
         {{"IndConcluidoMaquina", {"Concluido", "Maquina"}, false, false}}},
        {1, "Itens TransEnt", Test::Count, {6}, nullptr, {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {4, "TransEnt", Test::CountAtMost, {3}, nullptr,
         {{"IndNroTransSai", {"NroOrigem", "LojaOrigem", "LojaDestino"}, false, true}}},
        {4, "Itens TransEnt", Test::Count, {6}, nullptr, {{"IndCodigoEAN", {"CodigoEAN"}, false, false}}},
        {4, "Cartao", Test::Count, {0}, nullptr, {{"IndCodCartao", {"Código"}, true, true}}},
        {4, "Conta", Test::Count, {0}, nullptr, {{"IndCódigo", {"Código"}, true, true}}},
        {4, "Corrente", Test::Count, {0}, nullptr, {{"IndCódigo", {"CodCorrente"}, true, true}}},
        {4, "Modalidade", Test::Count, {0}, nullptr, {{"IndCódigo", {"Código"}, true, true}}},
        {4, "Loja", Test::Count, {0}, nullptr, {{"IndCódigo", {"CodLoja"}, true, true}}},
        {4, "Loja", Test::Count, {1}, nullptr, {{"IndLojaOrigem", {"LojaOrigem"}, false, false}}},
        {-1, "Transportadora", Test::Transportadora, {}, "IndCodTrans", {{"IndCodTrans", {"Codigo"}, true, true}}},
        {-1, "Lucro", Test::Count, {0}, nullptr, {{"IndCodigo", {"Codigo"}, true, true}}, "Update Lucro Set Codigo = 1"},
    };
    return rows;
}

bool HasIndexNamed(const dao::Indexes& indexes, std::string_view name) {
    // Exact comparison, letter case included; positions 0 to Count - 1 only.
    for (int n = 0; n < indexes.Count(); ++n) {
        if (indexes.Item(n).Name() == name) return true;
    }
    return false;
}

// The rows of one database, as a checked list of statements run on `db`.
class Repairs {
public:
    Repairs(dao::Database db, int database) : db_(std::move(db)), database_(database) {}

    void Run() {
        forms::StepList steps;
        int block = 0;
        const char* fetched = nullptr;
        for (const RepairRow& row : Rows()) {
            if (row.database != database_) continue;
            const std::string end = "end." + std::to_string(++block);
            if (fetched == nullptr || std::string_view(fetched) != row.table) {
                AddFetch(steps, row.table, steps.To("table." + std::string(row.table) + ".end"));
                fetched = row.table;
            }
            AddTest(steps, row, steps.To(end));
            if (row.beforeCreate != nullptr) {
                steps.Add("", [this, &row](forms::StepFlow&) { db_.Execute(row.beforeCreate); });
            }
            for (const NewIndex& index : row.indexes) AddCreation(steps, index);
            steps.Add(end, [](forms::StepFlow&) {});
            if (IsLastRowOfTable(row)) {
                steps.Add("table." + std::string(row.table) + ".end", [this](forms::StepFlow&) {
                    table_.Reset();
                    Commit();
                });
            }
        }
        forms::RunSteps(std::move(steps), [this](const win::RuntimeError& error, const forms::FailedStep& failed) {
            return Recover(error, failed);
        });
        table_.Reset();
        IndiceNovo.Reset();
        Rollback();
    }

private:
    bool IsLastRowOfTable(const RepairRow& row) const {
        const auto& rows = Rows();
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (&*it != &row) continue;
            for (++it; it != rows.end(); ++it) {
                if (it->database == database_) return std::string_view(it->table) != row.table;
            }
            return true;
        }
        return true;
    }

    void AddFetch(forms::StepList& steps, const char* table, forms::Target skip) {
        skips_.push_back(skip);
        fetches_.push_back(steps.To("fetch." + std::string(table)));
        const std::size_t which = skips_.size() - 1;
        steps.Add("fetch." + std::string(table), [this, table, which](forms::StepFlow&) {
            currentSkip_ = which;
            if (!transaction_) {
                ProgramEngine().BeginTrans();
                transaction_ = true;
            }
            table_.Set(db_.TableDefs().Item(table));
        });
    }

    void AddTest(forms::StepList& steps, const RepairRow& row, forms::Target skip) {
        steps.Add("", [this, &row, skip](forms::StepFlow& flow) {
            if (!Passes(row)) flow.GoTo(skip);
        });
    }

    bool Passes(const RepairRow& row) {
        dao::Indexes indexes = table_->Indexes();
        const int count = indexes.Count();
        switch (row.test) {
        case Test::Count:
            for (const int n : row.counts) {
                if (count == n) return true;
            }
            return false;
        case Test::CountAtMost:
            return count <= row.counts.front();
        case Test::Named:
            return !HasIndexNamed(indexes, row.soughtName);
        case Test::Transportadora:
            if (count == 0 || !HasIndexNamed(indexes, row.soughtName)) return true;
            if (indexes.Item(row.soughtName).Primary()) return false;
            indexes.Delete(row.soughtName);
            return true;
        }
        return false;
    }

    void AddCreation(forms::StepList& steps, const NewIndex& index) {
        steps.Add("", [this, &index](forms::StepFlow&) { IndiceNovo.Set(table_->CreateIndex(index.name)); });
        for (const char* field : index.fields) {
            steps.Add("", [this, field](forms::StepFlow&) {
                IndiceNovo->Fields().Append(table_->CreateField(field));
            });
        }
        steps.Add("", [&index](forms::StepFlow&) { IndiceNovo->SetPrimary(index.primary); });
        if (index.uniqueSet) steps.Add("", [&index](forms::StepFlow&) { IndiceNovo->SetUnique(index.unique); });
        steps.Add("", [this](forms::StepFlow&) { table_->Indexes().Append(*IndiceNovo); });
        steps.Add("", [this](forms::StepFlow&) { table_->Indexes().Refresh(); });
    }

    void Commit() {
        if (!transaction_) return;
        transaction_ = false;
        // A plain try: clean-up that must rethrow, to the handler that stops the run.
        try {
            ProgramEngine().CommitTrans();
        } catch (const win::RuntimeError&) {
            ProgramEngine().Rollback();
            throw;
        }
    }

    void Rollback() {
        if (!transaction_) return;
        transaction_ = false;
        ProgramEngine().Rollback();
    }

    forms::Resume Recover(const win::RuntimeError& error, const forms::FailedStep& failed) {
        if (error.Number() == dao::jet::TableLocked) {
            Rollback();
            throw error;
        }
        if (error.Number() != dao::jet::IndexExists) {
            ReportError("Geral", "AtualizarBD");
        }
        // A table that cannot be fetched: its rows are passed over.
        assert(fetches_.size() == skips_.size() && (fetches_.empty() || currentSkip_ < fetches_.size()));
        if (!fetches_.empty() && failed.Is(fetches_[currentSkip_])) return forms::Resume::At(skips_[currentSkip_]);
        return forms::Resume::Next();
    }

    dao::Database db_;
    int database_;
    report::Handle<dao::TableDef> table_;
    std::vector<forms::Target> skips_;
    std::vector<forms::Target> fetches_;   // the step that fetches each table, beside its skip
    std::size_t currentSkip_ = 0;
    bool transaction_ = false;
};

}  // namespace

void IndexRepairs() {
    const int database = PosBanco - 1;
    if (database != 0 && database != 1 && database != 4) return;
    Repairs(*BancoAtual, database).Run();
}

void IndexRepairsProduto() { Repairs(*BancoProdutoLoja, -1).Run(); }

}  // namespace report::upgrade
