#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where the station keeps its files: workstation.ini, writelog.txt and the
// result databases.
//
// - A station run from a folder it may write (a build tree, a copied
//   folder) reads the profile and writes the log in the current directory
//   and keeps the databases beside the executable.
// - An installed station (its executable in <prefix>/bin, its data in
//   <prefix>/share/rurizuda), or one whose folder it may not write, keeps
//   all of them in its station folder: --dir DIR when given, otherwise
//   $XDG_DATA_HOME/rurizuda, by default ~/.local/share/rurizuda.
// - --dir DIR always wins.

// What the choice depends on, gathered once at start.
struct StationFolderFacts {
    std::filesystem::path currentDir;
    std::filesystem::path executableDir;
    bool executableDirWritable = false;
    // <prefix>/share/rurizuda exists beside the executable's <prefix>/bin.
    // Root may write /usr/bin, so writability alone does not tell an
    // installed station from a build tree.
    bool installed = false;
    std::string dirOption;  // --dir; empty when not given
    std::string home;       // $HOME
    std::string dataHome;   // $XDG_DATA_HOME
};

struct StationFolder {
    // The folder to change into before the profile is read and the log
    // opened; empty: stay in the current directory.
    std::filesystem::path workDir;
    // The folder of PASS.mdb and FAIL.mdb.
    std::filesystem::path dataDir;
    std::string error;  // one line; no folder could be chosen
};

StationFolder ChooseStationFolder(const StationFolderFacts& facts);

// The facts of this process: its executable (/proc/self/exe), the
// environment and `dirOption`.
StationFolderFacts GatherStationFolderFacts(const std::string& dirOption);

// Where the example profile may be found, in order of preference: the
// installed data folder, the installed documentation, the source tree.
std::vector<std::filesystem::path> ExampleProfileCandidates(const std::filesystem::path& executableDir);

struct StationFolderSetup {
    std::string message;  // what was created or copied, for the operator; empty when nothing
    std::string error;    // one line; the folder cannot be used
};

// Creates `folder` when missing and, when it holds no workstation.ini,
// copies in the first existing example profile (through a temporary file, so
// a failed copy leaves no partial profile).
StationFolderSetup PrepareStationFolder(const std::filesystem::path& folder,
                                        const std::vector<std::filesystem::path>& exampleProfiles);

inline constexpr const char* kStationFolderName = "rurizuda";
inline constexpr const char* kExampleProfileName = "workstation.example.ini";
