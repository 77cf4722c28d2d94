#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "install/platformutil/Platform.h"

namespace install::productdata {

// One product as the product catalogue describes it.
struct ProductRecord {
    std::u16string baseCode;
    std::u16string name;
    // The product family the product belongs to ("Velora", "Velora Parallel Server"); products
    // of one family share an installation folder.
    std::u16string productFamily;
    // A controlling product heads its family: it decides the default folder and what else may
    // be installed beside it.
    bool isControlling = false;
    // Base codes of the products this one needs, in catalogue order.
    std::vector<std::u16string> dependencies;
    // Folder of the product below the platform's installation folder.
    std::map<platformutil::Platform, std::filesystem::path> relativeProductPath;
    // Executable whose running process blocks an installation, keyed by platform code ("w64pc").
    std::map<std::u16string, std::u16string> detectRunningExe;
    std::u16string registryKeyRoot;
    std::u16string registryKey;
    std::u16string registryKeySubRoot;
    bool isRequiredForMacOSApp = false;
    // SHA-256 of the product archive in lower-case hexadecimal; empty when not known.
    std::string archiveSha256;
};

}  // namespace install::productdata
