// The account the online benchmarks sign in with at the loopback repository server: its secrets
// in files only the owner reads (never on a command line), the address configuration naming the
// server, and a sign-in with curl that leaves the access token in a header file for later curls.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/child_process/ChildProcess.h"

namespace velora::bench {

class LoopbackRepository;

class BenchAccount {
public:
    // Writes the account's files into `secrets`.
    explicit BenchAccount(std::filesystem::path secrets);

    // The server's account book: "--accounts FILE".
    std::vector<std::string> serverArguments() const;
    // Writes the address configuration for `repository` and returns the installer's options
    // that sign in through it.
    std::vector<std::string> installerArguments(const LoopbackRepository& repository) const;
    // Signs in as the installer does; returns curl's "-H @FILE" holding the access token.
    std::vector<std::string> signInWithCurl(const std::filesystem::path& curl,
                                            const LoopbackRepository& repository,
                                            const std::filesystem::path& output,
                                            tools::ChildOutcome& outcome) const;

private:
    std::filesystem::path secrets_;
};

}  // namespace velora::bench
