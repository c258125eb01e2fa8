// Starting another program, as the tag jump does: in a session of its own, so that it
// outlives this one, leaving no zombie behind, with its arguments as bytes, so that a
// path that is not UTF-8 reaches the program exactly as the file system holds it, and
// as quickly however much memory this program holds.
#pragma once

#include <string>
#include <vector>

namespace varsik {

namespace Platform {

// Starts argv[0] (looked up on PATH unless it holds a "/") with argv as its arguments.
// False when there is no program to start or it could not be started; what becomes of
// it afterwards is not followed.
bool StartProgram(const std::vector<std::string>& argv);

}  // namespace Platform

}  // namespace varsik
