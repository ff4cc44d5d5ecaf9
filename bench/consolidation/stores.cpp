#include "bench/consolidation/stores.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "platform/dao/dao.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"
#include "tools/sample-chain/chain.h"

namespace bench {
namespace {

namespace fs = std::filesystem;

// The tables the consolidation reads from each store.
const char* const kCopiedTables[] = {"Produto", "Venda",  "Itens Venda", "Pagto Venda", "Familia",    "TransSai",
                                     "Grupo",   "Cor",    "Loja",        "Vendedor",    "Fornecedor", "Cliente"};

std::string StoreCode(int i) { return std::to_string(10 + i); }

std::string StoreFolder(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "F:\\BENCH%02d", i);
    return name;
}

// The large store's Produto.MDB copied into the i-th store folder, its own store renamed.
void MakeStore(const dao::DBEngine& engine, int i) {
    const fs::path source = win::HostPath(sample_chain::Stores().front().folder + "\\Produto.MDB");
    const fs::path folder = win::HostPath(StoreFolder(i));
    fs::create_directories(folder);
    fs::copy_file(source, folder / "Produto.MDB", fs::copy_options::overwrite_existing);
    dao::Database db = engine.OpenDatabase(StoreFolder(i) + "\\Produto.MDB", false, false, ";PWD=TORPAL");
    db.Execute("UPDATE Loja SET CodLoja = '" + StoreCode(i) + "' WHERE LojaOrigem = '*'");
    db.Close();
}

void Build(const fs::path& root, int count) {
    const fs::path ready = root / ("bench-ready-" + std::to_string(count));
    if (fs::exists(ready)) return;
    if (!fs::exists(win::HostPath(std::string(kChainProgramFolder) + "\\BACKUP.MDB"))) {
        std::printf("building the large sample chain in %s ...\n", root.c_str());
        std::fflush(stdout);
        sample_chain::Options options;
        options.root = root;
        options.large = true;
        sample_chain::BuildChain(options);
    }
    dao::DBEngine engine;
    for (int i = 1; i <= count; ++i) MakeStore(engine, i);
    std::ofstream(ready) << "ready\n";
}

long long CountRows(const fs::path& file) {
    sqlite3* db = nullptr;
    long long rows = 0;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const char* table : kCopiedTables) {
            sqlite3_stmt* count = nullptr;
            const std::string sql = std::string("SELECT count(*) FROM \"") + table + "\"";
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr) == SQLITE_OK && sqlite3_step(count) == SQLITE_ROW) {
                rows += sqlite3_column_int64(count, 0);
            }
            sqlite3_finalize(count);
        }
    }
    sqlite3_close(db);
    return rows;
}

}  // namespace

std::vector<BenchStore> PrepareStores(const fs::path& root, int count) {
    fs::create_directories(root / "drives" / "f");
    win::SetMachineRoot(fs::canonical(root));
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int status = 0;
        try {
            Build(fs::canonical(root), count);
        } catch (const win::RuntimeError& error) {
            std::fprintf(stderr, "preparing the stores: error %ld: %s\n", error.Number(), error.what());
            status = 1;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "preparing the stores: %s\n", error.what());
            status = 1;
        }
        std::fflush(stdout);
        _exit(status);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the stores could not be prepared");
    }
    std::vector<BenchStore> stores;
    for (int i = 1; i <= count; ++i) {
        BenchStore store{StoreCode(i), StoreFolder(i)};
        store.rows = CountRows(win::HostPath(store.folder + "\\Produto.MDB"));
        stores.push_back(store);
    }
    return stores;
}

}  // namespace bench
