// The report catalogue refresh from an update package: AtualizaBD2, CorrigeCriterio and
// AtualizaBD2Bkp.
//
// The package PastaDados\PROG.MDB carries its own Aplicacao, PreConsulta, Selecionar and
// TabelaTemporaria. The refresh writes only the program folder's Bd2.MDB (BancoBD2):
//
//   show the panel -> open the package exclusively, remove its password, close it
//   -> CorrigeCriterio -> open the package shared
//   -> copy the four catalogue tables of BancoBD2 into the package (AplicacaoBD2, ...)
//   -> add the package's new entries to Aplicacao; replace PreConsulta, Selecionar and
//      TabelaTemporaria by the package's rows
//   -> AtualizaBD2Bkp: in one transaction, the package's Aplicacao becomes AplicacaoBkp and the
//      entries both hold take the package's names, queries, files and flags
//   -> close the package and delete it
//
// The package's statements name it in an IN '...' clause, which carries no password: that is why
// its password is removed first. A run that ends in the trap leaves the package in place, so the
// next log-in applies it again; every step can run again over what an interrupted run left (the
// copy tables are dropped and made anew).
//
// Recovery of AtualizaBD2 (and, with AplicacaoBkp on BancoBD2, of AtualizaBD2Bkp):
//   3031  (not a valid password)   go on with the next statement
//   3010  (table exists)           drop the copy table being made, retry
//   3343  (damaged)                box "Banco de Dados Danificado !" / "Favor Executar Novamente !", end
//   other                          report ("Acesso", the routine), box "Atualização do BD2.MDB Não
//                                  Foi Realizada !", end
// AtualizaBD2Bkp rolls its transaction back on every way out that does not commit it, so that the
// upgrade's later steps never run inside a transaction left open.
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/errors.h"
#include "platform/forms/fileio.h"
#include "platform/forms/services.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/jet_literals.h"
#include "report/core/state.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

