// The registry of C++ pages.
#include "serve/page_registry.h"

#include <utility>

namespace zorvadel::serve {

void PageRegistry::Register(std::string path, PageFunction page) {
  pages_[std::move(path)] = std::move(page);
}

const PageFunction* PageRegistry::Find(std::string_view path) const {
  auto it = pages_.find(path);
  return it == pages_.end() ? nullptr : &it->second;
}

PageRegistry& SitePages() {
  // Built on first use, so registrars in other files' static initialisers
  // find it whatever the order of initialisation.
  static PageRegistry registry;
  return registry;
}

PageRegistrar::PageRegistrar(std::string path, PageFunction page) {
  SitePages().Register(std::move(path), std::move(page));
}

namespace {

std::filesystem::path& DefaultFolder() {
  static std::filesystem::path folder;
  return folder;
}

}  // namespace

const std::filesystem::path& SiteDefaultFolder() { return DefaultFolder(); }

DefaultSiteFolder::DefaultSiteFolder(std::filesystem::path folder) {
  DefaultFolder() = std::move(folder);
}

}  // namespace zorvadel::serve
