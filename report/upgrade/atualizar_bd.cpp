// The upgrade driver as a checked list of statements, and its recovery as a table of branches.
//
// The four nested loops (databases, tables, fields, property checks) are forms::StepList::For
// loops, so that a branch of the recovery can retry the one statement that failed, go on with the
// one after it, or continue at the next database ("db.next").
//
// Labels carry the part of the driver they belong to ("gate.", "db.", "tbl.", "fld.", "prop.",
// "end.", "stamp."). The branches that act on the current position (create a missing table, a
// missing property, rebuild a field, skip a missing or damaged file) apply only to the statement
// whose failure they describe, told by its target. Anywhere else the same number is an unexpected error: the index
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

// Closes the gate's and the stamp's recordset; using it afterwards raises 91 as an unset object.
void CloseTabelaUltimaVenda() {
    TabelaUltimaVenda->Close();
    TabelaUltimaVenda.Reset();
}

class Driver {
public:
    void Run() {
        const forms::Procedure procedure(Steps());
        // A plain try: clean-up on every way out, an error the handler raises included, which must rethrow.
        try {
            procedure.Run([this](const win::RuntimeError& e, const forms::FailedStep& failed) { return Recover(e, failed); });
        } catch (...) {
            RollbackDatabase();
            throw;
        }
        RollbackDatabase();
    }

private:
    int g() const { return PosBanco - 1; }
    const std::string& Tabela() const { return Schema().NomeTabela(g(), PosTabela); }
    const schema::FieldEntry& Campo() const { return Schema().Campo(g(), PosTabela, PosCampo); }
    std::string DatabaseFile() const { return "\\" + Schema().NomeBanco(g()) + ".MDB"; }

    forms::StepList Steps();
    void AddGateSteps(forms::StepList& steps);
    void AddDatabaseBody(forms::StepList& steps);
    void AddTableBody(forms::StepList& steps);
    void AddFieldBody(forms::StepList& steps);
    void AddPropertyBody(forms::StepList& steps);
    void AddClosingSteps(forms::StepList& steps);

    void ReadGate(StepFlow& flow, forms::Target older);
    void CheckProperty(StepFlow& flow, forms::Target equal);
    void BeginDatabase();
    void CommitDatabase();
    void RollbackDatabase();

    bool Anywhere(const forms::FailedStep&) const { return true; }
    bool AtGate(const forms::FailedStep& failed) const { return failed.Within(gateReset_, gateOlder_); }
    bool AtTableLookup(const forms::FailedStep& failed) const { return failed.Is(tableLookup_); }
    bool AtPropertyRead(const forms::FailedStep& failed) const { return failed.Is(propertyRead_); }
    bool AtPropertyAssign(const forms::FailedStep& failed) const { return failed.Is(propertyAssign_); }
    bool AtDatabaseOpen(const forms::FailedStep& failed) const { return failed.Is(databaseOpen_); }
    Resume Recover(const win::RuntimeError& error, const forms::FailedStep& failed);
    Resume AddVersao();
    Resume CreateMissingTable();
    Resume CreateMissingProperty();
    Resume RebuildField();
    Resume ReportMissingFile();
    Resume RepairOrSkip(const win::RuntimeError& error);
    Resume StopLocked();
    Resume ReportUnexpected();

    // Where the recovery continues.
    forms::Target gateOpen_;
    forms::Target dbNext_;
    // The statements the recovery tells apart.
    forms::Target gateReset_, gateOlder_, tableLookup_, propertyRead_, propertyAssign_, databaseOpen_;

    std::int16_t bancoLimit_ = 0;   // the database loop's limit; 0 until the loop starts
    // Empty handles raise the runtime's 91 (object not set) into the recovery when a step reads
    // them after the statement that sets them has failed.
    report::Handle<dao::TableDef> tableDef_;
    RecordsetHandle itens_;
    bool transaction_ = false;  // the transaction of the current database is open
    std::set<int> repaired_;  // databases (g) repaired during this run
};

