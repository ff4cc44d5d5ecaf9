// Shared fixture of the core's tests: a temporary machine root with a program folder C:\REPORT and
// a data folder F:\LOJA01, small store databases built through the engine, scripted message boxes,
// a counting beep, a frozen clock, and a clean program state around every test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "platform/forms/services.h"
#include "platform/win/beep.h"
#include "platform/win/clock.h"
#include "platform/win/paths.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/hooks.h"
#include "report/core/state.h"

namespace report::testing {

struct FieldSpec {
    const char* name;
    dao::DataType type;
    int size;
};

using Row = std::vector<std::pair<std::string, dao::Value>>;

inline void MakeTable(const dao::Database& db, const std::string& name, const std::vector<FieldSpec>& fields,
                      const std::vector<std::pair<std::string, std::vector<std::string>>>& indexes = {}) {
    dao::TableDef table = db.CreateTableDef(name);
    for (const auto& field : fields) {
        table.Fields().Append(table.CreateField(field.name, dao::Value::Long(static_cast<int>(field.type)),
                                                dao::Value::Long(field.size)));
    }
    db.TableDefs().Append(table);
    dao::TableDef appended = db.TableDefs().Item(name);
    for (const auto& [indexName, indexFields] : indexes) {
        dao::Index index = appended.CreateIndex(indexName);
        for (const auto& field : indexFields) index.Fields().Append(index.CreateField(field));
        appended.Indexes().Append(index);
    }
}

inline void AddRow(const dao::Database& db, const std::string& table, const Row& values) {
    dao::Recordset rs = db.OpenRecordset(table, dao::dbOpenTable);
    rs.AddNew();
    for (const auto& [name, value] : values) rs(name).SetValue(value);
    rs.Update();
    rs.Close();
}

class CoreTest : public ::testing::Test {
protected:
    static constexpr const char* kProgram = "C:\\REPORT";
    static constexpr const char* kData = "F:\\LOJA01";

    CoreTest() {
        std::filesystem::create_directories(root_.DriveC() / "REPORT");
        win::MapDrive('f', root_.MakeFolder("drive-f"));
        std::filesystem::create_directories(root_.Root() / "drive-f" / "LOJA01");
        ProgramEngine().SetBusyTimeout(0);
        SetProgramFolder(kProgram);
        forms::InstallMessageBoxes(&boxes_);
        win::InstallBeepSink(&beeps_);
        clock_.Freeze({2026, 12, 7, 22, 18, 5});
        win::InstallClock(&clock_);
        // ERRO.TXT goes to the current directory: a folder of the test's own.
        previousDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(root_.MakeFolder("cwd"));
        BuildStore(kProgram);
        BuildStore(kData);
    }

    ~CoreTest() override {
        ResetProgramState();
        ProgramHooks().runUpgrade = nullptr;
        dao::ClearFaults();
        forms::Err().Clear();
        forms::App().ResetForTests();
        forms::InstallMessageBoxes(nullptr);
        win::InstallBeepSink(nullptr);
        win::InstallClock(nullptr);
        SetProgramFolder({});
        std::filesystem::current_path(previousDirectory_);
    }

    std::filesystem::path Host(const std::string& windowsPath) const { return win::HostPath(windowsPath); }

    dao::Database Create(const std::string& path, const char* password = kSenhaLoja) {
        dao::Database db = ProgramEngine().CreateDatabase(path);
        db.NewPassword("", password);
        return db;
    }

    // Produto.MDB with Loja, Bd2.MDB with Usuario and Relacao, in `folder`.
    void BuildStore(const std::string& folder) {
        dao::Database produto = Create(folder + "\\Produto.MDB");
        MakeTable(produto, "Loja", {{"CodLoja", dao::DataType::Long, 0}, {"Nome", dao::DataType::Text, 30}});
        produto.Close();
        dao::Database bd2 = Create(folder + "\\Bd2.MDB");
        MakeTable(bd2, "Usuario",
                  {{"CodUsuario", dao::DataType::Long, 0}, {"Usuario", dao::DataType::Text, 30},
                   {"Senha", dao::DataType::Text, 10}, {"Nivel", dao::DataType::Text, 1}},
                  {{"IndCodUsuario", {"CodUsuario"}}});
        MakeTable(bd2, "Relacao",
                  {{"CodUsuario", dao::DataType::Long, 0}, {"CodAplicacao", dao::DataType::Text, 10},
                   {"Incluir", dao::DataType::Text, 1}, {"Alterar", dao::DataType::Text, 1},
                   {"Excluir", dao::DataType::Text, 1}, {"Consulta", dao::DataType::Text, 1},
                   {"Imprime", dao::DataType::Text, 1}},
                  {{"IndCodUsuarioCodAplicacao", {"CodUsuario", "CodAplicacao"}}});
        bd2.Close();
    }

    // dbkvt.mdb in the program folder, without the table `missing` when one is named.
    void BuildPostal(const std::string& missing = {}) {
        dao::Database db = Create(std::string(kProgram) + "\\dbkvt.mdb", kSenhaCep);
        const std::vector<std::pair<std::string, std::vector<std::string>>> tables = {
            {"LOG_CEP", {"idx_cep"}},
            {"LOG_LOCALIDADE", {"idx_cep_loc", "pk_log_loc"}},
            {"LOG_LOGRADOURO", {"idx_cep_log", "idx_log_uf1"}},
            {"LOG_BAIRRO", {"pk_log_bai"}},
            {"LOG_CPC", {"idx_cep_cpc"}},
            {"LOG_GRANDE_USUARIO", {"idx_cep_gru"}},
            {"LOG_UNID_OPER", {"idx_cep_uop"}},
        };
        for (const auto& [table, indexNames] : tables) {
            if (table == missing) continue;
            std::vector<std::pair<std::string, std::vector<std::string>>> indexes;
            for (const auto& name : indexNames) indexes.push_back({name, {name == indexNames.front() ? "CEP" : "CHAVE"}});
            MakeTable(db, table, {{"CEP", dao::DataType::Text, 8}, {"CHAVE", dao::DataType::Long, 0}}, indexes);
        }
        db.Close();
    }

    void WriteJunk(const std::string& windowsPath) {
        std::ofstream(Host(windowsPath), std::ios::binary | std::ios::trunc)
            << "this is not a database file, only text long enough to be read as a header";
    }

    // ERRO.TXT of the current directory, as bytes.
    static std::string ErrorLog() {
        std::ifstream log("ERRO.TXT", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes_.shown) texts.push_back(box.text);
        return texts;
    }

    win::testing::TempMachineRoot root_;
    forms::ScriptedMessageBoxes boxes_;
    win::CountingBeepSink beeps_;
    win::OffsetClock clock_;
    std::filesystem::path previousDirectory_;
};

using win::testing::ErrorNumberOf;

}  // namespace report::testing
