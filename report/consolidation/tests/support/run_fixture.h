// Shared fixture of the run's tests: the consolidation window over the sample chain (logged in to
// F:\LOJA01; stores 01, 02, 03 reachable), the run installed, scripted boxes and yields, the
// report hook counted, and a digest of every table of BACKUP.MDB.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "report/consolidation/consolidacao.h"
#include "report/consolidation/run.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"
#include "report/core/connections.h"
#include "report/core/windows.h"

namespace report::consolidation::testing {

// Every table of a database: its name, then its rows as text, sorted.
using Digest = std::map<std::string, std::vector<std::string>>;

inline Digest DigestOf(const std::string& path) {
    dao::DBEngine engine;
    engine.SetBusyTimeout(0);
    dao::Database db = engine.OpenDatabase(path);
    Digest digest;
    dao::TableDefs tables = db.TableDefs();
    for (int t = 0; t < tables.Count(); ++t) {
        const std::string name = tables(t).Name();
        std::vector<std::string>& rows = digest[name];
        dao::Recordset rs = db.OpenRecordset("SELECT * FROM [" + name + "]", dao::dbOpenSnapshot);
        while (!rs.Eof()) {
            std::string row;
            for (int f = 0; f < rs.Fields().Count(); ++f) row += rs(f).GetValue().ToText() + "|";
            rows.push_back(row);
            rs.MoveNext();
        }
        rs.Close();
        std::sort(rows.begin(), rows.end());
    }
    db.Close();
    return digest;
}

// The text of a hosted control's default member.
inline std::string ControlText(forms::HostedControl& control) {
    const com::Variant value = control.Get(com::DispId{0});
    if (value.Type() == com::VT_BSTR) return value.AsStr().ToUtf8();
    if (value.Type() == com::VT_R8) return std::to_string(static_cast<long>(value.AsR8()));
    return {};
}

inline constexpr const char* kBackupPath = "C:\\REPORT\\Backup.mdb";

class RunTest : public ChainTest {
protected:
    RunTest() {
        forms::InstallEventPump(&pump_);
        SetConsolidationRun(ExecutarConsolidacao);
        ProgramHooks().runReport = [this] { ++reports_; };
        PastaDados = "F:\\LOJA01";
        AbrirBDLoja();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
    }
    ~RunTest() override {
        if (window_ && window_->IsLoaded()) window_->Drop();
        window_.reset();
        FecharConsolidacao();
        dao::ClearFaults();
        SetConsolidationRun(nullptr);
        ResetWindowHooks();
        forms::InstallEventPump(nullptr);
    }

    Consolidacao& W() { return *window_; }

    // A new window on the same chain, for another run.
    void Reopen() {
        if (window_->IsLoaded()) window_->Drop();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
        boxes_.shown.clear();
    }

    // Consolidar, "Deseja Consolidar Tudo ?" answered Yes, then `answers` for the boxes that follow.
    void RunAll(std::vector<int> answers) {
        boxes_.answers = {forms::mb::Yes};
        boxes_.answers.insert(boxes_.answers.end(), answers.begin(), answers.end());
        W().BtnConsolidar_Click();
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes_.shown) texts.push_back(box.text);
        return texts;
    }

    // The rows of `table` of BACKUP.MDB (the one at `backup`) per value of `field`.
    static std::map<std::string, long> CountBy(const std::string& table, const std::string& field,
                                               const std::string& backup = kBackupPath) {
        dao::DBEngine engine;
        dao::Database db = engine.OpenDatabase(backup);
        dao::Recordset rs =
            db.OpenRecordset("SELECT " + field + ", Count(*) AS N FROM " + table + " GROUP BY " + field, dao::dbOpenSnapshot);
        std::map<std::string, long> counts;
        while (!rs.Eof()) {
            counts[rs(0).GetValue().ToText()] = rs(1).GetValue().ToLong();
            rs.MoveNext();
        }
        rs.Close();
        db.Close();
        return counts;
    }

    forms::ScriptedEventPump pump_;
    std::unique_ptr<Consolidacao> window_;
    int reports_ = 0;
};

}  // namespace report::consolidation::testing