forms::StepList Driver::Steps() {
    forms::StepList steps;
    gateOpen_ = steps.To("gate.open");
    dbNext_ = steps.To("db.next");
    gateReset_ = steps.To("gate.reset");
    gateOlder_ = steps.To("gate.older");
    tableLookup_ = steps.To("tbl.lookup");
    propertyRead_ = steps.To("prop.read");
    propertyAssign_ = steps.To("prop.assign");
    databaseOpen_ = steps.To("db.open");
    const forms::Target gateReset = gateReset_;
    steps.Add("start", [](StepFlow& flow) {
        if (forms::Dir(ProgramFolder() + "\\Produto.MDB").empty()) flow.Leave();
    });
    steps.Add("package.test", [gateReset](StepFlow& flow) {
        if (forms::UCase(forms::Dir(PastaDados + "\\PROG.MDB")) != "PROG.MDB") flow.GoTo(gateReset);
    });
    steps.Add("package.run", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaBD2); });
    AddGateSteps(steps);
    steps.Add("db.count", [](StepFlow&) { QtdeBancos = 5; });
    steps.Add("db.position", [](StepFlow&) { PosTabela = 0; });
    // The limit is kept as well: the recovery tells a lock met inside the loop from one met before.
    steps.For("db", PosBanco, 1, [this] { return bancoLimit_ = QtdeBancos; },
              [this](forms::StepList& body) { AddDatabaseBody(body); });
    AddClosingSteps(steps);
    return steps;
}

void Driver::AddGateSteps(forms::StepList& steps) {
    const forms::Target older = steps.To("gate.older");
    steps.Add("gate.reset", [](StepFlow&) {
        // Every run starts at the gate with no table position, so that the recovery tells a
        // missing Versao from a missing table also on a later log-in of the same program run.
        PosTabela = 0;
    });
    steps.Add("gate.open", [](StepFlow&) { TabelaUltimaVenda.Set(BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable)); });
    steps.Add("gate.first", [](StepFlow&) { TabelaUltimaVenda->MoveFirst(); });
    steps.Add("gate.slot", [](StepFlow&) { Schema().SetNomeTabela(0, 0, "UltimaVenda"); });
    steps.Add("gate.test", [this, older](StepFlow& flow) { ReadGate(flow, older); });
    steps.Add("gate.current", [](StepFlow&) { CloseTabelaUltimaVenda(); });
    steps.Add("gate.leave", [](StepFlow& flow) { flow.Leave(); });
    steps.Add("gate.older", [](StepFlow&) { CloseTabelaUltimaVenda(); });
    steps.Add("show.data", [](StepFlow&) { UpgradeWindowInForce().PointDataControl(ProgramFolder() + "\\BD2.MDB", "Usuario"); });
    steps.Add("show.frame", [](StepFlow&) { UpgradeWindowInForce().SetStoreFrameVisible(false); });
    steps.Add("show.panel", [](StepFlow&) { UpgradeWindowInForce().SetPanelVisible(true); });
    steps.Add("show.clear", [](StepFlow&) { UpgradeWindowInForce().ClearList(); });
    steps.Add("show.first", [](StepFlow&) { UpgradeWindowInForce().AddItem("Carregando Banco de Dados .... "); });
    steps.Add("show.yield", [](StepFlow&) { Yield(); });
    steps.Add("schema.names", [](StepFlow&) {
        const std::array<const char*, 5> names = {"Produto", "Antigo", "Backup", "Modem", "Transfer"};
        for (int i = 0; i < 5; ++i) Schema().SetNomeBanco(i, names[static_cast<std::size_t>(i)]);
    });
    steps.Add("schema.produto", [](StepFlow&) { schema::TabelasProduto(Schema()); });
    steps.Add("schema.antigo", [](StepFlow&) { schema::TabelasAntigo(Schema()); });
    steps.Add("schema.backup", [](StepFlow&) { schema::TabelasBackup(Schema()); });
    steps.Add("schema.modem", [](StepFlow&) { schema::TabelasModem(Schema()); });
    steps.Add("schema.transfer", [](StepFlow&) { schema::TabelasTransfer(Schema()); });
}

// The stamp is on or after the program's version: go on with the next statement (the branch for
// a current data set); otherwise jump to the upgrade. A failed read goes on as well.
void Driver::ReadGate(StepFlow& flow, forms::Target older) {
    const dao::Value stored = (*TabelaUltimaVenda)("Versao").GetValue();
    const double version = stored.IsNull() ? win::CDateText(kVersaoNula) : stored.ToDouble();
    if (!(win::CDateText(kVersaoPrograma) <= version)) flow.GoTo(older);
}

