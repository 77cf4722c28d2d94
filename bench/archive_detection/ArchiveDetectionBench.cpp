// Usage: bench_archive_detection [--scale X] [--runs N] [--work-dir DIR] [--keep]
//
// What the product-files step costs when it looks for product archives ("*.enc" in the packages
// root or its "common" folder) in a large packages root: 100,000 entries in 1,000 folders at
// scale 1, once without an archive (every entry of both folders read) and once with one in
// "common". The reference reads the same folders with bare opendir/readdir/closedir and the same
// name test; a recursive readdir walk of the whole tree is printed beside them to show what a
// step that descended would pay.
#include <dirent.h>

#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "bench/support/AlternatingRuns.h"
#include "bench/support/BenchWorkspace.h"
#include "gates/session/ProductFilesDetectionGate.h"
#include "host/InstallerModel.h"
#include "workflow_core/DataModelHandler.h"

namespace fs = std::filesystem;
using namespace velora::bench;
using install::product_installer::workflow_utils::DataModelHandler;
using install::product_installer::workflow_utils::ProductFilesDetectionGate;

namespace {

constexpr double kGoalRatio = 1.2;
constexpr int kFolders = 1000;
constexpr int kEntriesPerFolder = 100;
// Each timed run repeats the check for about this long.
constexpr std::chrono::milliseconds kRunLength{200};

bool isArchiveName(std::string_view name) { return name.size() > 4 && name.ends_with(".enc"); }

// Whether the folder itself (not below it) holds an archive; the walk stops at the first one.
bool readdirFinds(const std::string& folder) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(listing)) {
        if (isArchiveName(entry->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

// Every entry of the tree, folders descended.
std::size_t readdirWalk(const std::string& folder) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return 0;
    std::size_t entries = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        ++entries;
        if (entry->d_type == DT_DIR) entries += readdirWalk(folder + "/" + entry->d_name);
    }
    ::closedir(listing);
    return entries;
}

// Calls `check` until kRunLength has passed and returns microseconds per call.
template <class Check>
double microsecondsPerCall(Check&& check) {
    const auto start = std::chrono::steady_clock::now();
    long calls = 0;
    std::chrono::duration<double, std::micro> elapsed{};
    do {
        check();
        ++calls;
        elapsed = std::chrono::steady_clock::now() - start;
    } while (elapsed < kRunLength);
    return elapsed.count() / static_cast<double>(calls);
}

// The gate behind an installer's model whose packages root is the generated tree.
class DetectionStep {
public:
    explicit DetectionStep(const fs::path& packagesRoot)
        : installer_(velora::installer::createInstallerModel()),
          handler_(std::make_shared<DataModelHandler>(installer_.model, installer_.root)),
          gate_(u"ProductFilesDetectionGate", handler_) {
        installer_.root.getWorkflowIndependentData().setPackagesRoot(packagesRoot.u16string());
        handler_->setInitialWorkflow(u"Interactive Install From Folder");
    }
    // True when the step finds an archive and skips its page.
    bool findsArchive() const { return gate_.checkIfShouldBeSkipped(); }

private:
    velora::installer::InstallerModel installer_;
    std::shared_ptr<DataModelHandler> handler_;
    ProductFilesDetectionGate gate_;
};

class ArchiveDetectionBenchmark {
public:
    explicit ArchiveDetectionBenchmark(const BenchSettings& settings)
        : settings_(settings), work_(settings.workFolder, "bench-detection", settings.keep) {}

    int run() {
        const fs::path root = work_.root() / "packages";
        std::cout << "writing the packages tree ..." << std::flush;
        const int folders = std::max(2, static_cast<int>(kFolders * settings_.scale));
        writeTree(root, folders);
        const auto walkStart = std::chrono::steady_clock::now();
        const std::size_t entries = readdirWalk(root.string());
        const std::chrono::duration<double, std::milli> walk = std::chrono::steady_clock::now() - walkStart;
        std::cout << " done: " << entries << " entries in " << folders << " folders\n"
                  << "recursive readdir walk of the whole tree: " << std::fixed << std::setprecision(3)
                  << walk.count() << " ms\n";

        const DetectionStep step(root);
        bool right = measure("archive-detection-none", root, false, step);
        std::ofstream(root / "common" / "VELORA.enc") << "PK";
        right = measure("archive-detection-found", root, true, step) && right;
        return right ? 0 : 1;
    }

private:
    static void writeTree(const fs::path& root, int folders) {
        for (int folder = 0; folder < folders; ++folder) {
            const fs::path path =
                root / (folder == 0 ? std::string("common") : "folder-" + std::to_string(folder));
            fs::create_directories(path);
            for (int entry = 0; entry < kEntriesPerFolder; ++entry)
                std::ofstream(path / ("component-" + std::to_string(entry) + ".dat"));
        }
    }

    bool measure(const std::string& name, const fs::path& root, bool archivePresent,
                 const DetectionStep& step) {
        const std::string rootText = root.string();
        const std::string commonText = (root / "common").string();
        const auto reference = [&] { return readdirFinds(rootText) || readdirFinds(commonText); };
        const bool oursFinds = step.findsArchive();
        if (oursFinds != archivePresent || reference() != archivePresent) {
            std::cerr << name << ": the step " << (oursFinds ? "found" : "did not find")
                      << " an archive, the readdir reference " << (reference() ? "did" : "did not") << '\n';
            return false;
        }
        const PairedRuns runs = alternate(
            settings_.runs, [&](int) { return microsecondsPerCall([&] { step.findsArchive(); }); },
            [&](int) { return microsecondsPerCall(reference); });
        std::cout << ratioLine(runs.row(name, "us", kGoalRatio)) << '\n';
        return true;
    }

    BenchSettings settings_;
    BenchWorkspace work_;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return ArchiveDetectionBenchmark(BenchSettings::parse(argc, argv, "bench_archive_detection")).run();
    } catch (const std::exception& error) {
        std::cerr << "bench_archive_detection: " << error.what() << '\n';
        return 1;
    }
}
