// The start-up upgrade of a store's data set: AtualizarBD, its shared state and its recovery, and
// the field rebuild AtualizaEstrutura.
//
// AtualizarBD runs at every log-in (AbrirBDLoja calls it through the core's hook, installed by
// InstallUpgrade) and decides by itself whether anything is to be done: when the version stamp
// (UltimaVenda.Versao of the data folder's Produto.MDB; Null reads as 01/01/1900) is older than
// kVersaoPrograma, it brings the five store databases up to the schema description, runs the later
// repair steps, and writes the stamp last. It works in place and makes no backup.
//
// The driver is one checked list of statements (forms::StepList, its loops written with For), so
// that its one recovery can resume at statement level: retry the statement, go on with the next,
// continue at a named statement, or leave. Order of the work:
//
//   folder check -> catalogue package (AtualizaBD2) -> version gate --(current)--> return
//   -> progress panel -> schema drivers
//   -> for each database: "Abrindo", open, tables/fields/properties, "Fechando", index repairs, close
//   -> "Atualizando Informações": NuloProduto, AtualizaAntigo
//   -> "Atualizando Indexes": index repairs of Produto, CriarRelacao,
//      AtualizaItemTransEntBaixa when ItensTransEntBaixa is empty, RegistraArquivo
//   -> stamp -> panel hidden
//
// Each database's pass of the loop, its tables and its index repairs, is one transaction (the field
// rebuild's own nests inside it), and so are the Null defaults and the write-off fill; the other
// steps commit statement by statement. Every step can be run again, so a run cut short anywhere (a
// crash, a lock, a failed rebuild) loses at most the database or step it was in, and the next
// log-in, which meets the old stamp, completes it.
//
// Recovery, by the engine error number and the statement that raised it:
//   3265  at the gate (no Versao): add Versao (Date, Format "Short Date"), continue at the gate;
//         at the table lookup (table missing): create it with the placeholder "Campo", retry
//   3191  (field exists)                  go on
//   3270  at the property read            create the property (value 0), retry
//   3219  at the property assignment      rebuild the field (AtualizaEstrutura), go on; a rebuild
//                                         that meets 3262 stops the run as 3262 below does
//   3284  (index exists)                  go on
//   3024  at a database's open            box "<name>.MDB Não Encontrado !", next database
//   3343  at a database's open            repair the file once and retry; when it is still
//                                         damaged (or cannot be repaired) report it, next database
//   3262  (locked by another station)     box "Banco Dados <name> Aberto ...", close the current
//                                         database, leave (no stamp)
//   other (and the above elsewhere)       report ("Geral", "AtualizarBD"), go on
// An error raised while the recovery runs passes to the caller (AbrirBDLoja's trap). When the
// field rebuild asked the program to end, the driver leaves at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "report/core/state.h"

