// The upgrade killed at points spread over its run: a child process runs it on a copy of the older
// store and is killed after a random delay within a slice of the run; each time the store must open afterwards, the next upgrade must
// complete, and the structure and data it leaves must equal those of an upgrade never interrupted.
// The catalogue refresh and the control files, which the random kills leave out, are killed at
// chosen points instead.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "platform/forms/fileio.h"
#include "platform/win/registry.h"
#include "report/upgrade/tests/support/catalogue.h"
#include "report/upgrade/tests/support/killed_child.h"
#include "report/upgrade/tests/support/rows.h"
#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

class CrashTest : public UpgradeTest {
protected:
    CrashTest() { InstalledUpgradeSteps() = UpgradeStepsOfTheData(); }

    // Rows the data steps work on: items for the write-offs, cards, a Lucro row, Antigo payments.
    void Seed() {
        const dao::Database& p = *BancoProdutoLoja;
        for (int n = 1; n <= 3; ++n) {
            AddRow(p, "Itens TransEnt",
                   {{"NroTrans", dao::Value::Long(1)}, {"Sequencia", dao::Value::Double(n)},
                    {"DataRecepcao", dao::Value::Date(Date("12/05/2002"))}, {"HoraRecepcao", dao::Value::Date(Date("10:00:00"))},
                    {"QuantidadeRecebida", dao::Value::Double(n)}});
        }
        AddRow(p, "Cartao", {{"Código", dao::Value::Long(1)}, {"Taxa", dao::Value::Single(2.5f)}});
        AddRow(p, "Lucro", {{"Codigo", dao::Value::Long(3)}});
        AddRow(p, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
        dao::Database antigo = OpenStore("Antigo");
        AddRow(antigo, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
        antigo.Close();
        dao::Recordset rs = p.OpenRecordset("UltimaVenda", dao::dbOpenTable);
        rs.MoveFirst();
        rs.Edit();
        rs("UltimaContagem").SetValue(dao::Value::Date(Date("10/05/2002 14:30:00")));
        rs.Update();
        rs.Close();
    }

    void CloseAll() {
        ResetUpgradeState();
        CloseIfOpen(BancoProdutoLoja);
        BancoProdutoLoja.Reset();
    }

    // Everything the upgrade can change in the five databases, as text.
    std::string Dump() {
        std::string out;
        for (const std::string& name : StoreFiles()) {
            dao::Database db = OpenStore(name);
            out += "# " + name + "\n";
            std::vector<std::string> tables;
            for (int t = 0; t < db.TableDefs().Count(); ++t) tables.push_back(DumpTable(db, db.TableDefs().Item(t).Name()));
            std::sort(tables.begin(), tables.end());
            for (const std::string& table : tables) out += table;
            for (int r = 0; r < db.Relations().Count(); ++r) {
                const dao::Relation rel = db.Relations().Item(r);
                out += "relation " + rel.Name() + " " + rel.Table() + " " + rel.ForeignTable() + " " +
                       std::to_string(rel.Attributes()) + "\n";
            }
            db.Close();
        }
        return out;
    }

    static std::string DumpTable(const dao::Database& db, const std::string& name) {
        const dao::TableDef table = db.TableDefs().Item(name);
        std::string out = "table " + name + "\n";
        for (int k = 0; k < table.Fields().Count(); ++k) {
            const dao::Field f = table.Fields().Item(k);
            std::string format = "-";
            try {
                format = f.Properties().Item("Format").GetValue().ToText();
            } catch (const win::RuntimeError&) {
            }
            out += " field " + f.Name() + " " + std::to_string(static_cast<int>(f.Type())) + " " + std::to_string(f.Size()) +
                   " " + format + "\n";
        }
        dao::Indexes indexes = table.Indexes();
        for (int n = 0; n < indexes.Count(); ++n) {
            const dao::Index index = indexes.Item(n);
            out += " index " + index.Name() + (index.Primary() ? " P" : "") + (index.Unique() ? " U" : "") + "\n";
        }
        std::vector<std::string> rows;
        dao::Recordset rs = db.OpenRecordset("SELECT * FROM [" + name + "]", dao::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row = " row";
            for (int k = 0; k < rs.Fields().Count(); ++k) {
                const dao::Value v = rs(k).GetValue();
                row += "|" + (v.IsNull() ? std::string("Null") : v.ToText());
            }
            rows.push_back(row + "\n");
        }
        rs.Close();
        std::sort(rows.begin(), rows.end());
        for (const std::string& row : rows) out += row;
        return out;
    }

    // Runs the upgrade in a child process killed after `delay`; true when it was killed (false
    // when it had finished already).
    bool UpgradeKilledAfter(std::chrono::microseconds delay) {
        CloseAll();
        const pid_t child = fork();
        if (child == 0) {
            try {
                OpenDataSet();
                upgrade::AtualizarBD();
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
        EXPECT_GT(child, 0);
        usleep(static_cast<useconds_t>(delay.count()));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
        return WIFSIGNALED(status);
    }
};

// The kills are spread over the whole upgrade: its run (as long as the reference upgrade took) is
// cut into kSlices equal slices and each kill falls at a random moment of its own slice, which
// leaves no stretch of the run longer than two slices (an eighth) without a kill; twenty kills at
// random moments of the whole run leave a longer one more often than not. Sixteen tests share the
// slices out, a slice each, so that each stays short on a busy machine (a late kill costs more).
constexpr int kSlices = 16;
constexpr int kSlicesPerTest = 1;

class KilledUpgradeTest : public CrashTest, public ::testing::WithParamInterface<int> {
public:
    // Kills the upgrade once in each of slices first .. first + count - 1; after each kill the next
    // log-in's upgrade must complete and leave what an upgrade never interrupted leaves.
    void KillInSlices(int first, int count) {
        Seed();
        const auto start = std::chrono::steady_clock::now();
        Upgrade();
        long span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
        ASSERT_EQ(ErrorLog(), "");
        CloseAll();
        const std::string reference = Dump();
        OpenDataSet();

        std::mt19937 random(20021001 + static_cast<unsigned>(first));
        int killed = 0;
        // A child that finished before its kill was a run as well, checked the same way; the run is
        // shorter than estimated then (a busy machine slows the first upgrade), and the slice is
        // tried again within the shorter run.
        for (int slice = first, tries = 0; slice < first + count && tries < 5 * count; ++tries) {
            const int at = slice;
            CopyOldStoreAgain();
            Seed();
            const long from = span * at / kSlices;
            std::uniform_int_distribution<long> within(from, std::max(from, span * (at + 1) / kSlices - 1));
            const std::chrono::microseconds delay(within(random));
            if (UpgradeKilledAfter(delay)) {
                ++killed;
                ++slice;
            } else {
                span = delay.count() * 9 / 10;
            }
            ASSERT_NO_THROW(OpenDataSet()) << "slice " << at;
            window_.ClearList();
            Upgrade();
            EXPECT_FALSE(forms::App().EndRequested()) << "slice " << at;
            EXPECT_EQ(Stamp(), Date("01/10/2002")) << "slice " << at;
            CloseAll();
            const std::string after = Dump();
            EXPECT_EQ(after, reference) << "slice " << at << ", killed after " << delay.count() << " us";
            OpenDataSet();
        }
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_EQ(killed, count);
    }
};

TEST_P(KilledUpgradeTest, AnUpgradeKilledInThisPartOfItsRunIsCompletedByTheNextLogIn) {
    KillInSlices(GetParam() * kSlicesPerTest, kSlicesPerTest);
}

INSTANTIATE_TEST_SUITE_P(Sixteenths, KilledUpgradeTest, ::testing::Range(0, kSlices / kSlicesPerTest),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Sixteenth" + std::to_string(info.param + 1);
                         });

// Kills its process at the yield that shows a given progress line.
class KillingPump : public forms::EventPump {
public:
    explicit KillingPump(std::string line) : line_(std::move(line)) {}
    void DoEvents() override {
        const UpgradeWindow& window = UpgradeWindowInForce();
        if (window.ListCount() > 0 && window.List(window.ListCount() - 1) == line_) raise(SIGKILL);
    }

private:
    std::string line_;
};

// The whole upgrade with a catalogue package and a control file in the data folder, killed at
// points inside the catalogue refresh and inside the control file's registration.
class CrashOfTheLastStepsTest : public CrashTest {
protected:
    static constexpr const char* kControl = "ZMCRASH.OCX";

    CrashOfTheLastStepsTest() {
        upgrade::InstallUpgrade();
        report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
        dao::Database bd2 = Bd2(";PWD=TORPAL");
        catalogue::FillProgramCatalogue(bd2);
        AddRow(bd2, "Criterio", {{"Relatorio", catalogue::Text("R001")}, {"Sequencia", dao::Value::Long(1)},
                                 {"CRITERIO", catalogue::Text("Format([Data], \"dd/mm/yy\") = '01/10/02'")}});
        bd2.Close();
        dao::Database package = Create(Package());
        catalogue::FillPackage(package);
        package.Close();
        std::filesystem::create_directories(Host("C:\\WINDOWS\\SYSTEM"));
        std::filesystem::copy_file(CONTROL_REGISTERING_PATH, Host(std::string(kData) + "\\" + kControl));
        // Each round starts from these copies.
        std::filesystem::copy_file(Host(ProgramBd2()), Host(ProgramBd2()).concat(".start"));
        std::filesystem::copy_file(Host(Package()), Host(Package()).concat(".start"));
    }

    static std::string ProgramBd2() { return std::string(kProgram) + "\\Bd2.MDB"; }
    static std::string Package() { return std::string(kData) + "\\PROG.MDB"; }
    static std::string SystemControl() { return std::string("C:\\WINDOWS\\SYSTEM\\") + kControl; }

    dao::Database Bd2(const std::string& connect) {
        return ProgramEngine().OpenDatabase(ProgramBd2(), false, false, connect);
    }

    // The catalogue and its package as they were. The store is either the older one, with no
    // control in SYSTEM and none registered, or the one the reference log-in upgraded, with the
    // control it registered: a refresh needs no store upgrade, and one costs a second.
    void StartRound(bool olderStore) {
        CloseIfOpen(BancoBD2);
        for (const std::string& file : {ProgramBd2(), Package()}) Restore(file, ".start");
        window_.ClearList();
        if (!olderStore) {
            CloseAll();
            for (const std::string& name : StoreFiles()) Restore(DataFile(name), ".done");
            OpenDataSet();
            return;
        }
        CopyOldStoreAgain();
        Seed();
        std::filesystem::remove(Host(SystemControl()));
        win::registry::DeleteTree(win::RootKey::ClassesRoot, kRegisteringClass);
    }

    // Keeps the store as the reference log-in left it.
    void KeepUpgradedStore() {
        CloseAll();
        for (const std::string& name : StoreFiles()) {
            std::filesystem::copy_file(Host(DataFile(name)), Host(DataFile(name)).concat(".done"));
        }
        OpenDataSet();
    }

    void Restore(const std::string& file, const char* copy) {
        std::filesystem::copy_file(Host(file).concat(copy), Host(file), std::filesystem::copy_options::overwrite_existing);
    }

    void LogIn() {
        BancoBD2.Set(Bd2(ConnectLoja(kProgram, "\\Bd2.MDB")));
        Upgrade();
    }

    // The upgrade in a child process that kills itself at the yield showing `line`, or inside the
    // control file's registration when there is no line; true when it was killed.
    bool UpgradeKilledAt(const char* line) {
        CloseAll();
        CloseIfOpen(BancoBD2);
        const bool killed = KilledInAChild([&] {
            KillingPump pump(line ? line : "");
            if (line) {
                forms::InstallEventPump(&pump);
            } else {
                setenv(kDieInRegistration, "1", 1);
            }
            OpenDataSet();
            LogIn();
        });
        OpenDataSet();
        return killed;
    }

    // The catalogue tables the refresh writes, each as sorted rows.
    static std::string Catalogue() {
        std::string out;
        for (const char* table : {"Aplicacao", "PreConsulta", "Selecionar", "TabelaTemporaria", "AplicacaoBkp", "Criterio"}) {
            std::vector<std::string> rows = SelectedRows(*BancoBD2, std::string("SELECT * FROM ") + table);
            std::sort(rows.begin(), rows.end());
            out += std::string("# ") + table + "\n";
            for (const std::string& row : rows) out += row + "\n";
        }
        return out;
    }

    // What a completed log-in leaves: the catalogue, the package gone, the control registered once
    // from its SYSTEM copy, the store stamped. (The random kills compare the whole store.)
    std::string Outcome() {
        return Catalogue() + (forms::Dir(Package()).empty() ? "package gone\n" : "package left\n") + "server " +
               RegisteredServer() + " registered " + std::to_string(RegisteringCount()) + "\nstamp " +
               std::to_string(Stamp()) + "\n";
    }
};

TEST_F(CrashOfTheLastStepsTest, AKilledRefreshOrRegistrationIsCompletedByTheNextLogIn) {
    StartRound(true);
    LogIn();
    ASSERT_EQ(ErrorLog(), "");
    const std::string reference = Outcome();
    KeepUpgradedStore();
    ASSERT_NE(reference.find("R003|Clientes"), std::string::npos) << reference;
    ASSERT_NE(reference.find("server " + SystemControl() + " registered 1\nstamp " + std::to_string(Date("01/10/2002"))),
              std::string::npos) << reference;

    const struct {
        const char* where;
        const char* line;   // the child dies at the yield showing it; nullptr: inside the registration
    } rows[] = {
        {"package opened, its password gone, criteria fixed, one table copied", "Importando Pre-Consulta .... "},
        {"PreConsulta replaced, Selecionar not yet", "Atualizando Selecionar .... "},
        {"inside the transaction of AplicacaoBkp", "Atualizando AplicaçãoBkp .... "},
        {"control file copied, its registration under way", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.where);
        StartRound(row.line == nullptr);
        ASSERT_TRUE(UpgradeKilledAt(row.line));
        LogIn();
        EXPECT_FALSE(forms::App().EndRequested());
        EXPECT_EQ(Outcome(), reference);
    }
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace report::testing
