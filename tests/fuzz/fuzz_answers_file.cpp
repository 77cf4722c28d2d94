// The answers file of a scripted run: whatever it holds, the only failure is AnswersFileError,
// whose one sentence the installer prints with exit status 2.
#include "FuzzSupport.h"
#include "host/AnswersFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const velora::fuzz::ScratchFolder folder;
    const auto file = velora::fuzz::replaceFile(folder, "answers.json", velora::fuzz::text(data, size));
    velora::installer::InstallerOptions options;
    try {
        velora::installer::AnswersFile::apply(file, options);
    } catch (const velora::installer::AnswersFileError&) {
    }
    return 0;
}
