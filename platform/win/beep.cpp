#include "platform/win/beep.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace win {
namespace {

// Rings the terminal bell of the controlling terminal; silent when the process has none.
class TerminalBeepSink : public BeepSink {
public:
    void Beep() override {
        const int fd = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return;
        [[maybe_unused]] const auto written = ::write(fd, "\a", 1);
        ::close(fd);
    }
};

TerminalBeepSink terminalSink;
std::atomic<BeepSink*> installedSink{nullptr};

}  // namespace

void Beep() {
    BeepSink* sink = installedSink.load();
    (sink != nullptr ? sink : &terminalSink)->Beep();
}

void InstallBeepSink(BeepSink* sink) { installedSink.store(sink); }

}  // namespace win
