// The name that begins every notice the program writes on standard error ("horalux:
// settings not saved: ..."): its name as it was run, as command-line tools say theirs, so
// that a script or the journal can tell its lines from another program's and a renamed
// copy speaks as its file is called. The log's mirrored lines begin with their own
// category instead ("horalux.log: ", app/log/log_mirror.h).
//
// SetNoticeName is called once, by main before any thread starts; NoticePrefix may then be
// called from any thread.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

inline constexpr std::string_view kDefaultNoticeName = "horalux";

// The program's name within `argv0`: its base name ("horalux" of "/usr/bin/horalux"; on
// Windows without ".exe", of "C:\Program Files\Horalux\horalux.exe" too), or kDefaultNoticeName
// when `argv0` names nothing (a null or empty argv[0], a path ending in a separator).
std::string NoticeNameOf(std::string_view argv0);

// Sets the name from argv[0] (which may be null). Names longer than 63 bytes are cut.
void SetNoticeName(const char* argv0);

// "horalux: ", or the name that SetNoticeName set followed by ": ".
std::string NoticePrefix();

}  // namespace horalux
