#include "report/core/connections.h"

#include <set>
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "platform/forms/services.h"
#include "platform/forms/window.h"
#include "platform/win/beep.h"
#include "platform/win/files.h"
#include "report/core/error_routine.h"
#include "report/core/hooks.h"
#include "report/core/state.h"

namespace report {

namespace {

dao::Database OpenStoreDatabase(const std::string& folder, const std::string& file) {
    CaminhoBanco = folder + file;
    return ProgramEngine().OpenDatabase(CaminhoBanco, false, false, ConnectLoja(folder, file));
}

void CloseProgramSet() {
    CloseIfOpen(BancoProduto);
    CloseIfOpen(BancoBD2);
}

void CloseDataSet() {
    CloseIfOpen(TabelaRelacao);
    CloseIfOpen(TabelaUsuario);
    CloseIfOpen(BancoProdutoLoja);
    CloseIfOpen(BancoBD2Loja);
}

struct PostalRecordset {
    RecordsetHandle* handle;
    const char* table;
    const char* index;
};

const std::vector<PostalRecordset>& PostalRecordsets() {
    static const std::vector<PostalRecordset> rows = {
        {&TabelaCep, "LOG_CEP", "idx_cep"},
        {&TabelaLocalidadeCep, "LOG_LOCALIDADE", "idx_cep_loc"},
        {&TabelaLocalidade, "LOG_LOCALIDADE", "pk_log_loc"},
        {&TabelaLogradouroCep, "LOG_LOGRADOURO", "idx_cep_log"},
        {&TabelaBairro, "LOG_BAIRRO", "pk_log_bai"},
        {&TabelaCpc, "LOG_CPC", "idx_cep_cpc"},
        {&TabelaGrandeUsuario, "LOG_GRANDE_USUARIO", "idx_cep_gru"},
        {&TabelaUnidOper, "LOG_UNID_OPER", "idx_cep_uop"},
        {&TabelaLogradouroUf, "LOG_LOGRADOURO", "idx_log_uf1"},
    };
    return rows;
}

// Drops the postal handles after their database was closed (which closed them all).
void ForgetPostalSet() {
    for (const auto& row : PostalRecordsets()) row.handle->Reset();
    BancoCep.Reset();
}

// The trap of AbrirBD and AbrirBDLoja: a damaged file of the set is repaired once per failing
// step, then the set is opened again from its first file; everything else is reported and ends
// the program.
class OpenSetTrap {
public:
    OpenSetTrap(std::string rotina, forms::Target firstStep, std::string folder, std::set<std::string> repairable,
                std::function<void()> closeSet)
        : rotina_(std::move(rotina)),
          firstStep_(firstStep),
          folder_(std::move(folder)),
          repairable_(std::move(repairable)),
          closeSet_(std::move(closeSet)) {}

    forms::Resume operator()(const win::RuntimeError& error, std::string_view step) {
        const std::string label(step);
        if (error.Number() == dao::jet::DatabaseNotRecognised && repairable_.count(label) != 0 &&
            repaired_.insert(label).second) {
            closeSet_();
            if (!RepararBD(folder_)) return forms::Resume::Leave();
            return forms::Resume::At(firstStep_);
        }
        ReportError("Geral", rotina_);
        forms::App().End();
        return forms::Resume::Leave();
    }

