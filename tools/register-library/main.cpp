// register-library: registers a component library (ZMTEXT32.OCX) in a machine root, as an
// installer does: loads it and runs its DllRegisterServer.
//
//   register-library [--root DIR] LIBRARY
//
// --root  the machine root (default: the one in force, $REPORT_MACHINE_ROOT or the per-user one)
// Exit status 0 when the library registered itself, 1 otherwise.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/com/factory.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"

int main(int argc, char** argv) {
    std::filesystem::path library;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            std::filesystem::create_directories(argv[++i]);
            win::SetMachineRoot(std::filesystem::canonical(argv[i]));
        } else if (library.empty() && !arg.starts_with("--")) {
            library = std::filesystem::absolute(arg);
        } else {
            std::cerr << "usage: register-library [--root DIR] LIBRARY\n";
            return 2;
        }
    }
    if (library.empty()) {
        std::cerr << "usage: register-library [--root DIR] LIBRARY\n";
        return 2;
    }
    std::string error;
    const win::Module module = win::Module::Load(win::WindowsPath(library), &error);
    if (!module) {
        std::cerr << "register-library: cannot load " << library.string() << ": " << error << '\n';
        return 1;
    }
    const auto entry = reinterpret_cast<com::DllRegisterServerFn>(module.Export("DllRegisterServer"));
    if (entry == nullptr) {
        std::cerr << "register-library: " << library.string() << " has no DllRegisterServer\n";
        return 1;
    }
    const com::HResult result = entry();
    if (result != com::S_OK) {
        std::cerr << "register-library: DllRegisterServer returned 0x" << std::hex
                  << static_cast<unsigned long>(static_cast<std::uint32_t>(result)) << '\n';
        return 1;
    }
    std::cout << "registered " << library.string() << " in " << win::MachineRoot().string() << '\n';
    return 0;
}
