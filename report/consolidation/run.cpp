#include "report/consolidation/run.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/controls/threed/threed.h"
#include "platform/dao/connection.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/busy.h"
#include "platform/forms/datetime.h"
#include "platform/forms/errors.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/fileio.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/forms/value.h"
#include "platform/win/textformat.h"
#include "report/consolidation/backup_database.h"
#include "report/consolidation/run_statements.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/windows.h"

namespace report::consolidation {

DatabaseHandle BancoBackup;
DatabaseHandle BancoLoja;
RecordsetHandle TabelaStatus;
std::string RetornoBloqueio;

namespace {

using forms::Resume;
using forms::StepFlow;
using forms::Target;

constexpr const char* kTitle = "Mensagem";
constexpr int kFreeLocks = 1;
const std::string CR = "\r";

// Lock conflicts of the engine, in the order they are told apart.
constexpr std::array<long, 12> kLockErrors = {
    dao::jet::TableInUseByUser,   dao::jet::UpdateLocked,         dao::jet::TableInUse,
    dao::jet::SaveLocked,         dao::jet::CouldNotRead,         dao::jet::UpdateLockedNoUser,
    dao::jet::SaveLockedByUser,   dao::jet::TableLockedByUser,    dao::jet::UpdateLockedBySession,
    dao::jet::RecordSaveLocked,   dao::jet::CantSave,             dao::jet::StoppedByOtherUser};

// How often an error raised by a recovery action is fed back to the handler before the run gives
// up on recovering (a recovery that keeps failing must not spin).
constexpr int kMaxNestedRecoveries = 8;

void Warn(const std::string& text) { forms::MsgBox(text, forms::mb::Exclamation, kTitle); }

// Runs `action`, swallowing a runtime error: the clean-up after a failure must not fail again.
template <class Action>
void Quietly(Action&& action) {
    // A plain try: a trap here would clear Err(), which the handler running this clean-up reports next.
    try {
        action();
    } catch (const win::RuntimeError&) {
    }
}

// Rolls back every open level of the program's transaction.
void RollbackAll() {
    dao::DBEngine& engine = ProgramEngine();
    while (engine.State()->InTransaction()) engine.Rollback();
}

// The quoted file name in an engine error text ("Unrecognized database format 'C:\X.MDB'.").
std::string FileOfError(const win::RuntimeError& error) {
    const std::string& text = error.Description();
    const auto open = text.find('\'');
    const auto close = text.rfind('\'');
    if (open == std::string::npos || close <= open) return {};
    return text.substr(open + 1, close - open - 1);
}

// Keeps the user out of the other windows while a run is in progress: nothing else may write
// inside the run's transaction or start another run. In the window itself only the controls that
// serve the run (Cancelar, the lock wait's Cancelar) take the user's input.
class RunGuard {
public:
    explicit RunGuard(Consolidacao& window) : window_(window), busy_(window) {
        window_.Executando = true;
        for (forms::Window* other : forms::App().LoadedWindows()) {
            if (other == &window_ || !other->Enabled()) continue;
            other->SetEnabled(false);
            disabled_.push_back(other);
        }
    }
    ~RunGuard() {
        window_.Executando = false;
        const auto& loaded = forms::App().LoadedWindows();
        for (forms::Window* other : disabled_) {
            if (std::find(loaded.begin(), loaded.end(), other) != loaded.end()) other->SetEnabled(true);
        }
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    Consolidacao& window_;
    forms::BusyScope busy_;
    std::vector<forms::Window*> disabled_;
};

class Run {
public:
    explicit Run(Consolidacao& window) : w_(window), folder_(ProgramFolder()) {}
    void Execute();

private:
    forms::StepList Steps();
    void AddPreparation(forms::StepList& list);
    void AddStoreLoop(forms::StepList& list);
    void AddRebuild(forms::StepList& list);
    void AddFinish(forms::StepList& list);