// One pass of the database loop: open the database of PosBanco, check its tables, close it.
void Driver::AddDatabaseBody(forms::StepList& steps) {
    steps.Add("db.ok", [](StepFlow&) { AppendOk(); });
    steps.Add("db.line", [this](StepFlow&) { AddLine("Abrindo " + Schema().NomeBanco(g()) + " ......... "); });
    steps.Add("db.open", [this](StepFlow&) {
        BancoAtual.Set(ProgramEngine().OpenDatabase(PastaDados + DatabaseFile(), false, false,
                                                    ConnectLoja(PastaDados, DatabaseFile())));
    });
    steps.Add("db.begin", [this](StepFlow&) { BeginDatabase(); });
    steps.For("tbl", PosTabela, 1, [this] { return Schema().QtdeTabelas(g()); },
              [this](forms::StepList& body) { AddTableBody(body); });
    steps.Add("db.closeok", [](StepFlow&) { CloseWithOk(); });
    steps.Add("db.fechando", [this](StepFlow&) { AddLine("Fechando " + Schema().NomeBanco(g()) + " ......... "); });
    steps.Add("db.indexes", [](StepFlow&) { Call(InstalledUpgradeSteps().IndexRepairs); });
    steps.Add("db.commit", [this](StepFlow&) { CommitDatabase(); });
    steps.Add("db.close", [](StepFlow&) {
        BancoAtual->Close();
        BancoAtual.Reset();
    });
}

void Driver::AddTableBody(forms::StepList& steps) {
    steps.Add("tbl.lookup", [this](StepFlow&) { tableDef_.Set(BancoAtual->TableDefs().Item(Tabela())); });
    steps.Add("tbl.ok", [](StepFlow&) { CloseWithOk(); });
    steps.Add("tbl.line", [this](StepFlow&) { AddLine("Atualizando " + Tabela() + " ........."); });
    steps.For("fld", PosCampo, 1, [this] { return Schema().QtdeCampos(g(), PosTabela); },
              [this](forms::StepList& body) { AddFieldBody(body); });
    steps.Add("tbl.release", [this](StepFlow&) { tableDef_.Reset(); });
}

void Driver::AddFieldBody(forms::StepList& steps) {
    steps.Add("fld.counter", [this](StepFlow&) { ShowCounter(PosCampo, Schema().QtdeCampos(g(), PosTabela)); });
    steps.Add("fld.yield", [](StepFlow&) { Yield(); });
    steps.Add("fld.append", [this](StepFlow&) {
        const schema::FieldEntry& campo = Campo();
        tableDef_->Fields().Append(tableDef_->CreateField(
            campo.nomeCampo, dao::Value::Text(campo.tipoCampo), dao::Value::Integer(campo.tamanhoCampo)));
    });
    steps.Add("fld.refresh", [](StepFlow&) { BancoAtual->TableDefs().Refresh(); });
    steps.For("prop", PosPropriedade, 1, [this] { return Campo().verificaPropriedade; },
              [this](forms::StepList& body) { AddPropertyBody(body); });
}

void Driver::AddPropertyBody(forms::StepList& steps) {
    const forms::Target placeholder = steps.To("prop.placeholder");
    const forms::Target refresh = steps.To("prop.refresh");
    steps.Add("prop.read", [this, placeholder](StepFlow& flow) { CheckProperty(flow, placeholder); });
    steps.Add("prop.assign", [this](StepFlow&) {
        const schema::FieldEntry& campo = Campo();
        tableDef_->Fields().Item(campo.nomeCampo).Properties().Item(campo.nomePropriedade).SetValue(
            ToEngineValue(campo.valorPropriedade));
    });
    steps.Add("prop.placeholder", [refresh](StepFlow& flow) {
        if (RemoveCampo != kSim) flow.GoTo(refresh);
    });
    steps.Add("prop.delete", [this](StepFlow&) { tableDef_->Fields().Delete("Campo"); });
    steps.Add("prop.flag", [](StepFlow&) { RemoveCampo = kNao; });
    steps.Add("prop.refresh", [](StepFlow&) { BancoAtual->TableDefs().Refresh(); });
}

// The property check's test: the property's trimmed text against the required value's text,
// exactly. Equal skips the assignment; different (or a failed read) runs it.
void Driver::CheckProperty(StepFlow& flow, forms::Target equal) {
    const schema::FieldEntry& campo = Campo();
    const dao::Value current =
        tableDef_->Fields().Item(campo.nomeCampo).Properties().Item(campo.nomePropriedade).GetValue();
    if (forms::Trim(current.ToText()) == schema::ValueText(campo.valorPropriedade)) flow.GoTo(equal);
}

