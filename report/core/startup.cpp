#include "report/core/startup.h"

#include <vector>

#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/hooks.h"
#include "report/core/state.h"
#include "report/schema/schema_builders.h"

namespace report {

namespace {

class ApplicationInstanceGuard : public InstanceGuard {
public:
    bool PrevInstance() override { return forms::App().PrevInstance(); }
    void Activate(const std::string& caption) override {
        if (!forms::App().ActivateWindow(caption)) win::Raise(win::err::InvalidProcedureCall);
    }
};

InstanceGuard*& InstalledGuard() {
    static InstanceGuard* guard = nullptr;
    return guard;
}

}  // namespace

InstanceGuard& InstanceGuardInForce() {
    static ApplicationInstanceGuard application;
    return InstalledGuard() != nullptr ? *InstalledGuard() : application;
}

void InstallInstanceGuard(InstanceGuard* guard) { InstalledGuard() = guard; }

void ShowLoginWindow() {
    if (ProgramHooks().showLogin) ProgramHooks().showLogin();
}

void ConnectSchemaErrorReport() {
    schema::SetErrorReport([](const win::RuntimeError& error, const std::string& tela, const std::string& rotina) {
        ReportError(error, tela, rotina);
    });
}

void Main() {
    ConnectSchemaErrorReport();
    std::string savedTitle;
    bool restarted = false;
    forms::StepList steps;
    const forms::Target instancia = steps.To("instancia");
    steps.Add("instancia", [&](forms::StepFlow& flow) {
        if (!InstanceGuardInForce().PrevInstance()) return;
        savedTitle = forms::App().Title();
        forms::App().SetTitle(kSecondInstanceTitle);
        InstanceGuardInForce().Activate(savedTitle);
        forms::App().End();
        flow.Leave();
    });
    steps.Add("", [](forms::StepFlow& flow) {
        AbrirBD();
        if (forms::App().EndRequested()) flow.Leave();
    });
    steps.Add("", [](forms::StepFlow&) {
        if (ProgramHooks().showLogin) ProgramHooks().showLogin();
    });
    forms::RunSteps(std::move(steps), [&](const win::RuntimeError& error, std::string_view) {
        const bool noWindow = error.Number() == win::err::InvalidProcedureCall;
        if (noWindow && !restarted) {
            restarted = true;
            return forms::Resume::At(instancia);
        }
        ReportError("Geral", "Main ---->> " + savedTitle);
        // A second "no window" would only restart again: this copy ends instead.
        if (noWindow) forms::App().End();
        return forms::Resume::Leave();
    });
}

}  // namespace report