    static constexpr const char* kFirstStep = "produto";

private:
    std::string rotina_;
    forms::Target firstStep_;
    std::string folder_;
    std::set<std::string> repairable_;
    std::function<void()> closeSet_;
    std::set<std::string> repaired_;
};

}  // namespace

std::string ConnectLoja(const std::string& folder, const std::string& file) {
    return ";DATABASE= " + folder + file + ";PWD=" + kSenhaLoja;
}

std::string ConnectCep(const std::string& folder) {
    return ";DATABASE=" + folder + "\\dbkvt.mdb;PWD=" + kSenhaCep + ";";
}

void AbrirBD() {
    const std::string folder = ProgramFolder();
    forms::StepList steps = {
        {OpenSetTrap::kFirstStep, [&](forms::StepFlow&) { BancoProduto.Set(OpenStoreDatabase(folder, "\\Produto.MDB")); }},
        {"bd2", [&](forms::StepFlow&) { BancoBD2.Set(OpenStoreDatabase(folder, "\\Bd2.MDB")); }},
        {"cep", [](forms::StepFlow&) { AbrirBDCep(); }},
    };
    const forms::Target first = steps.To(OpenSetTrap::kFirstStep);
    forms::RunSteps(std::move(steps), OpenSetTrap("AbrirBD", first, folder, {"produto", "bd2"}, CloseProgramSet));
}

void AbrirBDCep() {
    const std::string path = ProgramFolder() + "\\dbkvt.mdb";
    if (!win::FileExists(path)) {
        CepAberto = false;
        return;
    }
    // A plain try: clean-up that must rethrow, to the caller's trap.
    try {
        BancoCep.Set(ProgramEngine().OpenDatabase(path, false, false, ConnectCep(ProgramFolder())));
        for (const auto& row : PostalRecordsets()) {
            row.handle->Set(BancoCep->OpenRecordset(row.table, dao::dbOpenTable));
            (*row.handle)->SetIndex(row.index);
        }
    } catch (const win::RuntimeError&) {
        // Nothing of a half-opened postal set stays behind; the caller's trap reports the error.
        if (BancoCep.IsOpen()) BancoCep->Close();
        ForgetPostalSet();
        throw;
    }
    CepAberto = true;
}

namespace {

void OpenDataSet(bool upgrade) {
    const std::string folder = PastaDados;
    forms::StepList steps = {
        {OpenSetTrap::kFirstStep, [&](forms::StepFlow&) { BancoProdutoLoja.Set(OpenStoreDatabase(folder, "\\Produto.MDB")); }},
        {"bd2", [&](forms::StepFlow&) { BancoBD2Loja.Set(OpenStoreDatabase(folder, "\\Bd2.MDB")); }},
        {"relacao", [](forms::StepFlow&) { TabelaRelacao.Set(BancoBD2Loja->OpenRecordset("Relacao", dao::dbOpenTable)); }},
        {"usuario", [](forms::StepFlow&) {
             TabelaUsuario.Set(BancoBD2Loja->OpenRecordset("Usuario", dao::dbOpenTable));
             TabelaUsuario->SetIndex("IndCodUsuario");
             TabelaUsuario->Seek("=", {dao::Value::Long(CodUsuarioAtual)});
         }},
        {"atualizar", [upgrade](forms::StepFlow&) {
             if (upgrade) AtualizarBD();
         }},
    };
    const forms::Target first = steps.To(OpenSetTrap::kFirstStep);
    forms::RunSteps(std::move(steps), OpenSetTrap("AbrirBDLoja", first, folder, {"produto", "bd2", "relacao", "usuario"}, CloseDataSet));
}

}  // namespace

void AbrirBDLoja() { OpenDataSet(true); }

void OpenDataSetWithoutUpgrade() { OpenDataSet(false); }

void FecharBD() {
    CloseIfOpen(TabelaUsuarioAcesso);
    CloseIfOpen(TabelaRelacaoAcesso);
    CloseProgramSet();
}

void FecharBDLoja() {
    CloseDataSet();
    if (!CepAberto) return;
    // Three postal recordsets are closed one by one; closing the database ends the other six.
    CloseIfOpen(TabelaCep);
    CloseIfOpen(TabelaLocalidadeCep);
    CloseIfOpen(TabelaLogradouroCep);
    CloseIfOpen(BancoCep);
    ForgetPostalSet();
}

void ReportAndClose(const win::RuntimeError& error, const std::string& tela, const std::string& rotina,
                    const TrapClose& close) {
    const bool storeGone = close.backToLogin != nullptr && error.Number() == dao::jet::InvalidPath;
    ReportError(error, tela, rotina);
    if (close.tabelaLoja) CloseIfOpen(TabelaLoja);
    close.set();
    if (storeGone) {
        SairPrograma = std::string("NAO");
        close.backToLogin->Unload();
    } else if (close.endProgram) {
        forms::App().End();
    }
}

bool RepararBD(const std::string& folder) {
    bool repaired = false;
    const std::vector<forms::Step> steps = {
        {"", [](forms::StepFlow&) {
             forms::MsgBox("Banco de Dados Danificado !\r\rPressione Enter Para Corrigir !", forms::mb::Exclamation, "Mensagem");
         }},
        {"", [](forms::StepFlow&) { forms::App().SetMousePointer(forms::pointer::Hourglass); }},
        {"", [&](forms::StepFlow&) { ProgramEngine().RepairDatabase(folder + "\\BD2.MDB"); }},
        {"", [&](forms::StepFlow&) { ProgramEngine().RepairDatabase(folder + "\\PRODUTO.MDB"); }},
        {"", [](forms::StepFlow&) { forms::App().SetMousePointer(forms::pointer::Default); }},
        {"", [&](forms::StepFlow&) {
             forms::MsgBox("Banco de Dados Corrigido !", forms::mb::OkOnly, "Mensagem");
             repaired = true;
         }},
    };
    forms::RunSteps(steps, [](const win::RuntimeError& error, std::string_view) {
        forms::App().SetMousePointer(forms::pointer::Default);
        ShowErrorBox(error, "Geral", "RepararBD");
        forms::App().End();
        return forms::Resume::Leave();
    });
    return repaired;
}

void AtualizarBD() {
    if (ProgramHooks().runUpgrade) ProgramHooks().runUpgrade();
}

}  // namespace report