void Driver::AddClosingSteps(forms::StepList& steps) {
    const forms::Target registra = steps.To("end.registra");
    steps.Add("end.ok", [](StepFlow&) { AppendOk(); });
    steps.Add("end.line", [](StepFlow&) { AddLine("Atualizando Informações do Banco de Dados ..... "); });
    steps.Add("end.nulo", [](StepFlow&) { Call(InstalledUpgradeSteps().NuloProduto); });
    steps.Add("end.antigo", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaAntigo); });
    steps.Add("end.ok2", [](StepFlow&) { AppendOk(); });
    steps.Add("end.line2", [](StepFlow&) { AddLine("Atualizando Indexes do Banco de Dados ..... "); });
    steps.Add("end.indexes", [](StepFlow&) { Call(InstalledUpgradeSteps().IndexRepairsProduto); });
    steps.Add("end.relacao", [](StepFlow&) { Call(InstalledUpgradeSteps().CriarRelacao); });
    steps.Add("end.itens.open", [this](StepFlow&) { itens_.Set(BancoProdutoLoja->OpenRecordset("ItensTransEntBaixa", dao::dbOpenDynaset)); });
    steps.Add("end.itens.test", [this, registra](StepFlow& flow) {
        const long count = itens_->RecordCount();
        CloseIfOpen(itens_);
        if (count != 0) flow.GoTo(registra);
    });
    steps.Add("end.itens.fill", [](StepFlow&) { Call(InstalledUpgradeSteps().AtualizaItemTransEntBaixa); });
    steps.Add("end.registra", [](StepFlow&) { Call(InstalledUpgradeSteps().RegistraArquivo); });
    steps.Add("stamp.open", [](StepFlow&) { TabelaUltimaVenda.Set(BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable)); });
    steps.Add("stamp.first", [](StepFlow&) { TabelaUltimaVenda->MoveFirst(); });
    steps.Add("stamp.edit", [](StepFlow&) { TabelaUltimaVenda->Edit(); });
    steps.Add("stamp.set", [](StepFlow&) { (*TabelaUltimaVenda)("Versao").SetValue(dao::Value::Date(win::CDateText(kVersaoPrograma))); });
    steps.Add("stamp.update", [](StepFlow&) { TabelaUltimaVenda->Update(); });
    steps.Add("stamp.close", [](StepFlow&) { CloseTabelaUltimaVenda(); });
    steps.Add("end.panel", [](StepFlow&) { UpgradeWindowInForce().SetPanelVisible(false); });
}

// Each database's changes, its tables' and its index repairs', are committed together (the field
// rebuild's own transaction nests inside): every commit waits on the disk, so the upgrade makes
// five of them instead of one per change, and the engine writes a database's new table
// definitions in one schema change per table. A run that stops half-way through a database leaves
// that database as it was: the next log-in redoes it.
void Driver::BeginDatabase() {
    ProgramEngine().BeginTrans();
    transaction_ = true;
}

// A commit that fails undoes the database, so that no transaction is left open under the next one.
void Driver::CommitDatabase() {
    // A plain try: clean-up that must rethrow, to the driver's handler.
    try {
        ProgramEngine().CommitTrans();
    } catch (const win::RuntimeError&) {
        RollbackDatabase();
        throw;
    }
    transaction_ = false;
}

// Every way out of the driver with a database's transaction open undoes that database.
void Driver::RollbackDatabase() {
    if (!transaction_) return;
    transaction_ = false;
    tableDef_.Reset();
    ProgramEngine().Rollback();
}

// --- Recovery -----------------------------------------------------------------------------------

struct Branch {
    long number;                          // 0: any number
    bool (Driver::*applies)(const forms::FailedStep& failed) const;
    Resume (Driver::*action)();
};

