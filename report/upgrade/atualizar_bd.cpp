// The upgrade driver as a flat list of statements, and its recovery as a table of branches.
//
// Loops are written as a "for" statement (position = 1, limit taken once), a "top" statement that
// jumps past the loop when the position exceeds the limit, the body, and a "next" statement that
// steps the position and jumps back to the top, so that a branch of the recovery can retry the one
// statement that failed, go on with the one after it, or continue at the next database.
//
// Labels carry the part of the driver they belong to ("gate.", "db.", "tbl.", "fld.", "prop.",
// "end.", "stamp."): the branches that act on the current position (create a missing table, a
// missing property, rebuild a field, skip a missing or damaged file) apply only to the statement
// whose failure they describe. Anywhere else the same number is an unexpected error: the index
// repairs after a table loop, for one, must not make the recovery create a table named "".
#include "report/upgrade/upgrade.h"

#include <array>
#include <set>
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "platform/forms/fileio.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/win/oledate.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/schema/schema_builders.h"
#include "report/upgrade/progress.h"

namespace report::upgrade {

RecordsetHandle TabelaUltimaVenda;
std::int16_t QtdeBancos = 0;
std::int16_t PosBanco = 0;
std::int16_t PosTabela = 0;
std::int16_t PosCampo = 0;
std::int16_t PosPropriedade = 0;
DatabaseHandle BancoAtual;
std::string RemoveCampo;
std::optional<dao::TableDef> TabelaNova;

UpgradeSteps& InstalledUpgradeSteps() {
    static UpgradeSteps steps;
    return steps;
}

namespace {

using forms::Resume;
using forms::StepFlow;

schema::SchemaDescription& Schema() { return schema::ProgramSchema(); }

// The flag texts, assigned by copy (assigning the literals trips a false -Wrestrict of g++ 12).
const std::string kSim = "S";
const std::string kNao = "N";

void Call(const std::function<void()>& step) {
    if (step) step();
}

dao::Value ToEngineValue(const schema::SchemaValue& value) {
    if (const auto* i = std::get_if<std::int16_t>(&value)) return dao::Value::Integer(*i);
    if (const auto* l = std::get_if<std::int32_t>(&value)) return dao::Value::Long(*l);
    if (const auto* s = std::get_if<std::string>(&value)) return dao::Value::Text(*s);
    return dao::Value::Null();
}

int PropertyTypeCode(const schema::SchemaValue& value) {
    const dao::Value converted = ToEngineValue(value);
    return converted.IsNull() ? 0 : static_cast<int>(converted.ToLong());
}

bool StartsWith(std::string_view label, std::string_view prefix) { return label.substr(0, prefix.size()) == prefix; }

// Closes the gate's and the stamp's recordset; using it afterwards raises 91 as an unset object.
void CloseTabelaUltimaVenda() {
    TabelaUltimaVenda->Close();
    TabelaUltimaVenda.Reset();
}

class Driver {
public:
    void Run() { forms::RunSteps(Steps(), [this](const win::RuntimeError& e, std::string_view label) { return Recover(e, label); }); }

private:
    int g() const { return PosBanco - 1; }
    const std::string& Tabela() const { return Schema().NomeTabela(g(), PosTabela); }
    const schema::FieldEntry& Campo() const { return Schema().Campo(g(), PosTabela, PosCampo); }
    std::string DatabaseFile() const { return "\\" + Schema().NomeBanco(g()) + ".MDB"; }

    std::vector<forms::Step> Steps();
    void AddGateSteps(std::vector<forms::Step>& steps);
    void AddDatabaseSteps(std::vector<forms::Step>& steps);
    void AddTableSteps(std::vector<forms::Step>& steps);
    void AddFieldSteps(std::vector<forms::Step>& steps);
    void AddClosingSteps(std::vector<forms::Step>& steps);

    void ReadGate(StepFlow& flow);
    void CheckProperty(StepFlow& flow);

    Resume Recover(const win::RuntimeError& error, std::string_view label);
    Resume AddVersao();
    Resume CreateMissingTable();
    Resume CreateMissingProperty();
    Resume RebuildField();
    Resume ReportMissingFile();
    Resume RepairOrSkip(const win::RuntimeError& error);
    Resume StopLocked();
    Resume ReportUnexpected();

