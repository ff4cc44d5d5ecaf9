#include "report/core/state.h"

#include "platform/dao/errors.h"
#include "platform/forms/app.h"

namespace report {

DatabaseHandle BancoProduto;
DatabaseHandle BancoBD2;
DatabaseHandle BancoProdutoLoja;
DatabaseHandle BancoBD2Loja;
DatabaseHandle BancoCep;

RecordsetHandle TabelaRelacao;
RecordsetHandle TabelaUsuario;

RecordsetHandle TabelaCep;
RecordsetHandle TabelaLocalidadeCep;
RecordsetHandle TabelaLocalidade;
RecordsetHandle TabelaLogradouroCep;
RecordsetHandle TabelaBairro;
RecordsetHandle TabelaCpc;
RecordsetHandle TabelaGrandeUsuario;
RecordsetHandle TabelaUnidOper;
RecordsetHandle TabelaLogradouroUf;

std::string CaminhoBanco;
bool CepAberto = false;

std::string PastaDados;
std::int32_t CodUsuarioAtual = 0;
std::string NomeUsuario;
std::string NomeLoja;
std::string SairPrograma;
std::int16_t Contador = 0;
std::string SQLBase;
RecordsetHandle TabelaLoja;
RecordsetHandle TabelaUsuarioAcesso;
RecordsetHandle TabelaRelacaoAcesso;

std::string Tela;
std::string Rotina;

void CloseIfOpen(DatabaseHandle& handle) {
    if (!handle.IsOpen()) return;
    handle->Close();
    handle.Reset();
}

void CloseIfOpen(RecordsetHandle& handle) {
    if (!handle.IsOpen()) return;
    // A plain try: one error number means "closed already"; any other goes to the caller's trap.
    try {
        handle->Close();
    } catch (const win::RuntimeError& error) {
        // Closed already, or its database was: either way there is nothing left to close.
        if (error.Number() != dao::jet::ObjectClosed) throw;
    }
    handle.Reset();
}

namespace {
std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}
}  // namespace

std::string ProgramFolder() {
    return ProgramFolderOverride().empty() ? forms::App().Path() : ProgramFolderOverride();
}

void SetProgramFolder(std::string folder) { ProgramFolderOverride() = std::move(folder); }

dao::DBEngine& ProgramEngine() {
    static dao::DBEngine engine;
    return engine;
}

void ResetProgramState() {
    for (RecordsetHandle* rs : {&TabelaRelacao, &TabelaUsuario, &TabelaLoja, &TabelaUsuarioAcesso,
                                &TabelaRelacaoAcesso, &TabelaCep, &TabelaLocalidadeCep, &TabelaLocalidade,
                                &TabelaLogradouroCep, &TabelaBairro, &TabelaCpc, &TabelaGrandeUsuario,
                                &TabelaUnidOper, &TabelaLogradouroUf}) {
        CloseIfOpen(*rs);
    }
    for (DatabaseHandle* db : {&BancoProduto, &BancoBD2, &BancoProdutoLoja, &BancoBD2Loja, &BancoCep}) {
        CloseIfOpen(*db);
    }
    CaminhoBanco.clear();
    CepAberto = false;
    PastaDados.clear();
    CodUsuarioAtual = 0;
    NomeUsuario.clear();
    NomeLoja.clear();
    SairPrograma.clear();
    Contador = 0;
    SQLBase.clear();
    Tela.clear();
    Rotina.clear();
}

}  // namespace report
