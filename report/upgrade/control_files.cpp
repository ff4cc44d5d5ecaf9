// Deployment of the control files of the data folder: RegistraArquivo and RegOCX.
//
// RegistraArquivo lists PastaDados\*.OCX first (the directory search cannot be interleaved with
// the per-file searches), then for each file:
//
//   in SYSTEM? --no--> line "Registrando <name>......", copy, RegOCX, line ends "...OK"
//      |yes
//   SYSTEM copy strictly older? --no--> nothing, no line
//      |yes
//   line "Registrando <name>......", copy, RegOCX, line ends " OK"
//
// and yields between files. The copy replaces the SYSTEM copy by rename, so a library that a running
// program has mapped is never overwritten in place. A line ends "OK" also when the registration
// failed and said so.
//
// The SYSTEM copy's date is what marks a file as done, so it is the last thing written:
//   1. the copy lands dated one second before the data copy's date, read just before it;
//   2. RegOCX registers it (the library writes its own SYSTEM path into the registry);
//   3. the copy gets the date read in 1, equal to the data copy's to the second.
// A log-in killed between 1 and 3 leaves a SYSTEM copy older than the data copy, which the next
// log-in copies and registers again. The registry cannot serve as that mark: a library registers
// whatever it likes (or nothing), and an older version of the same file already points the
// registry at the same SYSTEM path. Nor can a copy under a temporary name registered before its
// rename: the registration records the name it was loaded from. A data copy replaced in the middle
// leaves its predecessor's date on the SYSTEM copy, which is older, so it is deployed next time.
//
// A failing statement of RegistraArquivo is reported ("Atualiza", "RegistraArquivo") and tried
// again, at most kAttempts times in all; then the file is skipped (or, outside the file loop, the
// deployment ends), so that a file that cannot be copied never keeps a log-in from finishing.
//
// RegOCX runs the library's DllRegisterServer on a worker thread and waits RegistrationWait() on
// the monotonic clock, without processing window messages. A registration that ended counts as
// done whatever status it returned. One that outlives the wait is abandoned: its handle is closed
// and the library stays loaded for the rest of the process, since the thread may still run in it.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/errors.h"
#include "platform/forms/fileio.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/win/files.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "report/core/error_routine.h"
#include "report/core/state.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

namespace {

using forms::Resume;
using forms::StepFlow;

constexpr int kAttempts = 3;
const std::string kDots = "......";

void Box(const std::string& text) { forms::MsgBox(text, forms::mb::Exclamation, "Mensagem"); }

void AddSelected(const std::string& text) {
    UpgradeWindow& window = UpgradeWindowInForce();
    window.AddItem(text);
    window.SetListIndex(window.ListCount() - 1);
}

// The last line with its last `cut` characters replaced by `ending`.
void EndLastLine(std::size_t cut, const std::string& ending) {
    UpgradeWindow& window = UpgradeWindowInForce();
    const int last = window.ListCount() - 1;
    if (last < 0) return;
    const std::string line = window.List(last);
    window.SetList(last, line.substr(0, line.size() - std::min(cut, line.size())) + ending);
}

class Deployment {
public:
    void Run() {
        const forms::Procedure procedure(Steps());
        procedure.Run([this](const win::RuntimeError&, const forms::FailedStep& failed) { return Recover(failed); });
    }

private:
    forms::StepList Steps();
    void AddFileBody(forms::StepList& steps);
    Resume Recover(const forms::FailedStep& failed);

    std::string Name() const { return files_[static_cast<std::size_t>(index_)]; }
    std::string SystemCopy() const { return sistema_ + Name(); }
    std::string DataCopy() const { return PastaDados + "\\" + Name(); }
    void CopyHeldBack();
    void MarkDone() const { win::SetFileModified(SystemCopy(), dataDate_); }

