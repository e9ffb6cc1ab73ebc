// Request(key): the collections searched in the order a page script expects.
#include "zorvadel/engine.h"

namespace zorvadel {

Variant Request::Item(std::u16string_view key) {
  using Collection = Variant (Request::*)(std::u16string_view);
  static constexpr Collection kCollections[] = {
      &Request::QueryString,
      &Request::Form,
      &Request::Cookies,
      &Request::ClientCertificate,
  };
  for (Collection collection : kCollections) {
    Variant value = (this->*collection)(key);
    if (!value.IsEmpty()) return value;
  }
  std::u16string variable = ServerVariables(key);
  if (variable.empty()) return Variant();
  return Variant(std::move(variable));
}

}  // namespace zorvadel
