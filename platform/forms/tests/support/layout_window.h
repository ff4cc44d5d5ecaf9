// A window laid out in twips as the program's windows are: a frame with labels and fields on it,
// a label beside a field, a check box and buttons. The appearance tests draw it, and every caption
// on it must fit its control in the runtime's font.
#pragma once

#include "platform/forms/controls.h"
#include "platform/forms/window.h"

namespace forms::testing {

class LayoutWindow : public Window {
public:
    LayoutWindow() : Window("Filtro") { SetCaption("Filtro da Consolidação"); }

    Frame* frame = nullptr;
    Label* fromLabel = nullptr;
    TextBox* from = nullptr;
    Label* toLabel = nullptr;
    TextBox* to = nullptr;
    Label* note = nullptr;
    Label* codeLabel = nullptr;
    TextBox* code = nullptr;
    CheckBox* all = nullptr;
    CommandButton* run = nullptr;
    CommandButton* cancel = nullptr;

protected:
    void CreateControls() override {
        SetSize(6120, 3780);
        frame = &Add<Frame>("FramePeriodo");
        frame->Move(120, 120, 5760, 1575);
        frame->SetCaption("Período da consolidação");
        fromLabel = &Place<Label>("Label1", 240, 360, 1335, 255, frame);
        fromLabel->SetCaption("&Data inicial:");
        from = &Place<TextBox>("ZmData1", 1620, 330, 1215, 285, frame);
        from->SetText("01/12/2026");
        toLabel = &Place<Label>("Label2", 2940, 360, 255, 255, frame);
        toLabel->SetCaption("à");
        to = &Place<TextBox>("ZmData2", 3240, 330, 1215, 285, frame);
        to->SetText("31/12/2026");
        note = &Place<Label>("Label3", 240, 840, 5280, 495, frame);
        note->SetCaption("Somente as lojas em rede && marcadas para consolidar têm as vendas do período "
                         "copiadas para o banco consolidado.");
        codeLabel = &Place<Label>("LblCodigo", 120, 1860, 1575, 255);
        codeLabel->SetCaption("Código do produto:");
        code = &Place<TextBox>("ZmCodigo", 1740, 1830, 1455, 285);
        all = &Place<CheckBox>("ChkTodas", 120, 2280, 2400, 255);
        all->SetCaption("&Todas as lojas");
        run = &Place<CommandButton>("BtnExecutar", 3600, 2880, 1095, 375);
        run->SetCaption("&Executar");
        cancel = &Place<CommandButton>("BtnCancelar", 4785, 2880, 1095, 375);
        cancel->SetCaption("&Cancelar");
    }

private:
    template <class T>
    T& Place(std::string name, int left, int top, int width, int height, Control* container = nullptr) {
        T& control = Add<T>(std::move(name), container);
        control.Move(left, top, width, height);
        return control;
    }
};

}  // namespace forms::testing