    bool PeriodIsValid(forms::HostedControl* field);
    void SizeGuard();
    void Question(StepFlow& flow);
    void StampQuestion();
    void HandOverToReport();
    void CopyStatement(std::size_t index);
    void EndCancelled();
    void RestoreBackupFile();

    Resume Handle(const win::RuntimeError& error, const forms::FailedStep& failed);
    Resume React(const win::RuntimeError& error, const forms::FailedStep& failed);
    Resume Damaged(const win::RuntimeError& error, const forms::FailedStep& failed);
    Resume General();
    void RollBack(bool quietly = false);
    void RollBackAndClose(bool quietly = false);
    void ReleaseBackup();
    Resume SkipStore(const std::string& message);
    Resume Abandon();
    Resume EndWithRollback();
    Resume EndQuietly();
    bool Repair(const std::string& file);
    Resume EndUnrepairable(const win::RuntimeError& error);
    Resume EndGeneral();

    std::string Backup() const { return folder_ + kBackupFileName; }
    std::string Bkp() const { return folder_ + "\\Bkp.mdb"; }
    bool InStoreLoop(const forms::FailedStep& failed) const {
        return failed.Within(storeLoop_, storeNext_) && w_.LinhaAtual >= 1 && w_.LinhaAtual <= w_.LojasEmRede;
    }
    void SetPercentage(int percent) { w_.PainelPorcentagem().SetFloodPercent(percent); }