namespace {

using forms::Resume;
using forms::StepFlow;

constexpr int kRefreshCache = 8;   // dbRefreshCache
constexpr int kFreeLocks = 1;      // dbFreeLocks

// A progress line of the refresh: added, then painted.
void Line(const std::string& text) {
    UpgradeWindowInForce().AddItem(text);
    Yield();
}

void DamagedBox() {
    forms::MsgBox("Banco de Dados Danificado !\r\rFavor Executar Novamente !", forms::mb::Exclamation, "Mensagem");
}

Resume ReportNotDone(const std::string& rotina) {
    ReportError("Acesso", rotina);
    forms::MsgBox("Atualização do BD2.MDB Não Foi Realizada !", forms::mb::Exclamation, "Mensagem");
    return Resume::Leave();
}

// The IN clause naming the package, its file name in the case the statement writes it.
std::string InPackage(const char* file = "\\Prog.MDB") { return InFile(PastaDados + file); }

// One catalogue table copied from BancoBD2 into the package.
struct Copy {
    const char* line;
    const char* table;   // the copy table of the package
    std::string (*statement)();
};

const Copy kCopies[] = {
    {"Importando Aplicação .... ", "AplicacaoBD2",
     [] { return "SELECT Aplicacao.* INTO AplicacaoBd2 " + InPackage("\\Prog.mdb") + " FROM Aplicacao"; }},
    {"Importando Pre-Consulta .... ", "PreConsultaBD2",
     [] { return "SELECT PreConsulta.* INTO PreConsultaBD2   " + InPackage("\\Prog.mdb") + " FROM PreConsulta"; }},
    {"Importando Selecionar .... ", "SelecionarBD2",
     [] { return "SELECT Selecionar.* INTO SelecionarBD2  " + InPackage("\\Prog.mdb") + " FROM Selecionar "; }},
    {"Importando Tabela Temporaria .... ", "TabelaTemporariaBD2",
     [] { return "SELECT TabelaTemporaria.* INTO TabelaTemporariaBD2  " + InPackage("\\Prog.mdb") + " FROM TabelaTemporaria "; }},
};

std::string InsertAplicacao() {
    return "INSERT INTO Aplicacao ( CodAplicacao, Nome,CodClassificacao,Nivel,Comentario, Consulta, Relatorio, "
           "Consolidado,Inclusao,Alteracao,Usuario,Maquina ) SELECT DISTINCTROW Aplicacao.CodAplicacao, "
           "Aplicacao.Nome,Aplicacao.CodClassificacao,Aplicacao.Nivel,Aplicacao.Comentario, Aplicacao.Consulta, "
           "Aplicacao.Relatorio, Aplicacao.Consolidado,Aplicacao.Inclusao,Aplicacao.Alteracao,Aplicacao.Usuario,"
           "Aplicacao.Maquina FROM Aplicacao LEFT JOIN AplicacaoBD2 ON Aplicacao.CodAplicacao = "
           "AplicacaoBD2.CodAplicacao " + InPackage() + " WHERE AplicacaoBD2.CodAplicacao Is Null";
}

std::string InsertPreConsulta() {
    return "INSERT INTO PreConsulta ( CodAplicacao, PreConsulta, Mensagem )  SELECT DISTINCTROW "
           "PreConsulta.codAplicacao, PreConsulta.PreConsulta, PreConsulta.Mensagem FROM PreConsulta LEFT JOIN "
           "PreConsultaBD2 ON (PreConsulta.PreConsulta = PreConsultaBD2.PreConsulta) AND (PreConsulta.CodAplicacao= "
           "PreConsultaBD2.CodAplicacao) " + InPackage();
}

std::string InsertSelecionar() {
    return "INSERT INTO Selecionar ( CodAplicacao, Tabela )  SELECT DISTINCTROW Selecionar.CodAplicacao, "
           "Selecionar.Tabela FROM Selecionar LEFT JOIN SelecionarBD2 ON (Selecionar.Tabela = SelecionarBD2.Tabela) "
           "AND (Selecionar.CodAplicacao = SelecionarBD2.CodAplicacao) " + InPackage();
}

std::string InsertTabelaTemporaria() {
    return "INSERT INTO TabelaTemporaria ( CodAplicacao, Tabela )  SELECT DISTINCTROW TabelaTemporaria.CodAplicacao, "
           "TabelaTemporaria.Tabela FROM TabelaTemporaria LEFT JOIN TabelaTemporariaBD2 ON (TabelaTemporaria.Tabela = "
           "TabelaTemporariaBD2.Tabela) AND (TabelaTemporaria.CodAplicacao= TabelaTemporariaBD2.CodAplicacao)  " +
           InPackage();
}

// Only the entries the package also holds take its values: an inner join, since through an outer
// join an entry of the local catalogue alone would have every field set to Null.
const char* const kUpdateAplicacao =
    "UPDATE Aplicacao INNER JOIN AplicacaoBkp ON Aplicacao.CodAplicacao = AplicacaoBkp.CodAplicacao SET "
    "Aplicacao.CodAplicacao = [AplicacaoBkp].[CodAplicacao], Aplicacao.Nome = [AplicacaoBkp].[nome], "
    "Aplicacao.Consulta = [AplicacaoBkp].[Consulta], Aplicacao.Relatorio = [AplicacaoBkp].[Relatorio], "
    "Aplicacao.Consolidado = [AplicacaoBkp].[Consolidado], Aplicacao.Comentario = [AplicacaoBkp].[Comentario], "
    "Aplicacao.Nivel = [AplicacaoBkp].[Nivel], Aplicacao.CodClassificacao = [AplicacaoBkp].[CodClassificacao] ";

// The merge of one table: its line, then its statements on BancoBD2.
void AddMerge(forms::StepList& steps, const std::string& name, const char* line,
              std::vector<std::string (*)()> statements) {
    steps.Add("merge." + name + ".line", [line](StepFlow&) { Line(line); });
    for (std::size_t i = 0; i < statements.size(); ++i) {
        const auto statement = statements[i];
        steps.Add("merge." + name + "." + std::to_string(i), [statement](StepFlow&) { BancoBD2->Execute(statement()); });
    }
}

class Import {
public:
    void Run() {
        forms::RunSteps(Steps(), [this](const win::RuntimeError& error, std::string_view) { return Recover(error); });
        CloseIfOpen(package_);
    }

private:
    forms::StepList Steps();
    Resume Recover(const win::RuntimeError& error);

    DatabaseHandle package_;
    std::string copyTable_;   // the copy table being made, dropped by the 3010 branch
};

forms::StepList Import::Steps() {
    forms::StepList steps;
    steps.Add("show", [](StepFlow&) {
        UpgradeWindow& window = UpgradeWindowInForce();
        window.SetStoreFrameVisible(false);
        window.SetPanelVisible(true);
        window.ClearList();
        Line("Atualizando Aplicações .... ");
        Line("Abrindo Banco de Dados .... ");
    });
    steps.Add("open.exclusive", [this](StepFlow&) {
        CaminhoBanco = PastaDados + "\\PROG.MDB";
        const std::string connect = ";DATABASE= " + PastaDados + "\\PROG.MDB" + ";PWD=" + kSenhaLoja;
        package_.Set(ProgramEngine().OpenDatabase(CaminhoBanco, true, false, connect));
    });
    steps.Add("password", [this](StepFlow&) { package_->NewPassword(kSenhaLoja, ""); });
    steps.Add("close.exclusive", [this](StepFlow&) {
        package_->Close();
        package_.Reset();
    });
    steps.Add("criterio", [](StepFlow&) { CorrigeCriterio(); });
    steps.Add("open.shared", [this](StepFlow&) { package_.Set(ProgramEngine().OpenDatabase(PastaDados + "\\PROG.MDB")); });
    for (const Copy& copy : kCopies) {
        const std::string label = std::string("copy.") + copy.table;
        steps.Add(label + ".line", [&copy, this](StepFlow&) {
            Line(copy.line);
            copyTable_ = copy.table;
        });
        steps.Add(label, [&copy](StepFlow&) { BancoBD2->Execute(copy.statement()); });
    }
    AddMerge(steps, "Aplicacao", "Atualizando Aplicação .... ", {InsertAplicacao});
    AddMerge(steps, "PreConsulta", "Atualizando Pré-Consulta .... ",
             {[] { return std::string("DELETE * FROM PreConsulta "); }, InsertPreConsulta});
    AddMerge(steps, "Selecionar", "Atualizando Selecionar .... ",
             {[] { return std::string("DELETE * FROM Selecionar "); }, InsertSelecionar});
    AddMerge(steps, "TabelaTemporaria", "Atualizando TabelaTemporaria .... ",
             {[] { return std::string("DELETE * FROM TabelaTemporaria "); }, InsertTabelaTemporaria});
    steps.Add("idle", [](StepFlow&) {
        ProgramEngine().Idle(kRefreshCache);
        ProgramEngine().Idle(kFreeLocks);
    });
    steps.Add("fechando", [](StepFlow&) { Line("Fechando Banco de Dados .... "); });
    steps.Add("bkp", [](StepFlow&) { AtualizaBD2Bkp(); });
    steps.Add("close", [this](StepFlow&) {
        package_->Close();
        package_.Reset();
    });
    steps.Add("kill", [](StepFlow&) { forms::Kill(PastaDados + "\\Prog.MDB"); });
    return steps;
}

Resume Import::Recover(const win::RuntimeError& error) {
    switch (error.Number()) {
        case dao::jet::InvalidPassword:
            return Resume::Next();
        case dao::jet::TableExists:
            package_->Execute("Drop Table " + copyTable_);
            return Resume::Retry();
        case dao::jet::DatabaseNotRecognised:
            DamagedBox();
            return Resume::Leave();
        default:
            return ReportNotDone("AtualizaBD2");
    }
}

}  // namespace

