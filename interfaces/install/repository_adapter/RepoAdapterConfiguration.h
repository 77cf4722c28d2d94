#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace install::repository_adapter::config {

// What a repository needs to know about the installer and the release before it can list
// products. Default-constructed, then filled with the setters; each repository reads what it
// needs (the folder repository only the packages root, the online one the rest).
class RepoAdapterConfiguration {
public:
    void setReleaseFamily(std::u16string value) { releaseFamily_ = std::move(value); }
    void setReleaseStatus(std::u16string value) { releaseStatus_ = std::move(value); }
    void setInstallerName(std::u16string value) { installerName_ = std::move(value); }
    void setKxAccountToken(std::u16string value) { kxAccountToken_ = std::move(value); }
    void setInstallerVersion(std::u16string value) { installerVersion_ = std::move(value); }
    void setClientString(std::u16string value) { clientString_ = std::move(value); }
    // Platform codes ("w64pc", "l64pc", ...).
    void setPlatforms(std::vector<std::u16string> value) { platforms_ = std::move(value); }
    void setIsKestrelixProductInstaller(bool value) { isKestrelixProductInstaller_ = value; }
    // The update level the products should have; -1 when no particular level is asked for.
    void setUpdateNo(std::int32_t value) { updateNo_ = value; }
    void setKxClientSignature(std::int32_t value) { kxClientSignature_ = value; }
    // Folder holding the product archives; empty keeps the repository's own.
    void setPackagesRoot(std::u16string value) { packagesRoot_ = std::move(value); }

    const std::u16string& getReleaseFamily() const { return releaseFamily_; }
    const std::u16string& getReleaseStatus() const { return releaseStatus_; }
    const std::u16string& getInstallerName() const { return installerName_; }
    const std::u16string& getKxAccountToken() const { return kxAccountToken_; }
    const std::u16string& getInstallerVersion() const { return installerVersion_; }
    const std::u16string& getClientString() const { return clientString_; }
    const std::vector<std::u16string>& getPlatforms() const { return platforms_; }
    bool getIsKestrelixProductInstaller() const { return isKestrelixProductInstaller_; }
    std::int32_t getUpdateNo() const { return updateNo_; }
    std::int32_t getKxClientSignature() const { return kxClientSignature_; }
    const std::u16string& getPackagesRoot() const { return packagesRoot_; }

private:
    std::u16string releaseFamily_;
    std::u16string releaseStatus_;
    std::u16string installerName_;
    std::u16string kxAccountToken_;
    std::u16string installerVersion_;
    std::u16string clientString_;
    std::vector<std::u16string> platforms_;
    bool isKestrelixProductInstaller_ = false;
    std::int32_t updateNo_ = -1;
    std::int32_t kxClientSignature_ = 0;
    std::u16string packagesRoot_;
};

}  // namespace install::repository_adapter::config
