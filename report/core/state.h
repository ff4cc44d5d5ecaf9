// The program-wide state that start-up, log-in and every window share.
//
// The database connections are owned here and opened and closed only by connections.h; every
// other subsystem reads them. A connection or recordset is held in a Handle, which knows whether
// it is open: using one that was never opened (or was closed) raises the runtime's error 91
// "Object variable or With block variable not set", as an unset object variable did, instead of
// touching a dead object.
//
// Everything runs on the one user-interface thread; nothing here is locked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/dao/dao.h"
#include "platform/win/error.h"

namespace report {

template <class T>
class Handle {
public:
    bool IsOpen() const { return object_.has_value(); }
    void Set(T object) { object_ = std::move(object); }
    void Reset() { object_.reset(); }

    T& Get() {
        if (!object_) win::Raise(win::err::ObjectNotSet);
        return *object_;
    }
    T& operator*() { return Get(); }
    T* operator->() { return &Get(); }

private:
    std::optional<T> object_;
};

using DatabaseHandle = Handle<dao::Database>;
using RecordsetHandle = Handle<dao::Recordset>;

// Closes the handle when it is open and marks it closed; a closed or never opened handle is left
// alone, so the windows that close a set more than once never raise. A recordset whose database
// was closed under it counts as closed already.
void CloseIfOpen(DatabaseHandle& handle);
void CloseIfOpen(RecordsetHandle& handle);

// The program folder in Windows form: the folder of the executable (forms::App().Path()), unless
// a test set another. An empty folder restores the executable's.
std::string ProgramFolder();
void SetProgramFolder(std::string folder);

// The program's database engine (its default workspace is the program's one transaction scope).
dao::DBEngine& ProgramEngine();

// --- Connections (opened and closed by connections.h) -----------------------------------------
extern DatabaseHandle BancoProduto;      // program folder's Produto.MDB
extern DatabaseHandle BancoBD2;          // program folder's Bd2.MDB
extern DatabaseHandle BancoProdutoLoja;  // data folder's Produto.MDB
extern DatabaseHandle BancoBD2Loja;      // data folder's Bd2.MDB
extern DatabaseHandle BancoCep;          // the postal-code database dbkvt.mdb

extern RecordsetHandle TabelaRelacao;  // Relacao of BancoBD2Loja (rights per user and report)
extern RecordsetHandle TabelaUsuario;  // Usuario of BancoBD2Loja, index IndCodUsuario, on the user

// The nine postal recordsets, opened by AbrirBDCep on BancoCep.
extern RecordsetHandle TabelaCep;
extern RecordsetHandle TabelaLocalidadeCep;
extern RecordsetHandle TabelaLocalidade;
extern RecordsetHandle TabelaLogradouroCep;
extern RecordsetHandle TabelaBairro;
extern RecordsetHandle TabelaCpc;
extern RecordsetHandle TabelaGrandeUsuario;
extern RecordsetHandle TabelaUnidOper;
extern RecordsetHandle TabelaLogradouroUf;

extern std::string CaminhoBanco;  // the database file being opened (or last opened)
extern bool CepAberto;            // AbrirBDCep found and opened dbkvt.mdb

// --- Log-in state -------------------------------------------------------------------------------
extern std::string PastaDados;         // the chosen store's data folder, without a closing "\"
extern std::int32_t CodUsuarioAtual;   // CodUsuario of the logged-in user
extern std::string NomeUsuario;        // name of the logged-in user ("" before a log-in)
extern std::string NomeLoja;           // the own store's display name
extern std::string SairPrograma;       // exit flag: "S", "N" or "NAO"
extern std::int16_t Contador;          // next password attempt; a shared loop counter elsewhere
extern std::string SQLBase;            // a shared statement text
extern RecordsetHandle TabelaLoja;           // Loja, opened by whichever window loads last
extern RecordsetHandle TabelaUsuarioAcesso;  // the log-in window's Usuario of BancoBD2
extern RecordsetHandle TabelaRelacaoAcesso;  // the log-in window's Relacao of BancoBD2

// --- Error context (error_routine.h) ------------------------------------------------------------
extern std::string Tela;    // window or module label of the error being reported
extern std::string Rotina;  // routine label of the error being reported

// For tests: closes every handle and empties every value, as at program start.
void ResetProgramState();

}  // namespace report
