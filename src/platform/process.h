// Starting other programs: the user's player, detached and without a shell, and the
// short-lived helpers the program waits for.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The argument vector for the player. When the decoder text (trimmed) names an
// existing file it is the program as a whole; otherwise it is split at blanks and the
// first word is the program. The argument is always one element of its own.
std::vector<std::string> PlayerCommandLine(const std::string& decoderText, const std::string& argument);

// Starts the program detached (own session, standard streams on /dev/null) and does
// not wait for it. On failure returns false and describes the cause in error.
bool StartDetached(const std::vector<std::string>& argv, std::string& error);

// The program's path: as given when it holds a "/", otherwise looked up in PATH; ""
// when there is no such executable file.
std::string FindProgram(const std::string& program);

// Runs the program with its output discarded and waits; its exit status, or -1.
int RunAndWait(const std::vector<std::string>& argv);

// Opens /dev/null on each standard stream (0, 1, 2) the program was started without.
// Otherwise a file opened later would take that number, and whatever is then written
// to the stream, an error message say, would land in the file.
void KeepStandardStreamsOpen();

}  // namespace platform
