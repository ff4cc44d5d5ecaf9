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
//   BtnProcura_Click the clock check, the password, three attempts, the hand-over to Inicio; while
//                    the upgrade runs the window takes no keys or clicks (forms::BusyScope), and a
//                    close asked meanwhile closes it, and ends the program, once the upgrade is done
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

    // --- Controls (valid while loaded) -----------------------------------------------------------
    controls::threed::Frame3D& FrameLoja() const { return *frameLoja_; }
    controls::grid::DataGrid& TbLoja() const { return *tbLoja_; }
    controls::threed::Frame3D& FrameLinha() const { return *frameLinha_; }
    controls::threed::Panel3D& PainelLocaliza() const { return *painelLocaliza_; }
    forms::Label& ZmLabel() const { return *zmLabel_; }
    controls::threed::Button3D& BtnProcura() const { return *btnProcura_; }
    controls::threed::Panel3D& SSPanel1() const { return *ssPanel1_; }
    forms::Label& LblDataHora() const { return *lblDataHora_; }
    controls::threed::Panel3D& PainelAtualiza() const { return *painelAtualiza_; }
    forms::ListBox& ListTabela() const { return *listTabela_; }
    forms::DataControl& Data1() const { return *data1_; }
    // The library's controls: nullptr when their class is not registered.
    forms::HostedControl* LabelLoja() const { return labelLoja_; }
    forms::HostedControl* LblMensagemdoMomento() const { return lblMensagemdoMomento_; }
    forms::HostedControl* LblMensagemMotivacional() const { return lblMensagemMotivacional_; }
    forms::HostedControl* ZmSenha() const { return zmSenha_; }
    forms::HostedControl* PainelMensagem() const { return painelMensagem_; }
    forms::HostedControl* ZmDataComputador() const { return zmDataComputador_; }
    forms::HostedControl* ZmHoraComputador() const { return zmHoraComputador_; }
    forms::HostedControl* LblData() const { return lblData_; }
    forms::HostedControl* sivbLB1() const { return sivbLB1_; }

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

    controls::threed::Frame3D* frameLoja_ = nullptr;
    controls::grid::DataGrid* tbLoja_ = nullptr;
    forms::HostedControl* labelLoja_ = nullptr;
    controls::threed::Frame3D* frameLinha_ = nullptr;
    forms::HostedControl* lblMensagemdoMomento_ = nullptr;
    forms::HostedControl* lblMensagemMotivacional_ = nullptr;
    controls::threed::Panel3D* painelLocaliza_ = nullptr;
    forms::Label* zmLabel_ = nullptr;
    controls::threed::Button3D* btnProcura_ = nullptr;
    forms::HostedControl* zmSenha_ = nullptr;
    controls::threed::Panel3D* ssPanel1_ = nullptr;
    forms::HostedControl* painelMensagem_ = nullptr;
    forms::Label* lblDataHora_ = nullptr;
    forms::HostedControl* zmDataComputador_ = nullptr;
    forms::HostedControl* zmHoraComputador_ = nullptr;
    forms::HostedControl* lblData_ = nullptr;
    controls::threed::Panel3D* painelAtualiza_ = nullptr;
    forms::HostedControl* sivbLB1_ = nullptr;
    forms::ListBox* listTabela_ = nullptr;
    forms::DataControl* data1_ = nullptr;
};

// The one log-in window of the program: the hook showLogin shows it.
Acesso& AcessoWindow();

}  // namespace report::login
