// The consolidation run: every marked, reachable store's sales and master data copied into
// BACKUP.MDB of the program folder inside the program's one transaction, the code tables rebuilt,
// the indexes built, Status stamped, and the report that asked for it printed from the result.
//
// Steps (labels of the step list; the handler resumes at the ones marked *):
//   period     the two dates, when the run is for a period ("Data Inválida !")
//   size       compaction through Bkp.mdb once Backup.mdb exceeds kCompactLimit bytes
//   step3*     the status label cleared
//   open*      BancoBackup, then Status held deny-write
//   step5*     BeginTrans; the question with the last run's date and time
//   copy       per row 1 .. LojasEmRede (the window's LinhaAtual): mark, folder, open, progress,
//              the twelve copy statements (savepoint of their own), cancel test; row.next* moves on
//   R1..R4*    the code tables and their primary indexes; indexes: the twelve consolidated ones
//   commit     CommitTrans, the Status stamp, the window unloaded, the report printed
//
// All or nothing: BACKUP.MDB is the only file the run writes, and every write before the commit
// is inside the transaction. Every end before the commit rolls it back and closes BancoLoja,
// TabelaStatus and BancoBackup, so the next run from the same window does not meet its own lock.
//
// Recovery, by error number, in this order:
//   3010           Familia, Grupo, Cor: only the missing codes added, resume before the next
//                  rebuild; any other table dropped and the statement run again
//   3343           a damaged file repaired (the one that raised it, closed first): inside the
//                  transaction after a rollback and a message, from step 5 again (from the open
//                  when it was BACKUP.MDB itself); before it once, then as any other error
//   76, 68, 52     the store named and skipped: its savepoint rolled back, none of its rows kept
//   75             "Compactação Imposibilitada!", and the run goes on at step3 with the previous
//                  file put back when the compaction had renamed it
//   3008, 3262     another station consolidating: rolled back, closed, message, window unloaded
//   anything else  Bloqueio: a lock conflict is retried while the user waits (the counter on the
//                  lock panel), abandoned when the user asks; any other error ends the run
// An error raised by a recovery action itself goes through the same handler.
#pragma once

#include <string>

#include "report/consolidation/consolidacao.h"
#include "report/core/state.h"

namespace report::consolidation {

// The consolidated database, open from step "open" to the end of a run; the store being copied;
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