Resume Driver::Recover(const win::RuntimeError& error, const forms::FailedStep& failed) {
    namespace jet = dao::jet;
    static const Branch branches[] = {
        {jet::ItemNotFound, &Driver::AtGate, &Driver::AddVersao},
        {jet::ItemNotFound, &Driver::AtTableLookup, &Driver::CreateMissingTable},
        {jet::NameExists, &Driver::Anywhere, nullptr},
        {jet::PropertyNotFound, &Driver::AtPropertyRead, &Driver::CreateMissingProperty},
        {jet::InvalidOperation, &Driver::AtPropertyAssign, &Driver::RebuildField},
        {jet::IndexExists, &Driver::Anywhere, nullptr},
        {jet::FileNotFound, &Driver::AtDatabaseOpen, &Driver::ReportMissingFile},
        {jet::TableLocked, &Driver::Anywhere, &Driver::StopLocked},
    };
    if (error.Number() == jet::DatabaseNotRecognised && AtDatabaseOpen(failed)) return RepairOrSkip(error);
    for (const Branch& branch : branches) {
        if (branch.number != error.Number() || !(this->*branch.applies)(failed)) continue;
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
    return Resume::At(gateOpen_);
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
// asked the program to end, and then nothing more of the upgrade runs; a rebuild that met the
// table held by another station stops the run as any lock does.
Resume Driver::RebuildField() {
    // A plain try, inside the handler: a lock becomes its answer; any other error passes on.
    try {
        AtualizaEstrutura();
    } catch (const win::RuntimeError& error) {
        if (error.Number() != dao::jet::TableLocked) throw;
        return StopLocked();
    }
    if (!forms::App().EndRequested()) return Resume::Next();
    RollbackDatabase();
    return Resume::Leave();
}

Resume Driver::ReportMissingFile() {
    forms::MsgBox(Schema().NomeBanco(g()) + ".MDB Não Encontrado !", forms::mb::Exclamation, "Mensagem");
    return Resume::At(dbNext_);
}

// A damaged file is repaired once per run and its open retried. A file that the repair cannot
// read, or that is still damaged after it, is reported once and skipped, so that a file beyond
// repair neither loops nor keeps every log-in from finishing.
Resume Driver::RepairOrSkip(const win::RuntimeError& error) {
    if (repaired_.insert(g()).second) {
        // A plain try, inside the handler: a failed repair becomes its answer (skip the file).
        try {
            ProgramEngine().RepairDatabase(PastaDados + DatabaseFile());
            return Resume::Retry();
        } catch (const win::RuntimeError& failure) {
            ReportError(failure, "Geral", "AtualizarBD");
            return Resume::At(dbNext_);
        }
    }
    ReportError(error, "Geral", "AtualizarBD");
    return Resume::At(dbNext_);
}

// Another station holds a table: nothing more can be changed now. The database of the pass is
// closed (nothing uses it again) and the stamp stays as it was, so the next log-in tries again.
Resume Driver::StopLocked() {
    const bool inLoop = PosBanco >= 1 && PosBanco <= bancoLimit_;
    const std::string name = inLoop ? Schema().NomeBanco(g()) : "Produto";
    forms::MsgBox("Banco Dados " + name + " Aberto\r\rAtualização Impossibilitada !", forms::mb::Exclamation, "Mensagem");
    RollbackDatabase();
    CloseIfOpen(BancoAtual);
    return Resume::Leave();
}

Resume Driver::ReportUnexpected() {
    ReportError("Geral", "AtualizarBD");
    return Resume::Next();
}

}  // namespace

namespace {
bool gRunning = false;
}  // namespace

bool UpgradeRunning() { return gRunning; }

void AtualizarBD() {
    if (gRunning) return;
    gRunning = true;
    struct Done {
        ~Done() { gRunning = false; }
    } done;
    Driver driver;
    driver.Run();
}

UpgradeSteps UpgradeStepsOfTheData() {
    UpgradeSteps steps;
    steps.IndexRepairs = IndexRepairs;
    steps.NuloProduto = NuloProduto;
    steps.AtualizaAntigo = AtualizaAntigo;
    steps.IndexRepairsProduto = IndexRepairsProduto;
    steps.CriarRelacao = CriarRelacao;
    steps.AtualizaItemTransEntBaixa = AtualizaItemTransEntBaixa;
    return steps;
}

void InstallUpgrade() {
    UpgradeSteps steps = UpgradeStepsOfTheData();
    steps.AtualizaBD2 = AtualizaBD2;
    steps.RegistraArquivo = RegistraArquivo;
    InstalledUpgradeSteps() = steps;
}

void ResetUpgradeState() {
    CloseIfOpen(TabelaUltimaVenda);
    CloseIfOpen(BancoAtual);
    QtdeBancos = PosBanco = PosTabela = PosCampo = PosPropriedade = 0;
    RemoveCampo.clear();
    TabelaNova.reset();
    IndiceNovo.Reset();
}

}  // namespace report::upgrade
