// The criterion builder `fQuery` ("Critério de Seleção"): the catalogue window opens it modeless
// for the chosen report (CodRelatorio, TabelasRelatorio(0 .. Contador)).
//
// Upper half, the builder (fquery.cpp): the user picks a field of the report's tables from a
// list, an operator and a value (typed, or one of the field's "Possíveis Valores"), and adds the
// condition with And or Or to the composed conditions `cCriteria`, which stay editable. "E&xecutar"
// rebuilds them into the criterion text (condition_text.h) and hands it back; "&Mostra SQL" shows
// it; "&Catalogar" copies it into the lower half to be saved.
//
// Lower half, the saved criteria (saved_criteria.cpp): rows of table Criterio of the data folder's
// BD2.MDB for the report, newest first, in the grid `Table1`; in edit mode the name `ZmNome` and
// the text `txtCriterio`.
//
//        Catalogar / Alterar                      Gravar (saved) / Cancelar / Esc
//   grid mode --------------------> edit mode --------------------------------------> grid mode
//   (builder enabled)               (builder disabled)
//
// Hand-back: TextoCriterio := the criterion, RetornoCriterio := "S" (and NomeCriterio for a saved
// one), then the window unloads; the catalogue window runs the report when it is activated again.
//
// Invariants:
//   1. A criterion text is handed back, copied for saving, or saved only when it is one
//      condition (CriterionFault); otherwise the criterion message shows and nothing else happens.
//   2. TabelaCriterio is open from Form_Load to Form_Unload; AlterandoCriterio is true only while
//      a saved row is being rewritten, and TabelaCriterio is then on that row.
//   3. A new criterion is numbered one past the report's largest Sequencia, whatever its size.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/dao/dao.h"
#include "platform/forms/window.h"
#include "platform/win/error.h"

namespace forms {
class ComboBox;
class Control;
class Resume;
class DataControl;
class HostedControl;
class Label;
class MultiLineTextBox;
class TextBox;
}  // namespace forms

namespace controls::grid {
class DataGrid;
}
namespace controls::threed {
class Button3D;
class Frame3D;
}  // namespace controls::threed

namespace report::reports {

// The size of table Criterio's name field: the longest name a criterion is saved under.
inline constexpr int kNomeSize = 50;

// The criterion message for a text that may not run, and for the errors a criterion causes.
std::string CriterionMessage(const std::string& line, long number, const std::string& text);

class FQuery : public forms::Window {
public:
    FQuery();
    ~FQuery() override;

    // Handlers of the builder half, public for the tests that drive the window as a user would.
    void cField_Click();
    void ANDButton_Click();
    void ORButton_Click();
    void GetValuesButton_Click();
    void RunQueryButton_Click();
    void ShowSQLButton_Click();
    void CopySQLButton_Click();
    void ClearButton_Click();
    void CloseButton_Click();

    // The saved-criteria half.
    void ExibirGrade(bool status);
    void LimpaCriterio();
    void Consistir();
    void BtnAlterar_Click();
    void BtnExcluir_Click();
    void BtnCancelar_Click();
    void BtnGravar_Click();
    void Table1_DblClick();
    void Executar();

    bool AlterandoCriterio() const { return alterandoCriterio_; }
    bool Consistente() const { return consistente_; }

    // The controls, by their names in the window's layout.
    forms::ComboBox& cField() const;
    forms::ComboBox& cOperator() const;
    forms::ComboBox& cValue() const;
    forms::ComboBox& cOrderByField() const;
    forms::TextBox& cCriteria() const;
    forms::TextBox& txtCriterio() const;
    forms::HostedControl* ZmNome() const;   // nullptr when the library is not registered
    controls::threed::Button3D& ANDButton() const;
    controls::threed::Button3D& ORButton() const;
    controls::threed::Button3D& GetValuesButton() const;
    controls::threed::Button3D& RunQueryButton() const;
    controls::threed::Button3D& ShowSQLButton() const;
    controls::threed::Button3D& CopySQLButton() const;
    controls::threed::Button3D& ClearButton() const;
    controls::threed::Button3D& CloseButton() const;
    controls::threed::Button3D& BtnAlterar() const;
    controls::threed::Button3D& BtnExcluir() const;
    controls::threed::Button3D& BtnCancelar() const;
    controls::threed::Button3D& BtnGravar() const;
    forms::Label& Label1() const;
    forms::Label& Label2() const;
    controls::threed::Frame3D& FrameSuperior() const;
    controls::grid::DataGrid& Table1() const;
    forms::DataControl& Data1() const;

    static void Focus(forms::Control* control);

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& keyCode, int shift) override;
    void Form_Unload(int& cancel) override;

private:
    void ConnectEvents();
    void ConnectFocusColours();
    void ListFields(const std::string& table);
    void AddCondition(bool andButton);
    bool CriterionMayRun(const std::string& criterion);

    // Saved criteria (saved_criteria.cpp).
    void OpenSavedCriteria();
    void SeekGridRow();
    void NoCurrentRow();
    void SaveNew();
    void CloseAfterError(const win::RuntimeError& error, const char* tela, const char* rotina);
    void OnGridRowError(const win::RuntimeError& error, const char* rotina);
    // A handler's work on the criterion of the grid's current row: TabelaCriterio put on it
    // first (SeekGridRow), nothing when the row is not in the table, and OnGridRowError as trap.
    void OnGridRow(const char* rotina, const std::function<void()>& work);
    void Table1_KeyUp(int& keyCode, int shift);
    void TakeCriterion(const char* rotina);
    void ZmNome_KeyUp(int& keyCode, int shift);

    controls::threed::Frame3D* frameSuperior_ = nullptr;
    forms::ComboBox* cField_ = nullptr;
    forms::ComboBox* cOperator_ = nullptr;
    forms::ComboBox* cValue_ = nullptr;
    forms::ComboBox* cOrderByField_ = nullptr;
    forms::MultiLineTextBox* cCriteria_ = nullptr;
    controls::threed::Button3D* andButton_ = nullptr;
    controls::threed::Button3D* orButton_ = nullptr;
    controls::threed::Button3D* getValuesButton_ = nullptr;
    controls::threed::Button3D* runQueryButton_ = nullptr;
    controls::threed::Button3D* showSQLButton_ = nullptr;
    controls::threed::Button3D* copySQLButton_ = nullptr;
    controls::threed::Button3D* clearButton_ = nullptr;
    controls::threed::Button3D* closeButton_ = nullptr;
    controls::threed::Button3D* btnAlterar_ = nullptr;
    controls::threed::Button3D* btnExcluir_ = nullptr;
    controls::threed::Button3D* btnCancelar_ = nullptr;
    controls::threed::Button3D* btnGravar_ = nullptr;
    controls::grid::DataGrid* table1_ = nullptr;
    forms::DataControl* data1_ = nullptr;
    forms::HostedControl* zmNome_ = nullptr;
    forms::MultiLineTextBox* txtCriterio_ = nullptr;
    forms::Label* label1_ = nullptr;
    forms::Label* label2_ = nullptr;
    std::optional<dao::Recordset> tabelaCampo_;
    std::optional<dao::Recordset> tabelaCriterio_;
    std::optional<dao::Recordset> tabelaExecutar_;
    bool mostrarSQL_ = false;
    bool copiarSQL_ = false;
    bool alterandoCriterio_ = false;
    bool consistente_ = false;
};

// The one builder window of the program, and the hooks that let the catalogue window show it.
struct QueryBuilderHooks;
FQuery& QueryWindow();
QueryBuilderHooks QueryWindowHooks();
void InstallQueryBuilder();

}  // namespace report::reports