    Consolidacao& w_;
    const std::string folder_;
    std::optional<Period> period_;
    std::vector<report::consolidation::CopyStatement> statements_;
    std::string TabelaAtual;
    std::string TransacaoAberta;
    std::string TabelasCriadas;
    std::int16_t ContLojas = 0;
    bool firstRun_ = false;
    bool renamed_ = false;         // Backup.mdb is Bkp.mdb while the compaction runs
    bool storeLevel_ = false;      // the current store's savepoint is open
    int repairsBeforeTransaction_ = 0;
    int nested_ = 0;
    std::optional<RunGuard> guard_;   // released before the run hands over to other windows
    // The steps the handler tells apart or continues at.
    Target compact_, clearStatus_, openBackup_, beginTransaction_, storeLoop_, storeDone_, storeNext_;
    std::map<std::string, Target> afterRebuildOf_;   // a rebuilt table -> the next table's rebuild
};

bool Run::PeriodIsValid(forms::HostedControl* field) {
    const std::string text = forms::HostedText(field);
    if (forms::IsDate(forms::Value(text)) && text != "__/__/__" && text != "__/__/____") return true;
    Warn("Data Inválida !");
    if (field != nullptr) field->SetFocus();
    return false;
}

void Run::SizeGuard() {
    if (forms::FileLen(Backup()) <= kCompactLimit) return;
    forms::App().SetMousePointer(forms::pointer::Hourglass);
    w_.SetStatusVisible(true);
    w_.SetStatusText("Compactando Banco de Dados...");
    if (!forms::Dir(Bkp()).empty()) forms::Kill(Bkp());
    forms::Name(Backup(), Bkp());
    renamed_ = true;
    ProgramEngine().CompactDatabase(Bkp(), Backup());
    renamed_ = false;
    w_.SetStatusText("");
    w_.SetStatusVisible(false);
    forms::App().SetMousePointer(forms::pointer::Default);
}

// After a failed compaction: the partial copy deleted and the previous file given its name back.
void Run::RestoreBackupFile() {
    if (!renamed_) return;
    renamed_ = false;
    Quietly([&] {
        if (!forms::Dir(Backup()).empty()) forms::Kill(Backup());
    });
    Quietly([&] { forms::Name(Bkp(), Backup()); });
}

// Asks whether to consolidate again; a first run (Status empty) is not asked. Cancel and No end
// the run here, rolled back.
void Run::Question(StepFlow& flow) {
    firstRun_ = TabelaStatus->Eof();
    if (firstRun_) return;
    const dao::Value data = (*TabelaStatus)("Data").GetValue();
    const dao::Value hora = (*TabelaStatus)("Hora").GetValue();
    const std::string when = forms::TextOf(data);
    const std::string at = hora.IsNull() ? std::string() : win::FormatDate(hora.ToDouble(), "hh:mm");
    const int answer = forms::MsgBox("Ultima Consolidação " + when + " às " + at + "." + CR + CR +
                                         "Deseja Executar Nova Consolidação?",
                                     forms::mb::YesNoCancel + forms::mb::Question + forms::mb::DefaultButton2, kTitle);
    Resposta = forms::Value(static_cast<long>(answer));
    if (answer == forms::mb::Yes) return;
    RollBackAndClose();
    flow.Leave();
    guard_.reset();
    if (answer == forms::mb::Cancel) {
        w_.BtnCancelar_Click();
        Resposta = forms::Value(std::string());
    } else {
        HandOverToReport();
    }
}

// The window hidden and unloaded, then the report printed from what BACKUP.MDB holds.
void Run::HandOverToReport() {
    guard_.reset();
    w_.Hide();
    forms::DoEvents();
    w_.Unload();
    RelatorioConsolidado = "N";
    RunReport();
    Resposta = forms::Value(std::string());
}

// The date and time of this run in Status, inside the transaction (a new row on a first run).
void Run::StampQuestion() {
    if (firstRun_) {
        TabelaStatus->AddNew();
        (*TabelaStatus)("Data").SetValue(dao::Value::Date(forms::Now()));
    } else {
        TabelaStatus->Edit();
        (*TabelaStatus)("Data").SetValue(dao::Value::Date(forms::Today()));
    }
    (*TabelaStatus)("Hora").SetValue(dao::Value::Date(forms::TimeOfDay()));
    TabelaStatus->Update();
}

void Run::CopyStatement(std::size_t index) {
    assert(storeLevel_ && "a copy outside the store's savepoint");
    assert(index < statements_.size() && statements_.size() == kCopyStatementCount);
    const auto& statement = statements_[index];
    if (TabelasCriadas == "N") TabelaAtual = statement.tabelaAtual;
    BancoLoja->Execute(statement.sql);
    if (statement.percentage >= 0) SetPercentage(statement.percentage);
    if (index + 1 == statements_.size() && TabelasCriadas == "N") TabelasCriadas = "S";
}

void Run::EndCancelled() {
    RollBackAndClose();
    w_.ModoEspera();
    w_.ShowFilter(false);
    w_.PainelPorcentagem().SetVisible(false);
    w_.CancelaExecucao = false;
    forms::App().SetMousePointer(forms::pointer::Default);
    Warn("Execução Cancelada!");
    w_.Unload();
}

void Run::AddPreparation(forms::StepList& list) {
    list.Add("CheckPeriod", [this](StepFlow& flow) {
        if (w_.FiltraPeriodo != "S") return;
        if (!PeriodIsValid(w_.ZmData1()) || !PeriodIsValid(w_.ZmData2())) {
            flow.Leave();
            return;
        }
        period_ = Period{forms::HostedText(w_.ZmData1()), forms::HostedText(w_.ZmData2())};
    });
    list.Add("CompactBackup", [this](StepFlow&) { SizeGuard(); });
    list.Add("ClearStatus", [this](StepFlow&) {
        assert(!renamed_ && "the run goes on before Backup.mdb has its name back");
        w_.SetStatusText("");
        w_.SetStatusVisible(false);
        forms::App().SetMousePointer(forms::pointer::Default);
    });
    list.Add("OpenBackup", [this](StepFlow&) {
        assert(!BancoBackup.IsOpen() && TransacaoAberta != "S" && "BACKUP.MDB opened again before it was released");
        BancoBackup.Set(ProgramEngine().OpenDatabase(Backup()));
    });
    list.Add("OpenStatus", [](StepFlow&) {
        TabelaStatus.Set(BancoBackup->OpenRecordset("Status", dao::dbOpenTable, dao::dbDenyWrite));
    });
    list.Add("BeginTransaction", [this](StepFlow&) {
        assert(TransacaoAberta != "S" && !storeLevel_ && "the transaction begun again before its rollback");
        assert(BancoBackup.IsOpen() && TabelaStatus.IsOpen());
        TransacaoAberta = "S";
        ProgramEngine().BeginTrans();
    });
    list.Add("AskAgain", [this](StepFlow& flow) { Question(flow); });
    list.Add("StampRun", [this](StepFlow&) {
        assert(TransacaoAberta == "S");
        StampQuestion();
    });
    list.Add("ShowProgress", [this](StepFlow&) {
        forms::App().SetMousePointer(forms::pointer::Hourglass);
        w_.ShowFilter(false);
        w_.PainelPorcentagem().SetVisible(true);
        SetPercentage(0);
        w_.ModoExecucao();
        w_.LinhaAtual = 1;
        TabelasCriadas = "N";
        ContLojas = 0;
        w_.Indices.next = 0;
    });
}

// Each store of the list in network (rows 1 .. LojasEmRede): the marked ones copied into BACKUP.MDB,
// each under its own savepoint.
void Run::AddStoreLoop(forms::StepList& list) {
    list.For("Store", w_.LinhaAtual, 1, [this] { return w_.LojasEmRede; }, [this](forms::StepList& body) {
        body.Add("Store.Marked", [this](StepFlow& flow) {
            if (forms::UCase(w_.Mark(w_.LinhaAtual)) != "S") flow.GoTo(storeDone_);
        });
        body.Add("Store.Reachable", [this](StepFlow& flow) {
            if (forms::UCase(forms::Dir(w_.LojaPasta[w_.LinhaAtual] + "Produto.mdb")) != "PRODUTO.MDB") flow.GoTo(storeDone_);
        });
        body.Add("Store.Open", [this](StepFlow&) {
            const std::string path = w_.LojaPasta[w_.LinhaAtual] + "Produto.mdb";
            BancoLoja.Set(ProgramEngine().OpenDatabase(path, false, false, ";DATABASE= " + path + ";PWD=" + kSenhaLoja));
        });
        body.Add("Store.Savepoint", [this](StepFlow&) {
            assert(TransacaoAberta == "S" && !storeLevel_ && BancoLoja.IsOpen());
            ProgramEngine().BeginTrans();
            storeLevel_ = true;
        });
        body.Add("Store.Progress", [this](StepFlow&) {
            SetPercentage(0);
            ++ContLojas;
            w_.SetStatusText("Loja: " + forms::Format(forms::Value(ContLojas), "00") + "/" +
                             forms::Format(forms::Value(w_.LojasMarcadas), "00") + " - " + w_.LojaNome[w_.LinhaAtual]);
            statements_ = CopyStatements(folder_, TabelasCriadas == "N", period_);
            assert(statements_.size() == kCopyStatementCount);
            forms::DoEvents();
        });
        for (std::size_t i = 0; i < kCopyStatementCount; ++i) {
            body.Add("Store.Copy" + std::to_string(i + 1), [this, i](StepFlow&) { CopyStatement(i); });
        }
        body.Add("Store.Cancel", [this](StepFlow& flow) {
            forms::DoEvents();
            if (!w_.CancelaExecucao) return;
            flow.Leave();
            EndCancelled();
        });
        body.Add("Store.Commit", [this](StepFlow&) {
            assert(storeLevel_);
            forms::DoEvents();
            ProgramEngine().CommitTrans();
            storeLevel_ = false;
            CloseIfOpen(BancoLoja);
        });
        body.Add("Store.Done", [this](StepFlow&) {
            // Passed over, committed, or skipped: the store's savepoint is ended.
            assert(!storeLevel_);
            ProgramEngine().Idle(kFreeLocks);
        });
    });
}

void Run::AddRebuild(forms::StepList& list) {
    const auto rebuild = RebuildStatements(folder_);
    for (std::size_t i = 0; i < rebuild.size(); ++i) {
        const std::string& table = rebuild[i].tabelaAtual;
        afterRebuildOf_[table] = list.To(i + 1 < rebuild.size() ? "Rebuild" + rebuild[i + 1].tabelaAtual : "CreateIndexes");
        list.Add("Rebuild" + table, [this, statement = rebuild[i]](StepFlow&) {
            TabelaAtual = statement.tabelaAtual;
            BancoBackup->Execute(statement.sql);
        });
        list.Add("Index" + table, [this, statement = rebuild[i], i](StepFlow&) {
            if (i > 0) BancoBackup->TableDefs().Refresh();
            w_.Indices.TabelaIndice = BancoBackup->TableDefs()(statement.tabelaAtual);
            NovoIndice(w_.Indices, IndexSpec{statement.tabelaAtual, statement.index, statement.key, true});
            AnexaIndice(w_.Indices);
        });
    }
    list.Add("CreateIndexes", [this](StepFlow&) { CriaIndicesConsolidados(*BancoBackup, w_.Indices); });
}

void Run::AddFinish(forms::StepList& list) {
    list.Add("Commit", [this](StepFlow&) {
        assert(TransacaoAberta == "S" && !storeLevel_);
        ProgramEngine().CommitTrans();
        TransacaoAberta = "N";
    });
    list.Add("ResetLayout", [this](StepFlow&) {
        w_.PainelPorcentagem().SetVisible(false);
        w_.ModoEspera();
        w_.ShowFilter(false);
        forms::App().SetMousePointer(forms::pointer::Default);
    });
    list.Add("StampStatus", [](StepFlow&) {
        TabelaStatus->MoveFirst();
        TabelaStatus->Edit();
        (*TabelaStatus)("Data").SetValue(dao::Value::Date(forms::Today()));
        (*TabelaStatus)("Hora").SetValue(dao::Value::Date(forms::TimeOfDay()));
        TabelaStatus->Update();
        CloseIfOpen(TabelaStatus);
        CloseIfOpen(BancoBackup);
    });
    list.Add("PrintReport", [this](StepFlow&) { HandOverToReport(); });
}

forms::StepList Run::Steps() {
    forms::StepList list;
    compact_ = list.To("CompactBackup");
    clearStatus_ = list.To("ClearStatus");
    openBackup_ = list.To("OpenBackup");
    beginTransaction_ = list.To("BeginTransaction");
    storeLoop_ = list.To("Store.for");
    storeDone_ = list.To("Store.Done");
    storeNext_ = list.To("Store.next");
    AddPreparation(list);
    AddStoreLoop(list);
    AddRebuild(list);
    AddFinish(list);
    return list;
}

void Run::Execute() {
    guard_.emplace(w_);
    forms::RunSteps(Steps(), [this](const win::RuntimeError& error, const forms::FailedStep& failed) {
        nested_ = 0;
        return Handle(error, failed);
    });
}

// The handler proper; an error raised while it recovers is handled as the run's own.
Resume Run::Handle(const win::RuntimeError& error, const forms::FailedStep& failed) {
    // A plain try: an error the handler raises goes back to it, not to the caller as Run would pass it.
    try {
        return React(error, failed);
    } catch (const win::RuntimeError& inner) {
        forms::Err().Set(inner);
        if (++nested_ > kMaxNestedRecoveries) {
            TransacaoAberta == "S" ? static_cast<void>(EndWithRollback()) : static_cast<void>(EndGeneral());
            return Resume::Leave();
        }
        return Handle(inner, failed);
    }
}

Resume Run::React(const win::RuntimeError& error, const forms::FailedStep& failed) {
    const long number = error.Number();
    if (failed.Is(compact_) && renamed_) {
        RestoreBackupFile();
        Warn("Compactação Imposibilitada!");
        return Resume::At(clearStatus_);
    }
    if (number == dao::jet::TableExists) {
        if (const auto topUp = TopUpStatement(TabelaAtual, folder_)) {
            assert(afterRebuildOf_.contains(TabelaAtual) && "a topped-up table without a next rebuild");
            BancoBackup->Execute(*topUp);
            return Resume::At(afterRebuildOf_.at(TabelaAtual));
        }
        BancoBackup->Execute(DropTableStatement(TabelaAtual));
        return Resume::Retry();
    }
    if (number == dao::jet::DatabaseNotRecognised) return Damaged(error, failed);
    if (number == win::err::PathNotFound && InStoreLoop(failed)) {
        return SkipStore("Diretório da Loja " + std::string(" ") + w_.LojaNome[w_.LinhaAtual] + " " + " está errado !");
    }
    if (number == win::err::PathFileAccessError) {
        ReleaseBackup();
        Warn("Compactação Imposibilitada!");
        return Resume::At(clearStatus_);
    }
    if ((number == win::err::DeviceUnavailable || number == win::err::BadFileName) && InStoreLoop(failed)) {
        return SkipStore("Loja" + std::string(" ") + w_.LojaNome[w_.LinhaAtual] + " " + " Desconectada!");
    }
    if (number == dao::jet::TableExclusivelyLocked || number == dao::jet::TableLocked) {
        RollBackAndClose();
        Warn("Já Existe outro Usuário Consolidando as Informações.Aguarde !!!");
        w_.Unload();
        return Resume::Leave();
    }
    return General();
}

// Any other error: a lock conflict is waited out, anything else ends the run.
Resume Run::General() {
    forms::App().SetMousePointer(forms::pointer::Default);
    RetornoBloqueio = w_.Bloqueio(kTela, "BtnConsolidar");
    if (RetornoBloqueio == "Loop") return Resume::Retry();
    if (RetornoBloqueio == "SaiBloqueio") return Abandon();
    return TransacaoAberta == "S" ? EndWithRollback() : EndGeneral();
}

// A damaged file: the one the error names, closed before it is repaired.
Resume Run::Damaged(const win::RuntimeError& error, const forms::FailedStep& failed) {
    std::string file = FileOfError(error);
    const bool isBackup = file.empty() ? !InStoreLoop(failed) : forms::UCase(file) == forms::UCase(Backup());
    if (file.empty()) file = isBackup ? Backup() : w_.LojaPasta[w_.LinhaAtual] + "Produto.MDB";
    if (TransacaoAberta == "S") {
        RollBack();
        CloseIfOpen(BancoLoja);
        if (isBackup) FecharConsolidacao();
        // Rolled back and the file closed before its repair.
        assert(TransacaoAberta == "N" && !storeLevel_ && !BancoLoja.IsOpen() && !(isBackup && BancoBackup.IsOpen()));
        if (!Repair(file)) return EndUnrepairable(error);
        Warn("Banco de Dados Danificado !" + CR + CR + "Favor Executar Novamente !");
        return Resume::At(isBackup ? openBackup_ : beginTransaction_);
    }
    if (repairsBeforeTransaction_++ > 0) return General();
    FecharConsolidacao();
    assert(!BancoLoja.IsOpen() && !BancoBackup.IsOpen() && !TabelaStatus.IsOpen());
    if (!Repair(file)) return EndUnrepairable(error);
    return Resume::At(openBackup_);
}

// Repairs `file`; false when the engine refuses it as not a database of its own (another program's
// file, or one another program has put in WAL mode), which no repair and no new run mends. Any
// other failure of the repair raises, to the handler.
bool Run::Repair(const std::string& file) {
    // A plain try, inside the handler: a refused file becomes the answer false; any other error passes on.
    try {
        ProgramEngine().RepairDatabase(file);
        return true;
    } catch (const win::RuntimeError& refused) {
        if (refused.Number() != dao::jet::DatabaseNotRecognised) throw;
        return false;
    }
}

// A file the engine does not take: the run ends rolled back, with the one error box that names
// the file, and nothing else of the session is closed.
Resume Run::EndUnrepairable(const win::RuntimeError& error) {
    RestoreBackupFile();
    ReportError(error, kTela, "BtnConsolidar");
    return EndQuietly();
}

// Ends the run's transaction: every level of the program's transaction rolled back. `quietly` when
// the run is ending on an error already and a failing rollback must not raise again.
void Run::RollBack(bool quietly) {
    TransacaoAberta = "N";
    storeLevel_ = false;
    quietly ? Quietly(RollbackAll) : RollbackAll();
}

// The transaction rolled back and the run's files closed.
void Run::RollBackAndClose(bool quietly) {
    RollBack(quietly);
    FecharConsolidacao();
}

// Before the run goes back to open BACKUP.MDB and Status again: its own transaction rolled back
// and its own handles closed, so that the open meets no hold but another station's. Before the
// transaction began there is nothing to roll back, and closing what is not open does nothing.
void Run::ReleaseBackup() {
    if (TransacaoAberta == "S") RollBack(true);
    FecharConsolidacao();
}

// An unreachable store: named, its rows dropped with its savepoint, the run goes on with the next.
Resume Run::SkipStore(const std::string& message) {
    if (storeLevel_) {
        storeLevel_ = false;
        ProgramEngine().Rollback();
    }
    Quietly([] { CloseIfOpen(BancoLoja); });
    Warn(message);
    return Resume::At(storeDone_);
}

// The user gave up waiting for a lock: everything rolled back and closed, no message.
Resume Run::Abandon() {
    RollBackAndClose();
    w_.Unload();
    return Resume::Leave();
}

Resume Run::EndWithRollback() {
    RollBackAndClose(true);
    Warn("Ocorreu um Erro Durante a Consolidação" + CR + "Tente Novamente!!");
    return EndQuietly();
}

// The run's transaction rolled back, its files closed, the window reset and unloaded.
Resume Run::EndQuietly() {
    RollBackAndClose(true);
    w_.ModoEspera();
    w_.ShowFilter(false);
    w_.PainelPorcentagem().SetVisible(false);
    w_.CancelaExecucao = false;
    forms::DoEvents();
    w_.Unload();
    return Resume::Leave();
}

// Outside the transaction: reported (TrataErro ran in Bloqueio already) and the data-folder set
// closed, as after every unexpected error; the window stays, with nothing of the run left open.
Resume Run::EndGeneral() {
    RestoreBackupFile();
    TrataErro();
    FecharConsolidacao();
    Quietly([] { CloseIfOpen(TabelaLoja); });
    Quietly(FecharBDLoja);
    return Resume::Leave();
}

}  // namespace

void FecharConsolidacao() {
    Quietly([] { CloseIfOpen(BancoLoja); });
    Quietly([] { CloseIfOpen(TabelaStatus); });
    Quietly([] { CloseIfOpen(BancoBackup); });
}

void ExecutarConsolidacao(Consolidacao& window) {
    if (window.Executando) return;
    Run(window).Execute();
}

std::string Consolidacao::Bloqueio(const std::string& tela, const std::string& rotina) {
    SetErrorPlace(tela, rotina);
    const long number = forms::Err().Number();
    if (std::find(kLockErrors.begin(), kLockErrors.end(), number) == kLockErrors.end()) {
        TrataErro();
        return "ErroGeral";
    }
    BtnCancelar().SetVisible(false);
    if (forms::HostedControl* counter = ZmBloqueio()) {
        forms::SetHostedNumber(counter, forms::Val(forms::Value(forms::HostedText(counter))) + 1);
    }
    ShowLockWait(true);
    forms::DoEvents();
    if (BtnBloqueio().Caption() != "Sai") return "Loop";
    BtnBloqueio().SetCaption("&Cancelar");
    ShowLockWait(false);
    forms::SetHostedNumber(ZmBloqueio(), 0);
    return "SaiBloqueio";
}

}  // namespace report::consolidation
