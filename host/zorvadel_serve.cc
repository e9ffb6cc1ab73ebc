// The engine's main(): zorvadel-serve is this file alone, a site binary is
// this file with the site's C++ pages (see serve/page_registry.h).
#include "serve/engine_main.h"

int main(int argc, char** argv) { return zorvadel::serve::EngineMain(argc, argv); }
