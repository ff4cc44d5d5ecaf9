#include "tools/sample-chain/chain.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <random>

#include "platform/dao/dao.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"
#include "platform/win/files.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "report/consolidation/backup_database.h"
#include "tools/sample-chain/layouts.h"
#include "tools/sample-chain/package.h"
#include "tools/sample-chain/rows.h"

namespace sample_chain {

namespace {

constexpr const char* kPassword = "TORPAL";

void EnsureFolder(const std::string& windowsPath) {
    if (!win::FolderExists(windowsPath)) std::filesystem::create_directories(win::HostPath(windowsPath));
}

dao::Database CreateDatabase(const dao::DBEngine& engine, const std::string& path, const char* password,
                             const std::vector<TableLayout>& tables) {
    dao::Database db = engine.CreateDatabase(path);
    CreateTables(db, tables);
    if (*password != '\0') db.NewPassword("", password);
    return db;
}

void WriteText(const std::string& windowsPath, const std::vector<std::string>& lines) {
    std::ofstream out(win::HostPath(windowsPath), std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << win::Utf8ToCp1252(line) << "\r\n";
    if (!out) win::Raise(win::err::PathFileAccessError);
}

void WriteUtf8(const std::string& windowsPath, const std::vector<std::string>& lines) {
    std::ofstream out(win::HostPath(windowsPath), std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\r\n";
    if (!out) win::Raise(win::err::PathFileAccessError);
}

// The machine's regional settings as a Brazilian station has them: dates day first with "/",
// times on 24 hours with ":". The control library reads them from WIN.INI at every use.
void WriteRegionalSettings() {
    win::ProfileFile winIni = win::ProfileFile::WinIni();
    EnsureFolder(win::WindowsFolder());
    const std::pair<const char*, const char*> settings[] = {
        {"sShortDate", "dd/MM/yyyy"}, {"sDate", "/"}, {"sTime", ":"}, {"iTime", "1"}};
    for (const auto& [key, value] : settings) {
        if (!winIni.WriteString("intl", key, value)) win::Raise(win::err::PathFileAccessError);
    }
}

void BuildProgramFolder(const dao::DBEngine& engine, const Options& options) {
    const std::string folder = options.programFolder;
    EnsureFolder(folder);
    dao::Database produto = CreateDatabase(engine, folder + "\\Produto.MDB", kPassword, ProgramProdutoLayouts());
    FillLojas(produto, "01");
    produto.Close();
    dao::Database bd2 = CreateDatabase(engine, folder + "\\Bd2.MDB", kPassword, Bd2Layouts());
    FillUsers(bd2);
    FillCatalogue(bd2, false);
    bd2.Close();
    WriteText(folder + "\\MOTIVA.TXT", MotivaLines());
    for (const auto& [name, lines] : ReportFiles()) WriteUtf8(folder + "\\" + name, lines);
    if (options.postal) {
        dao::Database cep = CreateDatabase(engine, folder + "\\dbkvt.mdb", "wkrtHOLAM1975", PostalLayouts());
        FillPostal(cep);
        cep.Close();
    }
}

// BACKUP.MDB of the program folder, its field types from the own store's Produto.MDB.
void BuildBackup(const dao::DBEngine& engine, const Options& options) {
    const Store& own = Stores().front();
    dao::Database produto =
        engine.OpenDatabase(own.folder + "\\Produto.MDB", false, false, std::string(";PWD=") + kPassword);
    report::consolidation::CreateBackup(engine, options.programFolder + "\\BACKUP.MDB", produto,
                                        win::DateSerial(2001, 2, 28), win::TimeSerial(19, 45, 0));
    produto.Close();
    dao::Database backup = engine.OpenDatabase(options.programFolder + "\\BACKUP.MDB");
    CreateTables(backup, BackupLayouts());
    backup.Close();
}

Aging AgingOf(const Store& store) {
    Aging aging;
    aging.narrowedFields = store.code == "01";
    aging.lacksLastFields = store.code == "02";
    aging.lacksNewTables = store.code == "03";
    return aging;
}

void BuildStore(const dao::DBEngine& engine, const Options& options, const Store& store, std::mt19937& random) {
    EnsureFolder(store.folder);
    const Aging aging = AgingOf(store);
    Volumes volumes = options.large && store.code == "01" ? LargeVolumes() : SmallVolumes();
    if (options.large && store.code == "01" && options.largeSales > 0) volumes.sales = options.largeSales;
    const auto& names = StoreDatabaseNames();
    for (std::size_t g = 0; g < names.size(); ++g) {
        dao::Database db = CreateDatabase(engine, store.folder + "\\" + names[g] + ".MDB", kPassword,
                                          StoreLayouts(static_cast<int>(g), aging));
        if (g == 0) FillStoreProduto(engine, db, store, volumes, random, options.programFolder);
        if (g == 2) FillStatus(db);
        db.Close();
    }
    dao::Database bd2 = CreateDatabase(engine, store.folder + "\\Bd2.MDB", kPassword, Bd2Layouts());
    FillUsers(bd2);
    FillCatalogue(bd2, true);
    bd2.Close();
    if (options.package && store.code == "01") WritePackage(engine, store.folder + "\\PROG.MDB", options.packagePassword);
}

// The chain as the last day's work left it: every file of the program folder and of the stores'
// data folders last changed a day before the chain is built. A log-in asks whether the clock is
// right when the program's Produto.MDB changed today or more than three days ago, so files dated
// at the build would bring that question to every log-in on the day the chain is built.
void DateTheDayBefore(const Options& options) {
    const auto dayBefore = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::vector<std::string> folders = {options.programFolder};
    for (const Store& store : Stores()) folders.push_back(store.folder);
    for (const std::string& folder : folders) {
        for (const auto& entry : std::filesystem::directory_iterator(win::HostPath(folder))) {
            if (entry.is_regular_file()) std::filesystem::last_write_time(entry.path(), dayBefore);
        }
    }
}

}  // namespace

const std::vector<Store>& Stores() {
    static const std::vector<Store> stores = {
        {"01", "LOJA CENTRO", "F:\\LOJA01\\", "F:\\LOJA01"},
        {"02", "LOJA NORTE", "F:\\LOJA02\\", "F:\\LOJA02"},
        {"03", "LOJA SUL", "F:\\LOJA03\\", "C:\\LOJA03"},
    };
    return stores;
}

const std::vector<Store>& UnreachableStores() {
    static const std::vector<Store> stores = {
        {"04", "LOJA OESTE", "", ""},
        {"05", "LOJA LESTE", "G:\\LOJA05\\", ""},
    };
    return stores;
}

Volumes SmallVolumes() { return {40, 120}; }
Volumes LargeVolumes() { return {20000, 200000}; }

void BuildChain(const Options& options) {
    win::SetMachineRoot(options.root);
    std::filesystem::create_directories(options.root / "drives" / "f");
    {
        dao::DBEngine engine;
        std::mt19937 random(options.seed);
        WriteRegionalSettings();
        BuildProgramFolder(engine, options);
        for (const Store& store : Stores()) BuildStore(engine, options, store, random);
        BuildBackup(engine, options);
    }
    DateTheDayBefore(options);
}

}  // namespace sample_chain
