// sample-chain: builds the sample chain (chain.h) into a machine root.
//
//   sample-chain [--root DIR] [--seed N] [--postal] [--package] [--package-without-password] [--large]
//                [--sales N] [--program EXE]
//
// --root      the machine root (default: the one in force, $REPORT_MACHINE_ROOT or the per-user one)
// --seed      the seed of the generated data (default 1); equal seeds give equal files
// --postal    also the postal-code database dbkvt.mdb in the program folder
// --package   also a catalogue update PROG.MDB in F:\LOJA01 with the store password: a new, a
//             changed and the unchanged catalogue entries
// --package-without-password   the same package without a password
// --large     LOJA01 with 20,000 products and 200,000 sales, for benchmarks
// --sales     with --large: LOJA01's number of sales instead of 200,000
// --program   copies the program file into the program folder C:\REPORT, which is where the
//             program looks for its databases; run that copy with REPORT_MACHINE_ROOT=DIR.
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/win/error.h"
#include "platform/win/paths.h"
#include "tools/sample-chain/chain.h"

namespace {

int Usage() {
    std::cerr << "usage: sample-chain [--root DIR] [--seed N] [--postal] [--package] [--package-without-password] "
                 "[--large] [--sales N] [--program EXE]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    sample_chain::Options options;
    options.root = win::MachineRoot();
    std::filesystem::path program;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--root" && hasValue) {
            options.root = argv[++i];
        } else if (arg == "--seed" && hasValue) {
            const char* text = argv[++i];
            if (std::from_chars(text, text + std::strlen(text), options.seed).ec != std::errc()) return Usage();
        } else if (arg == "--program" && hasValue) {
            program = argv[++i];
        } else if (arg == "--postal") {
            options.postal = true;
        } else if (arg == "--package") {
            options.package = true;
        } else if (arg == "--package-without-password") {
            options.package = true;
            options.packagePassword = false;
        } else if (arg == "--sales" && hasValue) {
            const char* text = argv[++i];
            if (std::from_chars(text, text + std::strlen(text), options.largeSales).ec != std::errc() ||
                options.largeSales <= 0)
                return Usage();
        } else if (arg == "--large") {
            options.large = true;
        } else {
            return Usage();
        }
    }
    try {
        std::filesystem::create_directories(options.root);
        options.root = std::filesystem::canonical(options.root);
        sample_chain::BuildChain(options);
        if (!program.empty()) {
            const auto target = win::HostPath(options.programFolder) / program.filename();
            std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
            std::cout << "program: " << target.string() << '\n';
        }
    } catch (const win::RuntimeError& error) {
        std::cerr << "sample-chain: error " << error.Number() << ": " << error.Description() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "sample-chain: " << error.what() << '\n';
        return 1;
    }
    std::cout << "sample chain built in " << options.root.string() << '\n';
    return 0;
}
