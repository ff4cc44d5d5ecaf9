// copy_writers_bench [seconds] [rows] [writers]: copies a store's table into another file over and
// over, three copies to a transaction of the engine, from the store it holds open, for `seconds`
// (default 30) while other processes write the store: one commits in rollback-journal mode, one
// switches the store to WAL, commits there, checkpoints and switches it back, and one now and then
// renames a copy of the store over it. Every commit sets one number v on all `rows` rows (default
// 20000) of the table, so a copy that mixes two committed states holds two values of v. Prints how
// many copies ran, how many the lock wait refused, how many were torn or lost rows, and how many
// hold a state older than the one the engine's connection showed just before the copy (both must be
// none). `writers` picks the writers by their letters: r (rollback journal), w (WAL), n (renames);
// by default "rw" and then "rn", half the time each (a file renamed over a store whose log or
// journal another connection is using takes that log over, which corrupts it: renames are tried
// beside the rollback-journal writer only, which closes its connection often).
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/connection.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

sqlite3* Open(const fs::path& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) _exit(3);
    dao::RegisterJetCollation(db);
    sqlite3_busy_timeout(db, 2000);
    return db;
}

bool Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// The writers run as fresh processes (this program again, with --writer and its letter), so that
// none shares this process's view of the store it holds open.
pid_t StartWriter(char letter, const fs::path& root) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string which(1, letter);
        execl(self.c_str(), self.c_str(), "--writer", which.c_str(), root.c_str(), nullptr);
        _exit(3);
    }
    return pid;
}

