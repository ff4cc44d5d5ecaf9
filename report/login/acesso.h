// The log-in window Acesso: the store list, the password, the clock check and the message of the
// moment; while a log-in upgrades the chosen store's databases it is the window the upgrade writes
// its progress into (UpgradeWindow).
//
// Handlers and their traps (each reports once through TrataErro under "Acesso" and its routine):
//   Form_Load        caption, the window's two recordsets, the empty-Usuario road, the store list,
//                    the own store's name, the message of the moment; on error: report, FecharBD,
//                    leave (never retry)
//   Form_KeyUp       Esc: back to the store list, absorb the Esc left by the catalogue window, or
//                    unload; on error: report, FecharBD, leave
//   Form_Unload      FecharBD; the end of the program when SairPrograma is "S"
//   BtnProcura_Click the clock check, the password, three attempts, the hand-over to Inicio
//   TbLoja choice    the store's data folder (login_rules.h's ChooseStore)
//
// The library's controls are created by ProgID through the registry. A class that is not
// registered is reported once (as a load error) and its control is missing: the members below
// that would use it do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/window.h"
#include "report/core/hooks.h"

namespace forms {
class Label;
class ListBox;
class DataControl;
class HostedControl;
}  // namespace forms
namespace controls::threed {
class Panel3D;
class Frame3D;
class Button3D;
}  // namespace controls::threed
namespace controls::grid {
class DataGrid;
}  // namespace controls::grid

namespace report::login {

inline constexpr const char* kSQLBaseLojas =
    " SELECT * From Loja WHERE Loja.LocalLojas <> Null  ORDER BY Loja.LojaOrigem Asc, Loja.CodLoja ASC";

class Acesso : public forms::Window, public UpgradeWindow {
public:
    Acesso();
    ~Acesso() override;

    // The handlers a user's action runs (public so that tests and the key routing reach them).
    void BtnProcura_Click();
    void TbLoja_Choose();         // DblClick, and KeyDown with Enter
    void TbLoja_RowColChange();
    void ZmDataComputador_Change();
    void ZmHoraComputador_Change();
    void ProcVazia() {}

    // The controls, for the upgrade and for tests (nullptr for a library control not created).
    controls::threed::Panel3D* SSPanel1 = nullptr;
    forms::HostedControl* PainelMensagem = nullptr;
    controls::threed::Panel3D* PainelLocaliza = nullptr;
    forms::HostedControl* ZmSenha = nullptr;
    controls::threed::Button3D* BtnProcura = nullptr;
    forms::Label* ZmLabel = nullptr;
    forms::HostedControl* LblMensagemdoMomento = nullptr;
    controls::threed::Frame3D* FrameLinha = nullptr;
    forms::HostedControl* LblMensagemMotivacional = nullptr;
    controls::threed::Panel3D* PainelAtualiza = nullptr;
    forms::HostedControl* sivbLB1 = nullptr;
    forms::ListBox* ListTabela = nullptr;
    forms::DataControl* Data1 = nullptr;
    controls::threed::Frame3D* FrameLoja = nullptr;
    controls::grid::DataGrid* TbLoja = nullptr;
    forms::HostedControl* LabelLoja = nullptr;
    forms::Label* LblDataHora = nullptr;
    forms::HostedControl* ZmDataComputador = nullptr;
    forms::HostedControl* ZmHoraComputador = nullptr;
    forms::HostedControl* LblData = nullptr;

    std::int16_t MinutoMensagem = 0;
    std::int16_t SegundoMensagem = 0;

    // UpgradeWindow
    void ClearList() override;
    void AddItem(const std::string& text) override;
    int ListCount() const override;
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    void SetListIndex(int index) override;
    void SetPanelVisible(bool visible) override;
    void SetStoreFrameVisible(bool visible) override;
    void PointDataControl(const std::string& databaseName, const std::string& recordSource) override;

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& keyCode, int shift) override;
    void Form_Unload(int& cancel) override;

private:
    void ConnectHandlers();
    void ShowPasswordPanel(bool shown);
    void ShowMessagePanel(const std::string& message);
    void ShowClockFields();
    void LogIn();
    void WrongPassword();
    void ReadMessageOfTheMoment();
    void SetClockFrom(forms::HostedControl* field, void (*set)(double));
    bool StoresListed();
};

// The one log-in window of the program: the hook showLogin shows it.
Acesso& AcessoWindow();

}  // namespace report::login
