// What the end-to-end timing programs share: their common options, a work folder of their own, a
// fresh folder per run, a copy of the installer beside a generated catalogue, and timed child runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/child_process/ChildProcess.h"

namespace velora::bench {

struct GeneratedProduct;

// --scale X (data size), --runs N, --work-dir DIR, --keep (leave the work folder), --archives DIR
// (generated archives kept there for the next program).
struct BenchSettings {
    double scale = 1.0;
    int runs = 5;
    std::filesystem::path workFolder = std::filesystem::temp_directory_path();
    bool keep = false;
    std::filesystem::path archives;

    // Throws std::invalid_argument with the usage for anything else.
    static BenchSettings parse(int argc, char** argv, const std::string& program);
};

// Transfers to the loopback server go straight to it, whatever proxy the environment names.
std::map<std::string, std::string> directToLoopback();

// Runs a program to its end, both output streams appended to `outputFile`.
tools::ChildOutcome runTimed(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& outputFile,
                             const std::map<std::string, std::string>& environment = {});
// Throws, naming the output file, unless the program ended with status 0.
void require(const tools::ChildOutcome& outcome, const std::string& what,
             const std::filesystem::path& output);

struct FileTotals {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    bool operator==(const FileTotals&) const = default;
};
// The product files of an installation, leaving out what only the installer adds.
FileTotals productFilesOf(const std::filesystem::path& folder);

std::string megabytes(std::uint64_t bytes);
std::string productList(const std::vector<GeneratedProduct>& products);
// The generated products' sizes, one line each and a total.
void printProducts(const std::vector<GeneratedProduct>& products);

// A folder "<prefix>-XXXXXX" below `parent`, removed with everything in it when the object goes,
// unless kept or gone through an exception.
class BenchWorkspace {
public:
    BenchWorkspace(const std::filesystem::path& parent, const std::string& prefix, bool keep);
    ~BenchWorkspace();
    BenchWorkspace(const BenchWorkspace&) = delete;
    BenchWorkspace& operator=(const BenchWorkspace&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path output() const { return root_ / "output"; }

    // "<kind>-<run>", not yet made. Nothing is removed until all runs are done (ext4 searches
    // longer for a free inode while many were freed in the last seconds, which would charge one
    // run's removal to the next), and what the previous run left dirty is written back first.
    std::filesystem::path runFolder(const std::string& kind, int run) const;

    // The generated products, written into "packages" here, or with an archives folder taken from
    // there when an earlier program wrote them for the same scale (written there otherwise):
    // generating them costs more than a whole run of most workloads.
    std::vector<GeneratedProduct> sampleProducts(const BenchSettings& settings);
    // Where sampleProducts() put them.
    const std::filesystem::path& packagesRoot() const { return packagesRoot_; }

    // A copy of the installer in "installer/" with "uninstall.zip" and the products' catalogue
    // beside it, where it reads them; returns the copy's path.
    std::filesystem::path copyInstaller(const std::filesystem::path& installer,
                                        const std::filesystem::path& uninstallerArchive,
                                        const std::vector<GeneratedProduct>& products) const;

private:
    std::filesystem::path root_;
    std::filesystem::path packagesRoot_;
    bool keep_;
};

}  // namespace velora::bench