    std::string sistema_;
    std::vector<std::string> files_;
    int index_ = 0;
    win::FileTime dataDate_;   // the data copy's date when it was copied
    forms::Target fileFor_, fileNext_;   // the first and the last step of the loop over the files
    // The statement that failed last and how often in a row.
    std::string failedLabel_;
    int failedIndex_ = -1;
    int attempts_ = 0;
};

forms::StepList Deployment::Steps() {
    forms::StepList steps;
    fileFor_ = steps.To("file.for");
    fileNext_ = steps.To("file.next");
    steps.Add("start", [](StepFlow&) { AddSelected("Registrando Arquivos ......"); });
    steps.Add("system", [this](StepFlow&) { sistema_ = forms::UCase(win::WindowsFolder() + "\\SYSTEM\\"); });
    steps.Add("list", [this](StepFlow& flow) {
        files_.clear();
        for (std::string name = forms::Dir(PastaDados + "\\*.OCX"); !name.empty(); name = forms::Dir()) {
            files_.push_back(name);
        }
        if (files_.empty()) flow.Leave();
    });
    steps.For("file", index_, 0, [this] { return static_cast<int>(files_.size()) - 1; },
              [this](forms::StepList& body) { AddFileBody(body); });
    return steps;
}

void Deployment::AddFileBody(forms::StepList& steps) {
    const forms::Target absent = steps.To("file.absent");
    const forms::Target done = steps.To("file.done");
    steps.Add("file.present", [this, absent](StepFlow& flow) {
        if (forms::Dir(SystemCopy()).empty()) flow.GoTo(absent);
    });
    steps.Add("file.dates", [this, done](StepFlow& flow) {
        if (!(forms::FileDateTime(SystemCopy()) < forms::FileDateTime(DataCopy()))) flow.GoTo(done);
    });
    steps.Add("file.line", [this](StepFlow&) { AddSelected("Registrando " + Name() + kDots); });
    steps.Add("file.copy", [this](StepFlow&) { CopyHeldBack(); });
    steps.Add("file.register", [this](StepFlow&) { RegOCX(SystemCopy()); });
    steps.Add("file.mark", [this](StepFlow&) { MarkDone(); });
    steps.Add("file.ok", [done](StepFlow& flow) {
        EndLastLine(kDots.size(), " OK");
        flow.GoTo(done);
    });
    steps.Add("file.absent", [this](StepFlow&) { AddSelected("Registrando " + Name() + kDots); });
    steps.Add("file.absent.copy", [this](StepFlow&) { CopyHeldBack(); });
    steps.Add("file.absent.register", [this](StepFlow&) { RegOCX(SystemCopy()); });
    steps.Add("file.absent.mark", [this](StepFlow&) { MarkDone(); });
    steps.Add("file.absent.ok", [](StepFlow&) { EndLastLine(3, "OK"); });
    steps.Add("file.done", [](StepFlow&) {
        UpgradeWindow& window = UpgradeWindowInForce();
        window.SetListIndex(window.ListCount() - 1);
        Yield();
    });
}

// The copy, dated a second before the data copy until MarkDone: older to FileDateTime as well.
void Deployment::CopyHeldBack() {
    dataDate_ = win::FileModified(DataCopy());
    win::CopyFile(DataCopy(), SystemCopy(), dataDate_ - std::chrono::seconds(1));
}

// Reports the error and retries the statement, until it has failed kAttempts times in a row: then
// the file is given up (the deployment, when no file was being handled).
Resume Deployment::Recover(const forms::FailedStep& failed) {
    const std::string_view label = failed.Label();
    ReportError("Atualiza", "RegistraArquivo");
    if (label == failedLabel_ && index_ == failedIndex_) {
        ++attempts_;
    } else {
        failedLabel_ = label;
        failedIndex_ = index_;
        attempts_ = 1;
    }
    if (attempts_ < kAttempts) return Resume::Retry();
    failedLabel_.clear();
    return failed.Within(fileFor_, fileNext_) ? Resume::At(fileNext_) : Resume::Leave();
}

std::chrono::milliseconds registrationWait{kRegistrationWaitMs};

// The registration proper, once the file is known to exist.
bool Register(const std::string& path) {
    win::Module library = win::Module::Load(path);
    if (!library) {
        Box("Nao Pode Carregar o Arquivo !");
        return false;
    }
    void* entry = library.Export("DllRegisterServer");
    if (entry == nullptr) {
        Box("Componente Inválido !");
        return false;   // the library is released on the way out
    }
    win::Thread worker = win::Thread::StartAt(entry);
    if (!worker) return false;
    if (worker.Wait(RegistrationWait()) == win::WaitResult::Ended) return true;
    // Still running (or the wait failed): the exit code says nothing more than that.
    (void)worker.ExitCode();
    library.Leak();
    worker.Close();
    Box("Registramento Falhou !");
    return false;
}

}  // namespace

std::chrono::milliseconds RegistrationWait() { return registrationWait; }

void SetRegistrationWait(std::chrono::milliseconds wait) { registrationWait = wait; }

void RegistraArquivo() {
    Deployment deployment;
    deployment.Run();
}

bool RegOCX(const std::string& path) {
    bool registered = false;
    forms::Trapped(
        [&] {
            if (path.empty()) return;
            if (forms::Dir(path).empty()) {
                Box("Nome ou Caminho de OCX inválido !");
                return;
            }
            registered = Register(path);
        },
        [](const win::RuntimeError& error) { ReportError(error, "Atualiza", "RegOCX"); });
    return registered;
}

}  // namespace report::upgrade
