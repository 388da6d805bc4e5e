#pragma once
#include <string>

// Where the program keeps its files on this desktop: the XDG base folders
// stand in for the shell's application-data, pictures and temp folders.
// Every getter returns an absolute path without a trailing slash, or an empty
// string when nothing usable is known; none of them creates anything.
namespace platform
{

// $HOME when it is an absolute path, else the home folder of the user's
// passwd entry (HOME is often missing under service managers and screen
// lockers).
std::string HomeDirectory();

// $XDG_STATE_HOME when absolute, else ~/.local/state. Holds the log folder.
std::string StateDirectory();

// $XDG_CONFIG_HOME when absolute, else ~/.config. Holds the key store.
std::string ConfigDirectory();

// $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR line of
// <config>/user-dirs.dirs ("$HOME/..." or an absolute path), else ~/Pictures.
// The folder may not exist yet: callers that save into it make it first.
std::string PicturesDirectory();

// $TMPDIR when absolute, else /tmp.
std::string TempDirectory();

// mkdir -p: creates every missing folder of the path (new ones 0700). A
// folder that exists already is fine; a component that exists as something
// other than a folder is a failure, described in *why when given.
bool MakeDirectories(const std::string& path, std::string* why = nullptr);

// <state>/HALCYONE Studio: the log file's folder (not created here).
std::string LogDirectory();

// <state>/HALCYONE Studio/QRELog.txt; the caller makes LogDirectory() first.
std::string LogFilePath();

}
