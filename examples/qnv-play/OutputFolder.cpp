#include "OutputFolder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

std::string absolutePath(const std::string &path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

bool prepareOutputFolder(const std::string &dir, bool withFrames, std::string &error) {
    std::error_code ec;
    const fs::path root(dir);
    fs::create_directories(root, ec);
    if (!ec && withFrames) {
        fs::create_directories(root / "frames", ec);
    }
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    for (const char *name :
         {kLogFileName, "contact.png", "audio.wav", "audio.f32", "summary.txt"}) {
        fs::remove(root / name, ec);
    }
    for (const fs::directory_entry &entry : fs::directory_iterator(root / "frames", ec)) {
        if (entry.path().extension() == ".png") {
            fs::remove(entry.path(), ec);
        }
    }
    return true;
}

bool copyEffectFile(const std::string &fromDir, const std::string &toDir) {
    std::error_code ec;
    const fs::path from = fs::path(fromDir) / kEffectFileName;
    const fs::path to = fs::path(toDir) / kEffectFileName;
    if (fs::equivalent(from.parent_path(), to.parent_path(), ec)) {
        return fs::exists(from, ec);
    }
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}
