// Where the program finds the files it reads (the opening book, the sounds, the manual)
// and where it keeps its settings, for a program that may run from its build's run
// folder, from a portable copy, or installed (with its data in share/games/tolvan/ and
// its settings in the user's configuration folder).
#pragma once

#include <string>

namespace tolvan {

struct Places {
    std::string program_dir;     // the running program's folder; empty when unknown
    std::string installed_data;  // the data folder of an installation beside it
    std::string current_dir;     // the folder the program was started from
    std::string config_home;     // $XDG_CONFIG_HOME, or ~/.config; empty when neither
    std::string data_home;       // $XDG_DATA_HOME, or ~/.local/share; empty when neither
    std::string cache_home;      // $XDG_CACHE_HOME, or ~/.cache; empty when neither

    // The file `name` as found: beside the program, then in the installed data folder,
    // then in the current folder. `name` itself when it is absolute or nowhere.
    std::string dataFile(const std::string& name) const;

    // The folder the program is run from when that folder holds its data (the run
    // folder of a build, a portable copy): the settings file stays beside the program.
    bool portable() const;

    // Tolvan.ini beside the program when it is portable; otherwise tolvan/Tolvan.ini in
    // the configuration folder (created when the file is first written); "Tolvan.ini"
    // in the current folder when there is no configuration folder either.
    std::string settingsFile() const;

    // Where finished games are kept: games/ beside the program when it is portable,
    // otherwise tolvan/games/ in the user's data folder; empty when there is none.
    std::string keptGamesFolder() const;

    // Where the pictures painted for other sizes are kept between runs: pictures/ beside
    // the program when it is portable, otherwise tolvan/pictures/ in the user's cache
    // folder; empty when there is none.
    std::string picturesFolder() const;
};

// The places of this process: the program's folder from /proc/self/exe, the installed
// data folder relative to it, the current folder and the configuration folder from the
// environment.
Places placesOfThisProgram();

// The places of a program in `programDir`, with the environment's XDG_CONFIG_HOME,
// HOME, XDG_DATA_HOME and XDG_CACHE_HOME as given (empty when unset).
Places placesOf(const std::string& programDir, const std::string& currentDir,
                const std::string& xdgConfigHome, const std::string& home,
                const std::string& xdgDataHome = "", const std::string& xdgCacheHome = "");

// The sound library's file name, and the folders it is looked for in: beside the
// program, then the library folder of an installation.
constexpr const char* sound_library_name = "libtolvan_sound.so";
std::string installedLibraryDir(const std::string& programDir);

}  // namespace tolvan
