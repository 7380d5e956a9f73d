#pragma once

// "--version" on the command line: prints the version from the executable's own
// version information and returns the exit code; -1 when not asked.
int RunVersionCommand(int argc, char *argv[]);