std::string FourDigitYears(std::string text) {
    const auto isY = [](char c) { return c == 'y' || c == 'Y'; };
    for (std::size_t at = 0; at + 4 <= text.size(); ++at) {
        if (text[at] == '/' && isY(text[at + 1]) && isY(text[at + 2]) && text[at + 3] == '"') {
            text.replace(at + 1, 3, "YYYY\"");
        }
    }
    return text;
}

void CorrigeCriterio() {
    RecordsetHandle criterios;
    criterios.Set(BancoBD2->OpenRecordset("Criterio", dao::dbOpenTable));
    struct Closer {
        RecordsetHandle& handle;
        ~Closer() { CloseIfOpen(handle); }
    } closer{criterios};
    while (!criterios->Eof()) {
        const dao::Value current = (*criterios)("Criterio").GetValue();
        const std::string texto = current.IsNull() ? " " : current.ToText();
        criterios->Edit();
        (*criterios)("Criterio").SetValue(dao::Value::Text(FourDigitYears(texto)));
        criterios->Update();
        criterios->MoveNext();
    }
}

// The refresh's transaction flag ("S" while open, "N" once ended), with the rollback that every
// way out of AtualizaBD2Bkp that did not commit takes, an error raised inside the handler included.
class BkpTransaction {
public:
    ~BkpTransaction() {
        // A plain try: a destructor must not raise.
        try {
            RollBack();
        } catch (const win::RuntimeError&) {
            // The engine could not roll back: nothing more can be done for the transaction here.
        }
    }
    void Begin() {
        flag_ = kSim;
        ProgramEngine().BeginTrans();
    }
    void Commit() {
        ProgramEngine().CommitTrans();
        flag_ = kNao;
    }
    void RollBack() {
        if (flag_ != kSim) return;
        flag_ = kNao;
        ProgramEngine().Rollback();
    }

private:
    std::string flag_;
};

void AtualizaBD2Bkp() {
    BkpTransaction transacao;
    forms::RunSteps(
        {
            {"begin", [&](StepFlow&) { transacao.Begin(); }},
            {"line", [](StepFlow&) { Line("Atualizando AplicaçãoBkp .... "); }},
            {"copy", [](StepFlow&) { BancoBD2->Execute(" SELECT Aplicacao.* INTO AplicacaoBkp FROM Aplicacao " + InPackage()); }},
            {"update", [](StepFlow&) { BancoBD2->Execute(kUpdateAplicacao); }},
            {"commit", [&](StepFlow&) {
                 Yield();
                 transacao.Commit();
                 ProgramEngine().Idle(kRefreshCache);
                 ProgramEngine().Idle(kFreeLocks);
             }},
            {"fechando", [](StepFlow&) { Line("Fechando Banco de Dados .... "); }},
        },
        [&](const win::RuntimeError& error, std::string_view) {
            switch (error.Number()) {
                case dao::jet::InvalidPassword:
                    return Resume::Next();
                case dao::jet::TableExists:
                    BancoBD2->Execute("Drop Table AplicacaoBkp");
                    return Resume::Retry();
                case dao::jet::DatabaseNotRecognised:
                    transacao.RollBack();
                    DamagedBox();
                    return Resume::Leave();
                default:
                    transacao.RollBack();
                    return ReportNotDone("AtualizaBD2Bkp");
            }
        });
}

void AtualizaBD2() {
    Import import;
    import.Run();
}

}  // namespace report::upgrade
