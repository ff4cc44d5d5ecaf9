// field_keys_bench: the time of one key typed into each kind of field of ZMTEXT32.OCX (text, date,
// time, long, double, currency), hosted in a forms window and reached through Qt key events sent to
// the focused widget, with a station's WIN.INI (regional settings after a few other sections) and
// its fields on WIN.INI's formats. Each field is typed a round of keys that brings it back to where
// it started, many times over; a run's figure is the mean time of a key, and the line prints the
// min/median/max of the runs.
//
//   field_keys_bench [RUNS]
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/variant.h"
#include "platform/ctl/control_site.h"
#include "platform/forms/app.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/window.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRoundsPerRun = 200;

// A WIN.INI as a station has one: the regional settings of the "intl" section after the sections
// other programs keep there.
const char* const kWinIni =
    "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\ndevice=\r\n"
    "[Desktop]\r\nWallpaper=(None)\r\nTileWallpaper=0\r\nWallpaperStyle=0\r\n"
    "[fonts]\r\n[extensions]\r\ntxt=notepad.exe ^.txt\r\nini=notepad.exe ^.ini\r\n"
    "[mci extensions]\r\nwav=waveaudio\r\nmid=sequencer\r\navi=avivideo\r\n"
    "[ports]\r\nCOM1:=9600,n,8,1\r\nCOM2:=9600,n,8,1\r\nLPT1:=\r\nFILE:=\r\n"
    "[intl]\r\niCountry=55\r\nsCountry=Brasil\r\nsLanguage=ptb\r\nsList=;\r\niMeasure=0\r\n"
    "sShortDate=dd/MM/yyyy\r\nsLongDate=dddd, d' de 'MMMM' de 'yyyy\r\nsDate=/\r\niDate=1\r\n"
    "sTime=:\r\niTime=1\r\niTLZero=1\r\ns1159=\r\ns2359=\r\n"
    "sDecimal=,\r\nsThousand=.\r\niDigits=2\r\niLZero=1\r\n"
    "sCurrency=R$\r\niCurrency=2\r\niCurrDigits=2\r\niNegCurr=9\r\n";

struct Field {
    const char* kind;
    const char* progId;
    std::vector<int> round;   // the keys of one round, as Qt key codes ('0'-'9', 'A'-'Z' type text)
    forms::HostedControl* control = nullptr;
};

class FieldsWindow : public forms::Window {
public:
    explicit FieldsWindow(std::vector<Field>& fields) : Window("FrmCampos"), fields_(fields) {}

protected:
    void CreateControls() override {
        int top = 120;
        for (auto& field : fields_) {
            field.control = &AddHosted(field.progId, std::string("Zm") + field.kind, nullptr, 150, top, 2400, 360);
            top += 450;
        }
    }

private:
    std::vector<Field>& fields_;
};

void Press(int key) {
    QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr) throw std::runtime_error("no field has the focus");
    const QString text = key >= 0x20 && key < 0x7F ? QString(QChar(key)).toLower() : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(focused, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(focused, &release);
}

// The mean microseconds of a key over the rounds of one run.
double TimedRun(const Field& field) {
    std::size_t keys = 0;
    const auto start = Clock::now();
    for (int round = 0; round < kRoundsPerRun; ++round) {
        for (int key : field.round) Press(key);
        keys += field.round.size();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / static_cast<double>(keys);
}

std::vector<int> Digits(const char* digits, int before) {
    std::vector<int> keys{before};
    for (const char* d = digits; *d != '\0'; ++d) keys.push_back(*d);
    return keys;
}

std::vector<int> TypedThenErased(const char* text) {
    std::vector<int> keys;
    for (const char* c = text; *c != '\0'; ++c) keys.push_back(*c);
    keys.insert(keys.end(), std::strlen(text), Qt::Key_Backspace);
    return keys;
}

// A field's text, to show that the rounds left it as a user would.
std::string Shown(const com::Variant& value) {
    com::Variant text;
    if (com::Failed(com::ChangeType(text, value.Deref(), com::VT_BSTR))) return "(not a text)";
    return text.AsStr().ToUtf8();
}

void WriteFile(const std::filesystem::path& file, const char* text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 5;
    if (argc > 1 && std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), runs).ec != std::errc()) return 2;
    forms::ScriptedMessageBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    try {
        win::testing::TempMachineRoot root;
        WriteFile(root.DriveC() / "WINDOWS" / "WIN.INI", kWinIni);
        // A station's WIN.INI was written long before anyone types: let it grow older than the
        // file system's clock tick, as a reader wants before it trusts a file's stamp.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        const win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        using Register = long (*)();
        if (!library || reinterpret_cast<Register>(library.Export("DllRegisterServer"))() != 0) return 1;

        std::vector<Field> fields = {
            {"text", "ZMTEXT.ZMTextCtrl.1", TypedThenErased("ABCDEFGH")},
            {"date", "ZMTEXT.ZMDateCtrl.1", Digits("15032000", Qt::Key_Home)},
            {"time", "ZMTEXT.ZMTimeCtrl.1", Digits("103045", Qt::Key_Home)},
            {"long", "ZMTEXT.ZMLongCtrl.1", TypedThenErased("12345")},
            {"double", "ZMTEXT.ZMDoubleCtrl.1", TypedThenErased("12345")},
            {"currency", "ZMTEXT.ZMCurrencyCtrl.1", TypedThenErased("12345")},
        };
        FieldsWindow window(fields);
        window.Show();
        QApplication::processEvents();
        std::printf("one key typed into each field kind, %d runs of %d rounds: min / median / max\n", runs,
                    kRoundsPerRun);
        for (const auto& field : fields) {
            if (!field.control->Site().SetFocus()) throw std::runtime_error(std::string("cannot focus ") + field.kind);
            QApplication::processEvents();
            TimedRun(field);   // warm-up
            std::vector<double> times;
            for (int run = 0; run < runs; ++run) times.push_back(TimedRun(field));
            std::sort(times.begin(), times.end());
            std::printf("%-9s %8.1f / %8.1f / %8.1f us per key   (text now \"%s\")\n", field.kind, times.front(),
                        times[times.size() / 2], times.back(),
                        Shown(field.control->Get("Text")).c_str());
        }
        window.Drop();
        forms::App().CollectUnloaded();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "field_keys_bench: %s\n", error.what());
        return 1;
    }
    forms::InstallMessageBoxes(nullptr);
    return 0;
}