    std::int16_t bancoLimit_ = 0;
    std::int16_t tabelaLimit_ = 0;
    std::int16_t campoLimit_ = 0;
    std::int16_t propriedadeLimit_ = 0;
    std::optional<dao::TableDef> tableDef_;
    std::optional<dao::Recordset> itens_;
    std::set<int> repaired_;  // databases (g) repaired during this run
};

std::vector<forms::Step> Driver::Steps() {
    std::vector<forms::Step> steps = {
        {"start", [](StepFlow& flow) {
             if (forms::Dir(ProgramFolder() + "\\Produto.MDB").empty()) flow.Leave();
         }},
        {"package.test", [](StepFlow& flow) {
             if (forms::UCase(forms::Dir(PastaDados + "\\PROG.MDB")) != "PROG.MDB") flow.GoTo("gate.reset");
         }},
        {"package.run", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaBD2); }},
    };
    AddGateSteps(steps);
    AddDatabaseSteps(steps);
    AddTableSteps(steps);
    AddFieldSteps(steps);
    AddClosingSteps(steps);
    return steps;
}

void Driver::AddGateSteps(std::vector<forms::Step>& steps) {
    const std::vector<forms::Step> gate = {
        // Every run starts at the gate with no table position, so that the recovery tells a
        // missing Versao from a missing table also on a later log-in of the same program run.
        {"gate.reset", [](StepFlow&) { PosTabela = 0; }},
        {"gate.open", [](StepFlow&) { TabelaUltimaVenda.Set(BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable)); }},
        {"gate.first", [](StepFlow&) { TabelaUltimaVenda->MoveFirst(); }},
        {"gate.slot", [](StepFlow&) { Schema().SetNomeTabela(0, 0, "UltimaVenda"); }},
        {"gate.test", [this](StepFlow& flow) { ReadGate(flow); }},
        {"gate.current", [](StepFlow&) { CloseTabelaUltimaVenda(); }},
        {"gate.leave", [](StepFlow& flow) { flow.Leave(); }},
        {"gate.older", [](StepFlow&) { CloseTabelaUltimaVenda(); }},
        {"show.data", [](StepFlow&) { UpgradeWindowInForce().PointDataControl(ProgramFolder() + "\\BD2.MDB", "Usuario"); }},
        {"show.frame", [](StepFlow&) { UpgradeWindowInForce().SetStoreFrameVisible(false); }},
        {"show.panel", [](StepFlow&) { UpgradeWindowInForce().SetPanelVisible(true); }},
        {"show.clear", [](StepFlow&) { UpgradeWindowInForce().ClearList(); }},
        {"show.first", [](StepFlow&) { UpgradeWindowInForce().AddItem("Carregando Banco de Dados .... "); }},
        {"show.yield", [](StepFlow&) { Yield(); }},
        {"schema.names", [](StepFlow&) {
             const std::array<const char*, 5> names = {"Produto", "Antigo", "Backup", "Modem", "Transfer"};
             for (int i = 0; i < 5; ++i) Schema().SetNomeBanco(i, names[static_cast<std::size_t>(i)]);
         }},
        {"schema.produto", [](StepFlow&) { schema::TabelasProduto(Schema()); }},
        {"schema.antigo", [](StepFlow&) { schema::TabelasAntigo(Schema()); }},
        {"schema.backup", [](StepFlow&) { schema::TabelasBackup(Schema()); }},
        {"schema.modem", [](StepFlow&) { schema::TabelasModem(Schema()); }},
        {"schema.transfer", [](StepFlow&) { schema::TabelasTransfer(Schema()); }},
    };
    steps.insert(steps.end(), gate.begin(), gate.end());
}

// The stamp is on or after the program's version: go on with the next statement (the branch for
// a current data set); otherwise jump to the upgrade. A failed read goes on as well.
void Driver::ReadGate(StepFlow& flow) {
    const dao::Value stored = (*TabelaUltimaVenda)("Versao").GetValue();
    const double version = stored.IsNull() ? win::CDateText(kVersaoNula) : stored.ToDouble();
    if (!(win::CDateText(kVersaoPrograma) <= version)) flow.GoTo("gate.older");
}

void Driver::AddDatabaseSteps(std::vector<forms::Step>& steps) {
    const std::vector<forms::Step> loop = {
        {"db.count", [](StepFlow&) { QtdeBancos = 5; }},
        {"db.position", [](StepFlow&) { PosTabela = 0; }},
        {"db.for", [this](StepFlow&) {
             PosBanco = 1;
             bancoLimit_ = QtdeBancos;
         }},
        {"db.top", [this](StepFlow& flow) {
             if (PosBanco > bancoLimit_) flow.GoTo("end.ok");
         }},
        {"db.ok", [](StepFlow&) { AppendOk(); }},
        {"db.line", [this](StepFlow&) { AddLine("Abrindo " + Schema().NomeBanco(g()) + " ......... "); }},
        {"db.open", [this](StepFlow&) {
             BancoAtual.Set(ProgramEngine().OpenDatabase(PastaDados + DatabaseFile(), false, false,
                                                         ConnectLoja(PastaDados, DatabaseFile())));
         }},
        {"tbl.for", [this](StepFlow&) {
             PosTabela = 1;
             tabelaLimit_ = Schema().QtdeTabelas(g());
         }},
    };
    steps.insert(steps.end(), loop.begin(), loop.end());
}