namespace report::upgrade {

// The program's structure version, as text converted day-first: 1 October 2002.
inline constexpr const char* kVersaoPrograma = "01/10/2002";
// What a Null stamp counts as.
inline constexpr const char* kVersaoNula = "01/01/1900";

// The texts of the upgrade's yes/no flags (RemoveCampo, the transaction flags), assigned by copy
// (assigning the literals trips a false -Wrestrict of g++ 12).
inline const std::string kSim = "S";
inline const std::string kNao = "N";

// --- Shared state of the upgrade (program-wide; starts empty) -----------------------------------
extern RecordsetHandle TabelaUltimaVenda;  // UltimaVenda of BancoProdutoLoja, for gate and stamp
extern std::int16_t QtdeBancos;            // databases walked: 5
extern std::int16_t PosBanco;              // 1..QtdeBancos; database number g = PosBanco - 1
extern std::int16_t PosTabela;             // table position t; 0 at the gate
extern std::int16_t PosCampo;              // field position k
extern std::int16_t PosPropriedade;        // pass of the property check
extern DatabaseHandle BancoAtual;          // the database of the current pass
extern std::string RemoveCampo;            // "S" while a created table still has its placeholder
extern std::optional<dao::TableDef> TabelaNova;  // the table the recovery created last

// --- Later steps: call points, empty until their subsystem installs them ------------------------
// Each is called in its place by the driver and runs under the driver's recovery (an error it
// does not trap itself is handled as any statement of the driver's). None takes arguments: they
// read the shared state above (IndexRepairs: the database of PosBanco in BancoAtual).
struct UpgradeSteps {
    std::function<void()> AtualizaBD2;                // catalogue package, before the gate
    std::function<void()> IndexRepairs;               // per database, after its "Fechando" line
    std::function<void()> NuloProduto;                // defaults of empty fields
    std::function<void()> AtualizaAntigo;             // Antigo.MDB data
    std::function<void()> IndexRepairsProduto;        // Transportadora and Lucro of Produto.MDB
    std::function<void()> CriarRelacao;               // the relation of the transfer items
    std::function<void()> AtualizaItemTransEntBaixa;  // fill ItensTransEntBaixa when it is empty
    std::function<void()> RegistraArquivo;            // deploy and register the control files
};
UpgradeSteps& InstalledUpgradeSteps();

// The steps of the data: all but AtualizaBD2 and RegistraArquivo, which belong to the catalogue
// and the control files.
UpgradeSteps UpgradeStepsOfTheData();

// --- The later steps ---------------------------------------------------------------------------
extern report::Handle<dao::Index> IndiceNovo;  // the index the repairs are building

// The index repairs of the database of PosBanco (open in BancoAtual): Produto, Antigo and
// Transfer have rows; Backup and Modem none.
void IndexRepairs();
// The repairs of Transportadora and Lucro on BancoProdutoLoja.
void IndexRepairsProduto();
// The relation "ItensTransEntBaixa" and the one-time fill of its table (index_repairs.cpp,
// write_offs.cpp).
void CriarRelacao();
void AtualizaItemTransEntBaixa();
// The Null defaults of the store's Produto.MDB, and the data of Antigo.MDB with its Cartao copy.
void NuloProduto();
void AtualizaAntigo();
// Their statements, in the order they run (AtualizaAntigo's Cartao copy runs before the last two).
const std::vector<std::string>& NuloProdutoStatements();
const std::vector<std::string>& AtualizaAntigoStatements();

// --- Report catalogue refresh (catalogue_refresh.cpp) -------------------------------------------
// AtualizaBD2 applies the update package PastaDados\PROG.MDB to the catalogue tables of the program
// folder's Bd2.MDB (BancoBD2), fixing the saved criteria's year patterns on the way
// (CorrigeCriterio) and refreshing the existing entries in a transaction of their own
// (AtualizaBD2Bkp); the package is deleted when the run gets to its end and stays otherwise.
void AtualizaBD2();
void CorrigeCriterio();
void AtualizaBD2Bkp();
// A criterion text with each "/yy" + double quote (any case) turned into "/YYYY" + double quote.
std::string FourDigitYears(std::string text);

// --- Control files (control_files.cpp) ---------------------------------------------------------
// RegistraArquivo copies the .OCX files of the data folder that the SYSTEM folder lacks, or holds
// an older copy of, into it (keeping the file date) and registers each with RegOCX. RegOCX loads
// the file and runs its DllRegisterServer on a worker thread, waiting at most
// RegistrationWait() (kRegistrationWaitMs unless set); true when the registration ended within it.
inline constexpr int kRegistrationWaitMs = 10000;
std::chrono::milliseconds RegistrationWait();
// Sets the wait; a test of an abandoned registration shortens it, and puts the default back after.
void SetRegistrationWait(std::chrono::milliseconds wait);
void RegistraArquivo();
bool RegOCX(const std::string& path);

// True while AtualizarBD runs. The log-in window takes no input meanwhile (it holds a
// forms::BusyScope around the upgrade): the upgrade's yields would let input through, and a nested
// log-in must not start. AtualizarBD itself refuses to be
// entered again while it runs (it returns at once).
bool UpgradeRunning();

// The driver. Returns normally in every case but the errors its recovery does not handle.
void AtualizarBD();

// Rebuilds the field at the current position with the described type and size, carrying its data
// over: F01 appended, data copied, then inside a transaction F deleted and F01 renamed to F. An
// F01 left by an interrupted rebuild is deleted first. A table held by another station (3262)
// rolls back and raises 3262 to the caller. Any other failure rolls back, reports ("Atualiza",
// "AtualizaEstrutura") and asks the program to end.
void AtualizaEstrutura();

// Puts every step of AtualizarBD in its place; the program's hook runUpgrade then runs it.
void InstallUpgrade();

// For tests: closes the upgrade's handles and empties its state, as at program start (the later
// steps stay installed).
void ResetUpgradeState();

}  // namespace report::upgrade
