// tiz: looks into tree files and settings files of the tiz library from the
// command line. Exit status: 0 success, 1 a failed operation (one line on
// standard error naming the file and the library's result code), 2 bad usage.
#ifndef TIZ_TOOL_TOOLMAIN_H
#define TIZ_TOOL_TOOLMAIN_H

namespace tiztool {

// The whole tool for one command line: parses it, runs the subcommand and
// returns the exit status. It keeps no state between calls, so a fuzz
// target can call it again and again in one process.
int RunTool(int argc, char **argv);

}  // namespace tiztool

#endif