void Driver::AddTableSteps(std::vector<forms::Step>& steps) {
    const std::vector<forms::Step> table = {
        {"tbl.top", [this](StepFlow& flow) {
             if (PosTabela > tabelaLimit_) flow.GoTo("db.closeok");
         }},
        {"tbl.lookup", [this](StepFlow&) { tableDef_ = BancoAtual->TableDefs().Item(Tabela()); }},
        {"tbl.ok", [](StepFlow&) { CloseWithOk(); }},
        {"tbl.line", [this](StepFlow&) { AddLine("Atualizando " + Tabela() + " ........."); }},
        {"fld.for", [this](StepFlow&) {
             PosCampo = 1;
             campoLimit_ = Schema().QtdeCampos(g(), PosTabela);
         }},
    };
    steps.insert(steps.end(), table.begin(), table.end());
}

void Driver::AddFieldSteps(std::vector<forms::Step>& steps) {
    const std::vector<forms::Step> field = {
        {"fld.top", [this](StepFlow& flow) {
             if (PosCampo > campoLimit_) flow.GoTo("tbl.release");
         }},
        {"fld.counter", [this](StepFlow&) { ShowCounter(PosCampo, Schema().QtdeCampos(g(), PosTabela)); }},
        {"fld.yield", [](StepFlow&) { Yield(); }},
        {"fld.append", [this](StepFlow&) {
             const schema::FieldEntry& campo = Campo();
             tableDef_.value().Fields().Append(tableDef_.value().CreateField(
                 campo.nomeCampo, dao::Value::Text(campo.tipoCampo), dao::Value::Integer(campo.tamanhoCampo)));
         }},
        {"fld.refresh", [](StepFlow&) { BancoAtual->TableDefs().Refresh(); }},
        {"prop.for", [this](StepFlow&) {
             PosPropriedade = 1;
             propriedadeLimit_ = Campo().verificaPropriedade;
         }},
        {"prop.top", [this](StepFlow& flow) {
             if (PosPropriedade > propriedadeLimit_) flow.GoTo("fld.next");
         }},
        {"prop.read", [this](StepFlow& flow) { CheckProperty(flow); }},
        {"prop.assign", [this](StepFlow&) {
             const schema::FieldEntry& campo = Campo();
             tableDef_.value().Fields().Item(campo.nomeCampo).Properties().Item(campo.nomePropriedade).SetValue(
                 ToEngineValue(campo.valorPropriedade));
         }},
        {"prop.placeholder", [](StepFlow& flow) {
             if (RemoveCampo != kSim) flow.GoTo("prop.refresh");
         }},
        {"prop.delete", [this](StepFlow&) { tableDef_.value().Fields().Delete("Campo"); }},
        {"prop.flag", [](StepFlow&) { RemoveCampo = kNao; }},
        {"prop.refresh", [](StepFlow&) { BancoAtual->TableDefs().Refresh(); }},
        {"prop.next", [](StepFlow& flow) {
             ++PosPropriedade;
             flow.GoTo("prop.top");
         }},
        {"fld.next", [](StepFlow& flow) {
             ++PosCampo;
             flow.GoTo("fld.top");
         }},
        {"tbl.release", [this](StepFlow&) { tableDef_.reset(); }},
        {"tbl.next", [](StepFlow& flow) {
             ++PosTabela;
             flow.GoTo("tbl.top");
         }},
    };
    steps.insert(steps.end(), field.begin(), field.end());
}

// The property check's test: the property's trimmed text against the required value's text,
// exactly. Equal skips the assignment; different (or a failed read) runs it.
void Driver::CheckProperty(StepFlow& flow) {
    const schema::FieldEntry& campo = Campo();
    const dao::Value current =
        tableDef_.value().Fields().Item(campo.nomeCampo).Properties().Item(campo.nomePropriedade).GetValue();
    if (forms::Trim(current.ToText()) == schema::ValueText(campo.valorPropriedade)) flow.GoTo("prop.placeholder");
}

