#pragma once

#include <filesystem>
#include <string>

// Where the emulator keeps stored objects and uploaded audio. A folder it was given stays; a
// folder it made for itself goes with it, so test runs leave nothing behind.
class DataFolder {
public:
    // An empty `path` makes a fresh folder below the system's temporary folder. Throws
    // std::runtime_error when the folder cannot be made.
    explicit DataFolder(const std::string &path);
    ~DataFolder();
    DataFolder(const DataFolder &) = delete;
    DataFolder &operator=(const DataFolder &) = delete;

    const std::filesystem::path &Path() const { return path_; }

private:
    std::filesystem::path path_;
    bool owned_ = false;
};
