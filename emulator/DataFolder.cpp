#include "DataFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

DataFolder::DataFolder(const std::string &path)
{
    std::error_code error;
    if (!path.empty()) {
        path_ = path;
        std::filesystem::create_directories(path_, error);
        if (error)
            throw std::runtime_error("cannot use the data folder " + path + ": " + error.message());
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path(error) / "aigc-emulator-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary data folder");
    path_ = pattern;
    owned_ = true;
}

DataFolder::~DataFolder()
{
    if (!owned_)
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