void Driver::AddClosingSteps(std::vector<forms::Step>& steps) {
    const std::vector<forms::Step> closing = {
        {"db.closeok", [](StepFlow&) { CloseWithOk(); }},
        {"db.fechando", [this](StepFlow&) { AddLine("Fechando " + Schema().NomeBanco(g()) + " ......... "); }},
        {"db.indexes", [](StepFlow&) { Call(InstalledUpgradeSteps().IndexRepairs); }},
        {"db.close", [](StepFlow&) {
             BancoAtual->Close();
             BancoAtual.Reset();
         }},
        {"db.next", [](StepFlow& flow) {
             ++PosBanco;
             flow.GoTo("db.top");
         }},
        {"end.ok", [](StepFlow&) { AppendOk(); }},
        {"end.line", [](StepFlow&) { AddLine("Atualizando Informações do Banco de Dados ..... "); }},
        {"end.nulo", [](StepFlow&) { Call(InstalledUpgradeSteps().NuloProduto); }},
        {"end.antigo", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaAntigo); }},
        {"end.ok2", [](StepFlow&) { AppendOk(); }},
        {"end.line2", [](StepFlow&) { AddLine("Atualizando Indexes do Banco de Dados ..... "); }},
        {"end.indexes", [](StepFlow&) { Call(InstalledUpgradeSteps().IndexRepairsProduto); }},
        {"end.relacao", [](StepFlow&) { Call(InstalledUpgradeSteps().CriarRelacao); }},
        {"end.itens.open", [this](StepFlow&) { itens_ = BancoProdutoLoja->OpenRecordset("ItensTransEntBaixa", dao::dbOpenDynaset); }},
        {"end.itens.test", [this](StepFlow& flow) {
             if (itens_.value().RecordCount() != 0) flow.GoTo("end.registra");
         }},
        {"end.itens.fill", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaItemTransEntBaixa); }},
        {"end.registra", [](StepFlow&) { Call(InstalledUpgradeSteps().RegistraArquivo); }},
        {"stamp.open", [](StepFlow&) { TabelaUltimaVenda.Set(BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable)); }},
        {"stamp.first", [](StepFlow&) { TabelaUltimaVenda->MoveFirst(); }},
        {"stamp.edit", [](StepFlow&) { TabelaUltimaVenda->Edit(); }},
        {"stamp.set", [](StepFlow&) { (*TabelaUltimaVenda)("Versao").SetValue(dao::Value::Date(win::CDateText(kVersaoPrograma))); }},
        {"stamp.update", [](StepFlow&) { TabelaUltimaVenda->Update(); }},
        {"stamp.close", [](StepFlow&) { CloseTabelaUltimaVenda(); }},
        {"end.panel", [](StepFlow&) { UpgradeWindowInForce().SetPanelVisible(false); }},
    };
    steps.insert(steps.end(), closing.begin(), closing.end());
}

// --- Recovery -----------------------------------------------------------------------------------

struct Branch {
    long number;                          // 0: any number
    bool (*applies)(std::string_view label);
    Resume (Driver::*action)();
};

bool Anywhere(std::string_view) { return true; }
bool AtGate(std::string_view label) { return StartsWith(label, "gate."); }
bool AtTableLookup(std::string_view label) { return label == "tbl.lookup"; }
bool AtPropertyRead(std::string_view label) { return label == "prop.read"; }
bool AtPropertyAssign(std::string_view label) { return label == "prop.assign"; }
bool AtDatabaseOpen(std::string_view label) { return label == "db.open"; }

Resume Driver::Recover(const win::RuntimeError& error, std::string_view label) {
    namespace jet = dao::jet;
    static const Branch branches[] = {
        {jet::ItemNotFound, AtGate, &Driver::AddVersao},
        {jet::ItemNotFound, AtTableLookup, &Driver::CreateMissingTable},
        {jet::NameExists, Anywhere, nullptr},
        {jet::PropertyNotFound, AtPropertyRead, &Driver::CreateMissingProperty},
        {jet::InvalidOperation, AtPropertyAssign, &Driver::RebuildField},
        {jet::IndexExists, Anywhere, nullptr},
        {jet::FileNotFound, AtDatabaseOpen, &Driver::ReportMissingFile},
        {jet::TableLocked, Anywhere, &Driver::StopLocked},
    };
    if (error.Number() == jet::DatabaseNotRecognised && AtDatabaseOpen(label)) return RepairOrSkip(error);
    for (const Branch& branch : branches) {
        if (branch.number != error.Number() || !branch.applies(label)) continue;
        return branch.action != nullptr ? (this->*branch.action)() : Resume::Next();
    }
    return ReportUnexpected();
}

