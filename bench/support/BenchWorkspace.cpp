// The work folder, options and child runs shared by the end-to-end timing programs.
#include "BenchWorkspace.h"

#include <unistd.h>

#include <algorithm>
#include <exception>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "bench/install/SampleArchives.h"

namespace fs = std::filesystem;

namespace velora::bench {

BenchSettings BenchSettings::parse(int argc, char** argv, const std::string& program) {
    BenchSettings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--scale") {
            settings.scale = std::stod(value());
        } else if (argument == "--runs") {
            settings.runs = std::max(1, std::stoi(value()));
        } else if (argument == "--work-dir") {
            settings.workFolder = value();
        } else if (argument == "--keep") {
            settings.keep = true;
        } else if (argument == "--archives") {
            settings.archives = value();
        } else {
            throw std::invalid_argument("usage: " + program +
                                        " [--scale X] [--runs N] [--work-dir DIR] [--keep] [--archives DIR]");
        }
    }
    return settings;
}

std::map<std::string, std::string> directToLoopback() {
    return {{"no_proxy", "127.0.0.1,localhost"}, {"NO_PROXY", "127.0.0.1,localhost"}};
}

tools::ChildOutcome runTimed(const fs::path& program, const std::vector<std::string>& arguments,
                             const fs::path& outputFile,
                             const std::map<std::string, std::string>& environment) {
    return tools::ChildProcess(program, arguments, environment, outputFile).wait();
}

void require(const tools::ChildOutcome& outcome, const std::string& what, const fs::path& output) {
    if (outcome.exitStatus != 0)
        throw std::runtime_error(what + " ended with status " + std::to_string(outcome.exitStatus) +
                                 "; see " + output.string());
}

FileTotals productFilesOf(const fs::path& folder) {
    FileTotals totals;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const auto name = entry.path().filename();
        if (entry.path().parent_path() == folder &&
            (name == "installed_products.json" || name == "installed_files.list" || name == "uninstall.sh"))
            continue;
        ++totals.files;
        totals.bytes += entry.file_size();
    }
    return totals;
}

std::string megabytes(std::uint64_t bytes) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << static_cast<double>(bytes) / (1024.0 * 1024.0) << " MiB";
    return text.str();
}

std::string productList(const std::vector<GeneratedProduct>& products) {
    std::string list;
    for (const GeneratedProduct& product : products) list += (list.empty() ? "" : ",") + product.baseCode;
    return list;
}

void printProducts(const std::vector<GeneratedProduct>& products) {
    FileTotals archives;
    std::uint64_t unpacked = 0;
    for (const GeneratedProduct& product : products) {
        archives.bytes += product.archiveBytes;
        archives.files += product.files;
        unpacked += product.unpackedBytes;
        std::cout << "  " << std::left << std::setw(18) << product.baseCode << std::right << std::setw(12)
                  << megabytes(product.archiveBytes) << " archive, " << std::setw(12)
                  << megabytes(product.unpackedBytes) << " unpacked, " << std::setw(6) << product.files
                  << " files\n";
    }
    std::cout << "  total             " << std::setw(12) << megabytes(archives.bytes) << " archive, "
              << std::setw(12) << megabytes(unpacked) << " unpacked, " << std::setw(6) << archives.files
              << " files\n";
}

BenchWorkspace::BenchWorkspace(const fs::path& parent, const std::string& prefix, bool keep) : keep_(keep) {
    std::string pattern = (parent / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a folder in " + parent.string());
    root_ = pattern;
    fs::create_directories(output());
    std::cout << "work folder " << root_.string() << '\n';
}

BenchWorkspace::~BenchWorkspace() {
    // A run that failed leaves its folder for the output files its message names.
    if (keep_ || std::uncaught_exceptions() > 0) return;
    std::error_code error;
    fs::remove_all(root_, error);
}

fs::path BenchWorkspace::runFolder(const std::string& kind, int run) const {
    ::sync();
    return root_ / (kind + "-" + std::to_string(run));
}

std::vector<GeneratedProduct> BenchWorkspace::sampleProducts(const BenchSettings& settings) {
    std::cout << "sample archives (scale " << settings.scale << ") ..." << std::flush;
    std::vector<GeneratedProduct> products;
    if (settings.archives.empty()) {
        packagesRoot_ = root_ / "packages";
        products = SampleArchives::write(packagesRoot_, settings.scale);
    } else {
        std::ostringstream name;
        name << "scale-" << settings.scale;
        const fs::path folder = settings.archives / name.str();
        packagesRoot_ = folder / "packages";
        const fs::path manifest = folder / "products.json";
        if (fs::exists(manifest)) {
            products = SampleArchives::readManifest(manifest);
            std::cout << " taken from " << folder.string();
        } else {
            fs::remove_all(folder);
            products = SampleArchives::write(packagesRoot_, settings.scale);
            // Written last and renamed into place: its presence says the archives are whole.
            SampleArchives::writeManifest(folder / "products.json.part", products);
            fs::rename(folder / "products.json.part", manifest);
        }
    }
    std::cout << " done\n";
    printProducts(products);
    return products;
}

fs::path BenchWorkspace::copyInstaller(const fs::path& installer, const fs::path& uninstallerArchive,
                                       const std::vector<GeneratedProduct>& products) const {
    const fs::path folder = root_ / "installer";
    fs::create_directories(folder);
    const fs::path copy = folder / installer.filename();
    fs::copy_file(installer, copy);
    fs::copy_file(uninstallerArchive, folder / "uninstall.zip");
    SampleArchives::writeCatalogue(folder / "product_catalogue.json", products);
    return copy;
}

}  // namespace velora::bench
