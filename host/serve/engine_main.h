// The page engine as a program: zorvadel-serve, and every site binary,
// whose main() is this function (the library Zorvadel::engine_main gives
// that main; a program may also call it from a main of its own).
#ifndef ZORVADEL_HOST_SERVE_ENGINE_MAIN_H_
#define ZORVADEL_HOST_SERVE_ENGINE_MAIN_H_

namespace zorvadel::serve {

// Reads the command line (see command_line.h), serves the site with the
// C++ pages registered in SitePages() until SIGINT or SIGTERM, and gives
// the exit status: 0 after a stop, 1 when the server cannot start, 2 for a
// bad command line or a site folder that does not exist.
int EngineMain(int argc, char** argv);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_ENGINE_MAIN_H_