// Writer `letter` on the store under `root`, until it is killed (or its parent ends).
[[noreturn]] void RunWriter(char letter, const fs::path& root) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    win::SetMachineRoot(root);
    const fs::path store = win::HostPath("C:\\LOJA\\Fonte.mdb");
    const fs::path spare = win::HostPath("C:\\LOJA\\Outra.mdb");
    const std::string commit = "UPDATE S SET v = v + 1";
    sqlite3* held = letter == 'r' ? Open(store) : nullptr;
    for (long n = 0;; ++n) {
        if (letter == 'r') {
            Exec(held, commit);
            // Closed now and then, so that a store switched to WAL can be switched back.
            if (n % 50 == 49) {
                sqlite3_close(held);
                held = Open(store);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        } else if (letter == 'w') {
            sqlite3* db = Open(store);
            Exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0");
            for (int i = 0; i < 20; ++i) {
                Exec(db, commit);
                if (i % 5 == 4) Exec(db, "PRAGMA wal_checkpoint(PASSIVE)");
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            const bool back = n % 2 == 1 && Exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE");
            sqlite3_close(db);
            if (back) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sqlite3* from = Open(store);
            sqlite3* to = Open(spare);
            sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
            const bool copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
            sqlite3_backup_finish(backup);
            sqlite3_close(from);
            // A copy taken in WAL mode is put back in rollback mode before it takes the store's place.
            const bool ready = copied && Exec(to, "PRAGMA journal_mode=DELETE; UPDATE S SET v = v + 1");
            sqlite3_close(to);
            if (ready) std::rename(spare.c_str(), store.c_str());
        }
    }
}

// Whether the file's header says WAL mode (bytes 18 and 19).
bool InWal(const fs::path& file) {
    unsigned char header[20] = {};
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
    if (fd >= 0) close(fd);
    return read && (header[18] == 2 || header[19] == 2);
}

long Number(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    long value = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        value = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return value;
}

// Copies for `seconds` while the writers `chosen` run; prints the figures, true when no copy was
// torn or stale.
bool Phase(const fs::path& root, const std::string& chosen, int seconds, int rows) {
    const fs::path store = win::HostPath("C:\\LOJA\\Fonte.mdb");
    // A store the last phase left in WAL mode goes back to rollback-journal mode first.
    sqlite3* reset = Open(store);
    Exec(reset, "PRAGMA journal_mode=DELETE");
    sqlite3_close(reset);
    dao::DBEngine engine;
    engine.SetBusyTimeout(200);
    long copies = 0, refused = 0, torn = 0, transactions = 0;
    const std::uint64_t attachedBefore = dao::sql::AttachedCopies();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    sqlite3* check = Open(win::HostPath("C:\\LOJA\\Alvo.mdb"));
    // The store is open before the writers start, as the station's own store is from the log-in:
    // the other programs switch it to WAL and rename files over it while this engine holds it. Now
    // and then it is opened afresh (which a store in WAL mode refuses).
    dao::Database source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    std::vector<pid_t> writers;
    for (const char letter : chosen) writers.push_back(StartWriter(letter, root));
    long reopened = 0;
    long stale = 0;
    long before[4] = {};
    bool closed = false;
    for (long attempt = 1; Clock::now() < end; ++attempt) {
        if ((attempt % 10 == 0 && !InWal(store)) || closed) {
            try {
                if (!closed) source.Close();
                closed = true;
                source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
                closed = false;
                ++reopened;
            } catch (const win::RuntimeError&) {
                ++refused;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
        }
        try {
            engine.BeginTrans();
            for (int vez = 1; vez <= 3; ++vez) {
                // The state the engine's own connection sees just before the copy: the copy may
                // not hold an older one.
                dao::Recordset seen = source.OpenRecordset("SELECT Max(v) FROM S", dao::dbOpenSnapshot);
                before[vez] = seen(0).GetValue().ToLong();
                seen.Close();
                source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT k, v, t, " + std::to_string(vez) +
                                   " AS vez FROM S",
                               dao::dbFailOnError);
            }
            engine.CommitTrans();
            ++transactions;
        } catch (const win::RuntimeError& error) {
            ++refused;
            while (engine.State()->InTransaction()) engine.Rollback();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (error.Number() != 3187 && error.Number() != 3260 && error.Number() != 3262 && error.Number() != 3343) {
                std::fprintf(stderr, "copy failed: %ld %s\n", error.Number(), error.Description().c_str());
            }
            continue;
        }
        for (int vez = 1; vez <= 3; ++vez) {
            const std::string of = " FROM T WHERE vez = " + std::to_string(vez);
            ++copies;
            if (Number(check, "SELECT count(*)" + of) != rows || Number(check, "SELECT max(v) - min(v)" + of) != 0) ++torn;
            if (Number(check, "SELECT min(v)" + of) < before[vez]) ++stale;
        }
        Exec(check, "DELETE FROM T");
    }
    sqlite3_close(check);
    for (pid_t pid : writers) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::printf("writers %s: copies %ld in %ld transactions (%llu through an attachment), store opened afresh %ld times, "
                "refused (a lock, or the store in WAL mode at its open) %ld, torn %ld, older than the state seen before %ld\n",
                chosen.c_str(), copies, transactions, static_cast<unsigned long long>(dao::sql::AttachedCopies() - attachedBefore),
                reopened, refused, torn, stale);
    return torn == 0 && stale == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--writer") RunWriter(argv[2][0], argv[3]);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 20000;
    const fs::path root = fs::temp_directory_path() / ("zm-copy-writers-" + std::to_string(getpid()));
    fs::create_directories(root / "drives" / "c" / "LOJA");
    win::SetMachineRoot(root);
    const fs::path store = win::HostPath("C:\\LOJA\\Fonte.mdb");
    {
        dao::DBEngine engine;
        engine.CreateDatabase("C:\\LOJA\\Fonte.mdb").Close();
        engine.CreateDatabase("C:\\LOJA\\Alvo.mdb").Close();
    }
    {
        sqlite3* target = Open(win::HostPath("C:\\LOJA\\Alvo.mdb"));
        Exec(target, "CREATE TABLE T (k LONG, v LONG, t TEXT(40) COLLATE JETTEXT, vez LONG)");
        sqlite3_close(target);
        sqlite3* db = Open(store);
        Exec(db, "CREATE TABLE S (k LONG, v LONG, t TEXT(40) COLLATE JETTEXT);"
                 "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(rows) +
                     ") INSERT INTO S SELECT k, 0, printf('linha %08d de um texto', k) FROM n");
        sqlite3_close(db);
    }

    bool ok = true;
    if (argc > 3) {
        ok = Phase(root, argv[3], seconds, rows);
    } else {
        for (const char* chosen : {"rw", "rn"}) ok = Phase(root, chosen, seconds / 2, rows) && ok;
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return ok ? 0 : 1;
}
