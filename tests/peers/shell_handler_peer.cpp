// A stand-in program that the shell starts for a URL protocol ("http",
// "mailto") in the link tests.
//
//   shell_handler_peer LOG URL
//
// Appends URL and a line break to LOG and ends. The tests register it as the
// protocol's "open" command with the URL as "%1".
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    FILE* log = std::fopen(__argv[1], "ab");
    if (!log) return 1;
    std::fprintf(log, "%s\n", __argv[2]);
    std::fclose(log);
    return 0;
}
