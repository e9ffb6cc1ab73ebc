// The demo serves its own folder unless --root names another; the build
// compiles the folder's path in, so the binary finds it from anywhere.
#include "serve/page_registry.h"

namespace zorvadel::demo {
namespace {

const serve::DefaultSiteFolder kFolder(ZORVADEL_DEMO_SITE_FOLDER);

}  // namespace
}  // namespace zorvadel::demo
