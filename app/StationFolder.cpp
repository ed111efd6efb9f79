#include "app/StationFolder.h"

#include <cstdlib>
#include <system_error>

#include <unistd.h>

#include "config/StationProfile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOwnExecutable = "/proc/self/exe";
constexpr const char* kTemporarySuffix = ".new";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// `dir` without a trailing separator ("/a/b/" -> "/a/b").
fs::path WithoutTrailingSeparator(fs::path dir)
{
    dir = dir.lexically_normal();
    if (!dir.has_filename() && dir.has_relative_path())
        dir = dir.parent_path();
    return dir;
}

// The folder where per-user data goes: $XDG_DATA_HOME, else ~/.local/share.
// Relative values are ignored, as the base directory convention asks.
fs::path UserDataHome(const StationFolderFacts& facts)
{
    if (!facts.dataHome.empty() && fs::path(facts.dataHome).is_absolute())
        return facts.dataHome;
    if (!facts.home.empty() && fs::path(facts.home).is_absolute())
        return fs::path(facts.home) / ".local" / "share";
    return {};
}

fs::path FirstExistingFile(const std::vector<fs::path>& candidates)
{
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error))
            return candidate;
    }
    return {};
}

}  // namespace

StationFolder ChooseStationFolder(const StationFolderFacts& facts)
{
    StationFolder folder;
    if (!facts.dirOption.empty()) {
        const fs::path given(facts.dirOption);
        folder.workDir = WithoutTrailingSeparator(given.is_absolute() ? given : facts.currentDir / given);
        folder.dataDir = folder.workDir;
        return folder;
    }
    if (facts.executableDirWritable && !facts.installed) {
        folder.dataDir = facts.executableDir;
        return folder;
    }
    const fs::path dataHome = UserDataHome(facts);
    if (dataHome.empty()) {
        folder.error = "HOME is not set: give the station folder with --dir DIR";
        return folder;
    }
    folder.workDir = WithoutTrailingSeparator(dataHome) / kStationFolderName;
    folder.dataDir = folder.workDir;
    return folder;
}

StationFolderFacts GatherStationFolderFacts(const std::string& dirOption)
{
    StationFolderFacts facts;
    std::error_code error;
    facts.currentDir = fs::current_path(error);
    const fs::path executable = fs::read_symlink(kOwnExecutable, error);
    if (!error && !executable.empty()) {
        facts.executableDir = executable.parent_path();
        facts.executableDirWritable = access(facts.executableDir.c_str(), W_OK) == 0;
        facts.installed = fs::is_directory(facts.executableDir.parent_path() / "share" / kStationFolderName, error);
    }
    facts.dirOption = dirOption;
    facts.home = Environment("HOME");
    facts.dataHome = Environment("XDG_DATA_HOME");
    return facts;
}

std::vector<fs::path> ExampleProfileCandidates(const fs::path& executableDir)
{
    std::vector<fs::path> candidates;
    if (executableDir.is_absolute()) {
        const fs::path prefix = executableDir.parent_path();
        candidates.push_back(prefix / "share" / kStationFolderName / kExampleProfileName);
        candidates.push_back(prefix / "share" / "doc" / kStationFolderName / kExampleProfileName);
    }
    candidates.push_back(fs::path(RURIZUDA_SOURCE_DIR) / "config" / kExampleProfileName);
    return candidates;
}

StationFolderSetup PrepareStationFolder(const fs::path& folder, const std::vector<fs::path>& exampleProfiles)
{
    StationFolderSetup setup;
    std::error_code error;
    const bool created = fs::create_directories(folder, error);
    if (error) {
        setup.error = "cannot create the station folder " + folder.string() + ": " + error.message();
        return setup;
    }
    if (!fs::is_directory(folder, error)) {
        setup.error = "the station folder " + folder.string() + " is not a folder";
        return setup;
    }
    const fs::path profile = folder / kStationProfileFileName;
    if (fs::exists(fs::symlink_status(profile, error)))
        return setup;

    const std::string createdText = created ? "created the station folder " + folder.string() + "; " : "";
    const fs::path example = FirstExistingFile(exampleProfiles);
    if (example.empty()) {
        setup.message = createdText + "no example profile found: the station starts without " + profile.string();
        return setup;
    }
    fs::path temporary = profile;
    temporary += kTemporarySuffix;
    fs::copy_file(example, temporary, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(temporary, profile, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        setup.error = "cannot copy the example profile " + example.string() + " to " + profile.string() + ": " +
                      error.message();
        return setup;
    }
    setup.message = createdText + "copied the example profile " + example.string() + " to " + profile.string() +
                    ": set it up for this station";
    return setup;
}