// The stamp's field is missing: add it as a Date with the short date format, then read the gate
// again (it now sees Null).
Resume Driver::AddVersao() {
    dao::TableDef table = BancoProdutoLoja->TableDefs().Item("UltimaVenda");
    CloseTabelaUltimaVenda();
    table.Fields().Append(table.CreateField("Versao", dao::Value::Long(static_cast<int>(dao::DataType::Date))));
    BancoProdutoLoja->TableDefs().Refresh();
    dao::Field versao = table.Fields().Item("Versao");
    versao.Properties().Append(versao.CreateProperty("Format", static_cast<int>(dao::DataType::Text), dao::Value::Long(0)));
    BancoProdutoLoja->TableDefs().Refresh();
    versao.Properties().Item("Format").SetValue(dao::Value::Text("Short Date"));
    BancoProdutoLoja->TableDefs().Refresh();
    return Resume::At("gate.open");
}

// The table of the current position is missing: create it with the one-character placeholder
// field (a table needs a field), which goes once the first described field's check has run.
Resume Driver::CreateMissingTable() {
    TabelaNova = BancoAtual->CreateTableDef(Tabela());
    TabelaNova->Fields().Append(TabelaNova->CreateField("Campo", dao::Value::Long(static_cast<int>(dao::DataType::Text)),
                                                        dao::Value::Long(1)));
    BancoAtual->TableDefs().Append(*TabelaNova);
    BancoAtual->TableDefs().Refresh();
    RemoveCampo = kSim;
    return Resume::Retry();
}

// The checked property does not exist on the field yet: create it holding 0, so that the retried
// check finds a value that differs and assigns the required one.
Resume Driver::CreateMissingProperty() {
    const schema::FieldEntry& campo = Campo();
    dao::Field field = BancoAtual->TableDefs().Item(Tabela()).Fields().Item(campo.nomeCampo);
    field.Properties().Append(
        field.CreateProperty(campo.nomePropriedade, PropertyTypeCode(campo.tipoPropriedade), dao::Value::Long(0)));
    BancoAtual->TableDefs().Refresh();
    return Resume::Retry();
}

// The engine cannot change a field's type or size in place: rebuild it. A failed rebuild has
// asked the program to end, and then nothing more of the upgrade runs.
Resume Driver::RebuildField() {
    AtualizaEstrutura();
    return forms::App().EndRequested() ? Resume::Leave() : Resume::Next();
}

Resume Driver::ReportMissingFile() {
    forms::MsgBox(Schema().NomeBanco(g()) + ".MDB Não Encontrado !", forms::mb::Exclamation, "Mensagem");
    return Resume::At("db.next");
}

// A damaged file is repaired once per run and its open retried. A file that the repair cannot
// read, or that is still damaged after it, is reported once and skipped, so that a file beyond
// repair neither loops nor keeps every log-in from finishing.
Resume Driver::RepairOrSkip(const win::RuntimeError& error) {
    if (repaired_.insert(g()).second) {
        try {
            ProgramEngine().RepairDatabase(PastaDados + DatabaseFile());
            return Resume::Retry();
        } catch (const win::RuntimeError& failure) {
            ReportError(failure, "Geral", "AtualizarBD");
            return Resume::At("db.next");
        }
    }
    ReportError(error, "Geral", "AtualizarBD");
    return Resume::At("db.next");
}

// Another station holds a table: nothing more can be changed now. The database of the pass is
// closed (nothing uses it again) and the stamp stays as it was, so the next log-in tries again.
Resume Driver::StopLocked() {
    const bool inLoop = PosBanco >= 1 && PosBanco <= bancoLimit_;
    const std::string name = inLoop ? Schema().NomeBanco(g()) : "Produto";
    forms::MsgBox("Banco Dados " + name + " Aberto\r\rAtualização Impossibilitada !", forms::mb::Exclamation, "Mensagem");
    CloseIfOpen(BancoAtual);
    return Resume::Leave();
}

Resume Driver::ReportUnexpected() {
    Tela = "Geral";
    Rotina = "AtualizarBD";
    TrataErro();
    return Resume::Next();
}

}  // namespace

void AtualizarBD() {
    Driver driver;
    driver.Run();
}

void InstallUpgrade() { SetUpgradeDriver(AtualizarBD); }

void ResetUpgradeState() {
    CloseIfOpen(TabelaUltimaVenda);
    CloseIfOpen(BancoAtual);
    QtdeBancos = PosBanco = PosTabela = PosCampo = PosPropriedade = 0;
    RemoveCampo.clear();
    TabelaNova.reset();
}

}  // namespace report::upgrade
