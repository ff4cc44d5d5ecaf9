// The consolidation run: every marked, reachable store's sales and master data copied into
// BACKUP.MDB of the program folder inside the program's one transaction, the code tables rebuilt,
// the indexes built, Status stamped, and the report that asked for it printed from the result.
//
// Steps (labels of the step list; the handler resumes at the ones marked *):
//   CheckPeriod        the two dates, when the run is for a period ("Data Inválida !")
//   CompactBackup      compaction through Bkp.mdb once Backup.mdb exceeds kCompactLimit bytes
//   ClearStatus*       the status label cleared
//   OpenBackup*        BancoBackup opened
//   OpenStatus         Status held deny-write
//   BeginTransaction*  BeginTrans
//   AskAgain           the question with the last run's date and time (none on a first run)
//   StampRun           this run's date and time written into Status, inside the transaction
//   ShowProgress       the progress panel; LinhaAtual, the copy flags and the index position reset
//   Store.for .. Store.next
//                      per row 1 .. LojasEmRede (the window's LinhaAtual): Store.Marked,
//                      Store.Reachable, Store.Open, Store.Savepoint (the store's own level),
//                      Store.Progress, Store.Copy1 .. Store.Copy12 (the copy statements),
//                      Store.Cancel, Store.Commit (the store's level), Store.Done* (Idle)
//   Rebuild<table>     Familia, Grupo, Cor, Loja rebuilt from their working tables, each followed
//   Index<table>       by its primary index; a top-up resumes at the next table's Rebuild*
//   CreateIndexes*     the twelve consolidated indexes (indexes.h)
//   Commit             CommitTrans
//   ResetLayout        the window back to its idle layout
//   StampStatus        Status stamped with today's date and time; Status and BancoBackup closed
//   PrintReport        the window unloaded, the report printed from BACKUP.MDB
//
// All or nothing: BACKUP.MDB is the only file the run writes, and every write before the commit
// is inside the transaction. Every end before the commit rolls it back and closes BancoLoja,
// TabelaStatus and BancoBackup, so the next run from the same window does not meet its own lock.
//
// Recovery (Run::React), in this order:
//   any error of CompactBackup while Backup.mdb is renamed to Bkp.mdb
//                  the partial copy deleted, the previous file given its name back,
//                  "Compactação Imposibilitada!", and the run goes on at ClearStatus
//   3010           Familia, Grupo, Cor: only the missing codes added, and the run goes on at the
//                  next table's Rebuild (the table keeps its index); any other table dropped and
//                  the statement run again
//   3343           a damaged file repaired (the one that raised it, closed first): inside the
//                  transaction after a rollback and a message, from BeginTransaction again (from
//                  OpenBackup when it was BACKUP.MDB itself); before it, BACKUP.MDB repaired once
//                  and the run resumed at OpenBackup, a second time as any other error
//   76             inside the store loop: the store's folder named as wrong ("Diretório da
//                  Loja ... está errado !"); the store skipped as below
//   75             the run's own transaction and files released, "Compactação Imposibilitada!",
//                  and the run goes on at ClearStatus
//   68, 52         inside the store loop: the store named as disconnected; the store skipped at
//                  Store.Done, its savepoint rolled back, none of its rows kept
//   3008, 3262     another station consolidating: rolled back, closed, message, window unloaded
//   anything else  Bloqueio: a lock conflict is retried while the user waits (the counter on the
//                  lock panel), abandoned when the user asks; any other error ends the run
// An error raised by a recovery action itself goes through the same handler, at most eight in a
// row (kMaxNestedRecoveries); then the run ends.
// In builds with assertions, each step asserts that what this order puts before it happened:
// ClearStatus that Backup.mdb has its name back, OpenBackup that BACKUP.MDB was released and the
// transaction rolled back, BeginTransaction that no transaction or savepoint is open, a repair
// that its file is closed (and the transaction rolled back), Store.Done that the store's
// savepoint is ended, Commit that the transaction is open and no savepoint is.
#pragma once

#include <string>

#include "report/consolidation/consolidacao.h"
#include "report/core/state.h"

namespace report::consolidation {

// The consolidated database, open from step OpenBackup to the end of a run; the store being copied;
// table Status of BACKUP.MDB held deny-write for the whole run.
extern DatabaseHandle BancoBackup;
extern DatabaseHandle BancoLoja;
extern RecordsetHandle TabelaStatus;
// The last answer of Bloqueio.
extern std::string RetornoBloqueio;

// BACKUP.MDB is compacted before a run when its size is strictly above this many bytes.
inline constexpr double kCompactLimit = 400000000;

// The run itself, on the window's state (BtnExecutar, or Yes to "Deseja Consolidar Tudo ?").
void ExecutarConsolidacao(Consolidacao& window);

// Closes what a run leaves open when it ends (also after a failure), never raising.
void FecharConsolidacao();

}  // namespace report::consolidation
